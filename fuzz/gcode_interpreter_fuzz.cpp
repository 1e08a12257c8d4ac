// Fuzzes the G-code interpreter: any text read as a file and line by line as split here gives the
// same moves or the same refusal, and every arc it passes on can be cut into chords.
#include "core/operation_abandoned.h"
#include "fuzz/memory_file.h"
#include "gcode/gcode_interpreter.h"
#include "gcode/gcode_path.h"

#include <unistd.h>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using namespace ostrel;

class Count final : public GcodeSink {
public:
    void take(const GcodeMove& move) override {
        moves.push_back(static_cast<long long>(move.kind));
        if (move.kind == GcodeMove::Kind::Arc) {
            // The chords of arcs of any size and any number of turns stay within bounds.
            arc_chords(at, move, 0.00125, xy, z);
            if (xy.size() != z.size() || xy.size() > 4 * 65536 + 4) {
                std::abort();
            }
        }
        at = move.to;
    }
    std::vector<long long> moves;
    Point3 at;
    std::vector<PointMm> xy;
    std::vector<double> z;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Count as_file;
    const bool refused_file = refused_as_file(
        data, size, "gcode", [&](const QString& path) { run_gcode_file(path, as_file, {}); });

    Count by_lines;
    bool refused_lines = false;
    try {
        GcodeInterpreter interpreter(by_lines, QStringLiteral("fuzz.ngc"));
        std::int64_t line = 0;
        for_each_line(
            text, [&](std::string_view text_line) { interpreter.run_line(text_line, ++line); },
            [&] { return !interpreter.ended(); });
    } catch (const OperationAbandoned&) {
        refused_lines = true;
    }
    if (refused_file != refused_lines || as_file.moves != by_lines.moves) {
        std::abort();
    }
    return 0;
}
