#include "platform/hidraw/UdevMonitor.h"

#include <QSocketNotifier>
#include <cstring>
#include <libudev.h>

namespace orvane::hidraw {

std::unique_ptr<UdevMonitor> UdevMonitor::create(const std::string& devRoot)
{
    udev* context = udev_new();
    if (!context)
        return nullptr;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (!monitor || udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0 || udev_monitor_get_fd(monitor) < 0) {
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(context);
        return nullptr;
    }
    return std::unique_ptr<UdevMonitor>(new UdevMonitor(context, monitor, devRoot));
}

UdevMonitor::UdevMonitor(udev* context, udev_monitor* monitor, std::string devRoot)
    : udev_(context), monitor_(monitor), devRoot_(std::move(devRoot)),
      notifier_(new QSocketNotifier(udev_monitor_get_fd(monitor), QSocketNotifier::Read, this))
{
    connect(notifier_, &QSocketNotifier::activated, this, &UdevMonitor::receive);
}

UdevMonitor::~UdevMonitor()
{
    notifier_->setEnabled(false);
    udev_monitor_unref(monitor_);
    udev_unref(udev_);
}

void UdevMonitor::receive()
{
    // The socket is non-blocking: take every queued event, then return to the loop.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
        const char* action = udev_device_get_action(device);
        const char* name = udev_device_get_sysname(device);
        if (action && name) {
            const QString path = QString::fromStdString(devRoot_ + "/" + name);
            if (std::strcmp(action, "add") == 0)
                emit interfaceAdded(path);
            else if (std::strcmp(action, "remove") == 0)
                emit interfaceRemoved(path);
        }
        udev_device_unref(device);
    }
}

}   // namespace orvane::hidraw
