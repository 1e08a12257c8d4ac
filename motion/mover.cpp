// Straight X-Y moves by interleaved single steps, and Z moves, in absolute millimetres.
#include "motion/mover.h"

#include "core/number_text.h"

#include <cmath>
#include <cstdlib>

namespace ostrel {

namespace {

// The steps an axis has made by pass k of a move: k × share rounded half to even, as the extended
// product gives it. The double product is within 2^-23 of it (k below 2^31, share at most 1), so
// away from a half both round alike; near one the extended product decides.
std::int64_t steps_by_pass(std::int64_t k, double share) {
    if (share == 1) {
        return k;  // the axis that steps every pass
    }
    const double product = static_cast<double>(k) * share;
    const auto whole = static_cast<std::int64_t>(product);
    const double fraction = product - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) > 1e-6) {
        return whole + (fraction > 0.5 ? 1 : 0);
    }
    return round_half_even(static_cast<Extended>(k) * share);
}

}  // namespace

void Mover::move_to_xy(double x, double y, double speed) {
    MachineState& s = machine_.state();
    // Differences and quotients in extended precision; the counts must fit the step counter.
    const std::int32_t dx = step_count(
        divide(static_cast<Extended>(x) - s.pos_x, static_cast<Extended>(s.mm_per_step[AXIS_X])),
        AXIS_X);
    const std::int32_t dy = step_count(
        divide(static_cast<Extended>(y) - s.pos_y, static_cast<Extended>(s.mm_per_step[AXIS_Y])),
        AXIS_Y);
    if (s.stop_requested) {
        return;
    }
    if (dx == 0 && dy == 0) {
        return;
    }
    if (dry_run_ != nullptr) {
        dry_run_->include(s.pos_x, s.pos_y, s.pos_z);
        s.pos_x = x;
        s.pos_y = y;
        dry_run_->include(x, y, s.pos_z);
        return;
    }
    const std::int64_t n = std::llabs(dy) >= std::llabs(dx) ? dy : dx;
    const double kx = static_cast<double>(std::fabs(static_cast<Extended>(dx) / n));
    const double ky = static_cast<double>(std::fabs(static_cast<Extended>(dy) / n));
    const std::int32_t sx = dx > 0 ? 1 : dx < 0 ? -1 : 0;
    const std::int32_t sy = dy > 0 ? 1 : dy < 0 ? -1 : 0;
    if (counting_) {
        // The axes are apart in the position; only which calls first can matter (a refusal).
        if (steps_by_pass(1, kx) != 0) {
            count_axis(AXIS_X, dx, speed);
            count_axis(AXIS_Y, dy, speed);
        } else {
            count_axis(AXIS_Y, dy, speed);
            count_axis(AXIS_X, dx, speed);
        }
        return;
    }
    std::int64_t issued_x = 0;
    std::int64_t issued_y = 0;
    const std::int64_t passes = std::llabs(n);
    // Once a stop is asked for, every engine call returns at once without letting messages
    // through, so nothing can take the stop back: the remaining passes would move nothing.
    for (std::int64_t k = 1; k <= passes && !s.stop_requested; ++k) {
        const std::int64_t cx = steps_by_pass(k, kx);
        const std::int64_t cy = steps_by_pass(k, ky);
        const std::int64_t ddx = cx - issued_x;
        const std::int64_t ddy = cy - issued_y;
        issued_x = cx;
        issued_y = cy;
        if (ddx != 0) {
            engine_.step_axis(AXIS_X, static_cast<std::int32_t>(sx * ddx), speed);
        }
        if (ddy != 0) {
            engine_.step_axis(AXIS_Y, static_cast<std::int32_t>(sy * ddy), speed);
        }
    }
}

void Mover::count_axis(Axis axis, std::int32_t steps, double speed) {
    if (steps == 0) {
        return;
    }
    const std::int32_t sign = steps > 0 ? 1 : -1;
    engine_.count_steps(axis, sign, speed);
    if (steps != sign) {
        engine_.count_steps(axis, steps - sign, speed);
    }
}

void Mover::move_z_to(double z, double speed) {
    MachineState& s = machine_.state();
    const std::int32_t d = step_count(
        divide(static_cast<Extended>(z) - s.pos_z, static_cast<Extended>(s.mm_per_step[AXIS_Z])),
        AXIS_Z);
    if (d == 0) {
        return;
    }
    if (dry_run_ != nullptr) {
        if (!s.stop_requested) {
            dry_run_->include(s.pos_x, s.pos_y, s.pos_z);
            s.pos_z = z;
            dry_run_->include(s.pos_x, s.pos_y, z);
        }
        return;
    }
    // Forward Z steps lower the tool: a higher target is backward steps.
    if (counting_) {
        engine_.count_steps(AXIS_Z, -d, speed);
    } else {
        engine_.step_axis(AXIS_Z, -d, speed);
    }
}

void Mover::raise_tool() {
    const JobParameters& job = machine_.state().job;
    move_z_to(job.z_travel, job.speed_z_up);
}

void Mover::travel_to(double x, double y) {
    move_to_xy(x, y, machine_.state().job.speed_xy_rapid);
}

}  // namespace ostrel
