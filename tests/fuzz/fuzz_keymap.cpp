// libFuzzer target: keymap.bin with any content and length (the whole 206,916-byte file, short
// ones and longer ones) through LoadKeymapFile, then the start-up copy to the shadow, a key
// assignment taken from the file's own records, and the first upload's planning against a
// keyboard image taken from the same bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "keymap/logic/Assignment.h"
#include "keymap/logic/KeyCodes.h"
#include "macro/MacroStore.h"
#include "link/ConfigStore.h"
#include "link/Protocol.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;

namespace {

bool sameArea(const link::ConfigImage& a, const link::ConfigImage& b, std::size_t offset, std::size_t size)
{
    return std::equal(a.begin() + std::ptrdiff_t(offset), a.begin() + std::ptrdiff_t(offset + size),
                      b.begin() + std::ptrdiff_t(offset));
}

// Every flag of the plan says exactly whether its area differs.
void checkPlan(const link::ChangedAreas& c, const link::ConfigImage& w, const link::ConfigImage& s)
{
    using namespace link::image;
    check(c.colours == !sameArea(w, s, kColourTable, kColourEntrySize * kColourCount));
    check(c.gameMode == (w[kGameMode] != s[kGameMode]));
    check(c.reportRate == (w[kReportRate] != s[kReportRate]));
    check(c.responseTime == (w[kResponseTime] != s[kResponseTime]));
    check(c.keyMap == !sameArea(w, s, kKeyCodeBlock, kKeyCodeBlockSize));
    check(c.keyEnable == !sameArea(w, s, kKeyEnable, kKeyEnableSize));
    for (std::size_t b = 0; b < kMacroBlockCount; ++b)
        check(c.macroBlocks[b] == !sameArea(w, s, macroBlock(b), kMacroBlockSize));
    for (std::size_t m = 0; m < kLightMapCount; ++m)
        check(c.lightMaps[m] == !sameArea(w, s, lightMap(m), kLightMapSize));
    check(c.lighting == !sameArea(w, s, kEffect, kLightingSize));
    check(c.any() == (c.lighting || c.anyStep()));
}

// A pending assignment taken from one record of the file, applied to the loaded pair as the key
// mapping panel applies it.
void applyAssignment(link::ConfigStore& store, uint8_t selector)
{
    link::KeyExtTable& records = store.extTable();
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
    static const macro::MacroStore::Records saved(macro::kMacroRecordCount);
    static const keymap::KeyNameTable names = keymap::BuildKeyNameTable();
    keymap::ModifiedMarks marks{};
    keymap::RecomputeModifiedMarks(store.image(), records, marks);
    keymap::AssignmentContext ctx{store.image(), records,
                                  marks,         selected,
                                  enabled,       (selector & 1) ? keymap::Language::Chinese : keymap::Language::English,
                                  saved,         names};
    keymap::ApplyAssignment(p, ctx);
    keymap::ApplyEnableState(ctx);
    if (selected < keymap::kKeyCount)
        check(keymap::recordPath(records[selected]).size() <= keymap::extrec::kMaxPathUnits);
    (void)keymap::findLaunchRecord(records, selector);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // Byte 0: whether the load skips the image (bit 0) and the key of the assignment; the rest is
    // the file.
    if (size < 1)
        return 0;
    const bool skipImage = data[0] & 1;
    const uint8_t* file = data + 1;
    const std::size_t fileSize = size - 1;
    const std::string path = fuzz::scratchFolder() + "/keymap.bin";
    fuzz::writeFile(path, file, fileSize);

    auto store = std::make_unique<link::ConfigStore>();
    store->setKeymapPath(path);
    store->setKeymapSkipImage(skipImage);
    // What was there before the load shows through wherever a short file ends.
    store->image().fill(0xA5);
    check(store->LoadKeymapFile() == link::KeymapLoad::Loaded);
    check(!store->keymapSkipImage());
    const std::size_t imageBytes = std::min(fileSize, link::kConfigImageSize);
    const link::ConfigImage& img = store->image();
    if (skipImage) {
        check(std::all_of(img.begin(), img.end(), [](uint8_t b) { return b == 0xA5; }));
    } else {
        check(std::memcmp(img.data(), file, imageBytes) == 0);
        check(std::all_of(img.begin() + std::ptrdiff_t(imageBytes), img.end(), [](uint8_t b) { return b == 0xA5; }));
    }
    // The records follow only a whole image; each key keeps its own key code whatever the file says.
    const link::KeyExtTable& ext = store->extTable();
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k)
        check(ext[k][link::ext::kVk] == keymap::KeyLayoutTable[k].vk);
    if (fileSize >= link::kKeymapFileSize)
        check(std::memcmp(ext[keymap::kKeyCount].data(),
                          file + link::kConfigImageSize + keymap::kKeyCount * link::kKeyExtRecordSize,
                          link::kKeyExtRecordSize * (link::kKeyExtRecordCount - keymap::kKeyCount)) == 0);

    // Start-up: the loaded pair becomes the shadow, so nothing is planned until the keyboard's
    // read or an edit changes the working image.
    store->CopyWorkingToShadow();
    check(!link::DetectChanges(store->image(), store->shadowImage()).any());

    // An edit, then the first Save against a keyboard whose image is the file read backwards.
    link::ConfigImage keyboard{};
    for (std::size_t i = 0; i < keyboard.size() && i < fileSize; ++i)
        keyboard[i] = file[fileSize - 1 - i];
    store->shadowImage() = keyboard;
    applyAssignment(*store, uint8_t(data[0] >> 1));
    link::ConfigImage& working = store->image();
    link::ApplyWinLockRule(working);
    checkPlan(link::DetectChanges(working, store->shadowImage()), working, store->shadowImage());
    return 0;
}
