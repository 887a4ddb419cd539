#pragma once
// The key-code cells and enable bits of the configuration image, and the fields
// of the program's own per-key record (KeyExtRecord).

#include "model/KeyTables.h"
#include "model/Language.h"
#include "model/ConfigImage.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvane::keymap {

// KeyCodeCell.type
inline constexpr uint8_t kcKeys = 0;          // up to three usages; b1 = modifier of a shortcut
inline constexpr uint8_t kcFn = 2;            // the Fn function
inline constexpr uint8_t kcConsumer = 3;      // consumer usage, low byte b2, high byte b3
inline constexpr uint8_t kcMacro = 4;         // b1 = 1, b2 = macro number
inline constexpr uint8_t kcHostAction = 10;   // b2 = the key's default virtual-key code, reported to the host

using model::Language;

// ---- KeyCodeBlock (512 bytes at image 792, row-major cells) -------------------

KeyCodeCell readCell(const link::ConfigImage& image, std::size_t cell);
void writeCell(link::ConfigImage& image, std::size_t cell, const KeyCodeCell& c);
KeyCodeCell keyCell(const link::ConfigImage& image, std::size_t key);
void setKeyCell(link::ConfigImage& image, std::size_t key, const KeyCodeCell& c);

// ---- KeyEnableMap (144 bits at image 7477, LSB first) --------------------------

bool enableBitSet(const link::ConfigImage& image, std::size_t bit);
void setEnableBit(link::ConfigImage& image, std::size_t bit, bool on);
// By key index, through the key's enable bit (key 112 shares bit 37 with key 111).
bool keyEnabled(const link::ConfigImage& image, std::size_t key);
void setKeyEnabled(link::ConfigImage& image, std::size_t key, bool on);

// ---- KeyExtRecord --------------------------------------------------------------

// AssignCategory
inline constexpr uint8_t acSingle = 0;    // "Single" box
inline constexpr uint8_t acCombine = 1;   // "Combine" box, up to three keys
inline constexpr uint8_t acMacro = 2;
inline constexpr uint8_t acFunction = 3;    // FunctionCatalogue
inline constexpr uint8_t acPlaySound = 4;   // launch actions 4..7
inline constexpr uint8_t acStartup = 5;
inline constexpr uint8_t acOpenFile = 6;
inline constexpr uint8_t acOpenFolder = 7;
inline constexpr uint8_t acOwnKey = 8;      // nothing assigned: the key's own code
inline constexpr uint8_t acNothing = 255;   // Advance tab entered, no action chosen
constexpr bool isLaunchAction(uint8_t category)
{
    return category >= acPlaySound && category <= acOpenFolder;
}

namespace extrec {
using link::ext::kCategory;
using link::ext::kPath;
using link::ext::kPathUnits;   // 256: at most 255 units and the terminator
using link::ext::kVk;
inline constexpr std::size_t kKeys = 2;   // virtual-key codes (categories 0, 1), zero-padded
inline constexpr std::size_t kKeysSize = 255;
inline constexpr std::size_t kCode = 2;   // 4-byte code (categories 2..7) in bytes 2..5
inline constexpr std::size_t kKeyCount = 257;
inline constexpr std::size_t kUnused = 258;   // 2 bytes, zero
inline constexpr std::size_t kMaxPathUnits = kPathUnits - 1;
static_assert(kKeys + kKeysSize == kKeyCount);
static_assert(kPath + 2 * kPathUnits == link::kKeyExtRecordSize);
}   // namespace extrec

inline constexpr KeyCodeCell kLaunchCode{3, 0, 0x23, 2};   // the code kept for categories 4..7

uint8_t recordVk(const link::KeyExtRecord& r);
uint8_t recordCategory(const link::KeyExtRecord& r);
std::span<const uint8_t, extrec::kKeysSize> recordKeys(const link::KeyExtRecord& r);
uint8_t recordKeyCount(const link::KeyExtRecord& r);
KeyCodeCell recordCode(const link::KeyExtRecord& r);
void setRecordCode(link::KeyExtRecord& r, const KeyCodeCell& c);
// The path up to its terminator, never more than 255 units (also without one).
std::u16string recordPath(const link::KeyExtRecord& r);
// Refuses (false, record unchanged) a path of more than 255 units or holding a NUL.
bool setRecordPath(link::KeyExtRecord& r, std::u16string_view path);
// Clears category, keys and count (an unassigned key).
void clearAssignment(link::KeyExtRecord& r);

// vk of records 0..112 from the KeyLayoutTable (every load of keymap.bin).
void initRecordVks(link::KeyExtTable& records);
// The factory setting: all records zero, then initRecordVks.
void resetRecords(link::KeyExtTable& records);

// The launch action for a code the keyboard reported: the first record (0..254)
// of category 4..7 whose vk equals it, or nullptr.
const link::KeyExtRecord* findLaunchRecord(const link::KeyExtTable& records, uint8_t vk);

}   // namespace orvane::keymap
