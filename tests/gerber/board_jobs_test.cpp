// The true-size plot, drill and preview jobs on the simulated machine, checked through the moves
// its motors made.
#include "gerber/board_jobs.h"
#include "core/placement.h"
#include "gerber/excellon_reader.h"
#include "tests/gerber/gerber_test_support.h"
#include "tests/support/job_texts.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <cmath>

namespace ostrel {
namespace {

using testing::PathMove;

// Settings with a marker of 0.5 mm and a drilling depth of 2 mm.
BoardJobSettings placed(const Placement& placement) {
    BoardJobSettings settings;
    settings.placement = placement;
    settings.marker_diameter_mm = 0.5;
    settings.drill_depth_mm = 2;
    return settings;
}
BoardJobSettings asking(std::function<bool(const QString&)> confirm) {
    BoardJobSettings settings = placed({});
    settings.confirm_tool = std::move(confirm);
    return settings;
}
using testing::StepPoint;

constexpr double kRatio = 0.0025;  // mm per step of the factory machine
constexpr double kDraw = 2, kRapid = 4, kUp = 1.5, kDown = 1.5;

class BoardJobsTest : public ::testing::Test {
protected:
    BoardJobsTest() {
        testing::type_job_parameters(
            rig.panel, {.speed_xy = QStringLiteral("2"), .speed_xy_rapid = QStringLiteral("4")});
    }
    QString file(const char* name, const QByteArray& text) {
        return folder.write(QString::fromLatin1(name), text);
    }
    PathMove xy(double x, double y, double z, double speed) {
        return testing::xy_move(x, y, z, speed, kRatio);
    }
    PathMove zm(double x, double y, double z, double speed) {
        return testing::z_move(x, y, z, speed, kRatio);
    }
    // Where the tool went down to its depth, in mm, in order, from the step numbered from on.
    std::vector<PointMm> plunges(double depth, std::size_t from = 0) {
        std::vector<PointMm> points;
        const std::int64_t bottom = std::llround(-depth / kRatio);
        const std::vector<StepPoint> path = rig.path();
        for (std::size_t i = from; i < path.size(); ++i) {
            const StepPoint& p = path[i];
            if (p.z == bottom) {
                points.push_back({p.x * kRatio, p.y * kRatio});
            }
        }
        return points;
    }
    // Whether the tool passed within a step of p with the pen down, from the step numbered from
    // on.
    bool drawn_through(PointMm p, std::size_t from = 0) {
        const std::vector<StepPoint> path = rig.path();
        for (std::size_t i = from; i < path.size(); ++i) {
            const StepPoint& s = path[i];
            if (s.z == 0 && std::hypot(s.x * kRatio - p.x, s.y * kRatio - p.y) <= 1.5 * kRatio) {
                return true;
            }
        }
        return false;
    }

