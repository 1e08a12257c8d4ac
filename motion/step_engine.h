// The step output engine: one axis, N half-steps, each a busy-wait and three writes to the port.
#pragma once

#include "core/clock.h"
#include "motion/machine.h"

#include <array>
#include <cstdint>
#include <optional>

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
    // What step_axis would leave behind, without a step, a wait or a word to the operator: the
    // same refusals and backlash, the waits and steps added to the totals (the call is not
    // counted), the position where the steps would have taken it. Time estimates run jobs on it.
    void count_steps(Axis axis, std::int32_t steps, double speed);
    // Stands still for the seconds, the window's messages let through as in a step; ends early
    // on a stop request. Counted with the step waits.
    void wait(double seconds);
    // What wait would add to the totals, without waiting: for time estimates.
    void count_wait(double seconds);
    // Busy-waits until one step's time of the axis at speed has passed since the previous step's
    // wait ended, or since now when the previous step is longer ago than that.
    void step_delay(Axis axis, double speed);
    // One step's wait of the axis at speed in counts of a clock of that frequency: |ratio| ×
    // frequency / speed, half to even (not positive: no wait).
    std::int64_t step_ticks(Axis axis, double speed, std::int64_t frequency);

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
    // A dwell's length in counts of the clock, half to even.
    std::int64_t dwell_ticks(double seconds) const;
    // The port in use as the port list names it, for the messages of a failed write.
    QString selected_port_name() const;
    void take_back(Axis axis, std::int32_t dir, std::int64_t steps);
    static void refuse_call(std::int32_t steps, double speed);
    // The call's steps with the backlash steps of a turn (backlash_steps, last_direction set).
    std::int64_t steps_with_slack(Axis axis, std::int32_t dir, std::int32_t steps);

    Machine& machine_;
    Clock& clock_;
    Totals totals_;
    // The last wait worked out for each axis and what it was worked out from: a job's moves make
    // one or two steps an engine call, and the extended division cost more than the step.
    struct StepWait {
        double ratio = 0;
        double speed = 0;
        std::int64_t frequency = 0;
        std::int64_t ticks = 0;
    };
    PerAxis<StepWait> waits_{};
    // Where the last step's wait ended on the clock: the next step's time counts from there.
    std::optional<std::int64_t> last_wait_end_;
};

}  // namespace ostrel
