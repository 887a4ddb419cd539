#pragma once
// The 23 functions a key can be given, in the order of the key map panel's tree.

#include "keymap/KeyTables.h"
#include "keymap/logic/KeyCodes.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace orvane::keymap {

enum class FunctionGroup : uint8_t { TopLevel, Media, Shortcut, Windows };

struct FunctionEntry {
    FunctionGroup group;        // its place in the tree
    std::u16string_view english;
    std::u16string_view chinese;
    KeyCodeCell cell;           // what the key then sends
    std::u16string_view name(Language lang) const { return lang == Language::Chinese ? chinese : english; }
};

inline constexpr std::size_t kFunctionCount = 23;
extern const std::array<FunctionEntry, kFunctionCount> FunctionCatalogue;

// "Media"/"多媒体", "Shortcut"/"快捷健", "Windows"; empty for TopLevel.
std::u16string_view functionGroupName(FunctionGroup group, Language lang);

// Exact, case-sensitive match against the names of `lang` only.
const FunctionEntry* findFunctionByName(std::u16string_view name, Language lang);
// The entry whose cell equals `code` (the record's bytes 2..5), or nullptr.
const FunctionEntry* findFunctionByCode(const KeyCodeCell& code);

} // namespace orvane::keymap
