#include "macro/MacroRecorder.h"

#include <gtest/gtest.h>

using namespace orvane::macro;

namespace {

constexpr uint64_t kHz = 10'000'000;   // ticks per second
constexpr uint64_t ms(uint64_t n)
{
    return n * kHz / 1000;
}

struct Recording : ::testing::Test {
    orvane::keymap::KeyNameTable names = orvane::keymap::BuildKeyNameTable();
    MacroRecorder rec{names, kHz};
    void SetUp() override { rec.start(); }
};

}   // namespace

TEST_F(Recording, HeldKeyGivesOneDownAndOneUpWithTheWholeHold)
{
    EXPECT_TRUE(rec.onKey(0x41, false, ms(1000), true));
    EXPECT_FALSE(rec.onKey(0x41, false, ms(1500), true));   // auto-repeat
    EXPECT_FALSE(rec.onKey(0x41, false, ms(1900), true));
    EXPECT_TRUE(rec.onKey(0x41, true, ms(2000), true));
    EXPECT_EQ(rec.lines(), (std::vector<std::u16string>{u"A  dn", u"1000 ms", u"A  up"}));
    const EventArrays& e = rec.events();
    EXPECT_EQ(e.device[0], 0x01);   // the first event never has a delay
    EXPECT_EQ(e.device[2], 0xFF);
    EXPECT_EQ(e.device[4], 0x03);
    EXPECT_EQ(e.device[5], 0xE8);
}

TEST_F(Recording, RepeatCheckComparesWithTheLastLineOnly)
{
    rec.onKey(0x41, false, ms(0), false);
    rec.onKey(0x41, true, ms(10), false);
    EXPECT_TRUE(rec.onKey(0x41, false, ms(20), false));
    EXPECT_EQ(rec.keyLineCount(), 3u);
    EXPECT_EQ(rec.lines().size(), 3u);   // "Record Delay" off: no delay lines
    EXPECT_EQ(rec.events().device[2], 0x81);
    EXPECT_EQ(rec.events().device[4], 0x01);
}

TEST_F(Recording, LongPauseIsCappedAndSameMillisecondIsNoDelay)
{
    rec.onKey(0x41, false, ms(0), true);
    rec.onKey(0x42, false, ms(120000), true);   // 2 minutes
    rec.onKey(0x42, true, ms(120000), true);    // same millisecond
    EXPECT_EQ(rec.lines(), (std::vector<std::u16string>{u"A  dn", u"60000 ms", u"B  dn", u"B  up"}));
    EXPECT_EQ(rec.events().device[4], 0xEA);
    EXPECT_EQ(rec.events().device[5], 0x60);
    EXPECT_EQ(rec.events().device[6], 0x81);
}

TEST_F(Recording, PressesStopAt184ButHeldReleasesStillFit)
{
    for (int i = 0; i < 46; ++i) {   // 46 x (dn + up) = 184 bytes
        ASSERT_TRUE(rec.onKey(0x41, false, ms(i * 10), false));
        ASSERT_TRUE(rec.onKey(0x41, true, ms(i * 10 + 5), false));
    }
    EXPECT_EQ(appendPosition(rec.events()), 184u);
    EXPECT_FALSE(rec.onKey(0x42, false, ms(1000), false));
    EXPECT_TRUE(rec.onKey(0x43, true, ms(1001), false));
    EXPECT_TRUE(rec.onKey(0x44, true, ms(1002), false));
    EXPECT_TRUE(rec.onKey(0x45, true, ms(1003), false));
    EXPECT_FALSE(rec.onKey(0x46, true, ms(1004), false));   // 190 reached
    EXPECT_EQ(appendPosition(rec.events()), 190u);
}

TEST_F(Recording, ResumeContinuesAtTheEndOfAnotherMacro)
{
    rec.onKey(0x41, false, ms(0), true);
    const EventArrays first = rec.events();
    rec.start();
    rec.resume(first);
    EXPECT_TRUE(rec.onKey(0x42, false, ms(50), true));
    EXPECT_EQ(rec.lines(), (std::vector<std::u16string>{u"A  dn", u"50 ms", u"B  dn"}));
    EXPECT_FALSE(rec.onKey(0x07, false, ms(60), true));   // no usage: never recorded
}
