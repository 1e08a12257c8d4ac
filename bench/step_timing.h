// A real clock that notes when each step wait began and what it asked for, for timing figures.
#pragma once

#include "core/clock.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace ostrel::bench {

class StepTimingClock final : public Clock {
public:
    // The record's memory is touched here: growing it, or faulting its pages in, during the
    // steps would show as late steps.
    explicit StepTimingClock(std::size_t expected_steps) {
        waits_.resize(expected_steps);
        waits_.clear();
    }

    std::int64_t counter() override {
        last_read_ = real_.counter();
        return last_read_;
    }
    std::int64_t frequency() override { return real_.frequency(); }
    void spin_until(std::int64_t target) override {
        // step_delay read the counter just before: from there the step waits to target. Whatever
        // the window drew in this wait is drawn by now.
        waits_.push_back({last_read_, target - last_read_, draw_counter ? draw_counter() : 0});
        Clock::spin_until(target);
    }

    // Counts the window's repaints, so that late steps can be told apart by whether their wait
    // drew something (the program's doing) or not (message processing, the system).
    std::function<std::int64_t()> draw_counter;

    // Steps whose overhead is over threshold_us: after a wait that drew, and after the others.
    std::pair<int, int> late_steps(double threshold_us) const {
        std::pair<int, int> late{0, 0};
        for (std::size_t i = 1; i < waits_.size(); ++i) {
            const std::int64_t period = waits_[i].start - waits_[i - 1].start;
            if (static_cast<double>(period - waits_[i - 1].ticks) / 1000.0 <= threshold_us) {
                continue;
            }
            const bool drew = i >= 2 && waits_[i - 1].draws != waits_[i - 2].draws;
            ++(drew ? late.first : late.second);
        }
        return late;
    }

    // Time of a step outside its wait: from one wait's start to the next, less the wait asked for.
    std::vector<double> overheads_us() const {
        std::vector<double> out;
        for (std::size_t i = 1; i < waits_.size(); ++i) {
            const std::int64_t period = waits_[i].start - waits_[i - 1].start;
            out.push_back(static_cast<double>(period - waits_[i - 1].ticks) / 1000.0);
        }
        return out;
    }
    // From the first wait's start to the last one's.
    double seconds() const {
        return waits_.size() < 2
                   ? 0
                   : static_cast<double>(waits_.back().start - waits_.front().start) / 1e9;
    }
    // Steps per second over the whole run.
    double achieved_rate() const {
        return waits_.size() < 2 ? 0 : static_cast<double>(waits_.size() - 1) / seconds();
    }

private:
    struct Wait {
        std::int64_t start;
        std::int64_t ticks;
        std::int64_t draws;  // repaints drawn up to this wait's end
    };
    MonotonicClock real_;
    std::int64_t last_read_ = 0;
    std::vector<Wait> waits_;
};

inline double percentile(std::vector<double> values, double share) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t index =
        std::min(values.size() - 1, static_cast<std::size_t>(share * (values.size() - 1) + 0.5));
    return values[index];
}

// goal_percent: the share of the requested rate to reach, printed beside it (0: none).
inline void print_step_figures(const char* setting, double requested_rate,
                               const StepTimingClock& clock, double goal_percent = 0) {
    const std::vector<double> overheads = clock.overheads_us();
    std::printf(
        "%-10s %6.0f Hz requested  %9.1f Hz achieved (%6.2f %%)  overhead median %6.2f us"
        "  p99 %7.2f us  p99.9 %7.2f us  max %8.1f us  (%zu steps)",
        setting, requested_rate, clock.achieved_rate(),
        100.0 * clock.achieved_rate() / requested_rate, percentile(overheads, 0.5),
        percentile(overheads, 0.99), percentile(overheads, 0.999), percentile(overheads, 1.0),
        overheads.size() + 1);
    if (goal_percent > 0) {
        std::printf("  goal >= %.1f %%", goal_percent);
    }
    std::printf("\n");
}

}  // namespace ostrel::bench
