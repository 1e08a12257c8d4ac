// G-code jobs through the job buttons on the simulated machine, read back from the decoded port
// writes: lines in space, arcs, offsets and units, cycles, questions, and programs of CAM tools.
#include "gcode/gcode_jobs.h"

#include "core/operation_abandoned.h"

#include "tests/support/fake_file_view.h"
#include "tests/support/job_rig.h"
#include "tests/support/job_texts.h"
#include "tests/support/recording_picture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

using testing::StepPoint;

constexpr double kRatio = 0.0025;  // the rig's factory ratio, mm a step

class GcodeJobsTest : public ::testing::Test {
protected:
    GcodeJobsTest() {
        testing::type_job_parameters(rig.panel, testing::JobTexts::drawing());
        rig.panel.returns_to_origin = false;
    }
    void run(const QByteArray& program) {
        rig.use_gcode_file(folder.write("job.ngc", program));
        rig.buttons.run_draw_job();
    }
    static std::int64_t steps(double mm) { return std::llround(mm / kRatio); }
    static StepPoint at(double x, double y, double z) { return {steps(x), steps(y), steps(z)}; }
    // The heights where Z turned round, and where it ended.
    std::vector<double> z_turns() const {
        const std::vector<StepPoint> path = rig.path();
        std::vector<double> turns;
        int sense = 0;
        for (std::size_t i = 1; i < path.size(); ++i) {
            const std::int64_t dz = path[i].z - path[i - 1].z;
            const int now = dz > 0 ? 1 : dz < 0 ? -1 : 0;
            if (now != 0 && sense != 0 && now != sense) {
                turns.push_back(static_cast<double>(path[i - 1].z) * kRatio);
            }
            sense = now != 0 ? now : sense;
        }
        if (!path.empty()) {
            turns.push_back(static_cast<double>(path.back().z) * kRatio);
        }
        return turns;
    }
    std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const auto& m : rig.op.messages) {
            out.push_back(m.text);
        }
        return out;
    }

    testing::TempFolder folder;
    testing::JobRig rig;
};

TEST_F(GcodeJobsTest, AMoveInSpaceInterleavesTheThreeAxesAlongItsLine) {
    run("G21 G90 G1 X1 Y0.5 Z-0.25 F60\n");
    const std::vector<StepPoint> path = rig.path();
    ASSERT_EQ(path.size(), 700u);
    EXPECT_EQ(path.back(), at(1, 0.5, -0.25));
    for (const StepPoint& p : path) {
        // Each axis keeps within a step of its share of the line.
        EXPECT_LE(std::llabs(2 * p.y - p.x), 2);
        EXPECT_LE(std::llabs(4 * p.z + p.x), 4);
    }
    // The three axes take turns from the start: not X first, then Y, then Z.
    EXPECT_EQ(testing::step_axes(path).substr(0, 7), "XXYXYZX");
    // F60 is 1 mm/s on every axis: 2.5 ms a step.
    for (const std::int64_t period : rig.clock.periods()) {
        EXPECT_EQ(period, 2'500'000);
    }
}

// Where the tool ends, for programs worked out by hand.
struct EndCase {
    const char* name;
    const char* program;
    double x, y, z;
};

const EndCase kEnds[] = {
    {"incremental", "G91 G0 X1 Y2\nG1 X0.5 Y-0.5 Z-0.25 F120\nX0.5\n", 2, 1.5, -0.25},
    {"g92_offset", "G0 X1 Y1\nG92 X0 Y0\nG0 X2 Y-0.5\n", 3, 0.5, 0},
    {"g92_cancelled", "G0 X1 Y1\nG92 X0 Y0\nG92.1\nG0 X2 Y0.5\n", 2, 0.5, 0},
    {"inch", "G20 G0 X0.1 Y0.05\nG1 Z-0.01 F10\n", 2.54, 1.27, -0.254},
    {"inch_then_mm", "G20 G0 X0.1\nG21 G91 G0 X1\n", 3.54, 0, 0},
};

TEST_F(GcodeJobsTest, OffsetsUnitsAndDistanceModesEndWhereTheyShould) {
    for (const EndCase& c : kEnds) {
        SCOPED_TRACE(c.name);
        testing::JobRig fresh;
        testing::type_job_parameters(fresh.panel, testing::JobTexts::drawing());
        fresh.panel.returns_to_origin = false;
        fresh.use_gcode_file(folder.write(QString::fromLatin1(c.name) + ".ngc", c.program));
        fresh.buttons.run_draw_job();
        ASSERT_FALSE(fresh.path().empty());
        EXPECT_EQ(fresh.path().back(), at(c.x, c.y, c.z));
    }
}

