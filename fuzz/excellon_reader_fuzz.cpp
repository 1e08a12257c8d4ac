// Fuzzes the drill-file reader: any text read as a file, and line by line as split here; both
// readings of a text without NUL bytes give the same holes and slots, and the extents can be taken.
#include "core/operation_abandoned.h"
#include "fuzz/memory_file.h"
#include "gerber/board.h"
#include "gerber/excellon_reader.h"

#include <sys/mman.h>
#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using namespace ostrel;

std::vector<long long> summary(const Board& board, bool refused) {
    std::vector<long long> s{refused ? 1 : 0, static_cast<long long>(board.holes.size()),
                             static_cast<long long>(board.slots.size()), board.notes.routed,
                             static_cast<long long>(board.notes.assumptions.size())};
    for (const Hole& h : board.holes) {
        s.push_back(h.tool);
    }
    for (const Slot& slot : board.slots) {
        s.push_back(slot.tool);
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Board as_file;
    const bool refused_file = refused_as_file(data, size, "drill", [&](const QString& path) {
        as_file = read_excellon_file(path);
        as_file.extents();
        // Either way the sniffing goes, it must not throw on a file the reader took.
        is_drill_file(path);
    });

    Board by_lines;
    bool refused_lines = false;
    try {
        ExcellonReader reader(by_lines);
        for_each_line(
            text, [&](std::string_view line) { reader.line(line, QStringLiteral("fuzz.drl")); },
            [&] { return !reader.ended(); });
    } catch (const OperationAbandoned&) {
        refused_lines = true;
    }

    // The file is refused up front for a NUL in its first bytes, the lines only on reaching it.
    const bool nul = text.find('\0') != std::string_view::npos;
    if (!nul && summary(as_file, refused_file) != summary(by_lines, refused_lines)) {
        std::abort();
    }
    return 0;
}
