#pragma once
// Whole-file replacement that never leaves a file half-written: keymap.bin,
// MacroDefine.bin, the profile files and the emulator's state file use it.
//
// The temporary file is a hidden short name in the target's folder
// (".orvane-" and six random characters, made with mkostemp), so that every
// name that fits in the folder can be written, whatever its length. The writer
// holds an flock on it while the name exists; a start-up removes what a killed
// writer left (removeStaleTemporaryFiles).

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace orvane::platform {

// The longest file name (one path component, in bytes) that a Linux file system takes.
inline constexpr std::size_t kMaxFileNameBytes = 255;

// Writes `parts` one after the other to a new temporary file in the folder of
// `path`, flushes it to disk and renames it over `path`. An existing file keeps
// its permission bits. On any failure the old file is untouched, the temporary
// file is removed and the result is false, with errno telling why (ENAMETOOLONG,
// before anything is written, for a file name over 255 bytes).
bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts);

// The same, but only when nothing has the name `path` yet: the finished file is
// linked there, never over an existing entry (false with errno EEXIST then).
bool createFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts);

// Removes from `folder` the temporary files that writers killed before their rename left there:
// only entries named exactly ".orvane-" and six letters or digits, regular files of this user, never
// through a link, and never one a writer still holds (each writer keeps an flock on its temporary
// file until the rename; an empty one is also left while younger than kStaleEmptySeconds, the
// instant between its creation and that lock). Returns how many were removed.
inline constexpr long kStaleEmptySeconds = 10;
int removeStaleTemporaryFiles(const std::string& folder);

}   // namespace orvane::platform
