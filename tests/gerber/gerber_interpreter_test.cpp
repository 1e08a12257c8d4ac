// The Gerber interpreter: word cutting, the dialect's rules, and each mode on the decoded machine
// or the recorded picture.
#include "gerber/gerber_interpreter.h"
#include "core/operation_abandoned.h"
#include "tests/gerber/gerber_test_support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>
#include <string>

namespace ostrel {
namespace {

using testing::GerberRig;
using testing::RecordingPicture;
using testing::StepPoint;

constexpr std::int64_t kStepsPerMm = 400;  // the factory ratio of 0.0025 mm per step

class GerberInterpreterTest : public ::testing::Test {
protected:
    GerberInterpreterTest() {
        // Circle D10 of 1.6 mm and rectangle D11.
        Aperture& circle = *rig.gerber.aperture_table().entry(10);
        circle.shape = Aperture::kCircle;
        circle.size[1] = 1.6;
        Aperture& rectangle = *rig.gerber.aperture_table().entry(11);
        rectangle.shape = Aperture::kRectangle;
        rectangle.size[1] = 1.6;
        interp().set_picture(&picture);
    }

    GerberInterpreter& interp() { return rig.gerber.interpreter(); }
    GerberRegisters& regs() { return rig.registers(); }
    void run(std::initializer_list<const char*> lines) {
        for (const char* line : lines) {
            interp().run_line(line);
        }
    }
    void plot_mode() {
        rig.machine.read_job_parameters();
        regs().plot_mode = true;
    }
    void drill_mode() {
        rig.machine.read_job_parameters();
        interp().set_drill_depth(2);
        regs().drill_mode = true;
    }
    void preview_mode(double scale) {
        regs().preview_mode = true;
        regs().view_scale = scale;
    }
    std::int64_t motor(Axis axis) const { return rig.motors().position(axis); }

    GerberRig rig;
    RecordingPicture picture;
};

TEST(GerberReadNumber, ReachEndsTheLineOrRestsAfterTheNumber) {
    using N = GerberInterpreter::Number;
    const auto read = [](std::string_view line, std::size_t p) {
        const N n = GerberInterpreter::number_at(line, p);
        return std::pair(n.value, n.reach);
    };
    EXPECT_EQ(read("X1234", 2), std::pair(1234.0, std::size_t{5}));  // the whole line's length
    EXPECT_EQ(read("X12.5Y", 2), std::pair(12.5, std::size_t{5}));
    EXPECT_EQ(read("X12.5.3", 2), std::pair(12.5, std::size_t{5}));
    EXPECT_EQ(read("X100.*", 2), std::pair(100.0, std::size_t{5}));
    EXPECT_EQ(read("X1", 3), std::pair(0.0, std::size_t{1}));  // past the end
    const std::string forty = "X" + std::string(40, '9') + "*";
    EXPECT_NEAR(GerberInterpreter::number_at(forty, 2).value / 1e40, 1.0, 1e-12);
    const std::string endless = "X" + std::string(5000, '9');
    EXPECT_TRUE(std::isinf(GerberInterpreter::number_at(endless, 2).value));
}

TEST(GerberReadNumber, ValuesAreTheNearestDoubleOfTheDecimalText) {
    std::mt19937 random(11);
    for (int n = 0; n < 20000; ++n) {
        std::string text(static_cast<std::size_t>(1 + random() % 24), '0');
        for (char& c : text) {
            c = static_cast<char>('0' + random() % 10);
        }
        if (random() % 2 == 0) {
            text.insert(random() % (text.size() + 1), 1, '.');
        }
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected, std::chars_format::fixed);
        const std::string line = "X" + text + "*";
        EXPECT_EQ(GerberInterpreter::number_at(line, 2).value, expected) << text;
    }
}

TEST_F(GerberInterpreterTest, PlotsTheSixLineExampleOnTheMotors) {
    plot_mode();
    run({"G54D10*"});
    EXPECT_EQ(regs().current_aperture, 10);
    EXPECT_EQ(regs().cur_g, 54);
    EXPECT_TRUE(rig.writes().empty());

    run({"X1000Y1000D02*"});  // raise, travel to (10, 10)
    EXPECT_EQ(motor(AXIS_Z), -200);
    EXPECT_EQ(motor(AXIS_X), 10 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Y), 10 * kStepsPerMm);

