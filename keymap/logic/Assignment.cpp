#include "keymap/logic/Assignment.h"

#include "keymap/logic/FunctionCatalogue.h"

#include <algorithm>

namespace orvane::keymap {
namespace {

// Single-key usages that the keyboard must send as consumer usages.
KeyCodeCell singleKeyCell(uint8_t usage)
{
    KeyCodeCell c{kcKeys, 0, usage, 0};
    if (usage == 0x83) {
        c.type = kcConsumer;   // consumer 0x0183
        c.b3 = 1;
    } else if (usage == 0xCD || usage == 0xE9 || usage == 0xEA) {
        c.type = kcConsumer;
    }
    return c;
}

void copyKeys(link::KeyExtRecord& r, const PendingAssignment& p, uint8_t category)
{
    std::copy(p.keys.begin(), p.keys.end(), r.begin() + extrec::kKeys);
    r[extrec::kCategory] = category;
    r[extrec::kKeyCount] = p.keyCount;
}

struct Target {
    std::size_t key;
    link::KeyExtRecord& record;
};

void applySingle(const PendingAssignment& p, AssignmentContext& ctx, Target t)
{
    copyKeys(t.record, p, acSingle);
    if (p.keyCount != 1)
        return;   // the cell keeps its previous code
    setKeyCell(ctx.image, t.key, singleKeyCell(ctx.names.usage(p.keys[0])));
    if (p.keys[0] == KeyLayoutTable[t.key].vk)
        clearAssignment(t.record);
    else
        ctx.marks[t.key] = 1;
}

void applyCombination(const PendingAssignment& p, AssignmentContext& ctx, Target t)
{
    copyKeys(t.record, p, acCombine);
    auto usageAt = [&](std::size_t i) -> uint8_t { return i < p.keyCount ? ctx.names.usage(p.keys[i]) : 0; };
    setKeyCell(ctx.image, t.key, {kcKeys, usageAt(0), usageAt(1), usageAt(2)});
    if (p.keyCount > 1)
        ctx.marks[t.key] = 1;
}

void applyMacro(const PendingAssignment& p, AssignmentContext& ctx, Target t)
{
    const uint8_t m = static_cast<uint8_t>(p.macroIndex & 0xFF);
    t.record[extrec::kCategory] = acMacro;
    setRecordCode(t.record, {kcMacro, 1, m, 0});
    if (p.macroIndex == -1)
        return;
    setKeyCell(ctx.image, t.key, {kcMacro, 1, m, 0});
    ctx.marks[t.key] = 1;
    macro::PackMacros(ctx.savedMacros, ctx.image);
}

void applyFunction(const PendingAssignment& p, AssignmentContext& ctx, Target t)
{
    t.record[extrec::kCategory] = acFunction;
    ctx.marks[t.key] = 1;
    if (const FunctionEntry* f = findFunctionByName(p.functionName, ctx.language)) {
        setKeyCell(ctx.image, t.key, f->cell);
        setRecordCode(t.record, f->cell);
    }
}

void applyLaunch(const PendingAssignment& p, AssignmentContext& ctx, Target t)
{
    const uint8_t vk = KeyLayoutTable[t.key].vk;
    t.record[extrec::kVk] = vk;
    t.record[extrec::kCategory] = p.category;
    setRecordCode(t.record, kLaunchCode);
    setKeyCell(ctx.image, t.key, {kcHostAction, 0, vk, 0});
    setRecordPath(t.record, p.path);   // length checked by the caller
    ctx.marks[t.key] = 1;
}

void applyOwnKey(AssignmentContext& ctx, Target t)
{
    clearAssignment(t.record);
    setKeyCell(ctx.image, t.key, {kcKeys, 0, ctx.names.usage(recordVk(t.record)), 0});
}

void resetToDefault(AssignmentContext& ctx, Target t)
{
    clearAssignment(t.record);
    setKeyCell(ctx.image, t.key, {kcKeys, 0, ctx.names.usage(recordVk(t.record)), 0});
    setKeyEnabled(ctx.image, t.key, true);
    ctx.keyEnabled = 1;
}

// The pending path up to its first NUL, as the panel's 256-unit buffer would hold it.
std::u16string_view pendingPath(const PendingAssignment& p)
{
    std::u16string_view path(p.path);
    return path.substr(0, path.find(u'\0'));
}

}   // namespace

ApplyResult ApplyAssignment(const PendingAssignment& pending, AssignmentContext& ctx)
{
    const std::size_t k = ctx.selectedKey;
    if (k >= kKeyCount)
        return ApplyResult::NoKey;
    Target t{k, ctx.records[k]};
    if (pending.keyCount == kResetToDefault) {
        resetToDefault(ctx, t);
        return ApplyResult::Applied;
    }
    switch (pending.category) {
    case acSingle: applySingle(pending, ctx, t); break;
    case acCombine: applyCombination(pending, ctx, t); break;
    case acMacro:
        if (pending.macroIndex < -1 || pending.macroIndex >= static_cast<int>(macro::kMaxMacrosInUse))
            return ApplyResult::BadMacro;
        applyMacro(pending, ctx, t);
        break;
    case acFunction: applyFunction(pending, ctx, t); break;
    case acPlaySound:
    case acStartup:
    case acOpenFile:
    case acOpenFolder: {
        if (pendingPath(pending).size() > extrec::kMaxPathUnits)
            return ApplyResult::PathTooLong;
        PendingAssignment p = pending;
        p.path = std::u16string(pendingPath(pending));
        applyLaunch(p, ctx, t);
        break;
    }
    case acOwnKey: applyOwnKey(ctx, t); break;
    default: break;   // nothing chosen
    }
    return ApplyResult::Applied;
}

void ApplyEnableState(AssignmentContext& ctx)
{
    const std::size_t k = ctx.selectedKey;
    if (k >= kKeyCount)
        return;
    if (ctx.keyEnabled == 1) {
        setKeyEnabled(ctx.image, k, true);
    } else {
        setKeyEnabled(ctx.image, k, false);
        ctx.marks[k] = 1;
    }
}

namespace {

bool isModified(const link::ConfigImage& image, const link::KeyExtRecord& x, std::size_t k)
{
    const KeyLayout& key = KeyLayoutTable[k];
    const KeyCodeCell e = keyCell(image, k);
    bool marked;
    if (e.type == kcMacro) {
        marked = static_cast<int>(e.b2) != static_cast<int>(k) - static_cast<int>(kFirstMacroKey);
    } else {
        const uint8_t factory = FactoryKeyCodes[key.column * kMatrixRows + key.row].b2;
        marked = e.b2 != factory || x[extrec::kCategory] != 0 ||
            (x[extrec::kKeys] != x[extrec::kVk] && x[extrec::kKeyCount] == 1);
    }
    return marked || !keyEnabled(image, k);
}

}   // namespace

void RecomputeModifiedMarks(const link::ConfigImage& image, const link::KeyExtTable& records, ModifiedMarks& marks)
{
    marks.fill(0);
    for (std::size_t k = 0; k < kKeyCount; ++k)
        marks[k] = k != kKeyFn && isModified(image, records[k], k) ? 1 : 0;
}

}   // namespace orvane::keymap
