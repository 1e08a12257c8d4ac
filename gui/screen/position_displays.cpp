// PositionDisplays: texts set only when the window is really drawn, never between two steps.
#include "gui/screen/position_displays.h"

#include "core/number_text.h"
#include "gui/screen/screen_updates.h"

namespace ostrel {

PositionDisplays::PositionDisplays(QWidget& window, std::array<QLineEdit*, 3> displays,
                                   QProgressBar& gauge, WaitPainter& painter)
    : window_(window),
      displays_(displays),
      gauge_widget_(gauge),
      painter_(painter),
      texts_{displays[0]->text(), displays[1]->text(), displays[2]->text()} {
    timer_.setInterval(kRepaintInterval);
    QObject::connect(&timer_, &QTimer::timeout, [this] { timer_fired(); });
    painter_.set_before_draw(&window_, [this] {
        if (pending_) {
            push();
        }
    });
}

// A change after a quiet spell shows at once.
void PositionDisplays::set_gauge(int percent) {
    if (percent == gauge_) {
        return;
    }
    gauge_ = percent;
    changed();
}

void PositionDisplays::show_position(double x, double y, double z) {
    values_ = {x, y, z};
    typed_ = false;
    changed();
}

void PositionDisplays::show_position_texts(const QString& x, const QString& y, const QString& z) {
    texts_ = {x, y, z};
    typed_ = true;
    changed();
}

void PositionDisplays::changed() {
    if (painter_.holding()) {
        // The texts are set when a step wait draws the window.
        pending_ = true;
        painter_.hold(&window_);
        return;
    }
    if (timer_.isActive()) {
        pending_ = true;  // the timer brings the latest state to the screen
        return;
    }
    push();
    timer_.start();
}

void PositionDisplays::during_wait(double seconds) {
    waited_since_tick_ = true;
    if (!painter_.holding() || !timer_.isActive()) {
        timer_.start(kSteppingTick);
    }
    painter_.during_wait(seconds);
}

void PositionDisplays::timer_fired() {
    if (painter_.holding()) {
        if (waited_since_tick_) {
            waited_since_tick_ = false;  // still stepping: the waits draw
            return;
        }
        release_held();
    }
    if (!pending_) {
        timer_.stop();
        return;
    }
    push();
}

void PositionDisplays::push() {
    pending_ = false;
    if (!typed_) {
        texts_ = {show_fixed4(values_[0]), show_fixed4(values_[1]), show_fixed4(values_[2])};
    }
    // Setting a line edit's text lays it out and repaints it anew; during a move most displays
    // keep theirs.
    for (std::size_t i = 0; i < displays_.size(); ++i) {
        if (displays_[i]->text() != texts_[i]) {
            displays_[i]->setText(texts_[i]);
        }
    }
    gauge_widget_.setValue(gauge_);
}

void PositionDisplays::release_held() {
    if (painter_.holding()) {
        painter_.release();
        timer_.setInterval(kRepaintInterval);
    }
}

void PositionDisplays::flush() {
    release_held();
    if (pending_) {
        push();
    }
}

}  // namespace ostrel
