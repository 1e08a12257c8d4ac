// PaintSchedule: fitting held-back repaints into the step waits.
#include "gui/screen/paint_schedule.h"

#include <algorithm>

namespace ostrel {

std::size_t PaintSchedule::add_window() {
    windows_.emplace_back();
    return windows_.size() - 1;
}

void PaintSchedule::hold(std::size_t window, std::int64_t now_ns) {
    Window& w = windows_[window];
    if (!w.held) {
        w.held = true;
        w.held_since_ns = now_ns;
    }
}

bool PaintSchedule::any_held() const {
    return std::any_of(windows_.begin(), windows_.end(), [](const Window& w) { return w.held; });
}

void PaintSchedule::draw_timed(std::size_t window, const std::function<std::int64_t()>& now,
                               const std::function<void(std::size_t)>& draw) {
    windows_[window].held = false;
    const std::int64_t start = now();
    draw(window);
    const std::int64_t finish = now();
    // Drawing may have added windows: the list is looked up again, not held across the call.
    Window& w = windows_[window];
    w.drawn = true;
    w.drawn_at_ns = finish;
    w.costs[w.next_cost] = std::max<std::int64_t>(0, finish - start);
    w.next_cost = (w.next_cost + 1) % kCostHistory;
    w.cost_count = std::min(w.cost_count + 1, kCostHistory);
    std::array<std::int64_t, kCostHistory> costs = w.costs;
    const auto last = costs.begin() + static_cast<std::ptrdiff_t>(w.cost_count);
    std::sort(costs.begin(), last, std::greater<>());
    w.estimate_ns = costs[std::min<std::size_t>(1, w.cost_count - 1)];
}

void PaintSchedule::spend_wait(std::int64_t wait_ns, const std::function<std::int64_t()>& now,
                               const std::function<void(std::size_t)>& draw) {
    const std::int64_t start = now();
    const bool overdue = std::any_of(windows_.begin(), windows_.end(), [start](const Window& w) {
        return w.held && start - w.held_since_ns >= kOverdueNs;
    });
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (!windows_[i].held) {
            continue;
        }
        if (overdue) {
            draw_timed(i, now, draw);
            continue;
        }
        const std::int64_t at = now();
        const bool rested = !windows_[i].drawn || at - windows_[i].drawn_at_ns >= kMinIntervalNs;
        if (rested && estimate_ns(i) + kMarginNs <= wait_ns - (at - start)) {
            draw_timed(i, now, draw);
        }
    }
}

void PaintSchedule::draw_all(const std::function<std::int64_t()>& now,
                             const std::function<void(std::size_t)>& draw) {
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i].held) {
            draw_timed(i, now, draw);
        }
    }
}

}  // namespace ostrel
