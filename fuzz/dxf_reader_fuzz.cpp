// Fuzzes the DXF reader: any bytes read alike through any buffer size, and values read by the rule.
#include "core/number_text.h"
#include "core/operation_abandoned.h"
#include "dxf/dxf_reader.h"
#include "fuzz/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace ostrel;

// What a pass yields: every record's counts, how it ended, and its message if abandoned.
struct Outcome {
    std::vector<std::int64_t> counts;
    bool cut_off = false;
    QString message;
    bool operator==(const Outcome&) const = default;
};

Outcome run_pass(const std::uint8_t* data, std::size_t size, DxfReader::Entity entity,
                 std::size_t buffer) {
    Outcome outcome;
    try {
        DxfReader pass(memory_file(data, size, "dxf"), QStringLiteral("fuzz.dxf"), entity, buffer);
        if (entity == DxfReader::Entity::Line) {
            while (const auto l = pass.next_line_entity()) {
                outcome.counts.insert(outcome.counts.end(), {l->q_x1, l->q_y1, l->q_x2, l->q_y2});
            }
            // A LINE pass has no POINT to give.
            if (pass.next_point_entity()) {
                std::abort();
            }
        } else {
            while (const auto p = pass.next_point_entity()) {
                outcome.counts.insert(outcome.counts.end(), {p->q_x, p->q_y});
            }
        }
        outcome.cut_off = pass.cut_off();
    } catch (const OperationAbandoned& e) {
        outcome.message = e.message();
    }
    return outcome;
}

using namespace std::string_view_literals;

// Words of a DXF file: inputs whose first byte is odd are spelled in them, so that entities, codes
// and values turn up far more often than random bytes would make them.
constexpr std::string_view kWords[] = {"LINE\n"sv,  "POINT\n"sv, "  0\n"sv,
                                       " 10\n"sv,   " 20\n"sv,   " 11\n"sv,
                                       " 21\n"sv,   "  8\n"sv,   "\r\n"sv,
                                       "\r"sv,      "\n"sv,      "1.5\n"sv,
                                       "-2,25\n"sv, "1e3\n"sv,   "  7 \n"sv,
                                       "0\n"sv,     "10\n"sv,    "12.34565\n"sv,
                                       "\0"sv,      "x\n"sv,     "AutoCAD Binary DXF"sv};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::string spell(const std::uint8_t* data, std::size_t size) {
    std::string text;
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] < kWordCount) {
            text += kWords[data[i]];
        } else {
            text += static_cast<char>(data[i]);
        }
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The quick reading of plain decimals must agree with the general rule on any text.
    if (size <= 64) {
        std::string text(reinterpret_cast<const char*>(data), size);
        std::replace(text.begin(), text.end(), '.', ',');
        const auto quick = dxf_value_count(text);
        const auto general =
            parse_ten_thousandths(QString::fromLatin1(text.data(), static_cast<qsizetype>(size)));
        if (quick != general) {
            std::abort();
        }
    }
    std::string spelled;
    if (size > 0 && (data[0] & 1) != 0) {
        spelled = spell(data, size);
        data = reinterpret_cast<const std::uint8_t*>(spelled.data());
        size = spelled.size();
    }
    // Refills, lines across them and lines longer than the buffer must not change what is read.
    const std::size_t small = 16 + (size > 0 ? data[0] % 48 : 0);
    for (const auto entity : {DxfReader::Entity::Line, DxfReader::Entity::Point}) {
        const Outcome whole = run_pass(data, size, entity, 1 << 16);
        const Outcome pieces = run_pass(data, size, entity, small);
        // A line longer than the small buffer keeps only its beginning, so it may read otherwise
        // only where the whole-buffer pass saw a line longer than the kept prefix.
        if (!(whole == pieces) && size < JobFileLineReader::kKeptPrefix) {
            std::abort();
        }
    }
    return 0;
}
