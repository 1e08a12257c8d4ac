// Repaints held back while the machine steps: drawn inside the step waits, or when stepping ends.
#include "gui/screen/screen_updates.h"
#include "gui/screen/wait_painter.h"
#include "tests/gui/window_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <string>
#include <vector>

namespace ostrel::testing {
namespace {

class PaintRecorder final : public QWidget {
public:
    explicit PaintRecorder(std::vector<std::string>& log) : log_(log) { resize(120, 60); }

protected:
    void paintEvent(QPaintEvent*) override { log_.push_back("paint"); }

private:
    std::vector<std::string>& log_;
};

class WaitPainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QApplication::processEvents();
        log.clear();
    }
    // What the message processing between two steps draws of a change.
    void change_between_steps() {
        window.update();
        QApplication::processEvents();
        QApplication::processEvents();
    }

    std::vector<std::string> log;
    PaintRecorder window{log};
    WaitPainter painter;
};

using Log = std::vector<std::string>;

TEST_F(WaitPainterTest, BeforeAnyStepWaitRepaintsGoOnAsUsual) {
    change_between_steps();
    EXPECT_EQ(log, Log{"paint"});
    EXPECT_FALSE(painter.holding());
}

TEST_F(WaitPainterTest, OnceStepsWaitARepaintIsHeldAndDrawnInTheNextLongWaitAfterItsPreparation) {
    painter.set_before_draw(&window, [this] { log.push_back("prepare"); });
    painter.during_wait(0.001);
    change_between_steps();
    EXPECT_EQ(log, Log{});
    EXPECT_TRUE(painter.holding());

    painter.during_wait(0.5);
    EXPECT_EQ(log, (Log{"prepare", "paint"}));
    // Nothing is drawn twice: the change asked for one repaint, and it has been drawn.
    QApplication::processEvents();
    painter.release();
    EXPECT_EQ(log, (Log{"prepare", "paint"}));
}

TEST_F(WaitPainterTest, AWaitTooShortLeavesTheRepaintHeldAndReleaseDrawsItAndEndsHolding) {
    painter.during_wait(0.001);
    change_between_steps();
    painter.during_wait(1e-9);
    EXPECT_EQ(log, Log{});

    painter.release();
    EXPECT_EQ(log, Log{"paint"});
    EXPECT_FALSE(painter.holding());
    change_between_steps();
    EXPECT_EQ(log, (Log{"paint", "paint"}));
}

TEST_F(WaitPainterTest, AWindowCanAskToBeDrawnWithoutARepaintRequestOfItsOwn) {
    painter.set_before_draw(&window, [this] { log.push_back("prepare"); });
    painter.during_wait(0.001);
    painter.hold(&window);
    painter.during_wait(0.5);
    EXPECT_EQ(log.front(), "prepare");
}

// The main window over a machine whose jogs step on the fake clock: the steps offer their waits.
class SteppingWindowTest : public AttachedWindowsTest {
protected:
    void SetUp() override {
        AttachedWindowsTest::SetUp();
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
};

TEST_F(SteppingWindowTest, WhenTheStepsStopTheDisplaysAndTheTrackReachTheScreenOnTheirOwn) {
    control<QSlider>("jogDistanceSlider")->setValue(7);  // 1 mm
    control<QToolButton>("jogXPlusButton")->click();
    WaitPainter& painter = form->window_operator().wait_painter();
    EXPECT_TRUE(painter.holding());

    // No step since the last display tick: the move is over and nothing stays held.
    QTest::qWait(static_cast<int>(3 * kSteppingTick.count()));
    EXPECT_FALSE(painter.holding());
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(), QStringLiteral("1"));
}

TEST_F(SteppingWindowTest, AMessageDuringAMoveIsShownWithTheDisplaysUpToDate) {
    control<QSlider>("jogDistanceSlider")->setValue(7);
    control<QToolButton>("jogXPlusButton")->click();
    ASSERT_TRUE(form->window_operator().wait_painter().holding());
    form->window_operator().show_message(MessageKind::Plain, QStringLiteral("!"));
    EXPECT_FALSE(form->window_operator().wait_painter().holding());
    EXPECT_EQ(control<QLineEdit>("positionXDisplay")->text(), QStringLiteral("1"));
}

}  // namespace
}  // namespace ostrel::testing
