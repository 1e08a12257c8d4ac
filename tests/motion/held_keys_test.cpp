// Held keys: one new press a key however its repeats come, marked or not.
#include "motion/held_keys.h"

#include <gtest/gtest.h>
#include <vector>

namespace ostrel {
namespace {

struct KeyEvent {
    bool press;
    int key;
    std::uint64_t time_ms;
    bool marked_repeat = false;
};

constexpr int kRight = 1;
constexpr int kLeft = 2;

// How many of the events are new presses.
int new_presses(HeldKeys& keys, const std::vector<KeyEvent>& events) {
    int count = 0;
    for (const KeyEvent& e : events) {
        if (e.press) {
            count += keys.press(e.key, e.time_ms, e.marked_repeat) ? 1 : 0;
        } else {
            keys.release(e.key, e.time_ms, e.marked_repeat);
        }
    }
    return count;
}

TEST(HeldKeys, EachPressCountsOnceHoweverTheRepeatsCome) {
    struct Case {
        const char* what;
        std::vector<KeyEvent> events;
        int presses;
    };
    const std::vector<Case> cases = {
        {"one tap", {{true, kRight, 100}, {false, kRight, 180}}, 1},
        {"repeats marked by the window system",
         {{true, kRight, 100},
          {false, kRight, 760, true},
          {true, kRight, 760, true},
          {false, kRight, 800, true},
          {true, kRight, 800, true},
          {false, kRight, 850}},
         1},
        {"repeats the window system missed: release and press at one time",
         {{true, kRight, 100},
          {false, kRight, 760},
          {true, kRight, 760},
          {false, kRight, 800},
          {true, kRight, 801},
          {false, kRight, 840, true},
          {true, kRight, 840, true},
          {false, kRight, 900}},
         1},
        {"repeats as presses alone", {{true, kRight, 100}, {true, kRight, 760}}, 1},
        {"let go and pressed again",
         {{true, kRight, 100}, {false, kRight, 200}, {true, kRight, 260}, {false, kRight, 300}},
         2},
        {"two keys held at once",
         {{true, kRight, 100}, {true, kLeft, 120}, {true, kRight, 700}, {false, kLeft, 710}},
         2},
        {"no event times: only the marks tell",
         {{true, kRight, 0}, {true, kRight, 0, true}, {false, kRight, 0}, {true, kRight, 0}},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HeldKeys keys;
        EXPECT_EQ(new_presses(keys, c.events), c.presses);
    }
}

TEST(HeldKeys, AKeyLetGoWhileTheProgramHadNoKeyboardPressesAgain) {
    HeldKeys keys;
    EXPECT_TRUE(keys.press(kRight, 100, false));
    keys.forget_all();  // its release went to another program
    EXPECT_TRUE(keys.press(kRight, 5000, false));
}

}  // namespace
}  // namespace ostrel
