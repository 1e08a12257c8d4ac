// The standard mode's drawing, drilling and preview on the simulated machine and a recorded
// picture: strokes joined and ordered, placement, holes, and the classic preview's framing.
#include "dxf/dxf_standard_jobs.h"

#include "tests/dxf/dxf_test_files.h"
#include "tests/support/job_rig.h"
#include "tests/support/job_texts.h"
#include "tests/support/recording_picture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <algorithm>

namespace ostrel {
namespace {

using testing::pairs;
using testing::PathMove;
using testing::sections_file;

constexpr double kRatio = 0.0025;  // the rig's factory ratio

class DxfStandardJobsTest : public ::testing::Test {
protected:
    DxfStandardJobsTest() {
        testing::type_job_parameters(rig.panel, testing::JobTexts::drilling());
    }

    void use(const QByteArray& entities) {
        rig.use_dxf_file(folder.write("job.dxf", sections_file(entities)));
    }
    // Where each Z move down of the job began: the holes, or the starts of strokes.
    std::vector<std::pair<double, double>> lowered_at() {
        std::vector<std::pair<double, double>> at;
        std::int64_t z = 0;
        for (const PathMove& move : rig.moves()) {
            if (move.kind == PathMove::Z && move.z < z && at.size() < 100) {
                at.emplace_back(static_cast<double>(move.x) * kRatio,
                                static_cast<double>(move.y) * kRatio);
            }
            z = move.z;
        }
        // Drilling goes down twice a hole: to the surface, then to depth.
        return at;
    }

