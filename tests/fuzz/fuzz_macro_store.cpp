// libFuzzer target: MacroDefine.bin with any content and length through the store's load and the
// packing of the macros into the image. The load keeps what the file holds (up to
// the store's size, zeros after it), what a save would write is exactly the loaded store, and a
// block whose record is free plays nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/ConfigImage.h"
#include "macro/MacroStore.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::scratchFolder() + "/MacroDefine.bin";
    fuzz::writeFile(path, data, size);
    static macro::MacroStore store;
    const macro::LoadResult result = store.load(path);
    check(result == (size >= macro::kMacroStoreSize ? macro::LoadResult::Loaded : macro::LoadResult::ShortFile));
    const std::vector<uint8_t> bytes = macro::MacroStore::toBytes(store.saved());
    const std::size_t held = std::min(size, macro::kMacroStoreSize);
    check(bytes.size() == macro::kMacroStoreSize && std::memcmp(bytes.data(), data, held) == 0);
    check(std::all_of(bytes.begin() + std::ptrdiff_t(held), bytes.end(), [](uint8_t b) { return b == 0; }));

    static link::ConfigImage image;
    image.fill(0x5A);
    macro::PackMacros(store.saved(), image);
    const std::size_t inUse = macro::MacroStore::countInUse(store.saved());
    // A block from the first free record on plays nothing: its events are emptied (it held the
    // image's bytes) and it loops once; blocks the lists never reach keep their bytes.
    for (std::size_t b = std::min(inUse, macro::kMaxMacrosInUse); b < macro::kMaxMacrosInUse; ++b) {
        const auto at = image.begin() + std::ptrdiff_t(link::image::macroBlock(b));
        check(at[macro::block::kLoopHigh] == 0 && at[macro::block::kLoopLow] == macro::kMinLoopCount);
        check(std::all_of(at + macro::block::kEvents, at + std::ptrdiff_t(link::image::kMacroBlockSize),
                          [](uint8_t v) { return v == 0; }));
    }
    for (std::size_t b = macro::kMaxMacrosInUse; b < link::image::kMacroBlockCount; ++b)
        check(std::all_of(image.begin() + std::ptrdiff_t(link::image::macroBlock(b)),
                          image.begin() + std::ptrdiff_t(link::image::macroBlock(b + 1)),
                          [](uint8_t v) { return v == 0x5A; }));

    return 0;
}
