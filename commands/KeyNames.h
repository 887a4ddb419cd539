#pragma once
// The names of the keyboard's keys on the command line: the key-name table's display name without
// its trailing blank (A, F5, Esc, LShift, 0-num ...), with the few keys it leaves unnamed or names
// twice told apart: Fn, M1..M5 (the macro keys), and KP*, KP+, KPEnter, KP-, KP., KP/ for the
// keypad's operators. Every one of the 113 keys of the keyboard picture has exactly one name.

#include "model/KeyTables.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::commands {

class KeyNames {
public:
    KeyNames();

    const keymap::KeyNameTable& table() const { return table_; }

    // The name of key index 0..112 of the keyboard picture.
    const std::string& keyName(std::size_t key) const { return keys_.at(key); }
    // The key index of a name (letters compared without regard to case).
    std::optional<std::size_t> keyIndex(std::string_view name) const;
    const std::vector<std::string>& allKeyNames() const { return keys_; }

    // The name of a virtual-key code as the key-name table gives it, for key lists of an
    // assignment or a macro ("0x%02X" for a code the table leaves unnamed).
    std::string vkName(uint8_t vk) const;
    // The virtual-key code of a name: a key of the picture, or any other entry of the key-name
    // table (the mouse buttons, the media keys); nothing for an unknown name.
    std::optional<uint8_t> vkOf(std::string_view name) const;

private:
    keymap::KeyNameTable table_;
    std::vector<std::string> keys_;
};

// Letters compared without regard to ASCII case.
bool sameName(std::string_view a, std::string_view b);

}   // namespace orvane::commands
