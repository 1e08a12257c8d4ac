// Driving the machine by hand: the six jog buttons, going to a typed point, keys and pausing.
#pragma once

#include "motion/machine.h"
#include "motion/mover.h"
#include "motion/step_engine.h"

#include <Qt>

namespace ostrel {

class ManualControl {
public:
    ManualControl(Machine& machine, StepEngine& engine, Mover& mover)
        : machine_(machine), engine_(engine), mover_(mover) {}

    void jog_x_minus() { jog(AXIS_X, -1); }
    void jog_x_plus() { jog(AXIS_X, +1); }
    void jog_y_plus() { jog(AXIS_Y, +1); }
    void jog_y_minus() { jog(AXIS_Y, -1); }
    // Z up is backward motor steps: the tool rises.
    void jog_z_up() { jog(AXIS_Z, -1); }
    void jog_z_down() { jog(AXIS_Z, +1); }

    // "Перейти в точку": goToXEdit..11 read first, then Z, then X and Y together.
    // Jogs and go-to-point are refused with the busy message while a question about a running
    // move is open; otherwise one started during another move runs inside it.
    void go_to_point();

    // One press of an arrow key jogs X or Y, Page Up / Page Down jog Z. False for other keys.
    bool key_jog(Qt::Key key);
    // Esc or Pause while the machine moves: asks whether to go on; anything but "ДА" stops the
    // move and whatever it runs inside (the outer move, the job).
    void pause_requested();

private:
    void jog(Axis axis, int sign);
    void end_stop_request();

    Machine& machine_;
    StepEngine& engine_;
    Mover& mover_;
};

}  // namespace ostrel
