#pragma once
// The event encoding of a macro and every operation on an event sequence: the
// pair of working arrays (device form and key form) that the macro manager
// edits, its event-list lines, and the append of recorded events.
//
// Encoding: a short event is T, C with T bit 7 = release and T bits 0..6 = the
// delay before it (1..126 ms, 1 = no delay); a long event is T = 0x7F/0xFF, C,
// then the delay 127..60000 ms big-endian. The sequence ends at the first event
// whose code is 0; the first event never carries a delay.
//
// Every operation keeps every event whole: one that would not fit in the 190
// bytes is refused (false) and leaves both arrays as they were. Reading never
// goes past byte 190, also on malformed bytes (a long header in the last bytes).

#include "model/KeyTables.h"
#include "macro/MacroStore.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::macro {

inline constexpr uint8_t kReleaseBit = 0x80;
inline constexpr uint8_t kDelayBits = 0x7F;   // also the long-event marker
inline constexpr uint8_t kNoDelay = 0x01;
inline constexpr uint16_t kFirstLongDelay = 127;
inline constexpr uint16_t kMaxDelay = 60000;
inline constexpr uint8_t kInsertDelayMs = 50;     // "Insert Delay"
inline constexpr std::size_t kPressLimit = 184;   // presses are recorded only below this position
inline constexpr std::size_t kShortSize = 2;
inline constexpr std::size_t kLongSize = 4;
inline constexpr uint8_t kMouseLeft = 0xF0, kMouseRight = 0xF1, kMouseMiddle = 0xF2;

struct EventArrays {
    EventBytes device{};   // codes are keyboard usages
    EventBytes key{};      // codes are virtual-key codes; same T and delay bytes
    friend bool operator==(const EventArrays&, const EventArrays&) = default;
};

EventArrays loadEvents(const MacroRecord& r);

struct MacroEvent {
    std::size_t offset = 0;
    std::size_t size = 0;   // 2 or 4
    bool release = false;
    bool isLong = false;
    uint16_t delay = 0;          // as stored: d of a short event, Dh*256+Dl of a long one
    uint8_t usage = 0;           // code in the device array
    uint8_t vk = 0;              // code in the key array
    std::size_t firstLine = 0;   // its delay line when it has one, else its key line
    bool hasDelayLine = false;
    std::size_t keyLine() const { return firstLine + (hasDelayLine ? 1 : 0); }
    std::size_t end() const { return offset + size; }
};

// A delay below 1 ms (two events in the same millisecond) is "no delay": it is
// stored as 1, shown without a delay line, and counts one line.
uint16_t normaliseDelay(uint32_t ms);

// The events in order, up to the first code 0 (in either array) or the first
// event that does not fit in the 190 bytes.
std::vector<MacroEvent> parseEvents(const EventArrays& a);
// End of the last event: where recording appends.
std::size_t appendPosition(const EventArrays& a);

std::u16string delayLineText(uint16_t ms);                                                 // "%d ms"
std::u16string keyLineText(const keymap::KeyNameTable& names, uint8_t vk, bool release);   // "%s dn" / "%s up"

// Algorithm 1: the lines of the event list.
std::vector<std::u16string> eventLines(const EventArrays& a, const keymap::KeyNameTable& names);

// Algorithm 2: the byte boundary before list line L (the sum of the sizes of the
// events whose lines all lie before L; past the end gives the append position),
// and the event that owns line L.
std::size_t boundaryBeforeLine(const EventArrays& a, std::size_t line);
struct LineOwner {
    std::size_t event;   // index into parseEvents()
    bool delayLine;      // L is the event's delay line
};
std::optional<LineOwner> lineOwner(const EventArrays& a, std::size_t line);

// Algorithm 3: inserts the event T = 0x01/0x81, code at the event boundary
// `offset`. Refused when `offset` is not a boundary, the key has no usage (a 0
// would end the keyboard's sequence there) or the sequence would pass 190 bytes.
bool insertEvent(EventArrays& a, std::size_t offset, uint8_t vk, bool release, const keymap::KeyNameTable& names);
bool insertEventBeforeLine(EventArrays& a, std::size_t line, uint8_t vk, bool release,
                           const keymap::KeyNameTable& names);

// Algorithm 4: a key line removes its event, a delay line removes the delay.
bool deleteLine(EventArrays& a, std::size_t line);

// Algorithm 5: the event that owns line L gets the delay V (clamped to 1..60000).
// Refused when a short event would have to grow beyond the 190 bytes.
bool setDelay(EventArrays& a, std::size_t line, uint32_t ms);

// Algorithm 7, "Insert Delay": for a key line L that is not the last line, the
// next event gets 50 ms (a long one becomes short, so this never grows).
bool giveNextEvent50ms(EventArrays& a, std::size_t line);

// Algorithm 8: the panel's state back into the working record. A name that
// setRecordName refuses keeps the old name and makes the result false.
struct StoreBackState {
    std::u16string name;
    bool loopsOn = false;
    uint16_t loopValue = 1;
    bool recordDelay = false;
};
bool storeBack(MacroRecord& r, const StoreBackState& state, const EventArrays& a);

// Recording (InsertMacroToList): appends a press or release of `vk` with the
// measured delay at the append position. A press is appended only below byte
// 184, a release only when it fits; a key without usage is never appended.
struct RecordedEvent {
    bool appended = false;
    std::optional<std::u16string> delayLine;   // the line to add before the key line
    std::u16string keyLine;
};
RecordedEvent appendRecordedEvent(EventArrays& a, uint8_t vk, bool release, uint32_t delayMs, bool withDelay,
                                  bool listEmpty, const keymap::KeyNameTable& names);

// Delay in milliseconds from clock ticks: (ticks * 1,000,000 / frequency) / 1000, at most 60000.
uint32_t delayFromTicks(uint64_t elapsedTicks, uint64_t frequency);

}   // namespace orvane::macro
