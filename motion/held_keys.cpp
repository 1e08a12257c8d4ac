// Keys held down and their repeats.
#include "motion/held_keys.h"

namespace ostrel {

bool HeldKeys::press(int key, std::uint64_t time_ms, bool marked_repeat) {
    Key& k = keys_[key];
    const bool was_down = k.down;
    k.down = true;
    if (was_down || marked_repeat) {
        return false;
    }
    // Without event times a repeat can't be told from a new press by them.
    const bool repeat_pair = k.released && time_ms != 0 && time_ms >= k.released_at &&
                             time_ms - k.released_at <= kRepeatGapMs;
    k.released = false;
    return !repeat_pair;
}

void HeldKeys::release(int key, std::uint64_t time_ms, bool marked_repeat) {
    if (marked_repeat) {
        return;
    }
    Key& k = keys_[key];
    k.down = false;
    k.released = true;
    k.released_at = time_ms;
}

}  // namespace ostrel
