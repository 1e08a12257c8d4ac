// The G-code tests' recording sink.
#include "tests/gcode/gcode_test_support.h"

#include <QString>
#include <cstdio>
#include <sstream>

namespace ostrel::testing {

namespace {
std::string fixed(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", v == 0 ? 0.0 : v);
    return text;
}
}  // namespace

std::string describe(const GcodeMove& m) {
    const std::string to = fixed(m.to.x) + " " + fixed(m.to.y) + " " + fixed(m.to.z);
    switch (m.kind) {
        case GcodeMove::Kind::Rapid:
            return "rapid " + to;
        case GcodeMove::Kind::Feed:
            return "feed " + to + " F" + fixed(m.feed);
        case GcodeMove::Kind::Arc:
            return "arc " + to + " c " + fixed(m.centre.x) + " " + fixed(m.centre.y) + " t" +
                   std::to_string(m.turns) + " F" + fixed(m.feed);
        case GcodeMove::Kind::Dwell:
            return "dwell " + fixed(m.seconds);
        case GcodeMove::Kind::Pause:
            return "pause " + std::string(m.text);
        case GcodeMove::Kind::ToolChange:
            return "tool " + std::to_string(m.tool);
        case GcodeMove::Kind::Message:
            return "msg " + std::string(m.text);
    }
    return {};
}

std::vector<std::string> canonical_moves(const std::string& program) {
    RecordingSink sink;
    GcodeInterpreter interpreter(sink, QStringLiteral("test.ngc"));
    std::istringstream lines(program);
    std::string line;
    std::int64_t number = 0;
    while (std::getline(lines, line)) {
        interpreter.run_line(line, ++number);
    }
    return sink.moves;
}

}  // namespace ostrel::testing
