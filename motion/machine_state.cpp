// Machine parameters' defaults and their transfer into the machine state.
#include "motion/machine_state.h"

namespace ostrel {

MachineParameters MachineParameters::defaults() {
    MachineParameters p;
    for (int axis = AXIS_X; axis <= AXIS_Z; ++axis) {
        p.mm_per_step[axis] = 0.0025;
        p.travel_limit[axis] = 100;
        p.backlash[axis] = 0;
    }
    return p;
}

void MachineState::apply(const MachineParameters& parameters) {
    mm_per_step = parameters.mm_per_step;
    travel_limit = parameters.travel_limit;
    backlash = parameters.backlash;
}

MachineParameters MachineState::parameters() const {
    MachineParameters p;
    p.mm_per_step = mm_per_step;
    p.travel_limit = travel_limit;
    p.backlash = backlash;
    return p;
}

double& MachineState::position(Axis axis) {
    switch (axis) {
        case AXIS_X:
            return pos_x;
        case AXIS_Y:
            return pos_y;
        case AXIS_Z:
        default:
            return pos_z;
    }
}

}  // namespace ostrel
