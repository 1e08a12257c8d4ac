// PlanRunner: the same raise, travel, lower and draw moves as the line-by-line jobs, per stroke.
#include "motion/plan_runner.h"

#include "core/number_text.h"

#include <cmath>

namespace ostrel {

bool tool_is_at(const MachineState& state, PointMm p) {
    // The quotient the mover rounds to a step count, in the same precision: the tool is there
    // when a move to p would make no step (an empty ratio makes every point elsewhere).
    const auto no_step = [](double target, double position, double ratio) {
        const Extended steps = (static_cast<Extended>(target) - position) / ratio;
        return std::fabs(steps) <= 0.5L;
    };
    return no_step(p.x, state.pos_x, state.mm_per_step[AXIS_X]) &&
           no_step(p.y, state.pos_y, state.mm_per_step[AXIS_Y]);
}

void PlanRunner::go_to(PointMm p) {
    if (!tool_is_at(machine_.state(), p)) {
        mover_.raise_tool();
        mover_.travel_to(p.x, p.y);
        ++lifts_;
    }
}

void PlanRunner::draw(std::span<const Stroke> strokes) {
    const MachineState& s = machine_.state();
    for (const Stroke& stroke : strokes) {
        if (s.stop_requested) {
            return;
        }
        if (stroke.points.empty()) {
            continue;
        }
        go_to(stroke.points.front());
        mover_.move_z_to(0, s.job.speed_z_down);
        for (std::size_t i = 1; i < stroke.points.size() && !s.stop_requested; ++i) {
            mover_.move_to_xy(stroke.points[i].x, stroke.points[i].y, s.job.speed_xy);
        }
    }
}

void PlanRunner::drill(std::span<const Hole> holes, double depth_mm) {
    const MachineState& s = machine_.state();
    for (const Hole& hole : holes) {
        if (s.stop_requested) {
            return;
        }
        go_to(hole.at);
        mover_.move_z_to(0, s.job.speed_z_up);
        mover_.move_z_to(-depth_mm, s.job.speed_z_down);
    }
}

}  // namespace ostrel
