// The drawing and drilling jobs on the simulated machine, checked through its decoded motors.
#include "dxf/dxf_jobs.h"
#include "core/operation_abandoned.h"
#include "tests/dxf/dxf_test_files.h"
#include "tests/support/job_rig.h"
#include "tests/support/job_texts.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <cmath>
#include <vector>

namespace ostrel {
namespace {

using testing::dxf_file;
using testing::JobRig;
using testing::line_entity;
using testing::PathMove;
using testing::point_entity;
using testing::StepPoint;

using Moves = std::vector<PathMove>;

constexpr double kRatio = 0.0025;  // the rig's factory ratio
constexpr double kDraw = 2.5;      // speedXyEdit
constexpr double kRapid = 5;       // speedXyRapidEdit
constexpr double kUp = 1.25;       // speedZUpEdit
constexpr double kDown = 0.5;      // speedZDownEdit

PathMove xy(double x, double y, double z, double speed) {
    return testing::xy_move(x, y, z, speed, kRatio);
}
PathMove zm(double x, double y, double z, double speed) {
    return testing::z_move(x, y, z, speed, kRatio);
}

// The Gerber registers as the Gerber job found them when it showed the file view, at its start.
struct GerberModes {
    bool plot = false;
    bool drill = false;
    bool aperture_pending = false;
    double depth = 0;
    bool operator==(const GerberModes&) const = default;
};

class ModeRecordingView final : public FileView {
public:
    explicit ModeRecordingView(GerberInterpreter& interpreter) : interpreter_(interpreter) {}
    void show() override {
        const GerberRegisters& r = interpreter_.registers();
        seen.push_back({r.plot_mode, r.drill_mode, r.aperture_pending, interpreter_.drill_depth()});
    }
    Picture& picture() override { return picture_; }
    QSize outer_size() const override { return {395, 347}; }
    std::vector<GerberModes> seen;

private:
    GerberInterpreter& interpreter_;
    PenOnlyPicture picture_{QSize(387, 320)};
};

class DxfJobsTest : public ::testing::Test {
protected:
    DxfJobsTest() {
        rig.panel.page = 0;
        // Four speeds apart, so that every move shows which one it ran at.
        testing::type_job_parameters(rig.panel, {.speed_xy_rapid = "5",
                                                 .speed_z_up = "1,25",
                                                 .speed_z_down = "0,5",
                                                 .drill_depth = "2"});
    }

    void use_file(const QByteArray& body) {
        rig.use_dxf_file(folder.write("job.dxf", dxf_file(body)));
    }
    // Declares where the tool stands, as "Принять новые значения" would.
    void start_at(double x, double y, double z) {
        rig.machine.state().pos_x = x;
        rig.machine.state().pos_y = y;
        rig.machine.state().pos_z = z;
        start = {std::llround(x / kRatio), std::llround(y / kRatio), std::llround(z / kRatio)};
    }
    Moves moves() { return rig.moves(start); }

