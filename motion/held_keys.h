// Keys held down, told apart from the keyboard's repeats however the window system marks them.
#pragma once

#include <cstdint>
#include <map>

namespace ostrel {

// A held key repeats: on X11 as a release and a press with the same event time, which the
// window system marks as a repeat only when it sees both at once, and under load it does not.
// So every key's own down and up are kept here, and a press counts only when the key was up.
class HeldKeys {
public:
    // A repeat's release and press are this many milliseconds apart at most; a finger lets go
    // and presses again far more slowly.
    static constexpr std::uint64_t kRepeatGapMs = 2;

    // The key went down at time_ms (the window system's event time, 0 when it gives none).
    // True for a new press; false for a key already down, a press marked as a repeat, and the
    // press that follows the key's release within kRepeatGapMs.
    bool press(int key, std::uint64_t time_ms, bool marked_repeat);
    // The key went up at time_ms; a release marked as a repeat leaves it down.
    void release(int key, std::uint64_t time_ms, bool marked_repeat);
    // The program lost the keyboard: releases may go unseen, so no key counts as down any more.
    void forget_all() { keys_.clear(); }

private:
    struct Key {
        bool down = false;
        bool released = false;
        std::uint64_t released_at = 0;
    };
    std::map<int, Key> keys_;
};

}  // namespace ostrel
