#pragma once
// Recording of key-hook reports into the selected macro (outside insert mode):
// the repeat check against the last key line, the delay measured between
// events from clock ticks, and the append with its 184/190-byte rules. Time is
// passed in as ticks of a clock whose frequency is given once.

#include "model/KeyTables.h"
#include "macro/MacroEvents.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::macro {

class MacroRecorder {
public:
    MacroRecorder(const keymap::KeyNameTable& names, uint64_t ticksPerSecond);

    // Recording starts: empty arrays, empty list, no last key line.
    void start();
    // Another macro was selected while recording: go on at the end of its events.
    void resume(const EventArrays& events);

    // One WM_KEYHOOK report. True when an event was appended.
    bool onKey(uint8_t vk, bool release, uint64_t nowTicks, bool recordDelay);

    const EventArrays& events() const { return events_; }
    const std::vector<std::u16string>& lines() const { return lines_; }
    std::size_t keyLineCount() const { return keyLines_; }

private:
    uint32_t takeDelay(uint64_t nowTicks);

    const keymap::KeyNameTable& names_;
    uint64_t frequency_;
    EventArrays events_;
    std::vector<std::u16string> lines_;
    std::u16string lastKeyLine_;
    uint64_t previousTicks_ = 0;
    std::size_t keyLines_ = 0;
};

}   // namespace orvane::macro
