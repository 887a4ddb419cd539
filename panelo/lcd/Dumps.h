#pragma once
// Best-effort diagnostic dumps ("LcdPixel.txt", "McuPixel.bin").

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

namespace orvane::panelo {

// $LUMETRA_DUMP_DIR when set and not empty, else the folder "FileDef20151212"
// in the user's runtime folder. Empty when neither can be named.
std::filesystem::path DumpFolder();

// Creates or truncates `name` in DumpFolder() and writes `bytes` to it.
// Never follows a symbolic link at the file, and gives up silently on any
// failure: a dump must never change the outcome of what it records.
void WriteDump(std::string_view name, std::span<const uint8_t> bytes);

}   // namespace orvane::panelo
