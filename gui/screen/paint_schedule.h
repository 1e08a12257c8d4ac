// Which held-back window repaints a step's wait may draw: those that fit in it, or are overdue.
#pragma once

#include "gui/screen/screen_updates.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace ostrel {

// While the machine moves, a window's repaint is not drawn between two steps (where it would
// delay the next one by its whole cost) but inside a step's busy-wait, when the time left in that
// wait covers what the window's repaints took lately. Steps too quick for any repaint to fit
// still let the screen follow the machine a few times a second: an overdue repaint is drawn in
// the next wait whatever it costs, together with every other held one, so that they cost one late
// step, not several.
class PaintSchedule {
public:
    // A window is drawn at most this often while held.
    static constexpr std::int64_t kMinIntervalNs =
        std::chrono::nanoseconds(kRepaintInterval).count();
    // How long a held repaint may wait for a wait it fits in.
    static constexpr std::int64_t kOverdueNs = 300'000'000;
    // Kept in hand at the end of a wait: a repaint's estimate is a likely cost, not a bound.
    static constexpr std::int64_t kMarginNs = 20'000;
    // Repaints whose cost makes up the estimate.
    static constexpr std::size_t kCostHistory = 16;

    // A new window to schedule; returns its index.
    std::size_t add_window();

    // The window asked for a repaint at now_ns, and it is held back.
    void hold(std::size_t window, std::int64_t now_ns);
    bool held(std::size_t window) const { return windows_[window].held; }
    bool any_held() const;

    // A wait of wait_ns begins: draws (through draw) each held window drawn at least the minimum
    // interval ago whose repaint fits in what is left of the wait, or every held window when one
    // of them is overdue. now() reads the clock the costs are measured on.
    void spend_wait(std::int64_t wait_ns, const std::function<std::int64_t()>& now,
                    const std::function<void(std::size_t)>& draw);

    // Draws every held window now (the move is over, or the screen must show its state).
    void draw_all(const std::function<std::int64_t()>& now,
                  const std::function<void(std::size_t)>& draw);

    // What the window's repaint is expected to cost: the second highest of its recent costs. A
    // repaint that overruns its wait delays a step by the overrun, so the estimate is high; but
    // one freak repaint (the system took the processor away) must not keep the window out of
    // every wait until it has aged out.
    std::int64_t estimate_ns(std::size_t window) const { return windows_[window].estimate_ns; }

private:
    struct Window {
        bool held = false;
        std::int64_t held_since_ns = 0;
        std::int64_t drawn_at_ns = 0;
        bool drawn = false;
        std::array<std::int64_t, kCostHistory> costs{};
        std::size_t cost_count = 0;
        std::size_t next_cost = 0;
        std::int64_t estimate_ns = 0;  // not drawn yet: the first repaint finds out
    };

    void draw_timed(std::size_t window, const std::function<std::int64_t()>& now,
                    const std::function<void(std::size_t)>& draw);

    std::vector<Window> windows_;
};

}  // namespace ostrel
