// Placeholder until the hidraw backend lands: lists nothing, opens nothing.
#include "platform/hidraw/HidrawBackend.h"

#include "platform/hotplug/Monitor.h"

namespace orvane::hidraw {
namespace {
class EmptyBackend final : public hid::Backend {
public:
    std::vector<hid::InterfaceInfo> enumerate() override { return {}; }
    std::unique_ptr<hid::Device> open(const std::string&) override { return nullptr; }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }
};
} // namespace

std::unique_ptr<hid::Backend> createHidrawBackend(const std::string&, const std::string&)
{
    return std::make_unique<EmptyBackend>();
}
} // namespace orvane::hidraw
