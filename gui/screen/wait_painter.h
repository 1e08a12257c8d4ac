// Holds the windows' repaints back while the machine steps and draws them inside the step waits.
#pragma once

#include "gui/screen/paint_schedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

namespace ostrel {

// A repaint between two steps delays the next step by its whole cost (hundreds of microseconds
// for a changed display on a software-rendered screen), while the busy-wait before each step
// spins idle. Once the first wait is offered this filter holds back every window's update
// request, and each later wait draws the held ones that fit in it (see PaintSchedule). Drawing
// goes back to normal, held repaints first, when release() is called.
class WaitPainter final : public QObject {
public:
    WaitPainter();
    ~WaitPainter() override;
    WaitPainter(const WaitPainter&) = delete;
    WaitPainter& operator=(const WaitPainter&) = delete;

    // A step's wait of this many seconds begins; from now on repaints are held.
    void during_wait(double seconds);
    bool holding() const { return holding_; }
    // Holds a repaint of window as if it had asked for one.
    void hold(QWidget* window);
    // Runs prepare right before each held repaint of window is drawn: the window sets the texts
    // it shows there, so that setting them costs no time between two steps either.
    void set_before_draw(QWidget* window, std::function<void()> prepare);
    // Draws every held repaint now and stops holding them.
    void release();
    // Held repaints drawn so far, in waits or on release.
    std::int64_t draws() const { return draws_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::size_t window_index(QWidget* window);
    void draw(std::size_t index);
    std::int64_t now_ns() const { return clock_.nsecsElapsed(); }

    struct Window {
        QPointer<QWidget> widget;
        std::function<void()> prepare;
    };

    PaintSchedule schedule_;
    std::vector<Window> windows_;
    QElapsedTimer clock_;
    bool holding_ = false;
    bool drawing_ = false;
    std::int64_t draws_ = 0;
};

// To be called before the QApplication is made. On X11 the windows' repaints then reach the
// server through its socket rather than through shared memory: shared memory costs a round trip
// for every repaint's completion, dearer than copying the few small regions a move changes (on
// Xvfb a position display's repaint took 160 µs against 280, the track's changes 30 against 180).
// A QT_XCB_NO_MITSHM the operator has set is left as it is.
void prefer_socket_repaints();

}  // namespace ostrel
