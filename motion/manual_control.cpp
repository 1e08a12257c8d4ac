// Jogs, go-to-point, keyboard jogging and the pause question.
#include "motion/manual_control.h"

#include "core/number_text.h"

namespace ostrel {

void ManualControl::jog(Axis axis, int sign) {
    const double speed = machine_.speed_ru();
    const std::int32_t count = machine_.mmtostep(axis);
    engine_.lpt_out(axis, sign * count, speed);
    // A stop asked for during this jog ends here and does not outlive it.
    machine_.state().stop_requested = false;
}

void ManualControl::BitBtn1Click() {
    const double x = read_number(dot_to_comma(machine_.panel().field_text(Field::Edit9)));
    const double y = read_number(dot_to_comma(machine_.panel().field_text(Field::Edit10)));
    const double z = read_number(dot_to_comma(machine_.panel().field_text(Field::Edit11)));
    const double speed = machine_.speed_ru();
    mover_.down_up(z, speed);
    const MachineState& s = machine_.state();
    if (s.pos_x != x || s.pos_y != y) {
        mover_.move_to_xy(x, y, speed);
    }
    machine_.state().stop_requested = false;
}

bool ManualControl::key_jog(Qt::Key key) {
    switch (key) {
        case Qt::Key_Left:
            B_leftClick();
            return true;
        case Qt::Key_Right:
            B_rightClick();
            return true;
        case Qt::Key_Up:
            B_upClick();
            return true;
        case Qt::Key_Down:
            B_downClick();
            return true;
        case Qt::Key_PageUp:
            B_z_upClick();
            return true;
        case Qt::Key_PageDown:
            B_z_downClick();
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
