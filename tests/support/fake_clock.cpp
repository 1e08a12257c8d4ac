// Fake clock: one count per read, waits jumped over and recorded.
#include "tests/support/fake_clock.h"

#include <numeric>

namespace ostrel::testing {

std::int64_t FakeClock::counter() {
    last_read_ = now_;
    return now_++;
}

void FakeClock::spin_until(std::int64_t target) {
    // The real wait reads at least once more and ends at the first reading past target.
    const std::int64_t end = std::max(now_, target + 1);
    waits_.push_back(target - last_read_);
    targets_.push_back(target);
    now_ = end + 1;
    last_read_ = end;
}

std::vector<std::int64_t> FakeClock::periods() const {
    std::vector<std::int64_t> out;
    for (std::size_t i = 0; i < targets_.size(); ++i) {
        out.push_back(i == 0 ? waits_[0] : targets_[i] - targets_[i - 1]);
    }
    return out;
}

std::int64_t FakeClock::total_wait() const {
    return std::accumulate(waits_.begin(), waits_.end(), std::int64_t{0});
}

}  // namespace ostrel::testing
