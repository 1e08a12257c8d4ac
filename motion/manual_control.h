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

    void B_leftClick() { jog(AXIS_X, -1); }
    void B_rightClick() { jog(AXIS_X, +1); }
    void B_upClick() { jog(AXIS_Y, +1); }
    void B_downClick() { jog(AXIS_Y, -1); }
    // Z up is backward motor steps: the tool rises.
    void B_z_upClick() { jog(AXIS_Z, -1); }
    void B_z_downClick() { jog(AXIS_Z, +1); }

    // "Перейти в точку": Edit9..11 read first, then Z, then X and Y together.
    void BitBtn1Click();

    // One press of an arrow key jogs X or Y, Page Up / Page Down jog Z. False for other keys.
    bool key_jog(Qt::Key key);
    // Esc or Pause while the machine moves: asks whether to go on; anything but "ДА" stops.
    void pause_requested();

private:
    void jog(Axis axis, int sign);

    Machine& machine_;
    StepEngine& engine_;
    Mover& mover_;
    bool asking_ = false;
};

}  // namespace ostrel
