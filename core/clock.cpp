// Monotonic clock in nanoseconds for the real step waits.
#include "core/clock.h"

#include <time.h>

namespace ostrel {

std::int64_t MonotonicClock::counter() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

}  // namespace ostrel
