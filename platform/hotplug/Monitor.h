#pragma once
// Interfaces being added and removed. The udev monitor and the emulated keyboard
// both deliver through this class, on the thread that owns the monitor.

#include <QObject>
#include <QString>

namespace orvane::hotplug {

class Monitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Monitor() override = default;

signals:
    // `path` is the interface path as Backend::enumerate() lists it.
    void interfaceAdded(const QString& path);
    void interfaceRemoved(const QString& path);
};

}   // namespace orvane::hotplug
