#pragma once
// What the key map panel leaves behind (PendingAssignment), ApplyAssignment that
// writes it into the working image and records, and the modified-mark rule.
//
// ApplyAssignment does not write keymap.bin: the caller saves it afterwards
// (image and all records), as it does after setting the enable bit.

#include "model/KeyTables.h"
#include "keymap/logic/KeyCodes.h"
#include "model/ConfigImage.h"
#include "macro/MacroStore.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvane::keymap {

using ModifiedMarks = std::array<uint8_t, link::kKeyExtRecordCount>;   // m_keyModified, 1 = marked

inline constexpr uint8_t kResetToDefault = 255;   // PendingAssignment::keyCount

struct PendingAssignment {
    uint8_t category = acNothing;      // an AssignCategory
    std::array<uint8_t, 255> keys{};   // virtual-key codes
    uint8_t keyCount = 0;              // 0..3, or kResetToDefault
    int macroIndex = -1;               // selected row of the macro list, -1 for none
    std::u16string functionName;       // the selected tree item's text
    std::u16string path;               // launch action, at most 255 units
};

// The process-wide values ApplyAssignment reads and changes, by reference.
struct AssignmentContext {
    link::ConfigImage& image;     // working image
    link::KeyExtTable& records;   // working extension table
    ModifiedMarks& marks;
    uint8_t& selectedKey;   // g_selectedKey
    uint8_t& keyEnabled;    // g_keyEnabled (1 = enabled)
    Language language;
    const macro::MacroStore::Records& savedMacros;   // for PackMacros
    const KeyNameTable& names;
};

enum class ApplyResult {
    Applied,       // record and cell written as the category says (or nothing, for 255)
    NoKey,         // g_selectedKey is not a key of the picture: nothing changed
    PathTooLong,   // launch path longer than 255 units: nothing changed
    BadMacro,      // macro index beyond the 32 macro blocks: nothing changed
};

ApplyResult ApplyAssignment(const PendingAssignment& pending, AssignmentContext& ctx);

// The main window's step after ApplyAssignment: set the key's enable bit when
// g_keyEnabled is 1, otherwise clear it and mark the key.
void ApplyEnableState(AssignmentContext& ctx);

// Marks per key 0..112 from the key cells, FactoryKeyCodes, the records and the
// enable bits; marks 113..254 are cleared.
void RecomputeModifiedMarks(const link::ConfigImage& image, const link::KeyExtTable& records, ModifiedMarks& marks);

}   // namespace orvane::keymap
