#include "macro/MacroEvents.h"

#include <algorithm>
#include <string>

namespace orvane::macro {
namespace {

using keymap::KeyNameTable;

std::u16string ascii(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

uint8_t delayByteFor(bool release, uint16_t ms)
{
    return static_cast<uint8_t>((release ? kReleaseBit : 0) | ms);
}

// Removes n bytes at `at` from both arrays; the end fills with 0.
void removeBytes(EventArrays& a, std::size_t at, std::size_t n)
{
    for (EventBytes* e : {&a.device, &a.key}) {
        std::copy(e->begin() + at + n, e->end(), e->begin() + at);
        std::fill(e->end() - n, e->end(), uint8_t{0});
    }
}

// Opens n bytes at `at` in both arrays; callers have checked that the last event still fits.
void openBytes(EventArrays& a, std::size_t at, std::size_t n)
{
    for (EventBytes* e : {&a.device, &a.key}) {
        std::copy_backward(e->begin() + at, e->end() - n, e->end());
        std::fill_n(e->begin() + at, n, uint8_t{0});
    }
}

void writeTiming(EventArrays& a, std::size_t at, uint8_t t)
{
    a.device[at] = t;
    a.key[at] = t;
}

void writeLongDelay(EventArrays& a, std::size_t at, uint16_t ms)
{
    for (EventBytes* e : {&a.device, &a.key}) {
        (*e)[at + 2] = static_cast<uint8_t>(ms >> 8);
        (*e)[at + 3] = static_cast<uint8_t>(ms & 0xFF);
    }
}

// The first event never carries a delay: T becomes 0x01/0x81 and a long first
// event loses its two delay bytes (leaving them would make them read as an event).
void clearFirstDelay(EventArrays& a)
{
    const std::vector<MacroEvent> events = parseEvents(a);
    if (events.empty())
        return;
    const MacroEvent& first = events.front();
    if (first.isLong)
        removeBytes(a, first.offset + kShortSize, kLongSize - kShortSize);
    writeTiming(a, first.offset, delayByteFor(first.release, kNoDelay));
}

// Rewrites the delay of one event in both arrays; false when it must grow and cannot.
bool rewriteDelay(EventArrays& a, const MacroEvent& ev, uint16_t ms)
{
    if (ms < kFirstLongDelay) {
        if (ev.isLong)
            removeBytes(a, ev.offset + kShortSize, kLongSize - kShortSize);
        writeTiming(a, ev.offset, delayByteFor(ev.release, ms));
        return true;
    }
    if (!ev.isLong) {
        if (appendPosition(a) + (kLongSize - kShortSize) > kEventBytes)
            return false;
        openBytes(a, ev.offset + kShortSize, kLongSize - kShortSize);
    }
    writeTiming(a, ev.offset, delayByteFor(ev.release, kDelayBits));
    writeLongDelay(a, ev.offset, ms);
    return true;
}

// Zeroes whatever follows the last whole event (malformed input), so no shift
// can later turn leftover bytes into events.
void trimTail(EventArrays& a)
{
    const std::size_t end = appendPosition(a);
    std::fill(a.device.begin() + end, a.device.end(), uint8_t{0});
    std::fill(a.key.begin() + end, a.key.end(), uint8_t{0});
}

bool isBoundary(const std::vector<MacroEvent>& events, std::size_t offset)
{
    if (offset == (events.empty() ? 0 : events.back().end()))
        return true;
    return std::any_of(events.begin(), events.end(), [&](const MacroEvent& e) { return e.offset == offset; });
}

}   // namespace

EventArrays loadEvents(const MacroRecord& r)
{
    return {deviceEvents(r), keyEvents(r)};
}

uint16_t normaliseDelay(uint32_t ms)
{
    return static_cast<uint16_t>(std::clamp<uint32_t>(ms, 1, kMaxDelay));
}

std::vector<MacroEvent> parseEvents(const EventArrays& a)
{
    std::vector<MacroEvent> events;
    std::size_t at = 0;
    std::size_t line = 0;
    while (at + kShortSize <= kEventBytes) {
        MacroEvent ev;
        ev.offset = at;
        const uint8_t t = a.device[at];
        ev.usage = a.device[at + 1];
        ev.vk = a.key[at + 1];
        if (ev.usage == 0 || ev.vk == 0)
            break;
        ev.release = (t & kReleaseBit) != 0;
        ev.isLong = (t & kDelayBits) == kDelayBits;
        ev.size = ev.isLong ? kLongSize : kShortSize;
        if (at + ev.size > kEventBytes)
            break;   // a long header without its delay bytes: not an event
        ev.delay = ev.isLong ? static_cast<uint16_t>(a.device[at + 2] << 8 | a.device[at + 3])
                             : static_cast<uint16_t>(t & kDelayBits);
        ev.hasDelayLine = normaliseDelay(ev.delay) != kNoDelay && (ev.release || !events.empty());
        ev.firstLine = line;
        line += ev.hasDelayLine ? 2 : 1;
        events.push_back(ev);
        at += ev.size;
    }
    return events;
}

std::size_t appendPosition(const EventArrays& a)
{
    const std::vector<MacroEvent> events = parseEvents(a);
    return events.empty() ? 0 : events.back().end();
}

std::u16string delayLineText(uint16_t ms)
{
    return ascii(std::to_string(ms) + " ms");
}

std::u16string keyLineText(const KeyNameTable& names, uint8_t vk, bool release)
{
    return names.name(vk) + (release ? u" up" : u" dn");
}

std::vector<std::u16string> eventLines(const EventArrays& a, const KeyNameTable& names)
{
    std::vector<std::u16string> lines;
    for (const MacroEvent& ev : parseEvents(a)) {
        if (ev.hasDelayLine)
            lines.push_back(delayLineText(normaliseDelay(ev.delay)));
        lines.push_back(keyLineText(names, ev.vk, ev.release));
    }
    return lines;
}

std::size_t boundaryBeforeLine(const EventArrays& a, std::size_t line)
{
    std::size_t offset = 0;
    for (const MacroEvent& ev : parseEvents(a)) {
        if (ev.keyLine() >= line)
            break;
        offset = ev.end();
    }
    return offset;
}

std::optional<LineOwner> lineOwner(const EventArrays& a, std::size_t line)
{
    const std::vector<MacroEvent> events = parseEvents(a);
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (line >= events[i].firstLine && line <= events[i].keyLine())
            return LineOwner{i, events[i].hasDelayLine && line == events[i].firstLine};
    }
    return std::nullopt;
}

bool insertEvent(EventArrays& a, std::size_t offset, uint8_t vk, bool release, const KeyNameTable& names)
{
    trimTail(a);
    const uint8_t usage = names.usage(vk);
    const std::vector<MacroEvent> events = parseEvents(a);
    const std::size_t end = events.empty() ? 0 : events.back().end();
    if (vk == 0 || usage == 0 || !isBoundary(events, offset) || end + kShortSize > kEventBytes)
        return false;
    openBytes(a, offset, kShortSize);
    writeTiming(a, offset, delayByteFor(release, kNoDelay));
    a.device[offset + 1] = usage;
    a.key[offset + 1] = vk;
    return true;
}

bool insertEventBeforeLine(EventArrays& a, std::size_t line, uint8_t vk, bool release, const KeyNameTable& names)
{
    return insertEvent(a, boundaryBeforeLine(a, line), vk, release, names);
}

bool deleteLine(EventArrays& a, std::size_t line)
{
    trimTail(a);
    const std::optional<LineOwner> owner = lineOwner(a, line);
    if (!owner)
        return false;
    const MacroEvent ev = parseEvents(a)[owner->event];
    if (owner->delayLine)
        rewriteDelay(a, ev, kNoDelay);   // shrinks or keeps the size: cannot fail
    else
        removeBytes(a, ev.offset, ev.size);
    clearFirstDelay(a);
    return true;
}

bool setDelay(EventArrays& a, std::size_t line, uint32_t ms)
{
    trimTail(a);
    const std::optional<LineOwner> owner = lineOwner(a, line);
    if (!owner)
        return false;
    if (!rewriteDelay(a, parseEvents(a)[owner->event], normaliseDelay(ms)))
        return false;
    clearFirstDelay(a);
    return true;
}

bool giveNextEvent50ms(EventArrays& a, std::size_t line)
{
    trimTail(a);
    const std::optional<LineOwner> owner = lineOwner(a, line);
    const std::vector<MacroEvent> events = parseEvents(a);
    if (!owner || owner->delayLine || owner->event + 1 >= events.size())
        return false;
    rewriteDelay(a, events[owner->event + 1], kInsertDelayMs);   // never grows
    clearFirstDelay(a);
    return true;
}

bool storeBack(MacroRecord& r, const StoreBackState& state, const EventArrays& a)
{
    const bool named = setRecordName(r, state.name);
    setLoopCount(r, state.loopsOn ? state.loopValue : 1);
    setRecordDelay(r, state.recordDelay);
    setEvents(r, a.device, a.key);
    return named;
}

RecordedEvent appendRecordedEvent(EventArrays& a, uint8_t vk, bool release, uint32_t delayMs, bool withDelay,
                                  bool listEmpty, const KeyNameTable& names)
{
    trimTail(a);
    RecordedEvent result;
    const uint8_t usage = names.usage(vk);
    const std::size_t at = appendPosition(a);
    const bool timed = withDelay && !listEmpty && at > 0;
    const uint16_t ms = timed ? normaliseDelay(delayMs) : kNoDelay;
    const std::size_t size = ms >= kFirstLongDelay ? kLongSize : kShortSize;
    if (vk == 0 || usage == 0 || (!release && at >= kPressLimit) || at + size > kEventBytes)
        return result;
    writeTiming(a, at, delayByteFor(release, size == kLongSize ? kDelayBits : ms));
    a.device[at + 1] = usage;
    a.key[at + 1] = vk;
    if (size == kLongSize)
        writeLongDelay(a, at, ms);
    result.appended = true;
    if (timed && ms != kNoDelay)
        result.delayLine = delayLineText(ms);
    result.keyLine = keyLineText(names, vk, release);
    return result;
}

uint32_t delayFromTicks(uint64_t elapsedTicks, uint64_t frequency)
{
    if (frequency == 0)
        return 0;
    const unsigned __int128 us = static_cast<unsigned __int128>(elapsedTicks) * 1000000u / frequency;
    const unsigned __int128 ms = us / 1000u;
    return ms > kMaxDelay ? kMaxDelay : static_cast<uint32_t>(ms);
}

}   // namespace orvane::macro
