#pragma once
// The backend for real devices: hidraw nodes found through sysfs, hot-plug through udev.

#include <memory>
#include <string>

#include "platform/hid/Transport.h"

namespace orvane::hidraw {

// `sysfsRoot` and `devRoot` are overridable so tests can lay out a fake tree.
std::unique_ptr<hid::Backend> createHidrawBackend(const std::string& sysfsRoot = "/sys",
                                                  const std::string& devRoot = "/dev");

}   // namespace orvane::hidraw