    testing::TempFolder folder;
    testing::JobRig rig;
    DxfStandardJobs jobs{rig.machine, rig.mover};
    DxfStandardSettings settings;
};

TEST_F(DxfStandardJobsTest, PiecesThatMeetAreDrawnAsOneStrokeAndTheNearestComesNext) {
    // A far line, then an arc and two lines that meet at their ends, written back to front.
    use(pairs({{0, "LINE"},    {10, "10"}, {20, "0"},   {11, "10"}, {21, "1"},   {0, "LINE"},
               {10, "1.0010"}, {20, "1"},  {11, "0"},   {21, "0"},  {0, "ARC"},  {10, "2"},
               {20, "1"},      {40, "1"},  {50, "180"}, {51, "0"},  {0, "LINE"}, {10, "3"},
               {20, "1"},      {11, "3"},  {21, "0"}}));
    jobs.draw(settings);
    const DxfStandardSummary& done = jobs.summary();
    EXPECT_EQ(done.strokes, 2);
    EXPECT_EQ(done.segments, 3 + 36);  // the half circle of radius 1 in 36 chords
    EXPECT_EQ(done.pen_lifts, 1);      // the first stroke starts where the tool stands
    EXPECT_EQ(rig.op.messages.size(), 0u);
    // The tool was down at the origin already; it went down again at the far line's nearer end.
    EXPECT_EQ(lowered_at(), (std::vector<std::pair<double, double>>{{10, 0}}));
    EXPECT_EQ(rig.motors().position(AXIS_X), 4000);
    EXPECT_EQ(rig.motors().position(AXIS_Y), 400);
    // The half circle from (1, 1) to (3, 1) went down through (2, 0).
    const auto path = rig.path();
    EXPECT_NE(std::find(path.begin(), path.end(), testing::StepPoint{800, 0, 0}), path.end());
}

TEST_F(DxfStandardJobsTest, TheCornerLandsAtTheToolMirroredOrNot) {
    use(pairs({{0, "LINE"}, {10, "100"}, {20, "100"}, {11, "110"}, {21, "104"}}));
    for (const bool mirror : {false, true}) {
        rig.machine.state().pos_x = 5;
        rig.machine.state().pos_y = 5;
        settings.placement = {PlacementOrigin::Corner, {}, mirror};
        jobs.draw(settings);
        const DxfStandardSummary& done = jobs.summary();
        EXPECT_EQ(done.placed_extents.min_x, 5);
        EXPECT_EQ(done.placed_extents.max_y, 9);
        EXPECT_EQ(done.offset.x, mirror ? 115 : -95);
        // Nearest end first: the left one unmirrored, the mirrored line's right one.
        EXPECT_NEAR(rig.machine.state().pos_x, 15, 1e-9);
        EXPECT_NEAR(rig.machine.state().pos_y, mirror ? 5 : 9, 1e-9);
    }
}

TEST_F(DxfStandardJobsTest, HolesAtPointsAndCircleCentresNearestFirst) {
    use(pairs({{0, "POINT"},
               {10, "10"},
               {20, "0"},
               {0, "CIRCLE"},
               {10, "5"},
               {20, "0"},
               {40, "0.4"},
               {0, "POINT"},
               {10, "1"},
               {20, "0"},
               {0, "TEXT"}}));
    jobs.drill(settings, 1);
    EXPECT_EQ(lowered_at(), (std::vector<std::pair<double, double>>{
                                {1, 0}, {1, 0}, {5, 0}, {5, 0}, {10, 0}, {10, 0}}));
    EXPECT_EQ(jobs.summary().holes, 3);
    EXPECT_NEAR(rig.machine.state().pos_z, 0.5, 1e-9);  // raised at the end
    EXPECT_EQ(rig.op.message_texts(), std::vector<QString>{"Файл \"" + folder.path("job.dxf") +
                                                           "\": не рисуются примитивы TEXT 1"});

    rig.machine.state().pos_x = 0;
    settings.circles_as_holes = false;
    jobs.drill(settings, 1);
    EXPECT_EQ(jobs.summary().holes, 2);
}

TEST_F(DxfStandardJobsTest, ThePreviewFramesAsTheClassicOneAndShowsTravels) {
    use(pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "100"}, {21, "50"}, {0, "TEXT"}}));
    testing::RecordingPicture picture;
    const QColor black(0, 0, 0), red(255, 0, 0), blue(0, 0, 255);
    jobs.preview(picture, 347, settings);
    EXPECT_EQ(jobs.summary().facts.skipped.at("TEXT"), 1);
    EXPECT_EQ(picture.lines(),
              (std::vector<testing::RecordingPicture::Line>{{{-10, 297}, {10, 297}, blue},
                                                            {{0, 307}, {0, 287}, blue},
                                                            {{0, 297}, {100, 247}, black}}));
    rig.panel.autozoom = true;
    rig.panel.idle_moves_checked = true;
    rig.machine.state().pos_x = -1;  // the travel starts where the tool stands
    jobs.preview(picture, 347, settings);
    EXPECT_EQ(picture.lines().back(),
              (testing::RecordingPicture::Line{{3, 294}, {303, 144}, black}));
    EXPECT_EQ(picture.lines()[2], (testing::RecordingPicture::Line{{0, 294}, {3, 294}, red}));
    // Two metres across a picture of 387 pixels: less than a pixel a millimetre, still seen whole.
    use(pairs({{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "2000"}, {21, "1000"}}));
    rig.machine.state().pos_x = 0;
    jobs.preview(picture, 347, settings);
    const QPoint far_end = picture.lines().back().to;
    EXPECT_GT(far_end.x(), 300);
    EXPECT_LE(far_end.x(), 387);
    EXPECT_GE(far_end.y(), 0);
    // Redrawn at every zoom change, it leaves the TEXT to the summary, not to a message box.
    EXPECT_TRUE(rig.op.messages.empty());
}

TEST_F(DxfStandardJobsTest, TheBricscadMapIsDrawnWithFewLifts) {
    const QString path =
        QStringLiteral(OSTREL_TESTDATA_DIR "/dxf/bricscad_us-main_large_10052-lines.dxf");
    if (!QFile::exists(path)) {
        GTEST_SKIP() << path.toStdString()
                     << " is missing: the shared test data is not checked out";
    }
    rig.use_dxf_file(path);
    testing::type_job_parameters(rig.panel, testing::JobTexts::drawing());
    settings.placement.origin = PlacementOrigin::Corner;
    jobs.draw(settings);
    const DxfStandardSummary& done = jobs.summary();
    EXPECT_EQ(done.segments, 10052);
    EXPECT_LT(done.pen_lifts, 10052 / 100);
    EXPECT_EQ(rig.op.message_texts(),
              std::vector<QString>{"Файл \"" + path + "\": не рисуются примитивы TEXT 1"});
    for (Axis axis : {AXIS_X, AXIS_Y, AXIS_Z}) {
        EXPECT_EQ(rig.motors().faults(axis), 0);
    }
    RecordProperty("strokes", static_cast<int>(done.strokes));
    RecordProperty("pen_lifts", static_cast<int>(done.pen_lifts));
    RecordProperty("machine_time_ms",
                   static_cast<int>(rig.clock.total_wait() / (rig.clock.frequency() / 1000)));
}

}  // namespace
}  // namespace ostrel
