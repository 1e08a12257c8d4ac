// Straight X-Y moves by interleaved single steps, and Z moves, in absolute millimetres.
#include "motion/mover.h"

#include "core/number_text.h"

#include <algorithm>
#include <array>
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
    move_to_xyz(x, y, machine_.state().pos_z, speed, speed);
}

void Mover::move_to_xyz(double x, double y, double z, double speed_xy, double speed_z) {
    MachineState& s = machine_.state();
    // Differences and quotients in extended precision; the counts must fit the step counter.
    const auto steps = [&s](double target, double position, Axis axis) {
        return step_count(divide(static_cast<Extended>(target) - position,
                                 static_cast<Extended>(s.mm_per_step[axis])),
                          axis);
    };
    const std::int32_t dx = steps(x, s.pos_x, AXIS_X);
    const std::int32_t dy = steps(y, s.pos_y, AXIS_Y);
    const std::int32_t dz = steps(z, s.pos_z, AXIS_Z);
    if (s.stop_requested || (dx == 0 && dy == 0 && dz == 0)) {
        return;
    }
    if (dry_run_ != nullptr) {
        dry_run_->include(s.pos_x, s.pos_y, s.pos_z);
        s.pos_x = x;
        s.pos_y = y;
        s.pos_z = z;
        dry_run_->include(x, y, z);
        return;
    }
    interleave(dx, dy, dz, speed_xy, speed_z);
}

void Mover::interleave(std::int32_t dx, std::int32_t dy, std::int32_t dz, double speed_xy,
                       double speed_z) {
    MachineState& s = machine_.state();
    const std::int64_t n =
        std::max({std::llabs(dx), std::llabs(dy), std::llabs(static_cast<std::int64_t>(dz))});
    const std::array<Axis, 3> axes = {AXIS_X, AXIS_Y, AXIS_Z};
    // Forward Z steps lower the tool: a higher target is backward steps.
    const std::array<std::int32_t, 3> deltas = {dx, dy, -dz};
    const std::array<double, 3> speeds = {speed_xy, speed_xy, speed_z};
    std::array<double, 3> share{};
    for (std::size_t a = 0; a < 3; ++a) {
        share[a] = static_cast<double>(std::fabs(static_cast<Extended>(deltas[a]) / n));
    }
    if (counting_) {
        // The axes are apart in the position; only which calls first can matter (a refusal):
        // those that step in the first pass, then the others.
        for (const bool first_pass : {true, false}) {
            for (std::size_t a = 0; a < 3; ++a) {
                if ((steps_by_pass(1, share[a]) != 0) == first_pass) {
                    count_axis(axes[a], deltas[a], speeds[a]);
                }
            }
        }
        return;
    }
    std::array<std::int64_t, 3> issued{};
    // Once a stop is asked for, every engine call returns at once without letting messages
    // through, so nothing can take the stop back: the remaining passes would move nothing.
    for (std::int64_t pass = 1; pass <= n && !s.stop_requested; ++pass) {
        for (std::size_t a = 0; a < 3; ++a) {
            if (deltas[a] == 0) {
                continue;
            }
            const std::int64_t c = steps_by_pass(pass, share[a]);
            const std::int64_t d = c - issued[a];
            issued[a] = c;
            if (d != 0) {
                const std::int32_t sense = deltas[a] > 0 ? 1 : -1;
                engine_.step_axis(axes[a], static_cast<std::int32_t>(sense * d), speeds[a]);
            }
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

void Mover::dwell(double seconds) {
    if (dry_run_ != nullptr) {
        return;
    }
    if (counting_) {
        engine_.count_wait(seconds);
    } else {
        engine_.wait(seconds);
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
