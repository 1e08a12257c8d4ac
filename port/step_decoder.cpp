// Decoding of data-pin bytes into half-steps of the three motors.
#include "port/step_decoder.h"

#include <algorithm>

namespace ostrel {

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
    const auto* entry = std::find(HALF_STEP_PATTERNS.begin(), HALF_STEP_PATTERNS.end(), pattern);
    if (entry == HALF_STEP_PATTERNS.end()) {
        // Opposing or missing coils give the rotor no new place to go: it stays on the phase
        // it had, and the next valid pattern is judged from there.
        ++state.counts.faults;
        return;
    }
    const int phase = static_cast<int>(entry - HALF_STEP_PATTERNS.begin());
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
