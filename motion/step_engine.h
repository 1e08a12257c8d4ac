// The step output engine: one axis, N half-steps, each a busy-wait and three writes to the port.
#pragma once

#include "core/clock.h"
#include "motion/machine.h"

#include <array>
#include <cstdint>

namespace ostrel {

class StepEngine {
public:
    // Coil patterns of the half-step sequence on D0..D3, entries 1..8 (0 unused).
    static constexpr std::array<std::uint8_t, 9> half_step_patterns = {0, 1, 3, 2, 6, 4, 12, 8, 9};
    // Select bit of each axis: D4 X, D5 Y, D6 Z.
    static constexpr PerAxis<std::uint8_t> axis_select = {0, 16, 32, 64};

    StepEngine(Machine& machine, Clock& clock);

    // Moves the axis by steps (sign = direction, forward walks the table upward; never 0) at
    // speed mm/s. Returns when all steps are made or a stop is requested; a port write that fails
    // stops the move like a stop request and is told to the operator once.
    void step_axis(Axis axis, std::int32_t steps, double speed);
    // Stands still for the seconds, the window's messages let through as in a step; ends early
    // on a stop request. Counted with the step waits.
    void wait(double seconds);
    // Busy-waits one step's time of the axis at speed, from the moment it is entered.
    void step_delay(Axis axis, double speed);

    // Entry of half_step_patterns last written to each axis, 1..8.
    PerAxis<std::int32_t> pattern_index = {0, 1, 1, 1};
    // Direction of each axis's previous call, +1 or -1, for the backlash.
    PerAxis<std::int32_t> last_direction = {0, 1, 1, 1};
    // Extra steps of the current call taken to turn the axis round.
    std::int32_t backlash_steps = 0;

    // What the runs so far came to: engine calls, steps made per axis and direction, and the
    // clock counts the step waits asked for.
    struct Totals {
        std::int64_t calls = 0;
        PerAxis<std::int64_t> forward_steps{};
        PerAxis<std::int64_t> backward_steps{};
        std::int64_t wait_ticks = 0;
    };
    const Totals& totals() const { return totals_; }

private:
    // Three writes of one step; false when the port refused one before the axis took the pattern.
    bool write_step(Axis axis, std::uint8_t pattern);
    void take_back(Axis axis, std::int32_t dir, std::int64_t steps);

    Machine& machine_;
    Clock& clock_;
    Totals totals_;
};

}  // namespace ostrel
