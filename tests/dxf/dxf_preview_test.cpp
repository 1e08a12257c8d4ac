// The DXF preview: mapping, origin cross, automatic zoom, travel lines and refusals.
#include "dxf/dxf_preview.h"
#include "core/operation_abandoned.h"
#include "tests/dxf/dxf_test_files.h"
#include "tests/support/recording_operator.h"
#include "tests/support/recording_picture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>
#include <vector>

namespace ostrel {
namespace {

using testing::dxf_file;
using testing::FakePanel;
using testing::line_entity;
using testing::RecordingOperator;

// The file-view picture at the window's design size, recording what is drawn on it.
const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);
constexpr int kDesignOuterHeight = 347;  // baseline 297

class DxfPreviewTest : public ::testing::Test {
protected:
    DxfPreviewTest() : machine(op, panel, track) {
        panel.page = 0;
        panel.zoom = 1;
    }

    void use_file(const QByteArray& body) {
        panel.texts[Field::DxfFile] = folder.write("p.dxf", dxf_file(body));
    }
    void render() {
        preview.render_dxf_preview(picture, kDesignOuterHeight, [&] { ++shown; });
    }

    testing::TempFolder folder;
    RecordingOperator op;
    FakePanel panel;
    ImagePicture track{QSize(585, 457)};
    Machine machine;
    DxfPreview preview{machine};
    testing::RecordingPicture picture;
    int shown = 0;
};

TEST_F(DxfPreviewTest, ZoomOneDrawsTheLineAndTheCrossOnTheBaseline) {
    use_file(line_entity("0", "0", "100", "50"));
    render();
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(preview.baseline_y(), 297);
    ASSERT_EQ(picture.fills.size(), 1u);
    EXPECT_EQ(picture.fills[0], QColor(255, 255, 255));
    EXPECT_EQ(picture.segments, (std::vector<testing::RecordingPicture::Segment>{
                                    {{-10, 297}, {10, 297}, kBlue, 1},
                                    {{0, 307}, {0, 287}, kBlue, 1},
                                    {{0, 297}, {100, 247}, kBlack, 1},
                                }));
}

TEST_F(DxfPreviewTest, ThePixelsShowTheLineOverTheCross) {
    use_file(line_entity("0", "0", "100", "50"));
    ImagePicture image(QSize(387, 320), Qt::green);
    preview.render_dxf_preview(image, kDesignOuterHeight);
    const QImage& px = image.image();
    EXPECT_EQ(px.pixelColor(100, 247), kBlack);
    EXPECT_EQ(px.pixelColor(50, 272), kBlack);
    EXPECT_EQ(px.pixelColor(5, 297), kBlue);
    EXPECT_EQ(px.pixelColor(0, 305), kBlue);
    EXPECT_EQ(px.pixelColor(0, 309), QColor(255, 255, 255));
    EXPECT_EQ(px.pixelColor(300, 10), QColor(255, 255, 255));
}

TEST_F(DxfPreviewTest, AutoZoomFitsTheBoxWithItsMarginAndShiftsTheDrawing) {
    use_file(line_entity("0", "0", "100", "50"));
    panel.autozoom = true;
    panel.zoom = 150;  // ignored with "Auto"
    render();
    EXPECT_EQ(preview.preview_zoom(), 3);
    EXPECT_EQ(preview.preview_offset_x(), 3);
    EXPECT_EQ(preview.preview_offset_y(), -3);
    ASSERT_EQ(picture.segments.size(), 3u);
    EXPECT_EQ(picture.segments[2],
              (testing::RecordingPicture::Segment{{3, 294}, {303, 144}, kBlack, 1}));
    // The cross is centred on the origin's place: 30 pixels each way at zoom 3.
    EXPECT_EQ(picture.segments[0],
              (testing::RecordingPicture::Segment{{-27, 294}, {33, 294}, kBlue, 1}));
}

TEST_F(DxfPreviewTest, AutoZoomFollowsThePictureAndGivesZeroForADrawingTooLarge) {
    use_file(line_entity("0", "0", "100", "50"));
    picture.resize(QSize(774, 640));
    EXPECT_EQ(preview.dxf_auto_zoom(picture), 6);
    picture.resize(QSize(387, 320));
    use_file(line_entity("-0.9", "-1.9", "378.9", "0"));  // span 378 - (-1) + 10 = 389
    EXPECT_EQ(preview.dxf_auto_zoom(picture), 0);
    EXPECT_EQ(preview.preview_offset_x(), 1);
    EXPECT_EQ(preview.preview_offset_y(), -1);
}

TEST_F(DxfPreviewTest, CoordinatesAreCutTowardZeroOnBothSides) {
    use_file(line_entity("0.7", "0.7", "-0.7", "-0.7"));
    panel.zoom = 3;
    render();
    ASSERT_EQ(picture.segments.size(), 3u);
    EXPECT_EQ(picture.segments[2],
              (testing::RecordingPicture::Segment{{2, 295}, {-2, 299}, kBlack, 1}));
}

TEST_F(DxfPreviewTest, TravelLinesStartAtTheLeftEdgeOnTheOriginsRow) {
    use_file(line_entity("10", "10", "20", "10") + line_entity("30", "0", "30", "5"));
    panel.idle_moves_checked = true;
    panel.autozoom = true;  // zoom 9 here: box -1..30 by -1..10, spans 41 and 21
    render();
    ASSERT_EQ(preview.preview_zoom(), 9);
    const int ox = 9;
    const int origin_row = 297 - 9;  // the origin lies at column ox, row 288
    ASSERT_EQ(picture.segments.size(), 6u);
    EXPECT_EQ(picture.segments[2], (testing::RecordingPicture::Segment{
                                       {0, origin_row}, {90 + ox, origin_row - 90}, kRed, 1}));
    EXPECT_EQ(picture.segments[3].color, kBlack);
    // The next travel starts where the line before it ended.
    EXPECT_EQ(picture.segments[4],
              (testing::RecordingPicture::Segment{
                  {180 + ox, origin_row - 90}, {270 + ox, origin_row}, kRed, 1}));
    EXPECT_EQ(picture.segments[5].color, kBlack);
}

TEST_F(DxfPreviewTest, ZoomZeroCollapsesEverythingOntoOnePixel) {
    use_file(line_entity("0", "0", "100", "50") + line_entity("-40", "7", "3", "-90"));
    panel.zoom = 0;
    panel.idle_moves_checked = true;
    render();
    ASSERT_EQ(picture.segments.size(), 6u);
    for (const auto& segment : picture.segments) {
        EXPECT_EQ(segment.from, QPoint(0, 297));
        EXPECT_EQ(segment.to, QPoint(0, 297));
    }
}

TEST_F(DxfPreviewTest, FarPointsAreCutToTheFrameWithoutLosingTheVisiblePart) {
    // 900 km out at zoom 150 would not fit the painter's integers.
    use_file(line_entity("-900000000", "10", "900000000", "10"));
    panel.zoom = 150;
    render();
    ASSERT_EQ(picture.segments.size(), 3u);
    const auto& line = picture.segments[2];
    EXPECT_EQ(line.from.y(), 297 - 1500);
    EXPECT_EQ(line.to.y(), 297 - 1500);
    EXPECT_LT(line.from.x(), 0);
    EXPECT_GT(line.to.x(), 387);
}

TEST_F(DxfPreviewTest, AMissingFileIsToldAndNothingIsShownOrDrawn) {
    panel.texts[Field::DxfFile] = folder.path("none.dxf");
    render();
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(picture.fills.empty());
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].text, QStringLiteral("такого файла не существует"));
    EXPECT_EQ(op.focused, std::vector<Field>{Field::DxfFile});
}

TEST_F(DxfPreviewTest, ABadValueStopsTheRenderingWithTheLinesSoFarKept) {
    use_file(line_entity("0", "0", "5", "5") + line_entity("1", "x", "2", "2"));
    EXPECT_THROW(render(), OperationAbandoned);
    ASSERT_EQ(picture.segments.size(), 3u);
    EXPECT_EQ(picture.segments[2].to, QPoint(5, 292));

    // In the box pass of "Auto" the window is shown but nothing is cleared or drawn.
    testing::RecordingPicture fresh;
    panel.autozoom = true;
    shown = 0;
    EXPECT_THROW(preview.render_dxf_preview(fresh, kDesignOuterHeight, [&] { ++shown; }),
                 OperationAbandoned);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(fresh.fills.empty());
    EXPECT_TRUE(fresh.segments.empty());
}

TEST_F(DxfPreviewTest, WhileAJobRunsThePreviewIsRefused) {
    use_file(line_entity("0", "0", "100", "50"));
    Machine::JobScope job(machine);
    render();
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(picture.fills.empty());
    ASSERT_EQ(op.messages.size(), 1u);
    EXPECT_EQ(op.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(op.messages[0].text, Machine::busy_message());
}

}  // namespace
}  // namespace ostrel
