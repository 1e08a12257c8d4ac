// A clock for tests: it advances on every read and jumps over busy-waits, recording each one.
#pragma once

#include "core/clock.h"

#include <cstdint>
#include <vector>

namespace ostrel::testing {

class FakeClock final : public Clock {
public:
    explicit FakeClock(std::int64_t frequency = 1'000'000'000) : frequency_(frequency) {}

    std::int64_t counter() override;
    std::int64_t frequency() override { return frequency_; }
    void spin_until(std::int64_t target) override;

    // Counts waited in each spin_until, measured from the last counter read before it.
    const std::vector<std::int64_t>& waits() const { return waits_; }
    // Counts from each spin_until's target to the next one's (the first from the read before
    // it): the time between the steps as the motors see them.
    std::vector<std::int64_t> periods() const;
    // Time passing outside the waits, as work between two steps takes it.
    void advance(std::int64_t counts) { now_ += counts; }
    std::int64_t total_wait() const;
    std::int64_t now() const { return now_; }

private:
    std::int64_t frequency_;
    std::int64_t now_ = 0;
    std::int64_t last_read_ = 0;
    std::vector<std::int64_t> waits_;
    std::vector<std::int64_t> targets_;
};

}  // namespace ostrel::testing
