#pragma once
// Constant key data of the keyboard: the 113 keys of the keyboard picture, the
// key-name table by Windows virtual-key code, and the factory key codes.
// Plain data with no dependencies: the link, the emulated keyboard and the key
// mapping all read it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::keymap {

inline constexpr std::size_t kKeyCount = 113;   // keys of the keyboard picture
inline constexpr std::size_t kMatrixRows = 6;
inline constexpr std::size_t kMatrixColumns = 21;
inline constexpr std::size_t kMatrixCells = kMatrixRows * kMatrixColumns;

struct KeyRect {
    int left, top, right, bottom;   // inclusive, picture coordinates
};

struct KeyLayout {
    uint8_t vk;       // default virtual-key code
    uint8_t row;      // 0 = bottom row, 5 = the row of Esc and the function keys
    uint8_t column;   // 0..20
    KeyRect rect;
};

// Index = key index 0..112, in the order of the hit test.
extern const std::array<KeyLayout, kKeyCount> KeyLayoutTable;

// Derived per key.
constexpr std::size_t cellIndex(const KeyLayout& k)
{
    return k.row * kMatrixColumns + k.column;
}
// Bit of the key-enable bitmap. Key 112 (macro key 5) shares bit 37 with key 111.
std::size_t enableBit(std::size_t key);
// Byte offset of the key's 4-byte entry in a custom light map (column-major).
constexpr std::size_t lightMapOffset(const KeyLayout& k)
{
    return 4 * (k.column * kMatrixRows + k.row);
}

inline constexpr std::size_t kKeyFn = 100;
inline constexpr std::size_t kKeyLeftWindows = 96;
inline constexpr std::size_t kFirstMacroKey = 108;   // macro keys 108..112

// ---- Key-name table -------------------------------------------------------

struct KeyNameEntry {
    uint8_t vk = 0;
    uint8_t usage = 0;     // keyboard usage, consumer low byte, mouse pseudo-code, or 0
    std::u16string name;   // display name, trailing blank included
};

class KeyNameTable {
public:
    const KeyNameEntry& operator[](uint8_t vk) const { return entries_[vk]; }
    uint8_t usage(uint8_t vk) const { return entries_[vk].usage; }
    const std::u16string& name(uint8_t vk) const { return entries_[vk].name; }

private:
    friend KeyNameTable BuildKeyNameTable();

    std::array<KeyNameEntry, 256> entries_{};
};

KeyNameTable BuildKeyNameTable();

// The text the key map panel shows for a single key (category 0: the name of
// keys[0]) or a combination (category 1: the names of the non-zero codes among
// keys[0..2], joined with "+ "); empty for every other category. Places at or
// beyond `count` count as 0.
std::u16string FormatKeyList(const KeyNameTable& names, uint8_t category, const uint8_t* keys, std::size_t count);

// The usage column alone, as a compile-time table (the same values BuildKeyNameTable gives).
uint8_t usageOf(uint8_t vk);

// ---- Factory key codes ----------------------------------------------------

struct KeyCodeCell {
    uint8_t type = 0, b1 = 0, b2 = 0, b3 = 0;
    friend bool operator==(const KeyCodeCell&, const KeyCodeCell&) = default;
};

// 126 cells in column-major order: matrix position p = column * 6 + row.
extern const std::array<KeyCodeCell, kMatrixCells> FactoryKeyCodes;

// The factory cells laid out as the keyboard's 512-byte key-code block
// (row-major cells, bytes 504..511 zero).
std::array<uint8_t, 512> factoryKeyCodeBlock();

}   // namespace orvane::keymap
