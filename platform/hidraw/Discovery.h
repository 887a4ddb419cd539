#pragma once
// Lists the hidraw nodes from sysfs without opening them: for each node its
// devnode, vendor and product id, USB interface number and parsed report descriptor.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/Transport.h"

namespace orvane::hidraw {

struct HidIds {
    uint16_t bus = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// Parses a `uevent` text's line "HID_ID=0003:000004D9:0000A12C"; nullopt when absent or malformed.
std::optional<HidIds> parseHidId(const std::string& uevent);

// The nodes under `<sysfsRoot>/class/hidraw`, sorted by node number; paths are
// `<devRoot>/hidrawN`. A node whose HID ids cannot be read is left out.
std::vector<hid::InterfaceInfo> discoverHidrawNodes(const std::string& sysfsRoot, const std::string& devRoot);

// True for the vendor and product ids of the keyboard (and of its LCD variants).
bool isKeyboardIds(uint16_t vendorId, uint16_t productId);

}   // namespace orvane::hidraw
