#pragma once
// Test doubles for the link: a sleeper that records pauses into a shared log
// without waiting, and a scripted command interface that records every transfer
// in the trace's notation ("SF 00 80 ... 7f").

#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "link/Sleeper.h"
#include "platform/hid/Transport.h"
#include "tests/support/Hex.h"

namespace orvane::link::testing {

using orvane::test::hex;

class Log {
public:
    void add(std::string line)
    {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }
    std::vector<std::string> lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    void clear()
    {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Records "sleep N" and "yield"; `onSleep` lets a test act at a given pause.
class RecordingSleeper final : public Sleeper {
public:
    explicit RecordingSleeper(Log* log = nullptr) : log_(log) {}
    void sleep(int ms) override
    {
        total_ += ms;
        if (log_)
            log_->add("sleep " + std::to_string(ms));
        if (onSleep)
            onSleep(ms);
    }
    void yield() override
    {
        if (log_)
            log_->add("yield");
    }
    long long total() const { return total_; }
    std::function<void(int)> onSleep;

private:
    Log* log_;
    std::atomic<long long> total_{0};
};

// A command interface with scripted answers and input reports.
class FakeDevice final : public hid::Device {
public:
    explicit FakeDevice(Log& log) : log_(log) { info_.path = "fake"; }

    const hid::InterfaceInfo& info() const override { return info_; }
    bool setFeature(std::span<const uint8_t> r, hid::Millis) override
    {
        if (failAll)
            return false;
        if (failSetFeatures > 0) {
            --failSetFeatures;
            return false;
        }
        log_.add("SF " + hex(r));
        return true;
    }
    bool getFeature(std::span<uint8_t> r, hid::Millis) override
    {
        if (failAll || answers.empty())
            return false;
        std::vector<uint8_t> a = answers.front();
        answers.pop_front();
        std::copy(a.begin(), a.end(), r.begin());
        log_.add("GF " + hex(r));
        return true;
    }
    bool writeReport(std::span<const uint8_t> r, hid::Millis) override
    {
        if (failAll)
            return false;
        log_.add("W " + hex(r));
        return true;
    }
    int readReport(std::span<uint8_t> buffer, hid::Millis) override
    {
        if (failAll || input.empty())
            return 0;
        std::vector<uint8_t> in = input.front();
        input.pop_front();
        std::copy(in.begin(), in.end(), buffer.begin());
        log_.add("R " + hex(buffer.first(in.size())));
        return static_cast<int>(in.size());
    }
    void drainInput() override { log_.add("drain"); }
    void interruptRead() override {}

    std::deque<std::vector<uint8_t>> answers;
    std::deque<std::vector<uint8_t>> input;
    bool failAll = false;
    int failSetFeatures = 0;   // the next ones fail; answers stay queued, as a keyboard keeps its last

private:
    Log& log_;
    hid::InterfaceInfo info_;
};

}   // namespace orvane::link::testing