    testing::TempFolder folder;
    JobRig rig;
    StepPoint start;  // where the moves are counted from
};

TEST_F(DxfJobsTest, TwoLinesFromTheOriginAreDrawnAndTheToolReturnsRaised) {
    use_file(line_entity("0", "0", "10", "0") + line_entity("20", "0", "20", "10"));
    rig.buttons.run_draw_job();
    EXPECT_EQ(moves(), (Moves{xy(10, 0, 0, kDraw), zm(10, 0, 0.5, kUp), xy(20, 0, 0.5, kRapid),
                              zm(20, 0, 0, kDown), xy(20, 10, 0, kDraw), zm(20, 10, 0.5, kUp),
                              xy(0, 0, 0.5, kRapid)}));
    EXPECT_TRUE(rig.op.messages.empty());
    EXPECT_FALSE(rig.machine.state().stop_requested);
    EXPECT_FALSE(rig.machine.busy());
}

TEST_F(DxfJobsTest, ALineStartingWithinHalfAStepOfTheToolGoesOnWithoutALift) {
    // 0.0001 mm is no whole step: the tool stops 0.0001 short of the file's point. A start
    // 0.0013 away is more than half a step (0.00125) off and takes the lift, though no step.
    use_file(line_entity("0", "0", "1.0001", "0") + line_entity("1.0001", "0", "1.0001", "1") +
             line_entity("1.0013", "1", "2", "1"));
    rig.panel.returns_to_origin = false;
    rig.buttons.run_draw_job();
    // The first two lines make one move: steps of one sense at one speed.
    EXPECT_EQ(moves(), (Moves{xy(1, 1, 0, kDraw), zm(1, 1, 0.5, kUp), xy(1.0025, 1, 0.5, kRapid),
                              zm(1.0025, 1, 0, kDown), xy(2, 1, 0, kDraw)}));
}

TEST_F(DxfJobsTest, TheTrackIsClearedButGoesOnFromWhereItEnded) {
    use_file(line_entity("0", "0", "10", "0"));
    rig.track.fill(Qt::black);
    rig.track.move_to(QPoint(300, 100));
    rig.buttons.run_draw_job();
    const QImage& image = rig.track.image();
    EXPECT_EQ(image.pixelColor(500, 20), QColor(Qt::white));
    // The first segment of the job starts at the old pen point.
    EXPECT_NE(image.pixelColor(300, 100), QColor(Qt::white));
}

TEST_F(DxfJobsTest, ALineIsDrawnAsWrittenAndWithoutReturnTheToolStaysDown) {
    use_file(line_entity("5", "5", "0", "0"));
    rig.panel.returns_to_origin = false;
    rig.buttons.run_draw_job();
    EXPECT_EQ(moves(), (Moves{zm(0, 0, 0.5, kUp), xy(5, 5, 0.5, kRapid), zm(5, 5, 0, kDown),
                              xy(0, 0, 0, kDraw)}));
}

TEST_F(DxfJobsTest, ZeroLengthLinesMoveNothingWhereTheToolStandsAndOnlyTravelElsewhere) {
    // A ratio of 1/128 mm keeps every position exact, so the job's exact tests see the point.
    for (Axis axis : {AXIS_X, AXIS_Y, AXIS_Z}) {
        rig.machine.state().mm_per_step[axis] = 0.0078125;
    }
    use_file(line_entity("0", "0", "0", "0") + line_entity("3", "4", "3", "4"));
    rig.panel.returns_to_origin = false;
    rig.buttons.run_draw_job();
    const Moves moved = moves();
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[0], testing::z_move(0, 0, 0.5, kUp, 0.0078125));
    EXPECT_EQ(moved[1], testing::xy_move(3, 4, 0.5, kRapid, 0.0078125));
    EXPECT_EQ(rig.machine.state().pos_z, 0.5);  // never lowered
}

TEST_F(DxfJobsTest, AZeroLengthLineAtTheToolMakesNoEngineCallAtAll) {
    use_file(line_entity("0", "0", "0", "0"));
    rig.panel.returns_to_origin = false;
    rig.buttons.run_draw_job();
    EXPECT_EQ(rig.engine.totals().calls, 0);
    EXPECT_TRUE(rig.writes().empty());
}

TEST_F(DxfJobsTest, AMissingFileIsToldAndTheReturnStillRuns) {
    rig.use_dxf_file(folder.path("none.dxf"));
    start_at(3, 4, 0);
    rig.machine.state().stop_requested = false;
    rig.buttons.run_draw_job();
    EXPECT_EQ(rig.op.message_texts(), std::vector<QString>{"такого файла не существует"});
    EXPECT_EQ(rig.op.focused, std::vector<Field>{Field::DxfFile});
    EXPECT_EQ(moves(), (Moves{zm(3, 4, 0.5, kUp), xy(0, 0, 0.5, kRapid)}));
}

TEST_F(DxfJobsTest, ABadCoordinateAbandonsTheJobWhereTheLastMoveLeftTheTool) {
    use_file(line_entity("0", "0", "10", "0") + line_entity("20", "0", "2O", "10"));
    EXPECT_THROW(
        {
            try {
                rig.buttons.run_draw_job();
            } catch (const OperationAbandoned& e) {
                EXPECT_EQ(e.message(), QStringLiteral("'2O' is not a valid floating point value"));
                throw;
            }
        },
        OperationAbandoned);
    // No return: the tool stays lowered at the end of the first line.
    EXPECT_EQ(moves(), (Moves{xy(10, 0, 0, kDraw)}));
    EXPECT_FALSE(rig.machine.busy());
}

TEST_F(DxfJobsTest, AFileThatCantBeReadAbandonsTheJobWithNothingMoved) {
    const QString dir = folder.make_folder("folder.dxf");
    const QString binary =
        folder.write("binary.dxf", QByteArray("AutoCAD Binary DXF\r\n\x1a\0LINE", 26));
    for (const QString& name : {dir, binary}) {
        rig.use_dxf_file(name);
        start_at(3, 4, 0);
        try {
            rig.buttons.run_draw_job();
            ADD_FAILURE() << "no message for " << name.toStdString();
        } catch (const OperationAbandoned& e) {
            EXPECT_TRUE(e.message().contains(name)) << e.message().toStdString();
        }
        EXPECT_THROW(rig.buttons.run_drill_job(), OperationAbandoned);
        EXPECT_TRUE(moves().empty());
        EXPECT_FALSE(rig.machine.busy());
    }
}

TEST_F(DxfJobsTest, ABadJobParameterStopsBeforeAnythingMoves) {
    use_file(line_entity("0", "0", "10", "0"));
    rig.panel.texts[Field::ZTravel] = "0.5";
    EXPECT_THROW(rig.buttons.run_draw_job(), OperationAbandoned);
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(rig.machine.state().job.speed_xy_rapid, 5);  // read before the bad one
}

TEST_F(DxfJobsTest, AStopEndsThePassBeforeTheNextLineAndTheReturnMovesNothing) {
    // The third line can't be read: a job that looked at it would be abandoned.
    use_file(line_entity("0", "0", "10", "0") + line_entity("10", "0", "10", "10") +
             line_entity("x", "0", "0", "0"));
    int steps = 0;
    rig.op.on_process_messages = [&] {
        if (++steps == 100) {
            rig.machine.state().stop_requested = true;
        }
    };
    rig.buttons.run_draw_job();
    EXPECT_EQ(moves(), (Moves{xy(99 * kRatio, 0, 0, kDraw)}));
    EXPECT_FALSE(rig.machine.state().stop_requested);
    EXPECT_TRUE(rig.op.messages.empty());
}

TEST_F(DxfJobsTest, AFileCutOffInsideALineIsToldAndTheJobEndsNormally) {
    rig.use_dxf_file(folder.write(
        "cut.dxf", "  0\n" + line_entity("0", "0", "10", "0") + "LINE\n  8\n0\n 10\n5"));
    rig.buttons.run_draw_job();
    EXPECT_EQ(moves(), (Moves{xy(10, 0, 0, kDraw), zm(10, 0, 0.5, kUp), xy(0, 0, 0.5, kRapid)}));
    ASSERT_EQ(rig.op.messages.size(), 1u);
    EXPECT_EQ(rig.op.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(rig.op.messages[0].text.contains(QStringLiteral("LINE")));
}

TEST_F(DxfJobsTest, TheGerberPageRunsTheGerberJobAndNeverReadsTheDxfFile) {
    use_file(line_entity("bad", "0", "1", "1"));
    ModeRecordingView view(rig.gerber.interpreter());
    rig.gerber.set_file_view(&view);
    rig.gerber.interpreter().registers().drill_mode = true;
    rig.gerber.interpreter().registers().aperture_pending = true;
    rig.use_gerber_file(folder.write("empty.gbr", ""));
    start_at(1, 0, 0.5);
    rig.machine.read_job_parameters();  // the Gerber job reads them itself; this one does nothing
    rig.buttons.run_draw_job();
    // The Gerber job ran plotting, not drilling, with no aperture selection pending; the plot
    // mode is off again afterwards.
    EXPECT_EQ(view.seen, (std::vector<GerberModes>{{true, false, false, 0}}));
    EXPECT_FALSE(rig.gerber.interpreter().registers().plot_mode);
    EXPECT_EQ(moves(), (Moves{xy(0, 0, 0.5, kRapid)}));
}

TEST_F(DxfJobsTest, AJobButtonPressedDuringAJobIsRefused) {
    use_file(line_entity("0", "0", "1", "0"));
    int steps = 0;
    rig.op.on_process_messages = [&] {
        if (++steps == 10) {
            rig.buttons.run_draw_job();
            rig.buttons.run_drill_job();
        }
    };
    rig.buttons.run_draw_job();
    EXPECT_EQ(rig.op.message_texts(),
              (std::vector<QString>{Machine::busy_message(), Machine::busy_message()}));
    EXPECT_EQ(rig.op.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(moves(), (Moves{xy(1, 0, 0, kDraw), zm(1, 0, 0.5, kUp), xy(0, 0, 0.5, kRapid)}));
}

TEST_F(DxfJobsTest, DrillingFromAJoggedPositionMeasuresFromThere) {
    use_file(line_entity("1", "1", "2", "2") + point_entity("10", "5"));
    start_at(37, 12, 0.5);
    rig.buttons.run_drill_job();
    EXPECT_EQ(moves(), (Moves{xy(47, 17, 0.5, kRapid), zm(47, 17, 0, kUp), zm(47, 17, -2, kDown),
                              zm(47, 17, 0.5, kUp), xy(37, 12, 0.5, kRapid)}));
    // Back where the job started, which is now the origin.
    EXPECT_NEAR(rig.machine.state().pos_x, 0, 1e-9);
    EXPECT_NEAR(rig.machine.state().pos_y, 0, 1e-9);
    EXPECT_EQ(rig.dxf.drill_depth(), 2);
}

TEST_F(DxfJobsTest, PointsAtTheOriginAreDrilledInPlaceAgainAndAgain) {
    use_file(point_entity("0", "0") + point_entity("0.0", "0.0"));
    rig.panel.returns_to_origin = false;
    rig.buttons.run_drill_job();
    EXPECT_EQ(moves(), (Moves{zm(0, 0, -2, kDown), zm(0, 0, 0, kUp), zm(0, 0, -2, kDown),
                              zm(0, 0, 0.5, kUp)}));
}

TEST_F(DxfJobsTest, ANegativeDepthDrillsAboveTheSurface) {
    use_file(point_entity("0", "0"));
    rig.panel.texts[Field::DrillDepth] = "-1";
    rig.buttons.run_drill_job();
    EXPECT_EQ(moves(), (Moves{zm(0, 0, 1, kDown), zm(0, 0, 0.5, kUp)}));
}

TEST_F(DxfJobsTest, ABadDepthMovesNothingAndKeepsThePosition) {
    use_file(point_entity("1", "1"));
    start_at(7, 8, 0);
    rig.panel.texts[Field::DrillDepth] = "2 mm";
    EXPECT_THROW(rig.buttons.run_drill_job(), OperationAbandoned);
    EXPECT_TRUE(moves().empty());
    EXPECT_EQ(rig.machine.state().pos_x, 7);
}

TEST_F(DxfJobsTest, DrillingAMissingFileStillSetsTheOriginAndRaises) {
    rig.use_dxf_file(folder.path("none.dxf"));
    start_at(7, 8, 0);
    rig.buttons.run_drill_job();
    EXPECT_EQ(rig.op.message_texts(), std::vector<QString>{"такого файла не существует"});
    EXPECT_EQ(moves(), (Moves{zm(7, 8, 0.5, kUp)}));
    EXPECT_EQ(rig.machine.state().pos_x, 0);
}

TEST_F(DxfJobsTest, TheDrillingGerberPageGetsTheDepth) {
    ModeRecordingView view(rig.gerber.interpreter());
    rig.gerber.set_file_view(&view);
    rig.gerber.interpreter().registers().plot_mode = true;
    rig.use_gerber_file(folder.write("empty.gbr", ""));
    rig.panel.returns_to_origin = false;
    rig.panel.texts[Field::DrillDepth] = "1,5";
    rig.buttons.run_drill_job();
    EXPECT_EQ(view.seen, (std::vector<GerberModes>{{false, true, false, 1.5}}));
    EXPECT_FALSE(rig.gerber.interpreter().registers().plot_mode);
    EXPECT_TRUE(moves().empty());
}

}  // namespace
}  // namespace ostrel
