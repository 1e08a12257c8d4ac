// The machine's interface electronics as a model: data-pin bytes in, motor steps per axis out.
#pragma once

#include <array>
#include <cstdint>

namespace ostrel {

// Each byte on the data pins carries a coil pattern on D0..D3 and one select bit per axis
// (D4 X, D5 Y, D6 Z). The driver of every selected axis takes the pattern and holds it after its
// select bit drops. A motor moves one half-step when its driver takes the neighbouring entry of
// the half-step table; a pattern from further away, or one that is no entry at all, leaves the
// rotor's position unknown to anyone counting steps: a lost-step fault.
class StepDecoder {
public:
    static constexpr std::array<std::uint8_t, 8> HALF_STEP_PATTERNS = {1, 3, 2, 6, 4, 12, 8, 9};
    static constexpr std::array<std::uint8_t, 4> AXIS_SELECT = {0, 0x10, 0x20, 0x40};

    struct AxisCounts {
        std::int64_t forward = 0;
        std::int64_t backward = 0;
        std::int64_t faults = 0;
        // Net half-steps forward from where the motor stood when the decoder started.
        std::int64_t position() const { return forward - backward; }
    };

    // One write to the data register.
    void feed(std::uint8_t byte);

    // Axis 1 = X, 2 = Y, 3 = Z.
    const AxisCounts& axis(int axis) const { return axes_.at(axis).counts; }
    std::int64_t forward_steps(int axis) const { return this->axis(axis).forward; }
    std::int64_t backward_steps(int axis) const { return this->axis(axis).backward; }
    std::int64_t position(int axis) const { return this->axis(axis).position(); }
    std::int64_t faults(int axis) const { return this->axis(axis).faults; }
    // The coil pattern the axis's driver holds now.
    std::uint8_t latched_pattern(int axis) const { return axes_.at(axis).latched; }

    // Zeroes the counts; the drivers keep the patterns they hold.
    void clear_counts();

private:
    struct AxisState {
        // Like the program, the decoder takes every motor to stand at the first table entry
        // before anything was written.
        std::uint8_t latched = HALF_STEP_PATTERNS[0];
        int phase = 0;  // table entry the rotor follows: the last valid pattern taken
        AxisCounts counts;
    };
    void take(AxisState& state, std::uint8_t pattern);

    std::array<AxisState, 4> axes_{};  // index 0 unused
};

}  // namespace ostrel
