// A pass that works out where a job would take the tool, without a step and without a word.
#pragma once

#include "motion/machine.h"
#include "motion/mover.h"

namespace ostrel {

// While it lasts, the mover's moves go straight to their targets without stepping and widen
// extents(), and the operator hears nothing: a job's own messages come when it really runs.
// Afterwards the machine state (position, job parameters, stop request) is as it was.
class DryRun {
public:
    DryRun(Machine& machine, Mover& mover);
    ~DryRun();
    DryRun(const DryRun&) = delete;
    DryRun& operator=(const DryRun&) = delete;

    const PathExtents& extents() const { return extents_; }

private:
    Machine& machine_;
    Mover& mover_;
    MachineState saved_;
    PathExtents extents_;
};

}  // namespace ostrel
