#pragma once
// Keys of the keyboard picture described for people: the key's name, and what it does when it no
// longer sends its own code ("F5", "Ctrl+ Alt+ Del", "Mute", "Macro 2", "Start program /usr/bin/x").
// The main window gives them to screen readers; the texts follow the window's language.

#include "model/ConfigImage.h"
#include "model/KeyTables.h"
#include "model/Language.h"

#include <cstddef>
#include <string>

namespace orvane::keymap {

// The name of key 0..112: the key-name table's display name without its trailing blank, with the
// keys it leaves unnamed or names twice told apart: Fn, M1..M5 (the macro keys), and the keypad's
// keys as "Num 0" .. "Num 9", "Num *", "Num +", "Num Enter", "Num -", "Num .", "Num /".
std::u16string keyCaption(const KeyNameTable& names, std::size_t key);

// What `key` does now, from its enable bit, its record and its cell: "Disabled" for a disabled
// key, the key or keys of a single or combined assignment, a function's name, "Macro N", a launch
// action with its path; from the cell alone where the record says nothing (a keyboard configured
// elsewhere). Empty when the key sends its own factory code.
std::u16string keyFunctionText(const link::ConfigImage& image, const link::KeyExtRecord& record, std::size_t key,
                               const KeyNameTable& names, model::Language language);

}   // namespace orvane::keymap
