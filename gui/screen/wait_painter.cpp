// WaitPainter: the update requests of the program's windows, drawn inside the step waits.
#include "gui/screen/wait_painter.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <utility>

namespace ostrel {

WaitPainter::WaitPainter() {
    clock_.start();
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
    }
}

WaitPainter::~WaitPainter() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
}

void WaitPainter::during_wait(double seconds) {
    holding_ = true;
    if (!schedule_.any_held()) {
        return;
    }
    // No repaint takes a second: a longer wait need not be counted exactly.
    const auto wait_ns = static_cast<std::int64_t>(std::min(seconds, 1.0) * 1e9);
    schedule_.spend_wait(
        wait_ns, [this] { return now_ns(); }, [this](std::size_t index) { draw(index); });
}

void WaitPainter::release() {
    holding_ = false;
    schedule_.draw_all([this] { return now_ns(); }, [this](std::size_t index) { draw(index); });
}

void WaitPainter::hold(QWidget* window) {
    schedule_.hold(window_index(window), now_ns());
}

void WaitPainter::set_before_draw(QWidget* window, std::function<void()> prepare) {
    windows_[window_index(window)].prepare = std::move(prepare);
}

std::size_t WaitPainter::window_index(QWidget* window) {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i].widget == window) {
            return i;
        }
    }
    // A closed window's place is taken again rather than kept for ever.
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (!windows_[i].widget && !schedule_.held(i)) {
            windows_[i] = Window{window, {}};
            return i;
        }
    }
    windows_.push_back(Window{window, {}});
    return schedule_.add_window();
}

void WaitPainter::draw(std::size_t index) {
    // Copied: preparing may make another window ask, and the list grow.
    const QPointer<QWidget> widget = windows_[index].widget;
    const std::function<void()> prepare = windows_[index].prepare;
    if (!widget) {
        return;
    }
    ++draws_;
    drawing_ = true;
    if (prepare) {
        prepare();
    }
    // The request the window posted may still be queued: drawn now, it must not hold the window
    // again for a futile repaint whose small cost would lower the window's estimate.
    QCoreApplication::removePostedEvents(widget, QEvent::UpdateRequest);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(widget, &request);
    drawing_ = false;
}

bool WaitPainter::eventFilter(QObject* watched, QEvent* event) {
    if (!holding_ || drawing_ || event->type() != QEvent::UpdateRequest ||
        !watched->isWidgetType()) {
        return false;
    }
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow()) {
        return false;
    }
    schedule_.hold(window_index(widget), now_ns());
    return true;
}

void prefer_socket_repaints() {
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
}

}  // namespace ostrel
