// The continue/stop question, the file-view window and the track window.
#include "gui/file_view_window.h"
#include "gui/screen/picture_view.h"
#include "gui/stop_dialog.h"
#include "gui/track_window.h"
#include "gui/window_operator.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace ostrel {
namespace {

class StopDialogTest : public ::testing::Test {
protected:
    void show() {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    QPushButton* button(const char* name) {
        return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    }
    StopDialog dialog;
};

TEST_F(StopDialogTest, LooksAsDesigned) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("F_stop"));
    EXPECT_EQ(dialog.pos(), QPoint(348, 212));
    EXPECT_TRUE(dialog.isHidden());
    auto* question = dialog.findChild<QLabel*>(QStringLiteral("questionLabel"));
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text(), QStringLiteral("Продолжить?"));
    EXPECT_EQ(question->font().pixelSize(), 18);
    EXPECT_EQ(question->font().family(), QStringLiteral("Arial"));
    ASSERT_TRUE(button("yesButton") && button("noButton"));
    EXPECT_EQ(button("yesButton")->text(), QStringLiteral("ДА"));
    EXPECT_EQ(button("noButton")->text(), QStringLiteral("НЕТ"));
    EXPECT_LT(button("yesButton")->x(), button("noButton")->x());
    auto* answer = dialog.findChild<QLabel*>(QStringLiteral("answerLabel"));
    ASSERT_NE(answer, nullptr);
    EXPECT_TRUE(answer->isHidden());
    EXPECT_EQ(dialog.answer(), QString());
}

TEST_F(StopDialogTest, AnswersAreRecordedAndHideTheDialog) {
    show();
    QTest::mouseClick(button("yesButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.answer(), QStringLiteral("yes"));
    EXPECT_TRUE(dialog.isHidden());

    show();
    EXPECT_EQ(dialog.answer(), QStringLiteral("yes")) << "kept while asked again";
    QTest::mouseClick(button("noButton"), Qt::LeftButton);
    EXPECT_EQ(dialog.answer(), QStringLiteral("no"));
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("answerLabel"))->isVisible());
}

TEST_F(StopDialogTest, CloseBoxHidesWithoutAnswering) {
    show();
    dialog.close();
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(dialog.answer(), QString());

    show();
    QTest::mouseClick(button("noButton"), Qt::LeftButton);
    show();
    dialog.close();
    EXPECT_EQ(dialog.answer(), QStringLiteral("no"));
    EXPECT_FALSE(dialog.testAttribute(Qt::WA_DeleteOnClose));
}

TEST(FileViewWindowTest, PictureFillsTheClientAreaAndFollowsResizing) {
    FileViewWindow file_view_window;
    EXPECT_EQ(file_view_window.windowTitle(), QStringLiteral("Просмотр файла"));
    EXPECT_EQ(file_view_window.pos(), QPoint(387, 224));
    EXPECT_EQ(file_view_window.size(), QSize(387, 320));
    EXPECT_EQ(file_view_window.picture().size(), QSize(387, 320));
    EXPECT_TRUE(file_view_window.isHidden());

    file_view_window.picture().set_pen(Qt::black, 1);
    file_view_window.picture().move_to(QPoint(10, 10));
    file_view_window.picture().line_to(QPoint(50, 10));
    file_view_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&file_view_window));
    file_view_window.resize(520, 410);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return file_view_window.picture().size() == QSize(520, 410); }, 2000));
    EXPECT_EQ(file_view_window.picture_view().geometry(), file_view_window.rect());
    EXPECT_EQ(file_view_window.picture().image().pixelColor(30, 10), QColor(Qt::black))
        << "drawing kept";

    file_view_window.resize(200, 150);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return file_view_window.picture().size() == QSize(200, 150); }, 2000));
}

TEST(TrackWindowTest, ShowsTheTrackAndRepaintsAtMostOncePerTick) {
    ImagePicture track(QSize(585, 457));
    TrackWindow track_window(track);
    EXPECT_EQ(track_window.windowTitle(), QStringLiteral("Virt_cut"));
    EXPECT_EQ(track_window.pos(), QPoint(149, 251));
    EXPECT_EQ(track_window.picture_view().geometry(), QRect(4, 4, 585, 457));
    EXPECT_TRUE(track_window.rect().contains(track_window.picture_view().geometry()));
    EXPECT_FALSE(track_window.testAttribute(Qt::WA_QuitOnClose));
    track_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&track_window));

    // A move draws a line per step; the screen hears of it once, then once per tick at most.
    const int before = track_window.picture_view().repaint_requests();
    track.set_pen(QColor(255, 0, 0), 2);
    track.move_to(QPoint(0, 457));
    for (int step = 1; step <= 1000; ++step) {
        track.line_to(QPoint(step % 500, 457 - step % 400));
    }
    EXPECT_EQ(track_window.picture_view().repaint_requests(), before + 1);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return track_window.picture_view().repaint_requests() == before + 2; }, 2000));

    // What the window shows is the picture.
    track.set_pen(QColor(0, 0, 255), 2);
    track.move_to(QPoint(100, 100));
    track.line_to(QPoint(200, 100));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return track_window.picture_view().grab().toImage().pixelColor(150, 100) ==
                   QColor(0, 0, 255);
        },
        2000));
}

// The start-up asks for the end before the message loop runs; the loop must then end at once.
TEST(QtDesktopTest, EndRequestedBeforeTheLoopEndsItWithTheStatus) {
    QtDesktop desktop;
    desktop.end_program(1);
    EXPECT_EQ(QApplication::exec(), 1);
}

}  // namespace
}  // namespace ostrel
