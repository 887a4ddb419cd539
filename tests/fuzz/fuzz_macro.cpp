// libFuzzer target: one macro record as the macro manager edits it. Input layout: the record's
// 894 bytes, then up to 32 event operations of 3 bytes each (operation, line, argument).

#include "model/KeyTables.h"
#include "macro/MacroEvents.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using namespace orvane;

const keymap::KeyNameTable& names()
{
    static const keymap::KeyNameTable t = keymap::BuildKeyNameTable();
    return t;
}

void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// Whatever an operation did, the sequence is whole events and zeros after them.
void checkWhole(const macro::EventArrays& a)
{
    static const macro::EventBytes zeros{};
    const std::size_t end = macro::appendPosition(a);
    check(end <= macro::kEventBytes);
    check(std::memcmp(a.device.data() + end, zeros.data(), macro::kEventBytes - end) == 0);
    check(std::memcmp(a.key.data() + end, zeros.data(), macro::kEventBytes - end) == 0);
}

// The list's lines and the byte boundaries agree (once per run: it builds every line's text).
void checkLines(const macro::EventArrays& a)
{
    const auto lines = macro::eventLines(a, names());
    check(macro::boundaryBeforeLine(a, lines.size()) == macro::appendPosition(a));
    for (std::size_t line = 0; line <= lines.size(); ++line)
        check(macro::lineOwner(a, line).has_value() == (line < lines.size()));
}

macro::EventArrays runEventOps(macro::EventArrays a, const uint8_t* ops, std::size_t n)
{
    for (std::size_t i = 0; i + 2 < n; i += 3) {
        const std::size_t line = ops[i + 1];
        const uint8_t arg = ops[i + 2];
        const macro::EventArrays before = a;
        bool ok = false;
        switch (ops[i] % 6) {
        case 0: ok = macro::insertEventBeforeLine(a, line, arg, ops[i] & 0x80, names()); break;
        case 1: ok = macro::deleteLine(a, line); break;
        case 2: ok = macro::setDelay(a, line, static_cast<uint32_t>(arg) * 300u); break;
        case 3: ok = macro::giveNextEvent50ms(a, line); break;
        case 4:
            ok = macro::appendRecordedEvent(a, arg, ops[i] & 0x80, line * 400u, ops[i] & 0x40, line == 0, names())
                     .appended;
            break;
        case 5: ok = macro::insertEvent(a, line, arg, ops[i] & 0x80, names()); break;
        }
        checkWhole(a);
        if (!ok) {
            // A refused operation changes no event (it may clear what lies after the last one).
            const std::size_t end = macro::appendPosition(before);
            check(macro::appendPosition(a) == end);
            check(std::memcmp(a.device.data(), before.device.data(), end) == 0);
            check(std::memcmp(a.key.data(), before.key.data(), end) == 0);
        }
    }
    checkLines(a);
    return a;
}

// One macro record, as the macro manager edits it: its fields, then event operations on it,
// then the result stored back into the record and read again.
void runRecord(const uint8_t* data, std::size_t size)
{
    macro::MacroRecord r{};
    std::memcpy(r.data(), data, std::min(size, r.size()));
    const std::u16string name = macro::recordName(r);
    check(name.size() <= macro::rec::kMaxNameChars);
    const uint16_t loops = macro::loopCount(r);
    check(loops >= 1);
    const macro::EventArrays loaded = macro::loadEvents(r);
    const std::size_t opBytes = size > r.size() ? std::min<std::size_t>(size - r.size(), 3 * 32) : 0;
    const macro::EventArrays edited = runEventOps(loaded, data + r.size(), opBytes);

    macro::StoreBackState state;
    state.name = name.empty() ? u"m" : name;
    state.loopsOn = loops > 1;
    state.loopValue = loops;
    state.recordDelay = macro::recordDelay(r);
    if (macro::storeBack(r, state, edited))
        check(macro::loadEvents(r) == edited && macro::recordName(r) == state.name);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    runRecord(data, size);
    return 0;
}