    run({"X2000Y1000D01*"});  // lower, draw to (20, 10)
    EXPECT_EQ(motor(AXIS_Z), 0);
    EXPECT_EQ(motor(AXIS_X), 20 * kStepsPerMm);

    rig.clear_writes();
    run({"X1500Y1500D03*"});  // pad: r = 1.6 / 2 - 0.5 = 0.3 around (15, 15)
    std::vector<StepPoint> pad = rig.path();
    ASSERT_FALSE(pad.empty());
    // Relative to (20, 10): raised travel to (15.3, 15), then the circle drawn lowered.
    const auto lowered = std::find_if(pad.begin(), pad.end(),
                                      [](const StepPoint& p) { return p.z == 0 && p.x != 0; });
    ASSERT_NE(lowered, pad.end());
    EXPECT_EQ(lowered->x, -1880);  // 15.3 - 20 mm
    EXPECT_EQ(lowered->y, 2000);   // 15 - 10 mm
    std::int64_t min_x = lowered->x;
    for (auto p = lowered; p != pad.end(); ++p) {
        EXPECT_EQ(p->z, 0);
        const double dx = static_cast<double>(p->x + 2000);  // from the centre (15, 15)
        const double dy = static_cast<double>(p->y - 2000);
        EXPECT_NEAR(std::hypot(dx, dy), 120, 2);
        min_x = std::min(min_x, p->x);
    }
    EXPECT_EQ(min_x, -2120);  // 14.7 mm
    EXPECT_EQ(motor(AXIS_X), 6120);
    EXPECT_EQ(regs().cur_x, 15);  // the pad's centre, not its last circle point
    EXPECT_EQ(regs().cur_y, 15);

    rig.clear_writes();
    run({"G03X2500Y2000I500J0D01*"});  // the drawn move to (25, 20), then the circle round (20, 20)
    EXPECT_EQ(regs().cur_g, 3);
    EXPECT_EQ(regs().cur_i, 5);
    const std::vector<StepPoint> circle = rig.path();
    ASSERT_FALSE(circle.empty());
    // Steps from (15.3, 15): the circle's start (25, 20), its centre (20, 20), radius 2000.
    const StepPoint start{3880, 2000, 0};
    const auto at_start = std::find(circle.begin(), circle.end(), start);
    ASSERT_NE(at_start, circle.end());
    std::int64_t lo_x = start.x;
    std::int64_t hi_y = start.y;
    for (auto p = circle.begin(); p != circle.end(); ++p) {
        EXPECT_EQ(p->z, 0);  // the tool stayed down from the pad on
        if (p >= at_start) {
            const double dx = static_cast<double>(p->x - 1880);
            const double dy = static_cast<double>(p->y - 2000);
            EXPECT_NEAR(std::hypot(dx, dy), 2000, 2);
            lo_x = std::min(lo_x, p->x);
            hi_y = std::max(hi_y, p->y);
        }
    }
    EXPECT_EQ(lo_x, -120);  // 15 mm
    EXPECT_EQ(hi_y, 4000);  // 25 mm
    EXPECT_EQ(circle.back(), start);

    rig.clear_writes();
    run({"M02*"});
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_EQ(
        rig.motors().faults(AXIS_X) + rig.motors().faults(AXIS_Y) + rig.motors().faults(AXIS_Z), 0);
}

