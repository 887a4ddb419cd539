#include "macro/MacroEvents.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace orvane::macro;
using orvane::keymap::BuildKeyNameTable;
using orvane::keymap::KeyNameTable;

namespace {

const KeyNameTable& names()
{
    static const KeyNameTable t = BuildKeyNameTable();
    return t;
}

// Builds both arrays from raw device bytes: the key array gets the same T and
// delay bytes, with each code replaced through `vks` (one per event, in order).
EventArrays make(std::initializer_list<uint8_t> device, std::initializer_list<uint8_t> vks)
{
    EventArrays a;
    std::copy(device.begin(), device.end(), a.device.begin());
    a.key = a.device;
    std::size_t at = 0;
    for (uint8_t vk : vks) {
        a.key[at + 1] = vk;
        at += (a.device[at] & 0x7F) == 0x7F ? 4 : 2;
    }
    return a;
}

// A dn, A up (300 ms, long), B dn (5 ms), B up (1 ms)
EventArrays sample()
{
    return make({0x01, 0x04, 0xFF, 0x04, 0x01, 0x2C, 0x05, 0x05, 0x81, 0x05}, {0x41, 0x41, 0x42, 0x42});
}

std::vector<std::u16string> lines(const EventArrays& a)
{
    return eventLines(a, names());
}

// n short presses of A with no delay.
EventArrays filled(std::size_t n)
{
    EventArrays a;
    for (std::size_t i = 0; i < n; ++i) {
        a.device[2 * i] = 0x01;
        a.device[2 * i + 1] = 0x04;
        a.key[2 * i] = 0x01;
        a.key[2 * i + 1] = 0x41;
    }
    return a;
}

}   // namespace

TEST(MacroEventsTest, LinesOfASequence)
{
    const std::vector<std::u16string> expected = {u"A  dn", u"300 ms", u"A  up", u"5 ms", u"B  dn", u"B  up"};
    EXPECT_EQ(lines(sample()), expected);
    EXPECT_EQ(appendPosition(sample()), 10u);
    EXPECT_TRUE(lines(EventArrays{}).empty());
}

TEST(MacroEventsTest, MouseButtonsAndNoDelayLines)
{
    // A press 1 ms after another event shows no delay line; 0 ms is treated the same.
    const EventArrays a = make({0x01, 0xF0, 0x81, 0xF0, 0x01, 0xF1, 0x80, 0xF1}, {0xF0, 0xF0, 0xF1, 0xF1});
    const std::vector<std::u16string> expected = {u"MsLB dn", u"MsLB up", u"MsRB dn", u"MsRB up"};
    EXPECT_EQ(lines(a), expected);
    EXPECT_EQ(boundaryBeforeLine(a, 3), 6u);
    EXPECT_EQ(normaliseDelay(0), 1);
    EXPECT_EQ(normaliseDelay(70000), 60000);
}

TEST(MacroEventsTest, LineToOffsetAndOwner)
{
    const EventArrays a = sample();
    struct Case {
        std::size_t line;
        std::size_t boundary;
        std::size_t event;
        bool delay;
    };
    for (const Case& c : {Case{0, 0, 0, false}, Case{1, 2, 1, true}, Case{2, 2, 1, false}, Case{3, 6, 2, true},
                          Case{4, 6, 2, false}, Case{5, 8, 3, false}}) {
        EXPECT_EQ(boundaryBeforeLine(a, c.line), c.boundary) << c.line;
        const auto owner = lineOwner(a, c.line);
        ASSERT_TRUE(owner) << c.line;
        EXPECT_EQ(owner->event, c.event) << c.line;
        EXPECT_EQ(owner->delayLine, c.delay) << c.line;
    }
    EXPECT_EQ(boundaryBeforeLine(a, 6), 10u);
    EXPECT_FALSE(lineOwner(a, 6));
}

TEST(MacroEventsTest, RecordedDelaysAt126And127AndAbove60000)
{
    struct Case {
        uint32_t ms;
        std::vector<uint8_t> bytes;
    };
    for (const Case& c : {Case{126, {126, 0x04}}, Case{127, {0x7F, 0x04, 0x00, 0x7F}},
                          Case{70000, {0x7F, 0x04, 0xEA, 0x60}}, Case{0, {0x01, 0x04}}}) {
        EventArrays a = make({0x01, 0x05}, {0x42});
        const RecordedEvent r = appendRecordedEvent(a, 0x41, false, c.ms, true, false, names());
        ASSERT_TRUE(r.appended) << c.ms;
        EXPECT_EQ(std::vector<uint8_t>(a.device.begin() + 2, a.device.begin() + 2 + c.bytes.size()), c.bytes) << c.ms;
        EXPECT_EQ(a.key[3], 0x41);
        EXPECT_EQ(a.key[2], a.device[2]);
        EXPECT_EQ(r.delayLine.has_value(), c.ms > 1) << c.ms;
    }
    EventArrays rel = make({0x01, 0x05}, {0x42});
    appendRecordedEvent(rel, 0x42, true, 126, true, false, names());
    EXPECT_EQ(rel.device[2], 254);
}

