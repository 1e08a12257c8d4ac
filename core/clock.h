// The high-resolution counter the step waits are timed on.
#pragma once

#include <cstdint>

namespace ostrel {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t counter() = 0;    // monotonic count
    virtual std::int64_t frequency() = 0;  // counts per second

    // Busy-waits until the counter is past target, reading it at least once. A simulated clock
    // jumps there instead, so a dry run costs no real time and its waits add up exactly.
    virtual void spin_until(std::int64_t target) {
        while (counter() <= target) {
        }
    }
};

// The monotonic clock in nanoseconds.
class MonotonicClock final : public Clock {
public:
    std::int64_t counter() override;
    std::int64_t frequency() override { return 1'000'000'000; }
};

// A clock for dry runs: waits take no real time, the counter jumps past them.
class SimulatedClock final : public Clock {
public:
    std::int64_t counter() override { return now_++; }
    std::int64_t frequency() override { return 1'000'000'000; }
    void spin_until(std::int64_t target) override {
        if (now_ <= target) {
            now_ = target + 1;
        }
    }

private:
    std::int64_t now_ = 0;
};

}  // namespace ostrel
