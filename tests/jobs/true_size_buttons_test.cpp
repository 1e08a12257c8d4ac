// The job buttons in the standard reading: the page's mode chosen at the job's start, the window's
// placement read then, the offset of a corner placement kept, the limits asked about first.
#include "core/operation_abandoned.h"
#include "jobs/job_buttons.h"
#include "tests/dxf/dxf_test_files.h"
#include "tests/support/job_rig.h"
#include "tests/support/job_texts.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

constexpr double kRatio = 0.01;  // mm a step: true-size jobs in few steps

class TrueSizeButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.machine.state().mm_per_step = {0, kRatio, kRatio, kRatio};
        testing::type_job_parameters(rig.panel, testing::JobTexts::drilling());
        rig.panel.standard_pages = {0, 1};
    }
    // The points where the tool was lowest, in mm: along the strokes, or the holes' bottoms.
    std::vector<PointMm> lowest_points() const {
        const std::vector<testing::StepPoint> path = rig.path();
        std::int64_t bottom = 0;
        for (const testing::StepPoint& p : path) {
            bottom = std::min(bottom, p.z);
        }
        std::vector<PointMm> points;
        for (const testing::StepPoint& p : path) {
            if (p.z == bottom) {
                points.push_back({p.x * kRatio, p.y * kRatio});
            }
        }
        return points;
    }

    testing::TempFolder folder;
    testing::JobRig rig;
};

// A circle of 5 mm about (20, 20) at the offset (10, 0): drawn in the standard reading along the
// circle itself, while the classic reading of the same file draws no line at all.
TEST_F(TrueSizeButtonsTest, ThePagesReadingModeChoosesTheJob) {
    rig.use_dxf_file(folder.write(
        "circle.dxf",
        testing::sections_file(testing::pairs({{0, "CIRCLE"}, {10, "20"}, {20, "20"}, {40, "5"}}),
                               {}, 4)));
    rig.panel.texts[Field::OffsetX] = QStringLiteral("10");
    rig.panel.texts[Field::OffsetY] = QStringLiteral("0");
    rig.buttons.run_draw_job();
    const std::vector<PointMm> drawn = lowest_points();
    ASSERT_GT(drawn.size(), 100u);
    for (const PointMm& p : drawn) {
        EXPECT_NEAR(std::hypot(p.x - 30, p.y - 20), 5, 2 * kRatio) << p.x << ", " << p.y;
    }
    EXPECT_TRUE(rig.op.messages.empty());

    rig.clear_writes();
    rig.panel.standard_pages.clear();
    rig.buttons.run_draw_job();
    for (const testing::StepPoint& p : rig.path()) {
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.y, 0);
    }
}

// A board's copper placed by its corner leaves the offset in the window, turned to the file's
// origin; its drill file, drilled next, lands on the copper's pads.
TEST_F(TrueSizeButtonsTest, ACornerPlacementLeavesItsOffsetForTheBoardsNextFile) {
    rig.use_gerber_file(folder.write("copper.gbr",
                                     "%FSLAX26Y26*%\n%MOMM*%\n%ADD10C,1*%\nD10*\n"
                                     "X10000000Y10000000D03*\nX20000000Y15000000D03*\nM02*\n"));
    rig.machine.state().pos_x = 5;
    rig.machine.state().pos_y = 5;
    rig.panel.origin = PlacementOrigin::Corner;
    rig.panel.returns_to_origin = false;
    rig.buttons.run_draw_job();
    EXPECT_EQ(rig.panel.origin, PlacementOrigin::File);
    EXPECT_EQ(rig.panel.texts[Field::OffsetX], QStringLiteral("-4,5"));
    EXPECT_EQ(rig.panel.texts[Field::OffsetY], QStringLiteral("-4,5"));

    rig.use_gerber_file(
        folder.write("holes.drl", "M48\nMETRIC,TZ\nT1C0.8\n%\nT1\nX10.0Y10.0\nX20.0Y15.0\nM30\n"));
    rig.clear_writes();
    const testing::StepPoint start{
        static_cast<std::int64_t>(std::lround(rig.machine.state().pos_x / kRatio)),
        static_cast<std::int64_t>(std::lround(rig.machine.state().pos_y / kRatio)), 0};
    rig.buttons.run_drill_job();
    std::vector<testing::StepPoint> bottoms;
    const std::vector<testing::StepPoint> path = rig.path(start);
    for (std::size_t i = 1; i + 1 < path.size(); ++i) {
        if (path[i].z < path[i - 1].z && path[i].z < path[i + 1].z) {
            bottoms.push_back(path[i]);
        }
    }
    // The pads at (10, 10) and (20, 15) mm, moved by the offset: nearest first from the tool.
    std::sort(bottoms.begin(), bottoms.end(),
              [](const testing::StepPoint& a, const testing::StepPoint& b) { return a.x < b.x; });
    ASSERT_EQ(bottoms.size(), 2u);
    EXPECT_EQ(bottoms[0], (testing::StepPoint{550, 550, bottoms[0].z}));
    EXPECT_EQ(bottoms[1], (testing::StepPoint{1550, 1050, bottoms[1].z}));
}

// Asked once before anything moves, with the extents the placed drawing reaches; the drill's
// question comes only when the job really runs, and an offset that is no number ends it first.
TEST_F(TrueSizeButtonsTest, TheLimitsAreAskedFirstAndABadOffsetStopsTheJob) {
    rig.use_gerber_file(
        folder.write("far.drl", "M48\nMETRIC,TZ\nT1C0.8\n%\nT1\nX150.0Y10.0\nM30\n"));
    rig.op.yes_no_answer = true;
    rig.buttons.run_drill_job();
    std::vector<MessageKind> kinds;
    int drill_questions = 0;
    for (const auto& m : rig.op.messages) {
        kinds.push_back(m.kind);
        drill_questions += m.text.contains(QStringLiteral("Вставьте сверло")) ? 1 : 0;
    }
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.front(), MessageKind::JobBeyondLimits);
    EXPECT_TRUE(rig.op.messages.front().text.contains(QStringLiteral("до 150 мм")))
        << rig.op.messages.front().text.toStdString();
    EXPECT_EQ(drill_questions, 1);

    rig.op.messages.clear();
    rig.clear_writes();
    rig.panel.texts[Field::OffsetX] = QStringLiteral("1 mm");
    EXPECT_THROW(rig.buttons.run_drill_job(), OperationAbandoned);
    EXPECT_TRUE(rig.writes().empty());
    EXPECT_FALSE(rig.machine.busy());
}

}  // namespace
}  // namespace ostrel
