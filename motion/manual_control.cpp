// Jogs, go-to-point, keyboard jogging and the pause question.
#include "motion/manual_control.h"

#include "core/number_text.h"

namespace ostrel {

void ManualControl::jog(Axis axis, int sign) {
    if (machine_.refuse_while_asking()) {
        return;
    }
    const double speed = machine_.selected_jog_speed();
    const std::int32_t count = machine_.jog_steps(axis);
    {
        Machine::ManualScope running(machine_);
        engine_.step_axis(axis, sign * count, speed);
    }
    end_stop_request();
}

void ManualControl::go_to_point() {
    if (machine_.refuse_while_asking()) {
        return;
    }
    const double x = read_number(dot_to_comma(machine_.panel().field_text(Field::GoToX)));
    const double y = read_number(dot_to_comma(machine_.panel().field_text(Field::GoToY)));
    const double z = read_number(dot_to_comma(machine_.panel().field_text(Field::GoToZ)));
    const double speed = machine_.selected_jog_speed();
    {
        Machine::ManualScope running(machine_);
        mover_.move_z_to(z, speed);
        const MachineState& s = machine_.state();
        if (s.pos_x != x || s.pos_y != y) {
            mover_.move_to_xy(x, y, speed);
        }
    }
    end_stop_request();
}

void ManualControl::end_stop_request() {
    // A stop asked for during this move ends here and does not outlive it. A move made inside
    // another one or inside a job leaves it to them: the stop ends them as well.
    if (!machine_.busy()) {
        machine_.end_stop_request();
    }
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
    // A second Esc while a question is open must not stack another question.
    if (!machine_.busy() || machine_.asking()) {
        return;
    }
    Machine::QuestionScope asking(machine_);
    if (!machine_.op().ask_continue()) {
        machine_.state().stop_requested = true;
    }
}

}  // namespace ostrel
