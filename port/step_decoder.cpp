// Decoding of data-pin bytes into half-steps of the three motors.
#include "port/step_decoder.h"

#include <array>
#include <cstddef>

namespace ostrel {

namespace {

// The table entry of each four-bit coil pattern, -1 for a pattern that is no entry: a lookup at
// every simulated step instead of a search.
constexpr std::array<int, 16> kPhaseOfPattern = [] {
    std::array<int, 16> phases{};
    phases.fill(-1);
    for (std::size_t i = 0; i < StepDecoder::HALF_STEP_PATTERNS.size(); ++i) {
        phases[StepDecoder::HALF_STEP_PATTERNS[i]] = static_cast<int>(i);
    }
    return phases;
}();

}  // namespace

void StepDecoder::feed(std::uint8_t byte) {
    const auto pattern = static_cast<std::uint8_t>(byte & 0x0F);
    for (int a = 1; a <= 3; ++a) {
        if ((byte & AXIS_SELECT[a]) != 0) {
            take(axes_[a], pattern);
        }
    }
}

void StepDecoder::take(AxisState& state, std::uint8_t pattern) {
    if (pattern == state.latched) {
        return;
    }
    state.latched = pattern;
    const int phase = kPhaseOfPattern[pattern & 0x0F];
    if (phase < 0) {
        // Opposing or missing coils give the rotor no new place to go: it stays on the phase
        // it had, and the next valid pattern is judged from there.
        ++state.counts.faults;
        return;
    }
    const int ahead = (phase - state.phase + 8) % 8;
    if (ahead == 1) {
        ++state.counts.forward;
    } else if (ahead == 7) {
        ++state.counts.backward;
    } else if (ahead != 0) {
        ++state.counts.faults;
    }
    state.phase = phase;
}

void StepDecoder::clear_counts() {
    for (AxisState& state : axes_) {
        state.counts = AxisCounts{};
    }
}

}  // namespace ostrel