TEST_F(GcodeJobsTest, ArcsKeepToTheirCircleWithinAStep) {
    // An R-form quarter, then a full circle round (0, 0) by I and J, then a helix down 1 mm.
    run("G0 X10 Y0\nG3 X0 Y10 R10 F600\nG2 I0 J-10\nG2 X10 Y0 I0 J-10 Z-1\n");
    const std::vector<StepPoint> path = rig.path();
    double least = 1e9, most = 0, lowest_x = 1e9;
    for (std::size_t i = steps(10); i < path.size(); ++i) {  // after the travel along X
        const double r = std::hypot(path[i].x * kRatio, path[i].y * kRatio);
        least = std::min(least, r);
        most = std::max(most, r);
        lowest_x = std::min(lowest_x, path[i].x * kRatio);
    }
    EXPECT_GT(least, 10 - 2 * kRatio);
    EXPECT_LT(most, 10 + 2 * kRatio);
    EXPECT_NEAR(lowest_x, -10, kRatio);  // the full circle went all the way round
    EXPECT_EQ(path.back(), at(10, 0, -1));
    // The helix goes down evenly: Z only ever falls.
    EXPECT_EQ(z_turns().size(), 1u);
}

TEST_F(GcodeJobsTest, DrillCyclesComeBackToTheirPlanes) {
    run("G0 Z3\nG98 G83 X1 R1 Z-1.2 Q0.5 F60\nG99 G81 X2 R1 Z-1\nX3\nG80\n");
    const std::vector<double> expected = {
        3,                               // the start height, kept for G98
        0.5,  1, 0,  1, -0.5, 1, -1, 1,  // pecks to R - Q, R - 2Q, ..., back up to R after each
        -1.2, 3,                         // the bottom, then back to where the series began
        -1,   1, -1, 1};                 // G99: from R to the bottom and back to R, twice
    const std::vector<double> turns = z_turns();
    ASSERT_EQ(turns.size(), expected.size());
    for (std::size_t i = 0; i < turns.size(); ++i) {
        EXPECT_NEAR(turns[i], expected[i], kRatio) << i;
    }
    EXPECT_EQ(rig.path().back(), at(3, 0, 1));
}

TEST_F(GcodeJobsTest, ToolChangeRaisesAndAsksWithTheMessageAndPausesAsk) {
    run("G0 Z-0.1\n(MSG, drill of 1 mm)\nT2 M6\nM0\nG0 X1\nM1\nG0 X2\n");
    // The tool went up to the travel height for the question and back down after it; the M0
    // right after it was answered already.
    const std::vector<QString> shown = texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("drill of 1 mm\n")));
    EXPECT_TRUE(shown[0].contains(QStringLiteral("T2 (строка 3)")));
    EXPECT_TRUE(shown[1].contains(QStringLiteral("Пауза M1 (строка 6)")));
    ASSERT_EQ(z_turns().size(), 3u);
    EXPECT_NEAR(z_turns()[0], -0.1, kRatio);
    EXPECT_NEAR(z_turns()[1], 0.5, kRatio);
    EXPECT_EQ(rig.path().back(), at(2, 0, -0.1));
}

TEST_F(GcodeJobsTest, NoToTheToolChangeStopsTheJob) {
    rig.op.yes_no_answer = false;
    run("T1 M6\nG0 X5\n");
    EXPECT_EQ(rig.path().back(), at(0, 0, 0.5));
    EXPECT_FALSE(rig.machine.state().stop_requested);  // cleared once the job has ended
}

