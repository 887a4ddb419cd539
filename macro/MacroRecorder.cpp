#include "macro/MacroRecorder.h"

namespace orvane::macro {

MacroRecorder::MacroRecorder(const keymap::KeyNameTable& names, uint64_t ticksPerSecond)
    : names_(names), frequency_(ticksPerSecond)
{}

void MacroRecorder::start()
{
    events_ = {};
    lines_.clear();
    lastKeyLine_.clear();
    keyLines_ = 0;
}

void MacroRecorder::resume(const EventArrays& events)
{
    events_ = events;
    lines_ = eventLines(events_, names_);
    lastKeyLine_.clear();
    keyLines_ = parseEvents(events_).size();
}

uint32_t MacroRecorder::takeDelay(uint64_t nowTicks)
{
    const uint64_t elapsed = nowTicks >= previousTicks_ ? nowTicks - previousTicks_ : 0;
    previousTicks_ = nowTicks;
    return delayFromTicks(elapsed, frequency_);
}

bool MacroRecorder::onKey(uint8_t vk, bool release, uint64_t nowTicks, bool recordDelay)
{
    const std::u16string text = keyLineText(names_, vk, release);
    uint32_t delay = 0;
    if (release) {
        delay = takeDelay(nowTicks);   // the clock moves on even for a repeated release
        if (text == lastKeyLine_)
            return false;
    } else if (lines_.empty()) {
        previousTicks_ = nowTicks;
    } else {
        if (text == lastKeyLine_)
            return false;   // a held key repeating
        delay = takeDelay(nowTicks);
    }
    const RecordedEvent e = appendRecordedEvent(events_, vk, release, delay, recordDelay, lines_.empty(), names_);
    if (!e.appended)
        return false;
    if (e.delayLine)
        lines_.push_back(*e.delayLine);
    lines_.push_back(e.keyLine);
    lastKeyLine_ = e.keyLine;
    ++keyLines_;
    return true;
}

}   // namespace orvane::macro
