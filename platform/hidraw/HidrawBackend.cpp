#include "platform/hidraw/HidrawBackend.h"

#include "platform/hidraw/Discovery.h"
#include "platform/hidraw/HidrawDevice.h"
#include "platform/hidraw/UdevMonitor.h"

namespace orvane::hidraw {
namespace {

class HidrawBackend final : public hid::Backend {
public:
    HidrawBackend(std::string sysfsRoot, std::string devRoot)
        : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot))
    {}

    std::vector<hid::InterfaceInfo> enumerate() override { return discoverHidrawNodes(sysfsRoot_, devRoot_); }

    // Only a node that sysfs lists now is opened: its ids and interface number come from there.
    std::unique_ptr<hid::Device> open(const std::string& path) override
    {
        for (const hid::InterfaceInfo& info : enumerate())
            if (info.path == path)
                return openHidrawNode(info);
        return nullptr;
    }

    std::unique_ptr<hotplug::Monitor> createMonitor() override { return UdevMonitor::create(devRoot_); }

private:
    std::string sysfsRoot_;
    std::string devRoot_;
};

}   // namespace

std::unique_ptr<hid::Backend> createHidrawBackend(const std::string& sysfsRoot, const std::string& devRoot)
{
    return std::make_unique<HidrawBackend>(sysfsRoot, devRoot);
}

}   // namespace orvane::hidraw
