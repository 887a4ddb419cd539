#pragma once
// The emulated keyboard: a complete model of the keyboard's firmware behind the
// HID transport interface, so both programs and their tests run without a device.
// Two interfaces, listed in this order: "emulator:cmd" (USB interface 3, one
// vendor collection 0xFF01/1, no report ids) and "emulator:evt" (USB interface 1,
// a keyboard collection with input report 1 and a vendor collection 0xFF00 with
// input report 4).

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "model/ConfigImage.h"
#include "emulator/EmulatorState.h"
#include "emulator/FaultPlan.h"
#include "emulator/Firmware.h"
#include "platform/hid/KeyboardIds.h"
#include "platform/hid/Transport.h"

namespace orvane::hid {

inline constexpr char kEmulatorCommandPath[] = "emulator:cmd";
inline constexpr char kEmulatorEventPath[] = "emulator:evt";
inline constexpr uint16_t kEmulatorVendorId = usb::kVendorId;
inline constexpr uint16_t kEmulatorProductId = usb::kKeyboardProducts[1];
using model::kEventReportSize;
namespace event = model::eventReport;

class Emulator : public std::enable_shared_from_this<Emulator> {
public:
    // A keyboard in the factory state whose memory lives as long as the object.
    static std::shared_ptr<Emulator> create();
    // A keyboard whose memory persists in the state file `path` (created in the
    // factory state when missing). nullptr, with `error` set, for a file of the
    // wrong size (left untouched) or one that cannot be created or read.
    static std::shared_ptr<Emulator> withStateFile(const std::string& path, std::string& error);

    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // ---- Through the transport interface (EmulatorBackend) ----
    // The two interfaces while plugged in, none while unplugged.
    std::vector<InterfaceInfo> interfaces() const;
    // nullptr for an unknown path or while unplugged.
    std::unique_ptr<Device> open(const std::string& path);
    // Monitors created by EmulatorBackend register here to hear unplug/replug.
    void addMonitor(hotplug::Monitor* monitor);
    void removeMonitor(hotplug::Monitor* monitor);

    // ---- Test interface ----
    // The keyboard reports a host-action key: event 04 01 code 00.
    void pressHostActionKey(uint8_t code);
    // Unplugging fails every transfer of every open device (readReport returns
    // -1), for good: devices opened before a replug stay dead, as a re-plugged
    // keyboard gets new nodes. Every monitor hears interfaceRemoved (replug:
    // interfaceAdded) for both paths, queued to the monitor's thread.
    void unplug();
    void replug();
    bool pluggedIn() const;
    // When off, write steps are carried out but not acknowledged.
    void setAcknowledging(bool acknowledging);
    // The next `count` set-features fail at once and reach no firmware.
    void failNextSetFeature(int count = 1);
    // After `skip` further output reports succeed, the next `count` block until
    // the caller's time-out and fail; the firmware never sees them.
    void stallNextReports(int skip, int count = 1);
    // After `skip` further input reports are delivered on the command interface,
    // the next `count` reads wait out the caller's time-out and return 0; the
    // queued reports stay queued.
    void stallNextReads(int skip, int count = 1);
    // Transfers waiting right now (stalled reports and reads, and reads waiting
    // for input), so a test can act once a caller is blocked.
    int blockedTransfers() const;
    // Firmware version answered by GetDeviceInfo (factory 1.1); persists.
    void setFirmwareVersion(FirmwareVersion version);
    // The faults of ORVANE_EMULATOR_FAULTS, counted from this keyboard's creation.
    void setFaultPlan(FaultPlan plan);

    // Read-only views (for a shared state file: its current content).
    link::ConfigImage image() const;
    FirmwareVersion firmwareVersion() const;
    uint8_t lcdMode() const;   // kNoLcdMode when no image was downloaded
    LcdPage lcdPage() const;
    // Empty for an emulator without state file.
    std::string statePath() const;

private:
    friend class EmulatorDevice;
    enum class Port { Command, Event };
    struct Handle {
        Port port;
        unsigned generation;
        std::deque<std::vector<uint8_t>> input;
        bool interrupted = false;
        bool closing = false;
        int activeCalls = 0;
    };
    using Lock = std::unique_lock<std::mutex>;

    Emulator() = default;

    bool alive(const Handle& h) const;
    bool setFeature(Handle& h, std::span<const uint8_t> report);
    bool getFeature(Handle& h, std::span<uint8_t> report);
    bool writeReport(Handle& h, std::span<const uint8_t> report, Millis timeout);
    int readReport(Handle& h, std::span<uint8_t> buffer, Millis timeout);
    int takeInput(Handle& h, std::span<uint8_t> buffer);
    void drainInput(Handle& h);
    void interruptRead(Handle& h);
    void close(const std::shared_ptr<Handle>& h);

    // Runs one firmware step on the current state, persisting it when it changed
    // memory, then delivers its acknowledgement and bulk input. A step whose
    // change cannot be persisted is undone and not acknowledged.
    template <typename Step>
    void runStep(Lock& lock, Step&& step);
    // Counts a transfer on the command interface and carries out the unplug and
    // host-key faults due after it.
    void afterTransfer(Lock& lock);
    void unplugLocked();
    void replugLocked();
    void refreshFromFile(Lock& lock) const;
    void deliver(Port port, std::span<const uint8_t> report);
    void sendEvent(uint8_t kind, uint8_t code);
    void notifyMonitors(bool added);
    bool waitOut(Lock& lock, Handle& h, Millis timeout, bool wakeOnInterrupt);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    mutable EmulatorState state_ = factoryState();
    std::unique_ptr<StateFile> file_;
    std::string deviceKey_;   // empty for a keyboard in memory only
    Firmware firmware_;
    bool plugged_ = true;
    unsigned generation_ = 0;
    bool acknowledging_ = true;
    int failSetFeatures_ = 0;
    int reportSkip_ = 0, reportStalls_ = 0;
    int readSkip_ = 0, readStalls_ = 0;
    int blocked_ = 0;
    std::vector<std::shared_ptr<Handle>> handles_;
    std::vector<hotplug::Monitor*> monitors_;

    // Ordinals of the fault plan: transfers seen on the command interface since creation.
    struct Counters {
        uint64_t setFeatures = 0, getFeatures = 0, inputReports = 0, outputReports = 0;
        uint64_t acknowledgements = 0, transfers = 0;
    };
    FaultPlan plan_;
    Counters counted_;
    std::vector<std::thread> replugTimers_;   // unplug@NxC: the keyboard comes back after C ms
    bool destroying_ = false;
};

// The transport backend over one emulated keyboard. Several backends may share
// one Emulator (each program part opening its own view of the same keyboard).
class EmulatorBackend final : public Backend {
public:
    explicit EmulatorBackend(std::shared_ptr<Emulator> emulator);
    const std::shared_ptr<Emulator>& emulator() const { return emulator_; }

    std::vector<InterfaceInfo> enumerate() override;
    std::unique_ptr<Device> open(const std::string& path) override;
    std::unique_ptr<hotplug::Monitor> createMonitor() override;

private:
    std::shared_ptr<Emulator> emulator_;
};

}   // namespace orvane::hid
