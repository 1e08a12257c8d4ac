// Fuzzes the standard DXF reader: any bytes read alike through any buffer size, without a crash,
// a hang or a path that is no number.
#include "core/operation_abandoned.h"
#include "dxf/dxf_standard_reader.h"
#include "fuzz/memory_file.h"

#include <sys/mman.h>
#include <unistd.h>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace ostrel;

// Everything a pass hands on, in order.
struct Outcome : DxfShapeSink {
    std::vector<double> numbers;
    QString message;
    std::int64_t skipped = 0;

    void path(std::span<const PointMm> points) override {
        numbers.push_back(-1);
        for (const PointMm& p : points) {
            // Inf may come of finite numbers far apart; a NaN is a fault of the reader.
            if (std::isnan(p.x) || std::isnan(p.y)) {
                std::abort();
            }
            numbers.push_back(p.x);
            numbers.push_back(p.y);
        }
    }
    void point(PointMm at) override { numbers.insert(numbers.end(), {-2, at.x, at.y}); }
    void circle(PointMm centre, double diameter) override {
        numbers.insert(numbers.end(), {-3, centre.x, centre.y, diameter});
    }
    bool same(const Outcome& other) const {
        return message == other.message && skipped == other.skipped &&
               numbers.size() == other.numbers.size() &&
               std::equal(numbers.begin(), numbers.end(), other.numbers.begin(),
                          [](double a, double b) { return a == b || (a != a && b != b); });
    }
};

Outcome run_pass(const std::uint8_t* data, std::size_t size, std::size_t buffer) {
    Outcome outcome;
    DxfReadOptions options;
    // Small enough that no input keeps a run busy for long.
    options.most_inserted = 20000;
    options.chord_tolerance_mm = 0.01;
    try {
        DxfStandardReader reader(memory_file(data, size, "dxf"), QStringLiteral("fuzz.dxf"),
                                 options, buffer);
        reader.read(outcome);
        for (const auto& [type, count] : reader.facts().skipped) {
            outcome.skipped += count;
        }
    } catch (const OperationAbandoned& e) {
        outcome.message = e.message();
    }
    return outcome;
}

using namespace std::string_view_literals;

// Words of a DXF file: inputs whose first byte is odd are spelled in them, so that sections,
// entities, codes and values turn up far more often than random bytes would make them.
constexpr std::string_view kWords[] = {"0\nSECTION\n2\nENTITIES\n"sv,
                                       "0\nSECTION\n2\nBLOCKS\n"sv,
                                       "0\nBLOCK\n2\nA\n"sv,
                                       "0\nENDBLK\n"sv,
                                       "0\nENDSEC\n"sv,
                                       "0\nINSERT\n2\nA\n"sv,
                                       "0\nLINE\n"sv,
                                       "0\nARC\n"sv,
                                       "0\nCIRCLE\n"sv,
                                       "0\nELLIPSE\n"sv,
                                       "0\nLWPOLYLINE\n"sv,
                                       "0\nPOLYLINE\n"sv,
                                       "0\nVERTEX\n"sv,
                                       "0\nSEQEND\n"sv,
                                       "0\nSPLINE\n"sv,
                                       "0\nPOINT\n"sv,
                                       "0\nTEXT\n"sv,
                                       " 10\n"sv,
                                       "20\n"sv,
                                       "11\n"sv,
                                       "21\n"sv,
                                       "40\n"sv,
                                       "41\n"sv,
                                       "42\n"sv,
                                       "50\n"sv,
                                       "51\n"sv,
                                       "70\n"sv,
                                       "71\n"sv,
                                       "72\n"sv,
                                       "73\n"sv,
                                       "74\n"sv,
                                       "44\n"sv,
                                       "45\n"sv,
                                       "67\n"sv,
                                       "230\n"sv,
                                       "1.5\n"sv,
                                       "-1\n"sv,
                                       "3\n"sv,
                                       "0\n"sv,
                                       "1e300\n"sv,
                                       "\r\n"sv,
                                       "\r"sv,
                                       "9\n$INSUNITS\n70\n"sv};
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
    std::string spelled;
    if (size > 0 && (data[0] & 1) != 0) {
        spelled = spell(data, size);
        data = reinterpret_cast<const std::uint8_t*>(spelled.data());
        size = spelled.size();
    }
    // Refills and lines across them must not change what is read; a line longer than the small
    // buffer keeps only its beginning, so only shorter inputs must read alike.
    const std::size_t small = 16 + (size > 0 ? data[0] % 48 : 0);
    const Outcome whole = run_pass(data, size, 1 << 16);
    const Outcome pieces = run_pass(data, size, small);
    if (!whole.same(pieces) && size < JobFileLineReader::kKeptPrefix) {
        std::abort();
    }
    return 0;
}