TEST(MacroEventsTest, RecordingRules)
{
    EventArrays a;
    RecordedEvent first = appendRecordedEvent(a, 0x41, false, 5000, true, true, names());
    ASSERT_TRUE(first.appended);
    EXPECT_EQ(a.device[0], 0x01);   // the first event never has a delay
    EXPECT_FALSE(first.delayLine);
    EXPECT_EQ(first.keyLine, u"A  dn");

    RecordedEvent off = appendRecordedEvent(a, 0x41, true, 5000, false, false, names());
    EXPECT_EQ(a.device[2], 0x81);
    EXPECT_FALSE(off.delayLine);

    EXPECT_FALSE(appendRecordedEvent(a, 0x07, false, 1, true, false, names()).appended);   // no usage
    EXPECT_EQ(appendPosition(a), 4u);

    EventArrays full = filled(92);   // 184 bytes
    EXPECT_FALSE(appendRecordedEvent(full, 0x41, false, 1, false, false, names()).appended);
    EXPECT_TRUE(appendRecordedEvent(full, 0x41, true, 300, true, false, names()).appended);    // 4 bytes, to 188
    EXPECT_FALSE(appendRecordedEvent(full, 0x41, true, 300, true, false, names()).appended);   // would pass 190
    EXPECT_TRUE(appendRecordedEvent(full, 0x41, true, 3, true, false, names()).appended);      // 2 bytes fit
    EXPECT_EQ(appendPosition(full), 190u);
}

TEST(MacroEventsTest, DelayFromTicks)
{
    EXPECT_EQ(delayFromTicks(1234567, 1000000), 1234u);
    EXPECT_EQ(delayFromTicks(120ull * 3000000000ull, 3000000000ull), 60000u);   // 2 minutes
    EXPECT_EQ(delayFromTicks(~0ull, 1), 60000u);
    EXPECT_EQ(delayFromTicks(5, 0), 0u);
}

TEST(MacroEventsTest, InsertShiftsBothArraysAndRefusesWhatDoesNotFit)
{
    EventArrays a = sample();
    ASSERT_TRUE(insertEventBeforeLine(a, 2, 0x43, false, names()));   // before "A  up" (its delay line's event)
    EXPECT_EQ(lines(a)[1], u"C  dn");
    EXPECT_EQ(a.device[2], 0x01);
    EXPECT_EQ(a.device[3], 0x06);
    EXPECT_EQ(a.key[3], 0x43);
    EXPECT_EQ(a.device[4], 0xFF);
    EXPECT_EQ(appendPosition(a), 12u);

    const EventArrays before = a;
    EXPECT_FALSE(insertEvent(a, 3, 0x43, false, names()));   // inside an event
    EXPECT_FALSE(insertEvent(a, 0, 0x07, false, names()));   // usage 0
    EXPECT_FALSE(insertEvent(a, 0, 0x00, true, names()));
    EXPECT_EQ(a, before);

    EventArrays full = filled(95);
    const EventArrays fullBefore = full;
    EXPECT_FALSE(insertEvent(full, 0, 0x42, false, names()));
    EXPECT_EQ(full, fullBefore);
    EventArrays almost = filled(94);
    EXPECT_TRUE(insertEvent(almost, 188, 0xF2, true, names()));
    EXPECT_EQ(lines(almost).back(), u"MsMB up");
}

TEST(MacroEventsTest, DeleteKeyLineAndDelayLine)
{
    EventArrays a = sample();
    ASSERT_TRUE(deleteLine(a, 2));   // "A  up" with its 300 ms
    EXPECT_EQ(lines(a), (std::vector<std::u16string>{u"A  dn", u"5 ms", u"B  dn", u"B  up"}));
    EXPECT_EQ(appendPosition(a), 6u);
    EXPECT_EQ(a.device[6], 0);
    EXPECT_EQ(a.key[9], 0);

    EventArrays b = sample();
    ASSERT_TRUE(deleteLine(b, 1));   // the 300 ms line: the long event becomes short
    EXPECT_EQ(b.device[2], 0x81);
    EXPECT_EQ(b.device[3], 0x04);
    EXPECT_EQ(b.device[4], 0x05);
    EXPECT_EQ(appendPosition(b), 8u);
    EXPECT_FALSE(deleteLine(b, 99));
}

