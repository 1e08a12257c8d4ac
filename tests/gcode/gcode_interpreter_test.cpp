// The interpreter against hand-worked programs: modal state, order within a line, arcs, cycles,
// and refusals that name the line and the word.
#include "gcode/gcode_interpreter.h"

#include "core/operation_abandoned.h"
#include "tests/gcode/gcode_test_support.h"

#include <gtest/gtest.h>
#include <QFileInfo>

namespace ostrel::testing {
namespace {

struct Case {
    const char* name;
    const char* program;
    std::vector<std::string> moves;
};

const Case kCases[] = {
    {"rapid_feed_and_modal_motion",
     "G21 G90\nG0 X1 Y2\nZ-1\nG1 X3 F120\nY4\n",
     {"rapid 1.0000 2.0000 0.0000", "rapid 1.0000 2.0000 -1.0000",
      "feed 3.0000 2.0000 -1.0000 F120.0000", "feed 3.0000 4.0000 -1.0000 F120.0000"}},
    {"incremental_moves",
     "G91 G0 X1 Y1\nX1\nG1 Z-2 F60\nG90 X0\n",
     {"rapid 1.0000 1.0000 0.0000", "rapid 2.0000 1.0000 0.0000",
      "feed 2.0000 1.0000 -2.0000 F60.0000", "feed 0.0000 1.0000 -2.0000 F60.0000"}},
    {"inch_units_and_feed",
     "G20 G0 X1 Y.5\nG1 Z-.1 F10\nG21 X1\n",
     {"rapid 25.4000 12.7000 0.0000", "feed 25.4000 12.7000 -2.5400 F254.0000",
      "feed 1.0000 12.7000 -2.5400 F10.0000"}},
    {"g92_offsets_and_cancel",
     "G0 X10 Y10\nG92 X0 Y0\nG0 X5\nG92.1\nG0 X5\n",
     {"rapid 10.0000 10.0000 0.0000", "rapid 15.0000 10.0000 0.0000",
      "rapid 5.0000 10.0000 0.0000"}},
    {"words_of_a_line_in_order",  // units before motion, F before motion, G92 before the move
     "G1 F100 G20 X1\n",
     {"feed 25.4000 0.0000 0.0000 F2540.0000"}},
    {"ij_arc_and_full_circle",
     "G0 X10 Y0\nG3 X0 Y10 I-10 J0 F100\nG2 I0 J-10\n",
     {"rapid 10.0000 0.0000 0.0000", "arc 0.0000 10.0000 0.0000 c 0.0000 0.0000 t1 F100.0000",
      "arc 0.0000 10.0000 0.0000 c 0.0000 0.0000 t-1 F100.0000"}},
    {"r_form_arcs",  // a quarter circle both ways round, and the longer arc by a negative R
     "G1 X10 F50\nG3 X0 Y10 R10\nG2 X10 Y0 R10\nG3 X0 Y10 R-10\n",
     {"feed 10.0000 0.0000 0.0000 F50.0000",
      "arc 0.0000 10.0000 0.0000 c 0.0000 0.0000 t1 F50.0000",
      "arc 10.0000 0.0000 0.0000 c 0.0000 0.0000 t-1 F50.0000",
      "arc 0.0000 10.0000 0.0000 c 10.0000 10.0000 t1 F50.0000"}},
    {"helical_arc_with_turns",
     "G0 X5\nG91.1 G2 X5 Y0 Z-3 I-5 J0 P2 F30\n",
     {"rapid 5.0000 0.0000 0.0000", "arc 5.0000 0.0000 -3.0000 c 0.0000 0.0000 t-2 F30.0000"}},
    {"absolute_arc_centres",
     "G90.1 G0 X10\nG92 X0\nG3 X-20 Y0 I-10 J0 F10\n",
     {"rapid 10.0000 0.0000 0.0000", "arc -10.0000 0.0000 0.0000 c 0.0000 0.0000 t1 F10.0000"}},
    {"g81_with_g98_then_g99",
     "G0 Z5\nG98 G81 X1 Y1 R2 Z-1 F60\nG99 X2\nG98 X3\nG80\n",
     {"rapid 0.0000 0.0000 5.0000", "rapid 1.0000 1.0000 5.0000", "rapid 1.0000 1.0000 2.0000",
      "feed 1.0000 1.0000 -1.0000 F60.0000", "rapid 1.0000 1.0000 5.0000",
      "rapid 2.0000 1.0000 5.0000", "rapid 2.0000 1.0000 2.0000",
      "feed 2.0000 1.0000 -1.0000 F60.0000", "rapid 2.0000 1.0000 2.0000",
      // G98 comes back to the height before the series, not to where the last block left it.
      "rapid 3.0000 1.0000 5.0000", "rapid 3.0000 1.0000 2.0000",
      "feed 3.0000 1.0000 -1.0000 F60.0000", "rapid 3.0000 1.0000 5.0000"}},
    {"g83_pecks_and_g98_return",
     "G0 Z10\nG98 G83 X1 R1 Z-2.5 Q1 F30\n",
     {"rapid 0.0000 0.0000 10.0000", "rapid 1.0000 0.0000 10.0000", "rapid 1.0000 0.0000 1.0000",
      "feed 1.0000 0.0000 0.0000 F30.0000", "rapid 1.0000 0.0000 1.0000",
      "rapid 1.0000 0.0000 0.2540", "feed 1.0000 0.0000 -1.0000 F30.0000",
      "rapid 1.0000 0.0000 1.0000", "rapid 1.0000 0.0000 -0.7460",
      "feed 1.0000 0.0000 -2.0000 F30.0000", "rapid 1.0000 0.0000 1.0000",
      "rapid 1.0000 0.0000 -1.7460", "feed 1.0000 0.0000 -2.5000 F30.0000",
      "rapid 1.0000 0.0000 10.0000"}},
    {"g82_dwells_at_the_bottom",
     "G82 R1 Z-1 P0.5 F10\n",
     {"rapid 0.0000 0.0000 1.0000", "feed 0.0000 0.0000 -1.0000 F10.0000", "dwell 0.5000",
      "rapid 0.0000 0.0000 1.0000"}},
    {"stops_tools_messages_and_the_end",
     "%\nN10 T3 M6 (MSG, put in a 1 mm drill)\nG4 P1.5\n/G0 X99\nM1\nM0 ; pause\nM30\nG0 X5\n",
     {"msg put in a 1 mm drill", "tool 3", "dwell 1.5000", "rapid 99.0000 0.0000 0.0000",
      "pause M1", "pause M0"}},
    {"percent_ends_the_program", "%\nG0 X1\n%\nG0 X2\n", {"rapid 1.0000 0.0000 0.0000"}},
    {"spaces_case_and_comments_anywhere",
     "g 0 x 1 . 5 (a) y-2 ;rest\nG00X1Y1\n",
     {"rapid 1.5000 -2.0000 0.0000", "rapid 1.0000 1.0000 0.0000"}},
};

class Interpreter : public ::testing::TestWithParam<Case> {};

TEST_P(Interpreter, GivesTheCanonicalMoves) {
    EXPECT_EQ(canonical_moves(GetParam().program), GetParam().moves);
}

INSTANTIATE_TEST_SUITE_P(Programs, Interpreter, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct Refusal {
    const char* program;
    const char* line_and_word;  // "в строке N, слово "W""
};

const Refusal kRefusals[] = {
    {"G0 X1\n#1 = 2\n", "строке 2, слово \"#\""},
    {"G0 X[1+2]\n", "строке 1, слово \"X[\""},
    {"G0 X1\nO100 sub\n", "строке 2, слово \"O100\""},
    {"G18\n", "строке 1, слово \"G18\""},
    {"G43 H1\n", "строке 1, слово \"G43\""},
    {"G0 X1\nG38.2 Z-5 F10\n", "строке 2, слово \"G38.2\""},
    {"G0 A5\n", "строке 1, слово \"A5\""},
    {"G0 G1 X1\n", "строке 1, слово \"G1\""},
    {"M3 M5\n", "строке 1, слово \"M5\""},
    {"G1 X1\n", "строке 1, слово \"G1\""},  // no feed yet
    {"G1 X1 X2 F1\n", "строке 1, слово \"X2\""},
    {"G2 X1 Y1 R0.1 F1\n", "строке 1, слово \"R0.1\""},
    {"G2 X3 Y0 I1 J0 F1\n", "строке 1, слово \"G2\""},  // end off the circle
    {"G80 X1\n", "строке 1, слово \"X1\""},
    {"G0 X1 (open\n", "строке 1, слово \"(open\""},
    {"G81 X1 R-1 Z1 F1\n", "строке 1, слово \"Z1\""},
    {"G0 X1\nM98 P100\n", "строке 2, слово \"M98\""},
    {"G1 X1 I1 F1\n", "строке 1, слово \"I1\""},
};

TEST(InterpreterRefusals, NameTheLineAndTheWord) {
    for (const Refusal& r : kRefusals) {
        try {
            canonical_moves(r.program);
            ADD_FAILURE() << r.program << " was not refused";
        } catch (const OperationAbandoned& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(r.line_and_word)))
                << r.program << " -> " << e.message().toStdString();
        }
    }
}

TEST(InterpreterFacts, SpindleCoolantAndBlendingAreNotedAsIgnored) {
    RecordingSink sink;
    GcodeInterpreter plain(sink, QStringLiteral("a.ngc"));
    plain.run_line("G0 X1 G61", 1);
    EXPECT_FALSE(plain.met_ignored_words());
    for (const char* line : {"S1000", "M3", "M8", "G64 P0.01 Q0.01"}) {
        GcodeInterpreter interpreter(sink, QStringLiteral("a.ngc"));
        interpreter.run_line(line, 1);
        EXPECT_TRUE(interpreter.met_ignored_words()) << line;
    }
}

}  // namespace
}  // namespace ostrel::testing

