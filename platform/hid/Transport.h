#pragma once
// The HID transport interface: everything above it (the keyboard link, the LCD
// program) talks to HID interfaces through these classes only. Two backends
// implement it: hidraw (real devices) and the emulated keyboard.

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orvane::hotplug {
class Monitor;
}

namespace orvane::hid {

using Millis = std::chrono::milliseconds;

// Time-out of transfers whose caller does not name one.
inline constexpr Millis kDefaultTimeout{1000};

// One top-level collection of an interface's report descriptor.
struct TopLevelCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    // Report ids declared inside this collection; empty when the descriptor
    // declares no report ids (every report then travels with id 0).
    std::vector<uint8_t> inputReportIds;
    std::vector<uint8_t> outputReportIds;
    std::vector<uint8_t> featureReportIds;
};

struct InterfaceInfo {
    std::string path;   // "/dev/hidraw3", "emulator:cmd"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    int interfaceNumber = -1;   // USB bInterfaceNumber, -1 when not a USB interface
    // Names the keyboard this interface belongs to, the same for all of its
    // interfaces and in every program that reaches it (the USB device in sysfs,
    // the emulator's state file); empty when no other program can reach it.
    std::string deviceKey;
    std::vector<TopLevelCollection> collections;

    // True when any collection declares report ids.
    bool numberedReports() const
    {
        for (const TopLevelCollection& c : collections)
            if (!c.inputReportIds.empty() || !c.outputReportIds.empty() || !c.featureReportIds.empty())
                return true;
        return false;
    }

    // True when some collection declares an input report with this id.
    bool hasInputReport(uint8_t reportId) const
    {
        for (const TopLevelCollection& c : collections)
            for (uint8_t id : c.inputReportIds)
                if (id == reportId)
                    return true;
        return false;
    }
};

// An opened HID interface. Buffers always carry the report id in byte 0, also
// for devices without numbered reports (where it is 0). Destroying the Device
// closes it; the destructor waits for a transfer that is still blocked in the
// kernel, so a descriptor is never closed under a running call.
// readReport() and interruptRead() may be called from another thread than the
// other transfers; everything else is for one thread at a time.
class Device {
public:
    virtual ~Device() = default;

    virtual const InterfaceInfo& info() const = 0;

    // Sends a feature report (byte 0 = report id). False on failure or time-out.
    virtual bool setFeature(std::span<const uint8_t> report, Millis timeout = kDefaultTimeout) = 0;

    // Fetches a feature report into `report`, whose byte 0 the caller presets to
    // the report id. False on failure or time-out (the buffer is then unchanged).
    virtual bool getFeature(std::span<uint8_t> report, Millis timeout = kDefaultTimeout) = 0;

    // Writes an output report (byte 0 = report id). False on failure or time-out.
    virtual bool writeReport(std::span<const uint8_t> report, Millis timeout = kDefaultTimeout) = 0;

    // Waits up to `timeout` for the next input report and stores it (report id
    // first, cut to the buffer's size). Returns the number of bytes stored, 0 on
    // time-out or when interruptRead() woke it, -1 when the device failed or is gone.
    virtual int readReport(std::span<uint8_t> buffer, Millis timeout) = 0;

    // Discards the input reports queued so far (before a bulk read phase).
    virtual void drainInput() = 0;

    // Wakes a readReport() that is waiting in another thread; it returns 0.
    // The next readReport() waits normally again.
    virtual void interruptRead() = 0;
};

// A source of HID interfaces.
class Backend {
public:
    virtual ~Backend() = default;

    // The interfaces present now, in the system's order.
    virtual std::vector<InterfaceInfo> enumerate() = 0;

    // Opens an interface by its path; nullptr when it cannot be opened.
    virtual std::unique_ptr<Device> open(const std::string& path) = 0;

    // A monitor of interfaces being added and removed, delivering on the thread
    // that calls this (which must run a Qt event loop); nullptr when none can be made.
    virtual std::unique_ptr<hotplug::Monitor> createMonitor() = 0;
};

}   // namespace orvane::hid
