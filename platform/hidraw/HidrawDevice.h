#pragma once
// A hid::Device on a hidraw node (or on any descriptor that behaves like one).
// Byte 0 of every buffer is the report id, also on devices without numbered
// reports: hidraw reads those without an id byte, so a 0 is put in front, while
// write() and the feature ioctls take the id byte 0 themselves and the kernel
// drops it before the transfer.

#include <memory>
#include <span>
#include <string>

#include "platform/hid/Transport.h"

namespace orvane::hidraw {

// The feature-report ioctls of a node; tests replace them (a socket has none).
// Each returns the ioctl's result: the number of bytes transferred, or -1 with errno set.
class FeatureIo {
public:
    virtual ~FeatureIo() = default;
    virtual int setFeature(int fd, std::span<uint8_t> report);
    virtual int getFeature(int fd, std::span<uint8_t> report);
};

// Takes ownership of `fd` (made non-blocking here) and closes it when the
// Device is destroyed, after any transfer still blocked on it has returned.
// nullptr (with `fd` closed) when the device's wake-up descriptors cannot be made.
std::unique_ptr<hid::Device> adoptDescriptor(int fd, hid::InterfaceInfo info,
                                             std::unique_ptr<FeatureIo> featureIo = nullptr);

// Opens a listed hidraw node and confirms it with HIDIOCGRAWINFO (the ids must
// be the listed ones) and HIDIOCGRDESC (its collections replace the listed
// ones). nullptr when it cannot be opened or is not what was listed. Lack of
// permission on a node of the keyboard's ids is reported once per path on stderr.
std::unique_ptr<hid::Device> openHidrawNode(const hid::InterfaceInfo& listed);

// The line openHidrawNode() prints when a keyboard node cannot be opened for lack of permission.
std::string permissionHint(const hid::InterfaceInfo& node);

// Handles open()'s `error` for `node`: prints permissionHint() on stderr when the
// error is a lack of permission on a node of the keyboard's ids and this path
// was not reported before in this process. True when it printed.
bool reportOpenError(const hid::InterfaceInfo& node, int error);

}   // namespace orvane::hidraw
