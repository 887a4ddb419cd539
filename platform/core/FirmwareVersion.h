#pragma once
// A firmware version, major.minor: what the keyboard reports in its device information, what the
// VER.bin shipped beside the program holds, what the emulated keyboard answers. Newer compares
// greater: a greater major, or the same major and a greater minor.

#include <compare>
#include <cstdint>

namespace orvane::platform {

struct FirmwareVersion {
    uint8_t major = 0;
    uint8_t minor = 0;
    friend constexpr auto operator<=>(const FirmwareVersion&, const FirmwareVersion&) = default;
};

}   // namespace orvane::platform