TEST_F(GerberInterpreterTest, ApertureSelectionNeedsG54AndDrawingNeedsG54OrG03) {
    plot_mode();
    // A G54 on a line of its own arms the selection for the next D word.
    run({"G54*", "D11*"});
    EXPECT_EQ(regs().current_aperture, 11);
    EXPECT_FALSE(regs().aperture_pending);
    // A D-code without G54 selects nothing and acts as nothing.
    run({"G01*", "D10*"});
    EXPECT_EQ(regs().current_aperture, 11);
    // After G01 (or any G but 54 and 3) D01 draws nothing; D02 still travels.
    run({"X100Y100D01*", "G01X300Y300D01*"});
    EXPECT_TRUE(rig.writes().empty());
    run({"X100Y200D02*"});
    EXPECT_EQ(motor(AXIS_X), 1 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Y), 2 * kStepsPerMm);
    run({"G54D10*", "X300Y200D01*"});
    EXPECT_EQ(motor(AXIS_Z), 0);
    EXPECT_EQ(motor(AXIS_X), 3 * kStepsPerMm);
    // G54 with a fraction is no selection, though it rounds to 54.
    run({"G54.5*", "D11*"});
    EXPECT_EQ(regs().cur_g, 54);
    EXPECT_EQ(regs().current_aperture, 10);
    // Selections of D-codes without an entry flash nothing.
    for (const char* code : {"G54D00*", "G54D150*", "G54D99999999999999*"}) {
        rig.clear_writes();
        run({code, "X500Y500D03*"});
        EXPECT_TRUE(rig.writes().empty()) << code;
    }
}

TEST_F(GerberInterpreterTest, CommentsSetGAndRunTheirWords) {
    plot_mode();
    run({"G54D10*", "G04 drill 10X250Y300 mm*"});
    EXPECT_EQ(regs().cur_g, 4);
    EXPECT_EQ(regs().cur_x, 2.5);
    EXPECT_EQ(regs().cur_y, 3);
    run({"X100Y100D01*"});
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(GerberInterpreterTest, WordsLoseSignsLeadingPointsAndWhatFollowsAStarOrBlank) {
    plot_mode();
    run({"X-150Y.5*"});
    EXPECT_EQ(regs().cur_x, 1.5);
    EXPECT_EQ(regs().cur_y, 0.05);
    // Two blocks on a line: the X after the first "*" is not recognised.
    run({"G54D10*", "X100Y100D02*X200Y300D01*"});
    EXPECT_EQ(regs().cur_x, 1);
    EXPECT_EQ(regs().cur_y, 3);
    EXPECT_EQ(motor(AXIS_X), 1 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Y), 3 * kStepsPerMm);
    // A blank before a letter hides that word.
    run({"X700 Y900D02*"});
    EXPECT_EQ(regs().cur_y, 3);
    // One character after the last number is no word; a letter alone on a line is one, with 0.
    run({"X"});
    EXPECT_EQ(regs().cur_x, 0);
    run({"Y5D"});
    EXPECT_EQ(regs().cur_y, 0.05);
}

TEST_F(GerberInterpreterTest, G03StaysInForceCircleAfterCircle) {
    plot_mode();
    run({"G54D10*", "X1000Y1000D02*", "G03X1000Y1000I200D01*"});
    const std::size_t first = rig.path().size();
    run({"X3000Y1000I200D01*"});  // a second circle through (30, 10), centre (28, 10)
    const std::vector<StepPoint> all = rig.path();
    ASSERT_GT(all.size(), first);
    // From where the drawn move reached (30, 10): the circle round (28, 10).
    const auto on_circle = std::find_if(all.begin() + static_cast<std::ptrdiff_t>(first), all.end(),
                                        [](const StepPoint& p) { return p.x == 30 * kStepsPerMm; });
    ASSERT_NE(on_circle, all.end());
    std::int64_t lo_x = on_circle->x;
    for (auto p = on_circle; p != all.end(); ++p) {
        lo_x = std::min(lo_x, p->x);
    }
    EXPECT_EQ(lo_x, 26 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_X), 30 * kStepsPerMm);
    EXPECT_EQ(regs().cur_g, 3);
}

