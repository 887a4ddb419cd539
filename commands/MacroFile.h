#pragma once
// A macro as a JSON file, the form `macro export` writes and `macro import` reads:
//   {"name": "...", "loops": 1..999,
//    "events": [{"key": "A", "action": "press"|"release", "delay_ms": 0..60000}, ...]}
// delay_ms is the pause before the event (0 for none; the first event has none).

#include "commands/KeyNames.h"
#include "commands/Report.h"
#include "macro/MacroStore.h"

#include <string>
#include <vector>

namespace orvane::commands {

std::string macroJson(const MacroEntry& macro, bool withNumber);

// The record a macro file describes (name, loop count, both event forms); an error message when
// the file is not such a macro, names an unknown key, or does not fit the 190 event bytes.
std::string macroFromJson(const std::vector<uint8_t>& bytes, const KeyNames& names, macro::MacroRecord& record);

// The saved macros as MacroDefine.bin holds them, read without creating or changing it (no file:
// no macros); an error message when something there cannot be read.
std::string readMacroFile(const std::string& path, macro::MacroStore::Records& records);

}   // namespace orvane::commands
