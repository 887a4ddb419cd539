#pragma once
// Whole-file replacement that never leaves a file half-written: keymap.bin,
// MacroDefine.bin, the profile files and the emulator's state file use it.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace orvane::platform {

// Writes `parts` one after the other to a new temporary file in the folder of
// `path`, flushes it to disk and renames it over `path`. An existing file keeps
// its permission bits. On any failure the old file is untouched, the temporary
// file is removed and the result is false, with errno telling why.
bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts);

} // namespace orvane::platform
