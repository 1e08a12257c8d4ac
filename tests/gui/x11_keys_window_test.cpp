// Keys on a real X server: the server repeats a held key itself, and Qt marks those repeats
// only when it happens to see both halves of one at once.
#include "tests/gui/window_fixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProcess>
#include <functional>

namespace ostrel::testing {
namespace {

// Counts what reaches the program's windows of two keys, repeats included.
class KeyCounter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const bool key_event =
            event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
        // Each event is seen once at its window, before it travels to the widgets.
        if (key_event && watched->isWindowType()) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool press = event->type() == QEvent::KeyPress;
            if (key->key() == Qt::Key_Right) {
                (press ? right_presses : right_releases) += 1;
            } else if (key->key() == Qt::Key_F12 && !press) {
                ++marks;
            }
            if (on_key) {
                on_key();
            }
        }
        return false;
    }
    int right_presses = 0;
    int right_releases = 0;
    int marks = 0;
    std::function<void()> on_key;
};

class X11KeysTest : public MachineWindowTest {
protected:
    void SetUp() override {
        MachineWindowTest::SetUp();
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        qApp->installEventFilter(&keys);
    }
    void TearDown() override {
        qApp->removeEventFilter(&keys);
        MachineWindowTest::TearDown();
    }
    static void xdotool(const QStringList& arguments) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), arguments), 0) << "xdotool";
    }
    // Runs the message loop as the program does, taking each event as soon as it comes, until
    // the key events make done true (false after half a minute without).
    bool run_until(const std::function<bool()>& done) {
        QEventLoop loop;
        keys.on_key = [&] {
            if (done()) {
                loop.quit();
            }
        };
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (!done()) {
            loop.exec();
        }
        keys.on_key = nullptr;
        return done();
    }
    // Lets go of Right, then taps F12: once F12 is back, every event of Right before it is in.
    void let_go_of_right() {
        const int marks = keys.marks;
        xdotool({QStringLiteral("keyup"), QStringLiteral("Right"), QStringLiteral("key"),
                 QStringLiteral("F12")});
        ASSERT_TRUE(run_until([&] { return keys.marks > marks; }));
    }

    KeyCounter keys;
};

TEST_F(X11KeysTest, AnArrowKeyHeldUntilTheServerRepeatsItJogsOnce) {
    show_manual_tab();
    xdotool({QStringLiteral("keydown"), QStringLiteral("Right")});
    // Held until the server has repeated it five times over.
    ASSERT_TRUE(run_until([&] { return keys.right_presses >= 6; }));
    let_go_of_right();
    EXPECT_EQ(motors().position(AXIS_X), 4);  // one jog of 0.01 mm

    xdotool({QStringLiteral("keydown"), QStringLiteral("Right")});
    let_go_of_right();
    EXPECT_EQ(motors().position(AXIS_X), 8);  // let go and pressed again: one more
}

}  // namespace
}  // namespace ostrel::testing
