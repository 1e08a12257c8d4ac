// Jogs, go-to-point, keyboard jogging and the pause question.
#include "motion/manual_control.h"

#include "core/number_text.h"

namespace ostrel {

void ManualControl::jog(Axis axis, int sign) {
    const double speed = machine_.selected_jog_speed();
    const std::int32_t count = machine_.jog_steps(axis);
    engine_.step_axis(axis, sign * count, speed);
    // A stop asked for during this jog ends here and does not outlive it.
    machine_.state().stop_requested = false;
}

void ManualControl::go_to_point() {
    const double x = read_number(dot_to_comma(machine_.panel().field_text(Field::GoToX)));
    const double y = read_number(dot_to_comma(machine_.panel().field_text(Field::GoToY)));
    const double z = read_number(dot_to_comma(machine_.panel().field_text(Field::GoToZ)));
    const double speed = machine_.selected_jog_speed();
    mover_.move_z_to(z, speed);
    const MachineState& s = machine_.state();
    if (s.pos_x != x || s.pos_y != y) {
        mover_.move_to_xy(x, y, speed);
    }
    machine_.state().stop_requested = false;
}

bool ManualControl::key_jog(Qt::Key key) {
    switch (key) {
        case Qt::Key_Left:
            jog_x_minus();
            return true;
        case Qt::Key_Right:
            jog_x_plus();
            return true;
        case Qt::Key_Up:
            jog_y_plus();
            return true;
        case Qt::Key_Down:
            jog_y_minus();
            return true;
        case Qt::Key_PageUp:
            jog_z_up();
            return true;
        case Qt::Key_PageDown:
            jog_z_down();
            return true;
        default:
            return false;
    }
}

void ManualControl::pause_requested() {
    // A second Esc while the question is open must not stack another question.
    if (!machine_.busy() || asking_) {
        return;
    }
    asking_ = true;
    const bool go_on = machine_.op().ask_continue();
    asking_ = false;
    if (!go_on) {
        machine_.state().stop_requested = true;
    }
}

}  // namespace ostrel
