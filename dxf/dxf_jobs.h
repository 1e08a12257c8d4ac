// The DXF drawing and drilling jobs: LINEs drawn and POINTs drilled, in file order.
#pragma once

#include "motion/machine.h"
#include "motion/mover.h"

namespace ostrel {

class DxfJobs {
public:
    DxfJobs(Machine& machine, Mover& mover) : machine_(machine), mover_(mover) {}

    // The drawing job: every LINE in file order, travelling raised to its start when the tool is
    // farther from it than half a motor step, and drawing lowered to its end. Ends early, between
    // lines, on a stop request.
    void draw_lines();
    // The drilling job: the tool's X-Y position becomes the origin, then one hole at every POINT
    // in file order, a final raise and, when checked, the travel back to the origin.
    void drill_points();

    // The hole depth (mm) the drilling job last read from drillDepthEdit.
    double drill_depth() const { return drill_depth_; }

private:
    Machine& machine_;
    Mover& mover_;
    double drill_depth_ = 0;
};

}  // namespace ostrel
