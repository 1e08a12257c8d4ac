// Runs what a true-size job planned: strokes drawn with the tool down, holes drilled, in order.
#pragma once

#include "core/geometry.h"
#include "motion/machine.h"
#include "motion/mover.h"

#include <span>

namespace ostrel {

// Whether the tool stands at p as nearly as the motors can reach it: within half a motor step
// on each axis, so that a move there would make no step.
bool tool_is_at(const MachineState& state, PointMm p);

class PlanRunner {
public:
    PlanRunner(Machine& machine, Mover& mover) : machine_(machine), mover_(mover) {}

    // Each stroke in order: when the tool is not at its start it is raised and travels there;
    // it is lowered and draws through the stroke's points at the working speed. The tool stays
    // down after a stroke, so one that starts where the last ended goes on without a lift. Ends
    // early, between moves, on a stop request. Machine coordinates, job parameters as read.
    void draw(std::span<const Stroke> strokes);

    // Each hole in order: travel raised when the tool is elsewhere, down to the surface at the
    // raising speed, then to depth_mm below it at the lowering speed; the next travel raises it.
    void drill(std::span<const Hole> holes, double depth_mm);

    // Pen lifts and holes made so far, for the summaries.
    long long lifts() const { return lifts_; }

private:
    void go_to(PointMm p);

    Machine& machine_;
    Mover& mover_;
    long long lifts_ = 0;
};

}  // namespace ostrel
