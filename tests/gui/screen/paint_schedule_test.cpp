// Which held repaints a step wait takes: those that fit, not too soon, and overdue ones together.
#include "gui/screen/paint_schedule.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <deque>
#include <vector>

namespace ostrel::testing {
namespace {

constexpr std::int64_t kUs = 1000;
constexpr std::int64_t kMs = 1000 * kUs;

// A nanosecond clock that each drawing moves on by what that repaint is scripted to cost.
class ScheduleRig {
public:
    explicit ScheduleRig(std::vector<std::int64_t> usual_costs) : usual_costs_(usual_costs) {
        for (std::size_t i = 0; i < usual_costs_.size(); ++i) {
            schedule.add_window();
        }
    }
    void hold(std::size_t window) { schedule.hold(window, now); }
    // A step wait of wait_ns; returns the windows drawn in it, in order.
    std::vector<std::size_t> wait(std::int64_t wait_ns) {
        std::vector<std::size_t> drawn;
        const std::int64_t start = now;
        last_wait_start = start;
        schedule.spend_wait(
            wait_ns, [this] { return now; },
            [this, &drawn](std::size_t window) {
                drawn.push_back(window);
                now += next_cost(window);
                last_drawn_at = now;
            });
        now = std::max(now, start + wait_ns) + 50 * kUs;  // the spin, then the rest of the step
        return drawn;
    }
    // The next repaints of window cost these instead of the usual cost.
    void script(std::size_t window, std::vector<std::int64_t> costs) {
        scripted_[window].assign(costs.begin(), costs.end());
    }

    PaintSchedule schedule;
    std::int64_t now = 0;
    std::int64_t last_wait_start = 0;
    std::int64_t last_drawn_at = 0;

private:
    std::int64_t next_cost(std::size_t window) {
        auto& queue = scripted_[window];
        if (queue.empty()) {
            return usual_costs_[window];
        }
        const std::int64_t cost = queue.front();
        queue.pop_front();
        return cost;
    }

    std::vector<std::int64_t> usual_costs_;
    std::deque<std::int64_t> scripted_[4];
};

using Drawn = std::vector<std::size_t>;

TEST(PaintSchedule, ARepaintTakesOnlyWaitsItFitsInAndNotSoonerThanTheScreenRate) {
    ScheduleRig rig({300 * kUs});
    rig.hold(0);
    EXPECT_EQ(rig.wait(50 * kUs), Drawn{0});  // its cost unknown yet: the first one finds out
    EXPECT_EQ(rig.schedule.estimate_ns(0), 300 * kUs);

    rig.now += 20 * kMs;
    rig.hold(0);
    EXPECT_EQ(rig.wait(50 * kUs), Drawn{});
    EXPECT_EQ(rig.wait(300 * kUs), Drawn{});  // no room left for the unexpectedly slow
    EXPECT_TRUE(rig.schedule.held(0));
    EXPECT_EQ(rig.wait(1 * kMs), Drawn{0});
    EXPECT_FALSE(rig.schedule.held(0));

    // Asked again at once: drawn once the screen's interval has passed, not at every step.
    const std::int64_t drawn_at = rig.last_drawn_at;
    rig.hold(0);
    std::int64_t refused_until = 0;
    for (int waits = 0; rig.wait(1 * kMs).empty(); ++waits) {
        ASSERT_LT(waits, 100);
        refused_until = rig.last_wait_start;
    }
    EXPECT_LT(refused_until - drawn_at, PaintSchedule::kMinIntervalNs);
    EXPECT_GE(rig.last_wait_start - drawn_at, PaintSchedule::kMinIntervalNs);
    EXPECT_LT(rig.last_wait_start - refused_until, 2 * kMs);
}

TEST(PaintSchedule, WhenNothingFitsTheOverdueRepaintIsDrawnWithEveryHeldOneInOneWait) {
    ScheduleRig rig({400 * kUs, 60 * kUs});
    rig.hold(0);
    rig.hold(1);
    EXPECT_EQ(rig.wait(2 * kMs), (Drawn{0, 1}));  // learning both costs

    rig.now += 20 * kMs;
    const std::int64_t held_at = rig.now;
    rig.hold(0);
    rig.hold(1);
    // Steps of 50 µs: neither repaint fits in one; the held ones wait for their time limit.
    while (rig.now - held_at < PaintSchedule::kOverdueNs) {
        ASSERT_EQ(rig.wait(50 * kUs), Drawn{}) << (rig.now - held_at) / kMs << " ms after";
    }
    EXPECT_EQ(rig.wait(50 * kUs), (Drawn{0, 1}));
    EXPECT_FALSE(rig.schedule.any_held());
}

TEST(PaintSchedule, OneSlowRepaintDoesNotShutAWindowOutOfTheWaitsButTwoDo) {
    ScheduleRig rig({100 * kUs});
    const auto draw_once = [&rig] {
        rig.now += 20 * kMs;
        rig.hold(0);
        return rig.wait(5 * kMs);
    };
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(draw_once(), Drawn{0});
    }
    rig.script(0, {4 * kMs, 100 * kUs, 3 * kMs});
    ASSERT_EQ(draw_once(), Drawn{0});  // the system took the processor away meanwhile
    EXPECT_EQ(rig.schedule.estimate_ns(0), 100 * kUs);
    rig.now += 20 * kMs;
    rig.hold(0);
    EXPECT_EQ(rig.wait(200 * kUs), Drawn{0});

    ASSERT_EQ(draw_once(), Drawn{0});  // a second slow one: slow repaints are to be expected now
    EXPECT_EQ(rig.schedule.estimate_ns(0), 3 * kMs);
    rig.now += 20 * kMs;
    rig.hold(0);
    EXPECT_EQ(rig.wait(200 * kUs), Drawn{});
    EXPECT_EQ(rig.wait(4 * kMs), Drawn{0});

    // Sixteen ordinary repaints later both slow ones have aged out.
    for (std::size_t i = 0; i < PaintSchedule::kCostHistory; ++i) {
        ASSERT_EQ(draw_once(), Drawn{0});
    }
    EXPECT_EQ(rig.schedule.estimate_ns(0), 100 * kUs);
}

TEST(PaintSchedule, DrawAllTakesEveryHeldWindowAndOnlyThose) {
    ScheduleRig rig({1 * kMs, 1 * kMs, 1 * kMs});
    rig.hold(2);
    rig.hold(0);
    std::vector<std::size_t> drawn;
    rig.schedule.draw_all([&rig] { return rig.now; },
                          [&drawn](std::size_t window) { drawn.push_back(window); });
    EXPECT_EQ(drawn, (Drawn{0, 2}));
    EXPECT_FALSE(rig.schedule.any_held());
}

}  // namespace
}  // namespace ostrel::testing