TEST_F(GcodeJobsTest, ARefusedWordStopsTheJobBeforeAnyMove) {
    try {
        run("G0 X1\nG1 X2 F100\nG18 G2 X3 I1\n");
        ADD_FAILURE() << "G18 was not refused";
    } catch (const OperationAbandoned& refused) {
        EXPECT_TRUE(refused.message().contains(QStringLiteral("строке 3, слово \"G18\"")));
    }
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(GcodeJobsTest, SpindleAndCoolantAreToldOnceAsPassedOver) {
    run("S1000 M3 M8\nG0 X0.1\nM5 M9\nG64\n");
    ASSERT_EQ(rig.op.messages.size(), 1u);
    EXPECT_TRUE(rig.op.messages[0].text.startsWith(QStringLiteral("Шпиндель")));
}

TEST_F(GcodeJobsTest, PreviewDrawsFeedsBlackAndRapidsRedAndTellsExtentsAndTime) {
    rig.use_gcode_file(folder.write("job.ngc", "G0 X10 Y5\nG1 X20 F60\nG0 X0 Y0\n"));
    testing::RecordingPicture picture(QSize(200, 100));
    testing::FakeFileView view(picture);
    rig.gcode.preview(rig.panel.texts[Field::GcodeFile], {}, view);
    const GcodeSummary& s = rig.gcode.summary();
    EXPECT_EQ(s.placed_extents.min_x, 0);
    EXPECT_EQ(s.placed_extents.max_x, 20);
    EXPECT_EQ(s.placed_extents.max_y, 5);
    // 10 mm at 1 mm/s, and 10 + 5 then 20 + 5 mm of rapids at 2,5 mm/s.
    EXPECT_NEAR(s.seconds, 10 + 40 / 2.5, 1e-9);
    EXPECT_EQ(GcodeJobs::describe(s), QStringLiteral("X 0…20  Y 0…5  Z 0…0 мм\nвремя 0:00:26"));
    std::vector<QColor> colours;
    for (const auto& line : picture.lines()) {
        colours.push_back(line.color);
    }
    EXPECT_EQ(colours,
              (std::vector<QColor>{QColor(220, 0, 0), QColor(Qt::black), QColor(220, 0, 0)}));
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(GcodeJobsTest, PlacementAtTheCornerAndMirrored) {
    rig.machine.state().pos_x = 5;
    rig.machine.state().pos_y = 5;
    rig.panel.origin = PlacementOrigin::Corner;
    rig.panel.mirrored = true;
    run("G0 X10 Y10\nG1 X12 F60\n");
    // Mirrored, the program spans x from -12 to -10; its lower-left corner lands at the tool.
    EXPECT_EQ(rig.path(at(5, 5, 0)).back(), at(5, 5, 0));
    EXPECT_EQ(rig.panel.texts[Field::OffsetX], QStringLiteral("17"));
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

// The plunges of a path: where the tool stopped going down and went up again, in steps.
std::vector<std::pair<std::int64_t, std::int64_t>> plunges(const std::vector<StepPoint>& path) {
    std::vector<std::pair<std::int64_t, std::int64_t>> at;
    for (std::size_t i = 1; i + 1 < path.size(); ++i) {
        if (path[i].z < path[i - 1].z && path[i + 1].z > path[i].z) {
            at.emplace_back(path[i].x, path[i].y);
        }
    }
    std::sort(at.begin(), at.end());
    return at;
}

// pcb2gcode's programs of the EasyEDA board whose drill file is in the shared test data: each
// runs to its end, and the drilling program's holes land on the drill file's, placed by the
// offset pcb2gcode moved the board by.
TEST(GcodeRealPrograms, EasyEdaBoardRunsAndItsDrillProgramLinesUpWithTheDrillFile) {
    const QString dir = QStringLiteral(OSTREL_TESTDATA_DIR "/gcode/");
    if (!QFileInfo::exists(dir)) {
        GTEST_SKIP() << "no shared test data at " << dir.toStdString();
    }
    constexpr double kCoarse = 0.01;  // mm a step: fewer steps, the same path
    const auto make_rig = [](testing::JobRig& rig) {
        testing::type_job_parameters(rig.panel, testing::JobTexts::drawing());
        for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
            rig.machine.state().mm_per_step[axis] = kCoarse;
        }
    };
    for (const char* name : {"pcb2gcode_easy-sdr_front.ngc", "pcb2gcode_easy-sdr_outline.ngc"}) {
        SCOPED_TRACE(name);
        testing::JobRig rig;
        make_rig(rig);
        rig.use_gcode_file(dir + QLatin1String(name));
        rig.buttons.run_draw_job();
        EXPECT_EQ(rig.path().back(), (StepPoint{0, 0, 50}));  // back at 0, 0, raised
        EXPECT_EQ(rig.motors().faults(AXIS_X) + rig.motors().faults(AXIS_Y), 0);
    }
    testing::JobRig program;
    make_rig(program);
    program.panel.keep_offset(QStringLiteral("-1.277"), QStringLiteral("-1.277"));
    program.use_gcode_file(dir + QLatin1String("pcb2gcode_easy-sdr_drill.ngc"));
    program.buttons.run_draw_job();
    EXPECT_EQ(program.op.questions, 0);  // "Продолжить?" was never asked
    testing::JobRig board;
    make_rig(board);
    board.board.drill(
        QStringLiteral(OSTREL_TESTDATA_DIR "/drill/easyeda647_Easy-SDR_Drill_PTH.DRL"),
        BoardJobSettings{});
    const auto drilled = plunges(program.path());
    const auto holes = plunges(board.path());
    ASSERT_EQ(drilled.size(), 722u);
    ASSERT_EQ(holes.size(), drilled.size());
    // Within a step: the two files round their numbers differently.
    for (std::size_t i = 0; i < holes.size(); ++i) {
        EXPECT_LE(std::llabs(drilled[i].first - holes[i].first), 1) << i;
        EXPECT_LE(std::llabs(drilled[i].second - holes[i].second), 1) << i;
    }
}

}  // namespace
}  // namespace ostrel
