#include "link/Sleeper.h"

#include <chrono>
#include <thread>

namespace orvane::link {

namespace {
// How long before the deadline the thread stops sleeping and starts spinning.
constexpr std::chrono::microseconds kSpinMargin{600};
}   // namespace

void RealSleeper::sleep(int ms)
{
    if (ms <= 0) {
        yield();
        return;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
    const Clock::time_point wakeUp = deadline - kSpinMargin;
    if (Clock::now() < wakeUp)
        std::this_thread::sleep_until(wakeUp);
    // Busy until the deadline: giving the processor away here would queue the
    // thread behind every other runnable one.
    while (Clock::now() < deadline) {}
}

void RealSleeper::yield()
{
    std::this_thread::yield();
}

}   // namespace orvane::link