TEST_F(GerberInterpreterTest, PadOfMarkerSizeTouchesAndANegativeRadiusStartsOpposite) {
    plot_mode();
    rig.gerber.aperture_table().entry(10)->size[1] = 1.0;  // r = 0.5 - 0.5 = 0
    run({"G54D10*", "X1500Y1500D03*"});
    std::vector<StepPoint> touch = rig.path();
    ASSERT_FALSE(touch.empty());
    EXPECT_EQ(touch.back(), (StepPoint{15 * kStepsPerMm, 15 * kStepsPerMm, 0}));

    rig.clear_writes();
    rig.gerber.aperture_table().entry(10)->size[1] = 0.4;  // r = -0.3
    run({"X3000Y1500D03*"});
    const auto trace = rig.path();
    const auto lowered = std::find_if(trace.begin(), trace.end(),
                                      [](const StepPoint& p) { return p.z == 0 && p.x != 0; });
    ASSERT_NE(lowered, trace.end());
    EXPECT_EQ(lowered->x, 5880);  // 29.7 mm from 15 mm
    // After the pad a Y word alone combines with the pad's centre.
    run({"G54D10*", "Y2000D01*"});
    EXPECT_EQ(motor(AXIS_X), 30 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Y), 20 * kStepsPerMm);
}

TEST_F(GerberInterpreterTest, ABadMarkerDiameterEndsThePadBeforeItMoves) {
    plot_mode();
    rig.panel.texts[Field::MarkerDiameter] = QStringLiteral("_5");
    run({"G54D10*"});
    try {
        run({"X1500Y1500D03*"});
        FAIL() << "the pad was plotted";
    } catch (const OperationAbandoned& e) {
        EXPECT_EQ(e.message(), "'_5' is not a valid floating point value");
    }
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(GerberInterpreterTest, RectanglePadsFlashNothingInAnyMode) {
    plot_mode();
    preview_mode(1);
    run({"G54D11*", "X1500Y1500D03*"});
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_TRUE(picture.circles.empty());
    regs().plot_mode = false;
    regs().preview_mode = false;
    drill_mode();
    run({"X1500Y1500D03*"});  // its Y word drills, the D03 does nothing more
    EXPECT_EQ(rig.motors().forward_steps(AXIS_Z), 2 * kStepsPerMm);
}

TEST_F(GerberInterpreterTest, DrillModeDrillsAtEveryYWordOnly) {
    drill_mode();
    run({"M48*", "T1C0.8", "%", "X1000"});
    EXPECT_TRUE(rig.writes().empty());
    run({"Y500"});  // at the last X: travel to (10, 5), Z 0, Z -2, raise to 0.5
    EXPECT_EQ(motor(AXIS_X), 10 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Y), 5 * kStepsPerMm);
    EXPECT_EQ(rig.motors().forward_steps(AXIS_Z), 2 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Z), -0.5 * kStepsPerMm);
    run({"X+002000Y+000600", "G54D10*", "X100Y100D01*"});
    EXPECT_EQ(motor(AXIS_X), 1 * kStepsPerMm);
    EXPECT_EQ(motor(AXIS_Y), 1 * kStepsPerMm);
    // 2 mm down for the first hole, 0.5 + 2 mm for each of the two from the raised tool.
    EXPECT_EQ(rig.motors().forward_steps(AXIS_Z), 800 + 2 * 1000);
    EXPECT_EQ(regs().cur_g, 0);  // G words are not read in drill mode
}

TEST_F(GerberInterpreterTest, PreviewDrawsInPixelsWithYDown) {
    preview_mode(2);
    picture.pen = QPoint(5, 7);
    // D01 before any D02 starts where the pen was left.
    run({"G54D10*", "X1000Y500D01*"});
    ASSERT_EQ(picture.lines().size(), 1u);
    EXPECT_EQ(picture.lines()[0], (RecordingPicture::Line{{5, 7}, {20, 10}, QColor(0, 0, 255)}));
    EXPECT_EQ(regs().view_max_x, 20);
    EXPECT_EQ(regs().view_max_y, 10);
    // Half a pixel rounds to even: 2.5 to 2, 3.5 to 4.
    run({"X125Y175D02*", "X125Y175D01*"});
    EXPECT_EQ(picture.lines().back().to, QPoint(2, 4));
    // A full circle: box (x - 2i, y - i) to (x, y + i); the pen stays.
    run({"G03X5000Y3000I500D01*"});
    ASSERT_EQ(picture.circles.size(), 1u);
    EXPECT_EQ(picture.circles[0],
              (RecordingPicture::Circle{QRect(80, 50, 20, 20), QColor(255, 0, 0)}));
    EXPECT_EQ(picture.pen, QPoint(2, 4));
    EXPECT_EQ(regs().view_max_x, 100 + 20);  // x + i beyond the extent: x + 2i
    EXPECT_EQ(regs().view_max_y, 60 + 20);
    // A pad: radius size 1 in pixels, unscaled; extents unchanged.
    run({"G54D10*", "X1500Y1500D03*"});
    ASSERT_EQ(picture.circles.size(), 2u);
    EXPECT_EQ(picture.circles[1].box, QRect(28, 28, 4, 4));  // 30 -+ 1.6, each rounded
    EXPECT_EQ(regs().view_max_x, 120);
}

