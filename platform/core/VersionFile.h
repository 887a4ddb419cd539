#pragma once
// VER.bin, the version of the firmware shipped beside the program: bytes 5 and 7 are ASCII digits
// (major, minor). A missing or short file, or a byte that is no digit, reads as 0.

#include <array>
#include <cstdint>
#include <string>

namespace orvane::platform {

// Major, minor, 0, 0.
std::array<uint8_t, 4> ReadVersionFile(const std::string& path);

} // namespace orvane::platform
