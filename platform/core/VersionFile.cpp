#include "platform/core/VersionFile.h"

#include "platform/core/RegularFile.h"

namespace orvane::platform {

FirmwareVersion ReadVersionFile(const std::string& path)
{
    // Never blocks on a FIFO nor reads a device; what is there and not a file reads as 0.0.
    const FileRead f = readRegularFile(path, 12);
    if (!f.ok() && f.status != FileStatus::Missing)
        reportUnreadableFile(path, f.describe(), "the shipped firmware version counts as 0.0");
    const std::vector<uint8_t>& b = f.bytes;
    if (b.size() < 8)
        return {};
    const auto digit = [&](int i) -> uint8_t {
        const uint8_t c = b[std::size_t(i)];
        return c >= '0' && c <= '9' ? uint8_t(c - '0') : 0;
    };
    return {digit(5), digit(7)};
}

}   // namespace orvane::platform
