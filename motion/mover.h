// The motion interface of every job: a straight X-Y move to a point, and a Z move to a height.
#pragma once

#include "motion/machine.h"
#include "motion/step_engine.h"

namespace ostrel {

class Mover {
public:
    Mover(Machine& machine, StepEngine& engine) : machine_(machine), engine_(engine) {}

    // Straight interpolated move to the absolute point (mm) at speed mm/s; Z stays.
    void move_to_xy(double x, double y, double speed);
    // Z to the absolute height z (mm) at speed mm/s; X and Y stay.
    void move_z_to(double z, double speed);
    // Straight interpolated move of all three axes to the absolute point (mm), X and Y steps at
    // speed_xy, Z steps at speed_z (mm/s): the line in space that a G-code move asks for.
    void move_to_xyz(double x, double y, double z, double speed_xy, double speed_z);

    // Stands still for the seconds, letting the window's messages through (a dry run does not
    // wait).
    void dwell(double seconds);

    // The moves every job makes between its working moves, at the job parameters' speeds: the
    // tool up to the travel height, and a straight travel with the tool raised.
    void raise_tool();
    void travel_to(double x, double y);

    Machine& machine() { return machine_; }
    StepEngine& engine() { return engine_; }

    // With extents given, moves make no step: the tool's position goes straight to the target
    // and the extents take in both ends of the move. Refusals (a move too long for the step
    // counter) and a stop request act as on a real move. Null: moves step again.
    void set_dry_run(PathExtents* extents) { dry_run_ = extents; }
    // Counting, moves make no step but leave the engine's totals and the tool's position as their
    // steps would (StepEngine::count_steps), in time that grows with the moves, not the steps:
    // the machine time of a job without running it.
    void set_counting(bool counting) { counting_ = counting; }

private:
    // An axis's share of a straight move, counted as the passes would make it: the first of its
    // engine calls one step that takes up any slack, the rest in the same direction.
    void count_axis(Axis axis, std::int32_t steps, double speed);
    // Steps of each axis interleaved along the straight line: the axis with the most steps sets
    // the passes, and each pass brings the others to their rounded share of the line.
    void interleave(std::int32_t dx, std::int32_t dy, std::int32_t dz, double speed_xy,
                    double speed_z);

    Machine& machine_;
    StepEngine& engine_;
    PathExtents* dry_run_ = nullptr;
    bool counting_ = false;
};

}  // namespace ostrel
