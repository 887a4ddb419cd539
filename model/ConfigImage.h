#pragma once
// The configuration image: everything the keyboard stores, byte for byte as it
// sits in memory, at the start of keymap.bin and of every profile file.

#include <array>
#include <cstddef>
#include <cstdint>

namespace orvane::link {

inline constexpr std::size_t kConfigImageSize = 10056;
using ConfigImage = std::array<uint8_t, kConfigImageSize>;

namespace image {
inline constexpr std::size_t kReportRate = 11;      // slider position 0..3
inline constexpr std::size_t kKeyCodeBlock = 792;   // 6 x 21 key cells of 4 bytes
inline constexpr std::size_t kKeyCodeBlockSize = 512;
inline constexpr std::size_t kMacroBlocks = 1304;   // 32 blocks of 192 bytes
inline constexpr std::size_t kMacroBlockSize = 192;
inline constexpr std::size_t kMacroBlockCount = 32;
inline constexpr std::size_t kResponseTime = 7449;   // 1..10, shown as value x 2 ms
inline constexpr std::size_t kEffect = 7450;         // lighting effect code
inline constexpr std::size_t kSpeed = 7451;          // slider position 0..9 (keyboard value = 10 - position)
inline constexpr std::size_t kBrightness = 7452;     // slider position 0..50
inline constexpr std::size_t kColour = 7453;         // colour index 1..8
inline constexpr std::size_t kDirection = 7454;      // 1..4
inline constexpr std::size_t kLightingSize = 5;      // effect, speed, brightness, colour, direction
inline constexpr std::size_t kColourTable = 7455;    // seven entries of 3 bytes
inline constexpr std::size_t kColourEntrySize = 3;
inline constexpr std::size_t kColourCount = 7;
inline constexpr std::size_t kGameMode = 7476;    // 0 = off, non-zero = on
inline constexpr std::size_t kKeyEnable = 7477;   // 144-bit key-enable bitmap
inline constexpr std::size_t kKeyEnableSize = 18;
inline constexpr std::size_t kWinLock = 7495;     // 1 = on; never sent, applied to bit 1 of the bitmap
inline constexpr std::size_t kLightMaps = 7496;   // five custom light maps of 512 bytes
inline constexpr std::size_t kLightMapSize = 512;
inline constexpr std::size_t kLightMapCount = 5;

constexpr std::size_t macroBlock(std::size_t b)
{
    return kMacroBlocks + kMacroBlockSize * b;
}
constexpr std::size_t colourEntry(std::size_t i)
{
    return kColourTable + kColourEntrySize * i;
}
constexpr std::size_t lightMap(std::size_t m)
{
    return kLightMaps + kLightMapSize * m;
}

static_assert(macroBlock(kMacroBlockCount) == 7448);
static_assert(colourEntry(kColourCount) == kGameMode);
static_assert(kKeyEnable + kKeyEnableSize == kWinLock);
static_assert(lightMap(kLightMapCount) == kConfigImageSize);
}   // namespace image

// The program's own per-key record (772 bytes), 255 of them after the image in
// keymap.bin and in profile files; never sent to the keyboard. Field offsets and
// accessors belong to the key mapping (keymap/); the link only copies records and
// reads the few fields named here.
inline constexpr std::size_t kKeyExtRecordSize = 772;
inline constexpr std::size_t kKeyExtRecordCount = 255;
using KeyExtRecord = std::array<uint8_t, kKeyExtRecordSize>;
using KeyExtTable = std::array<KeyExtRecord, kKeyExtRecordCount>;
static_assert(sizeof(KeyExtTable) == kKeyExtRecordSize * kKeyExtRecordCount);

namespace ext {
inline constexpr std::size_t kVk = 0;         // the key's default virtual-key code
inline constexpr std::size_t kCategory = 1;   // assignment kind; 4..7 = host actions
inline constexpr std::size_t kPath = 260;     // UTF-16 LE path, 256 units, NUL-terminated
inline constexpr std::size_t kPathUnits = 256;
}   // namespace ext

// keymap.bin and profile files: the image followed by the extension table.
inline constexpr std::size_t kKeymapFileSize = kConfigImageSize + kKeyExtRecordSize * kKeyExtRecordCount;
static_assert(kKeymapFileSize == 206916);

}   // namespace orvane::link
