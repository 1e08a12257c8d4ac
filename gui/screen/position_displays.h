// The three position displays and the progress gauge, kept up with a machine that steps.
#pragma once

#include "gui/screen/wait_painter.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>

namespace ostrel {

// The displays change at every step; the screen follows at most once per kRepaintInterval, and
// while the machine steps only inside its waits (see screen_updates.h).
class PositionDisplays {
public:
    // window holds the displays and the gauge; its repaints go through painter.
    PositionDisplays(QWidget& window, std::array<QLineEdit*, 3> displays, QProgressBar& gauge,
                     WaitPainter& painter);

    void set_gauge(int percent);
    // The position in the fixed-point display form, formatted only when drawn.
    void show_position(double x, double y, double z);
    // The displays showing exactly these texts (coordinates as the operator typed them).
    void show_position_texts(const QString& x, const QString& y, const QString& z);
    // A step's wait begins.
    void during_wait(double seconds);

    // Draws every repaint held back during a move now, and goes back to drawing at once.
    void release_held();
    // Brings the latest position and gauge, and every held repaint, to the screen now.
    void flush();

private:
    void changed();
    void timer_fired();
    void push();

    QWidget& window_;
    std::array<QLineEdit*, 3> displays_;
    QProgressBar& gauge_widget_;
    WaitPainter& painter_;
    // What the displays are to show next: numbers in the display form, or texts as typed.
    std::array<double, 3> values_{};
    std::array<QString, 3> texts_;
    bool typed_ = false;
    int gauge_ = 0;
    bool pending_ = false;
    // Set by each step wait, cleared by each tick: a tick without a wait since the last one means
    // the machine stopped stepping, and held repaints go to the screen.
    bool waited_since_tick_ = false;
    QTimer timer_;
};

}  // namespace ostrel
