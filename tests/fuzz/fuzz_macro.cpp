// Input layout: byte 0 picks the operations, then a macro record's bytes, then
// whatever follows is laid over keymap.bin (image, then records).

#include "keymap/logic/Assignment.h"
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
    const std::size_t end = macro::appendPosition(a);
    check(end <= macro::kEventBytes);
    for (std::size_t i = end; i < macro::kEventBytes; ++i)
        check(a.device[i] == 0 && a.key[i] == 0);
    const auto lines = macro::eventLines(a, names());
    check(macro::boundaryBeforeLine(a, lines.size()) == end);
}

void runEventOps(macro::EventArrays a, const uint8_t* ops, std::size_t n)
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
        case 4: ok = macro::appendRecordedEvent(a, arg, ops[i] & 0x80, line * 400u, ops[i] & 0x40, line == 0, names()).appended; break;
        case 5: ok = macro::insertEvent(a, line, arg, ops[i] & 0x80, names()); break;
        }
        checkWhole(a);
        if (!ok)
            check(macro::parseEvents(a).size() == macro::parseEvents(before).size());
    }
}

void runRecord(const uint8_t* data, std::size_t size)
{
    macro::MacroRecord r{};
    std::memcpy(r.data(), data, std::min(size, r.size()));
    (void)macro::recordName(r);
    (void)macro::loopCount(r);
    const macro::EventArrays a = macro::loadEvents(r);
    (void)macro::eventLines(a, names());
    for (std::size_t line = 0; line < 200; line += 7)
        (void)macro::lineOwner(a, line);
    if (size > r.size())
        runEventOps(a, data + r.size(), std::min<std::size_t>(size - r.size(), 96));
    macro::MacroStore::Records records;
    macro::MacroStore::fromBytes(records, data, size);
    link::ConfigImage image{};
    macro::PackMacros(records, image);
}

void runKeymap(uint8_t selector, const uint8_t* data, std::size_t size)
{
    static link::ConfigImage image;
    static link::KeyExtTable records;
    image.fill(0);
    for (auto& rec : records)
        rec.fill(0);
    const std::size_t imageBytes = std::min(size, image.size());
    std::memcpy(image.data(), data, imageBytes);
    std::size_t at = imageBytes;
    for (auto& rec : records) {
        if (at >= size)
            break;
        const std::size_t n = std::min(rec.size(), size - at);
        std::memcpy(rec.data(), data + at, n);
        at += n;
    }
    keymap::ModifiedMarks marks{};
    keymap::RecomputeModifiedMarks(image, records, marks);

    // A pending assignment taken from the first record's bytes.
    const link::KeyExtRecord& src = records[selector % records.size()];
    keymap::PendingAssignment p;
    p.category = src[1];
    std::copy_n(src.begin() + 2, 255, p.keys.begin());
    p.keyCount = src[257];
    p.macroIndex = static_cast<int8_t>(src[258]);
    p.path = keymap::recordPath(src);
    if (src[259] & 1)
        p.path += std::u16string(src[259], u'p');
    p.functionName = p.path.substr(0, 16);
    uint8_t selected = selector;
    uint8_t enabled = src[0] & 1;
    macro::MacroStore::Records saved(macro::kMacroRecordCount);
    keymap::AssignmentContext ctx{image, records, marks, selected, enabled,
                                  (selector & 1) ? keymap::Language::Chinese : keymap::Language::English, saved, names()};
    keymap::ApplyAssignment(p, ctx);
    keymap::ApplyEnableState(ctx);
    if (selected < keymap::kKeyCount)
        check(keymap::recordPath(records[selected]).size() <= keymap::extrec::kMaxPathUnits);
    (void)keymap::findLaunchRecord(records, selector);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    if (data[0] & 1)
        runRecord(data + 2, size - 2);
    else
        runKeymap(data[1], data + 2, size - 2);
    return 0;
}