namespace ostrel::testing {
namespace {

// LinuxCNC's examples and pcb2gcode's probing programs use what the machine has no place for:
// each is refused at its first such word, named with its line.
TEST(InterpreterRefusals, RealProgramsBeyondTheSubsetAreNamedAtTheirFirstWord) {
    const struct {
        const char* file;
        const char* line_and_word;
    } programs[] = {
        {"linuxcnc-example_3dtest.ngc", "строке 23, слово \"g18\""},
        {"linuxcnc-example_cds.ngc", "строке 11, слово \"G43\""},
        {"linuxcnc-example_daisy.ngc", "строке 3, слово \"O100\""},
        {"pcb2gcode_autoleveller-linuxcnc_front.ngc", "строке 12, слово \"o6\""},
        {"pcb2gcode_autoleveller-mach3_front.ngc", "строке 12, слово \"#\""},
    };
    for (const auto& p : programs) {
        const QString path = QStringLiteral(OSTREL_TESTDATA_DIR "/gcode/") + QLatin1String(p.file);
        if (!QFileInfo::exists(path)) {
            GTEST_SKIP() << "no shared test data at " << path.toStdString();
        }
        RecordingSink sink;
        try {
            run_gcode_file(path, sink, {});
            ADD_FAILURE() << p.file << " was taken";
        } catch (const OperationAbandoned& refused) {
            EXPECT_TRUE(refused.message().contains(QString::fromUtf8(p.line_and_word)))
                << refused.message().toStdString();
        }
    }
}

}  // namespace
}  // namespace ostrel::testing