TEST_F(GerberInterpreterTest, PreviewCutsFarLinesAndLeavesFarCirclesOut) {
    preview_mode(1);
    const std::string far_x = "X" + std::string(40, '9') + "Y1000D01*";
    run({"G54D10*", "X0Y1000D02*"});
    interp().run_line(far_x);
    ASSERT_EQ(picture.lines().size(), 1u);
    EXPECT_EQ(picture.lines()[0].from, QPoint(0, 10));
    EXPECT_EQ(picture.lines()[0].to, QPoint(GerberInterpreter::kFarPixel, 10));
    // Back from beyond: the line starts where the pen really stood.
    run({"X100Y1000D01*"});
    ASSERT_EQ(picture.lines().size(), 2u);
    EXPECT_EQ(picture.lines()[1].from, QPoint(GerberInterpreter::kFarPixel, 10));
    EXPECT_EQ(picture.lines()[1].to, QPoint(1, 10));
    // Circles whose ring misses the picture, or reaches beyond what the painter holds, are left
    // out; extents still grow.
    run(
        {"G03X"
         "99999999999999999999"
         "Y1000I100D01*",
         "X20000Y16000I4000000000D01*"});
    EXPECT_TRUE(picture.circles.empty());
    EXPECT_GT(regs().view_max_x, 1e17);
}

TEST_F(GerberInterpreterTest, ARefusedMoveEndsTheLineWithItsMessage) {
    plot_mode();
    const std::string far_x = "X" + std::string(40, '9') + "Y100D02*";
    run({"G54D10*"});
    EXPECT_THROW(interp().run_line(far_x), OperationAbandoned);
    EXPECT_EQ(motor(AXIS_X), 0);
}

TEST_F(GerberInterpreterTest, LongLinesAndBinaryBytesRunThroughInEveryMode) {
    // A 10 MB line of words: every word is executed, in time linear in the line.
    std::string block = "G54D10*";
    while (block.size() < 10'000'000) {
        block += "X12Y34D02X56Y78D01";
    }
    preview_mode(1);
    interp().run_line(block);
    EXPECT_EQ(regs().cur_x, 0.56);
    EXPECT_FALSE(picture.lines().empty());
    // Random bytes, NUL included, in all three modes at once: each line ends or is refused.
    regs().preview_mode = true;
    plot_mode();
    drill_mode();
    rig.sim->keep_write_log(false);
    // A step a millimetre keeps the random moves short.
    MachineState& s = rig.machine.state();
    s.mm_per_step = {0, 1, 1, 1};
    std::mt19937 random(7);
    for (int n = 0; n < 200; ++n) {
        std::string line(static_cast<std::size_t>(random() % 64), '\0');
        for (char& c : line) {
            c = static_cast<char>(random() % 256);
        }
        try {
            interp().run_line(line);
        } catch (const OperationAbandoned&) {
        }
    }
    // The interpreter still reads words as before.
    regs().plot_mode = false;
    regs().drill_mode = false;
    run({"G54*", "D11*", "X300Y400D02*"});
    EXPECT_EQ(regs().current_aperture, 11);
    EXPECT_EQ(regs().cur_x, 3);
    EXPECT_EQ(regs().cur_y, 4);
}

}  // namespace
}  // namespace ostrel
