#pragma once
// The pacing of the command protocol. Every pause of the protocol goes through a
// Sleeper, so tests record the exact pauses without waiting and programs get
// precise real sleeps.

#include <atomic>

namespace orvane::link {

class Sleeper {
public:
    virtual ~Sleeper() = default;
    // Pauses the calling thread for `ms` milliseconds.
    virtual void sleep(int ms) = 0;
    // Gives up the processor once (a zero-length sleep).
    virtual void yield() = 0;
};

// The real clock. A pause ends within a few tens of microseconds after its
// deadline: the thread sleeps until shortly before it and spins the rest, since
// a plain sleep overshoots by up to a millisecond and the protocol has hundreds
// of pauses per transfer sequence.
class RealSleeper final : public Sleeper {
public:
    void sleep(int ms) override;
    void yield() override;
};

// Adds up the pauses it is asked for and forwards them; the benchmark uses it to
// learn each step's protocol minimum.
class CountingSleeper final : public Sleeper {
public:
    explicit CountingSleeper(Sleeper& inner) : inner_(inner) {}
    void sleep(int ms) override
    {
        total_ += ms;
        inner_.sleep(ms);
    }
    void yield() override { inner_.yield(); }
    long long totalMs() const { return total_; }
    void reset() { total_ = 0; }

private:
    Sleeper& inner_;
    std::atomic<long long> total_{0};
};

}   // namespace orvane::link