TEST(MacroEventsTest, DeletingTheFirstEventRemovesTheDelayOfTheNew)
{
    EventArrays a = sample();
    ASSERT_TRUE(deleteLine(a, 0));
    // A up was long (300 ms): it is now first, short, without delay.
    EXPECT_EQ(a.device[0], 0x81);
    EXPECT_EQ(a.device[1], 0x04);
    EXPECT_EQ(a.key[0], 0x81);
    EXPECT_EQ(a.key[1], 0x41);
    EXPECT_EQ(lines(a), (std::vector<std::u16string>{u"A  up", u"5 ms", u"B  dn", u"B  up"}));
}

TEST(MacroEventsTest, DelayGrowsAndShrinks)
{
    EventArrays a = sample();
    ASSERT_TRUE(setDelay(a, 3, 300));   // B dn: 5 ms -> 300 ms, grows by 2
    EXPECT_EQ(appendPosition(a), 12u);
    EXPECT_EQ(a.device[6], 0x7F);
    EXPECT_EQ(a.device[8], 0x01);
    EXPECT_EQ(a.device[9], 0x2C);
    EXPECT_EQ(a.key[7], 0x42);
    EXPECT_EQ(a.key[8], 0x01);
    EXPECT_EQ(a.device[10], 0x81);

    ASSERT_TRUE(setDelay(a, 1, 100));   // A up: 300 -> 100 ms, shrinks by 2
    EXPECT_EQ(appendPosition(a), 10u);
    EXPECT_EQ(a.device[2], 0x80 | 100);
    EXPECT_EQ(a.device[4], 0x7F);
    EXPECT_EQ(lines(a)[1], u"100 ms");

    ASSERT_TRUE(setDelay(a, 1, 70000));
    EXPECT_EQ(a.device[4], 0xEA);
    EXPECT_EQ(a.device[5], 0x60);
}

TEST(MacroEventsTest, GrowthThatDoesNotFitIsRefused)
{
    EventArrays a = filled(95);
    a.device[2] = a.key[2] = 0x05;
    const EventArrays before = a;
    EXPECT_FALSE(setDelay(a, 1, 300));
    EXPECT_EQ(a, before);
    EXPECT_TRUE(setDelay(a, 1, 100));
}

TEST(MacroEventsTest, InsertDelayGivesTheNextEvent50ms)
{
    EventArrays a = sample();
    ASSERT_TRUE(giveNextEvent50ms(a, 0));   // next is the long A up
    EXPECT_EQ(a.device[2], 0xB2);
    EXPECT_EQ(a.device[4], 0x05);   // shrunk: B dn (5 ms) follows directly
    EXPECT_EQ(appendPosition(a), 8u);
    ASSERT_TRUE(giveNextEvent50ms(a, 4));   // "B  dn" -> B up gets 50 ms
    EXPECT_EQ(a.device[6], 0xB2);
    EXPECT_FALSE(giveNextEvent50ms(a, 6));   // last line
    EXPECT_FALSE(giveNextEvent50ms(a, 1));   // a delay line
    const std::vector<std::u16string> expected = {u"A  dn", u"50 ms", u"A  up", u"5 ms", u"B  dn", u"50 ms", u"B  up"};
    EXPECT_EQ(lines(a), expected);
}

TEST(MacroEventsTest, MalformedBytesAreReadOnlyAsWholeEvents)
{
    EventArrays a = filled(94);
    a.device[188] = a.key[188] = 0x7F;   // long header with no room for its delay
    a.device[189] = 0x04;
    a.key[189] = 0x41;
    EXPECT_EQ(appendPosition(a), 188u);
    EXPECT_EQ(lines(a).size(), 94u);
    ASSERT_TRUE(deleteLine(a, 0));
    EXPECT_EQ(appendPosition(a), 186u);   // the stray header does not slide into view
    EXPECT_EQ(a.device[186], 0);

    // A device code missing ends the sequence there, whatever the key array says.
    EventArrays b = make({0x01, 0x04, 0x01, 0x00, 0x01, 0x05}, {0x41, 0x42, 0x42});
    EXPECT_EQ(appendPosition(b), 2u);
}

TEST(MacroEventsTest, StoreBackWritesTheRecord)
{
    MacroRecord r{};
    ASSERT_TRUE(setRecordName(r, u"old"));
    const EventArrays a = sample();
    EXPECT_TRUE(storeBack(r, {u"new", true, 12, true}, a));
    EXPECT_EQ(recordName(r), u"new");
    EXPECT_EQ(loopCount(r), 12);
    EXPECT_TRUE(recordDelay(r));
    EXPECT_EQ(loadEvents(r), a);
    EXPECT_FALSE(storeBack(r, {u"", false, 12, false}, a));
    EXPECT_EQ(recordName(r), u"new");
    EXPECT_EQ(loopCount(r), 1);
    EXPECT_FALSE(recordDelay(r));
}