    testing::TempFolder folder;
    testing::GerberRig rig;
    GerberStandardJobs jobs{rig.machine, rig.mover};
};

// Two tracks that meet make one stroke; a rectangular pad is marked by its outline a marker's
// radius inside its edge; the pen goes up only between them and at the end.
TEST_F(BoardJobsTest, PlotDrawsTracksAlongTheirCentresAndPadsInsideTheirEdges) {
    const QString path = file("board.gbr",
                              "%FSLAX33Y33*%%MOMM*%%ADD10C,0.2*%%ADD11R,2X1*%\n"
                              "D10*X3000Y1000D02*X3000Y2000D01*X1000Y1000D02*X3000Y1000D01*\n"
                              "D11*X6000Y1500D03*M02*\n");
    const BoardJobReport report = jobs.plot(path, placed({}));
    EXPECT_EQ(rig.moves(),
              (std::vector<PathMove>{
                  zm(0, 0, 0.5, kUp), xy(1, 1, 0.5, kRapid), zm(1, 1, 0, kDown),
                  xy(3, 2, 0, kDraw),  // (1,1) to (3,1) to (3,2): one sense, one move
                  zm(3, 2, 0.5, kUp), xy(5.25, 1.25, 0.5, kRapid), zm(5.25, 1.25, 0, kDown),
                  // round the outline: X and Y forward, then both back
                  xy(6.75, 1.75, 0, kDraw), xy(5.25, 1.25, 0, kDraw), zm(5.25, 1.25, 0.5, kUp)}));
    EXPECT_EQ(report.strokes, 2);
    EXPECT_EQ(report.lifts, 2);
    EXPECT_EQ(std::tuple(report.tracks, report.pads), std::tuple(2, 1));
    EXPECT_TRUE(rig.op.messages.empty());
}

// A full circle (G75, ends omitted) and a single-quadrant arc (G74) are drawn along their
// circles; the offset moves all of it.
TEST_F(BoardJobsTest, ArcsAreDrawnAlongTheirCircles) {
    const QString path = file("arcs.gbr",
                              "%FSLAX33Y33*%%MOMM*%%ADD10C,0.1*%D10*\n"
                              "X5000Y3000D02*G75*G02I-2000J0D01*\n"
                              "X12000Y3000D02*G74*G03X10000Y5000I2000J0D01*M02*\n");
    const BoardJobReport report = jobs.plot(path, placed({PlacementOrigin::File, {1, 1}, false}));
    EXPECT_EQ(report.arcs, 2);
    EXPECT_EQ(report.offset, (PointMm{1, 1}));
    int down = 0;
    for (const StepPoint& s : rig.path()) {
        if (s.z != 0) {
            continue;
        }
        ++down;
        const double x = s.x * kRatio - 1, y = s.y * kRatio - 1;
        const double to_first = std::fabs(std::hypot(x - 3, y - 3) - 2);
        const double to_second = std::fabs(std::hypot(x - 10, y - 3) - 2);
        ASSERT_LT(std::min(to_first, to_second), 3 * kRatio) << x << "," << y;
        if (to_second < to_first) {
            ASSERT_TRUE(x >= 10 - kRatio && y >= 3 - kRatio) << "outside the first quadrant";
        }
    }
    EXPECT_GT(down, 2 * 3.14 * 2 / kRatio);  // at least the circle's length in steps
    EXPECT_TRUE(drawn_through({1 + 1, 1 + 3}) && drawn_through({1 + 10, 1 + 5}));
}

// Holes tool by tool, the operator asked before each; nearest first within a tool; a tool the
// operator declines is passed over; slots are told, not drilled.
TEST_F(BoardJobsTest, DrillAsksForEachToolAndDrillsNearestFirst) {
    const QString path = file("board.drl",
                              "M48\nMETRIC,TZ\nT2C1.0\nT1C0.8\n%\nT1\nX1.0Y1.0\nX5.0Y1.0\n"
                              "X2.0Y1.0\nT2\nX3.0Y3.0\nX4.0Y4.0G85X4.0Y6.0\nM30\n");
    std::vector<QString> questions;
    const BoardJobReport report = jobs.drill(path, asking([&](const QString& q) {
                                                 questions.push_back(q);
                                                 return questions.size() == 1;
                                             }));
    EXPECT_EQ(questions, (std::vector<QString>{
                             QStringLiteral("Вставьте сверло 0,8 мм (инструмент T1, отверстий: 3). "
                                            "Сверлить?"),
                             tool_question(2, 1, 1)}));
    EXPECT_EQ(plunges(2), (std::vector<PointMm>{{1, 1}, {2, 1}, {5, 1}}));
    ASSERT_EQ(report.tools.size(), 2u);
    EXPECT_TRUE(report.tools[0].drilled);
    EXPECT_FALSE(report.tools[1].drilled);
    EXPECT_EQ(report.slots, 1);
    EXPECT_EQ(
        rig.op.message_texts(),
        std::vector<QString>{QStringLiteral("Пропущено — пазов (G85), пазы не сверлятся: 1")});
    // The tool went up to the travel height before the second question and after the job.
    EXPECT_NEAR(rig.machine.state().pos_z, 0.5, 1e-9);
}

// A board of two files: the copper placed with its corner at the tool, the drill file with the
// offset that gave; every hole lands on its pad's centre, mirrored as well.
TEST_F(BoardJobsTest, DrillHolesLandOnThePadsOfTheCopper) {
    const std::vector<PointMm> pads = {{2.54, 2.54}, {7.62, 2.54}, {7.62, 12.7}, {20.32, 5.08}};
    QByteArray gerber =
        "%FSLAX25Y25*%%MOIN*%%ADD10C,0.06*%%ADD11C,0.01*%D11*X0Y0D02*X0Y50000D01*D10*\n";
    QByteArray drill = "M48\nMETRIC,LZ,000.000\nT1C0.9\n%\nT1\n";
    for (const PointMm p : pads) {
        gerber += QStringLiteral("X%1Y%2D03*\n")
                      .arg(std::lround(p.x / 25.4 * 1e5))
                      .arg(std::lround(p.y / 25.4 * 1e5))
                      .toLatin1();
        drill += QStringLiteral("X+%1Y+%2\n")
                     .arg(std::lround(p.x * 1000), 6, 10, QChar(u'0'))
                     .arg(std::lround(p.y * 1000), 6, 10, QChar(u'0'))
                     .toLatin1();
    }
    const QString copper = file("board.gtl", gerber + "M02*\n");
    const QString holes = file("board.drl", drill + "M30\n");
    const double inset = 0.06 * 25.4 / 2 - 0.25;  // the pad's radius less the marker's
    for (const bool mirror : {false, true}) {
        std::size_t from = rig.path().size();
        const BoardJobReport plot =
            jobs.plot(copper, placed({PlacementOrigin::Corner, {}, mirror}));
        const PlacementMap map({PlacementOrigin::File, plot.offset, mirror}, {}, {});
        for (const PointMm p : pads) {
            const PointMm at = map(p);
            EXPECT_TRUE(drawn_through({at.x + inset, at.y}, from) ||
                        drawn_through({at.x - inset, at.y}, from))
                << at.x << "," << at.y;
        }
        from = rig.path().size();
        jobs.drill(holes, placed({PlacementOrigin::File, plot.offset, mirror}));
        std::vector<PointMm> drilled = plunges(2, from);
        ASSERT_EQ(drilled.size(), pads.size()) << "mirror " << mirror;
        for (const PointMm p : pads) {
            const PointMm at = map(p);
            const bool hit = std::any_of(drilled.begin(), drilled.end(), [&](PointMm d) {
                return std::hypot(d.x - at.x, d.y - at.y) <= kRatio;
            });
            EXPECT_TRUE(hit) << at.x << "," << at.y << " mirror " << mirror;
        }
        rig.mover.travel_to(0, 0);
    }
}

// The preview: the board fitted to the picture, copper filled in the copper colour, a clear
// level in the background's; a drill file shows its holes. What can't be shown is told once.
TEST_F(BoardJobsTest, PreviewFillsCopperFittedToThePicture) {
    testing::RecordingPicture picture(QSize(400, 300));
    testing::FakeFileView view(picture);
    const BoardColours colours;
    jobs.preview(file("p.gbr",
                      "%FSLAX33Y33*%%MOMM*%%ADD10R,10X5*%%ABD20*%%AB*%D10*X0Y0D03*%LPC*%"
                      "X0Y0D03*%LPD*%D20*X0Y0D03*M02*"),
                 {}, view);
    EXPECT_EQ(picture.fills, std::vector<QColor>{colours.background});
    ASSERT_EQ(picture.areas.size(), 2u);
    EXPECT_EQ(picture.areas[0].color, colours.copper);
    EXPECT_EQ(picture.areas[1].color, colours.background);
    // 10 x 5 mm into 400 x 300 at 90 %: 36 pixels a mm, centred.
    EXPECT_EQ(picture.areas[0].path.boundingRect(), QRectF(20, 60, 360, 180));
    EXPECT_EQ(rig.op.message_texts(),
              std::vector<QString>{QStringLiteral("Пропущено — вспышек блоков апертур (%AB): 1")});
    jobs.preview(file("h.drl", "M48\nMETRIC\nT1C1.0\n%\nT1\nX0.0Y0.0\nX4.0Y0.0\n"), {}, view);
    ASSERT_EQ(picture.areas.size(), 1u);
    EXPECT_EQ(picture.areas[0].color, colours.hole);
    EXPECT_TRUE(rig.writes().empty());
}

}  // namespace
}  // namespace ostrel
