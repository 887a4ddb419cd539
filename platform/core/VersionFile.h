#pragma once
// VER.bin, the version of the firmware shipped beside the program: bytes 5 and 7 are ASCII digits
// (major, minor). A missing or short file, or a byte that is no digit, reads as 0.

#include <string>

#include "platform/core/FirmwareVersion.h"

namespace orvane::platform {

FirmwareVersion ReadVersionFile(const std::string& path);

}   // namespace orvane::platform
