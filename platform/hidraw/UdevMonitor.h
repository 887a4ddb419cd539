#pragma once
// hidraw nodes being added and removed, from udev's netlink source ("udev", not
// "kernel": udev has applied its rules, so access rights are in place when we open).

#include <memory>
#include <string>

#include "platform/hotplug/Monitor.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace orvane::hidraw {

class UdevMonitor final : public hotplug::Monitor {
    Q_OBJECT
public:
    // nullptr when udev or its monitor cannot be set up. Events are delivered on
    // the calling thread's event loop, with paths `<devRoot>/hidrawN`.
    static std::unique_ptr<UdevMonitor> create(const std::string& devRoot);
    ~UdevMonitor() override;

private:
    UdevMonitor(udev* context, udev_monitor* monitor, std::string devRoot);
    void receive();

    udev* udev_;
    udev_monitor* monitor_;
    std::string devRoot_;
    QSocketNotifier* notifier_;
};

}   // namespace orvane::hidraw
