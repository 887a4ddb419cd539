#pragma once
// A macro manager over a store, with a scripted hook and a clock that tests move by hand.

#include "macro/MacroManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace macrotest {

using namespace orvane::macro;

class ScriptedHook final : public KeyHook {
public:
    bool result = true;   // what install answers
    int installs = 0;
    int removes = 0;
    bool installed = false;
    bool install(int mode) override
    {
        EXPECT_EQ(mode, 1);
        ++installs;
        installed = result;
        return result;
    }
    void remove() override
    {
        ++removes;
        installed = false;
    }
};

class ManualClock final : public MonotonicClock {
public:
    static constexpr uint64_t kHz = 3'579'545;   // an odd frequency: the ms arithmetic must not assume 1 kHz multiples
    uint64_t now = 1'000'000;
    uint64_t frequency() const override { return kHz; }
    uint64_t ticks() const override { return now; }
    void advanceMs(uint64_t ms) { now += ms * kHz / 1000 + 1; }
};

inline MacroRecord named(const std::u16string& name)
{
    MacroRecord r{};
    EXPECT_TRUE(setRecordName(r, name));
    setLoopCount(r, 1);
    return r;
}

struct Manager : ::testing::Test {
    orvane::keymap::KeyNameTable names = orvane::keymap::BuildKeyNameTable();
    MacroStore store;
    ScriptedHook hook;
    ManualClock clock;
    MacroManager mgr{store, names, hook, clock};

    static constexpr uint8_t A = 0x41, B = 0x42, C = 0x43;

    // Opens with the given macro names in the saved store.
    void openWith(const std::vector<std::u16string>& macroNames)
    {
        for (std::size_t i = 0; i < macroNames.size(); ++i)
            store.saved()[i] = named(macroNames[i]);
        mgr.open();
    }
    void press(uint8_t vk, uint64_t afterMs = 0)
    {
        clock.advanceMs(afterMs);
        mgr.onKeyHook(vk, false);
    }
    void release(uint8_t vk, uint64_t afterMs = 0)
    {
        clock.advanceMs(afterMs);
        mgr.onKeyHook(vk, true);
    }
    std::u16string dn(uint8_t vk) const { return keyLineText(names, vk, false); }
    std::u16string up(uint8_t vk) const { return keyLineText(names, vk, true); }
    const MacroRecord& working(std::size_t n) const { return store.working()[n]; }
    // The T bytes of the selected macro's events in order.
    std::vector<uint8_t> timings() const
    {
        std::vector<uint8_t> t;
        for (const MacroEvent& e : parseEvents(mgr.events()))
            t.push_back(mgr.events().device[e.offset]);
        return t;
    }
};

}   // namespace macrotest
