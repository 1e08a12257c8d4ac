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
    TF_stop dialog;
};

TEST_F(StopDialogTest, LooksAsDesigned) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("F_stop"));
    EXPECT_EQ(dialog.pos(), QPoint(348, 212));
    EXPECT_TRUE(dialog.isHidden());
    auto* question = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(question->text(), QStringLiteral("Продолжить?"));
    EXPECT_EQ(question->font().pixelSize(), 18);
    EXPECT_EQ(question->font().family(), QStringLiteral("Arial"));
    ASSERT_TRUE(button("Button1") && button("Button2"));
    EXPECT_EQ(button("Button1")->text(), QStringLiteral("ДА"));
    EXPECT_EQ(button("Button2")->text(), QStringLiteral("НЕТ"));
    EXPECT_LT(button("Button1")->x(), button("Button2")->x());
    auto* answer = dialog.findChild<QLabel*>(QStringLiteral("L_stop"));
    ASSERT_NE(answer, nullptr);
    EXPECT_TRUE(answer->isHidden());
    EXPECT_EQ(dialog.answer(), QString());
}

TEST_F(StopDialogTest, AnswersAreRecordedAndHideTheDialog) {
    show();
    QTest::mouseClick(button("Button1"), Qt::LeftButton);
    EXPECT_EQ(dialog.answer(), QStringLiteral("yes"));
    EXPECT_TRUE(dialog.isHidden());

    show();
    EXPECT_EQ(dialog.answer(), QStringLiteral("yes")) << "kept while asked again";
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    EXPECT_EQ(dialog.answer(), QStringLiteral("no"));
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("L_stop"))->isVisible());
}

TEST_F(StopDialogTest, CloseBoxHidesWithoutAnswering) {
    show();
    dialog.close();
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(dialog.answer(), QString());

    show();
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    show();
    dialog.close();
    EXPECT_EQ(dialog.answer(), QStringLiteral("no"));
    EXPECT_FALSE(dialog.testAttribute(Qt::WA_DeleteOnClose));
}

TEST(FileViewWindowTest, PictureFillsTheClientAreaAndFollowsResizing) {
    TForm2 form2;
    EXPECT_EQ(form2.windowTitle(), QStringLiteral("Просмотр файла"));
    EXPECT_EQ(form2.pos(), QPoint(387, 224));
    EXPECT_EQ(form2.size(), QSize(387, 320));
    EXPECT_EQ(form2.picture().size(), QSize(387, 320));
    EXPECT_TRUE(form2.isHidden());

    form2.picture().set_pen(Qt::black, 1);
    form2.picture().move_to(QPoint(10, 10));
    form2.picture().line_to(QPoint(50, 10));
    form2.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form2));
    form2.resize(520, 410);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form2.picture().size() == QSize(520, 410); }, 2000));
    EXPECT_EQ(form2.picture_view().geometry(), form2.rect());
    EXPECT_EQ(form2.picture().image().pixelColor(30, 10), QColor(Qt::black)) << "drawing kept";

    form2.resize(200, 150);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form2.picture().size() == QSize(200, 150); }, 2000));
}

TEST(TrackWindowTest, ShowsTheTrackAndRepaintsAtMostOncePerTick) {
    ImagePicture track(QSize(585, 457));
    TForm3 form3(track);
    EXPECT_EQ(form3.windowTitle(), QStringLiteral("Virt_cut"));
    EXPECT_EQ(form3.pos(), QPoint(149, 251));
    EXPECT_EQ(form3.picture_view().geometry(), QRect(4, 4, 585, 457));
    EXPECT_TRUE(form3.rect().contains(form3.picture_view().geometry()));
    EXPECT_FALSE(form3.testAttribute(Qt::WA_QuitOnClose));
    form3.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form3));

    // A move draws a line per step; the screen hears of it once, then once per tick at most.
    const int before = form3.picture_view().repaint_requests();
    track.set_pen(QColor(255, 0, 0), 2);
    track.move_to(QPoint(0, 457));
    for (int step = 1; step <= 1000; ++step) {
        track.line_to(QPoint(step % 500, 457 - step % 400));
    }
    EXPECT_EQ(form3.picture_view().repaint_requests(), before + 1);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form3.picture_view().repaint_requests() == before + 2; }, 2000));

    // What the window shows is the picture.
    track.set_pen(QColor(0, 0, 255), 2);
    track.move_to(QPoint(100, 100));
    track.line_to(QPoint(200, 100));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return form3.picture_view().grab().toImage().pixelColor(150, 100) == QColor(0, 0, 255);
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
