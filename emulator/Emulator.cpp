#include "emulator/Emulator.h"

#include <QLoggingCategory>
#include <QMetaObject>
#include <filesystem>
#include <algorithm>

#include "model/KeyTables.h"
#include "platform/hotplug/Monitor.h"

Q_LOGGING_CATEGORY(lcEmulator, "orvane.hid.emulator")

namespace orvane::hid {
namespace {

constexpr uint16_t kVendorPage = 0xFF01;
constexpr uint16_t kVendorUsage = 1;
constexpr uint16_t kGenericDesktopPage = 1;
constexpr uint16_t kKeyboardUsage = 6;
constexpr uint16_t kEventVendorPage = 0xFF00;
constexpr uint8_t kKeyboardReportId = 1;
constexpr int kCommandInterfaceNumber = 3;
constexpr int kEventInterfaceNumber = 1;
// Input reports an open device holds before further ones are dropped (as hidraw).
constexpr std::size_t kInputQueueLimit = 64;

InterfaceInfo commandInterface()
{
    InterfaceInfo info;
    info.path = kEmulatorCommandPath;
    info.vendorId = kEmulatorVendorId;
    info.productId = kEmulatorProductId;
    info.interfaceNumber = kCommandInterfaceNumber;
    info.collections = {TopLevelCollection{kVendorPage, kVendorUsage, {}, {}, {}}};
    return info;
}

InterfaceInfo eventInterface()
{
    InterfaceInfo info;
    info.path = kEmulatorEventPath;
    info.vendorId = kEmulatorVendorId;
    info.productId = kEmulatorProductId;
    info.interfaceNumber = kEventInterfaceNumber;
    info.collections = {
        TopLevelCollection{kGenericDesktopPage, kKeyboardUsage, {kKeyboardReportId}, {}, {}},
        TopLevelCollection{kEventVendorPage, kVendorUsage, {event::kReportId}, {}, {}},
    };
    return info;
}

class EmulatorMonitor final : public hotplug::Monitor {
public:
    explicit EmulatorMonitor(const std::shared_ptr<Emulator>& emulator) : emulator_(emulator)
    {
        emulator->addMonitor(this);
    }
    ~EmulatorMonitor() override
    {
        if (std::shared_ptr<Emulator> e = emulator_.lock())
            e->removeMonitor(this);
    }

private:
    std::weak_ptr<Emulator> emulator_;
};

}   // namespace

// ---- Device ----------------------------------------------------------------

class EmulatorDevice final : public Device {
public:
    EmulatorDevice(std::shared_ptr<Emulator> emulator, std::shared_ptr<Emulator::Handle> handle, InterfaceInfo info)
        : emulator_(std::move(emulator)), handle_(std::move(handle)), info_(std::move(info))
    {}
    ~EmulatorDevice() override { emulator_->close(handle_); }

    const InterfaceInfo& info() const override { return info_; }
    bool setFeature(std::span<const uint8_t> report, Millis) override
    {
        return emulator_->setFeature(*handle_, report);
    }
    bool getFeature(std::span<uint8_t> report, Millis) override { return emulator_->getFeature(*handle_, report); }
    bool writeReport(std::span<const uint8_t> report, Millis timeout) override
    {
        return emulator_->writeReport(*handle_, report, timeout);
    }
    int readReport(std::span<uint8_t> buffer, Millis timeout) override
    {
        return emulator_->readReport(*handle_, buffer, timeout);
    }
    void drainInput() override { emulator_->drainInput(*handle_); }
    void interruptRead() override { emulator_->interruptRead(*handle_); }

private:
    std::shared_ptr<Emulator> emulator_;
    std::shared_ptr<Emulator::Handle> handle_;
    InterfaceInfo info_;
};

// ---- Creation and views ----------------------------------------------------

std::shared_ptr<Emulator> Emulator::create()
{
    return std::shared_ptr<Emulator>(new Emulator());
}

std::shared_ptr<Emulator> Emulator::withStateFile(const std::string& path, std::string& error)
{
    std::unique_ptr<StateFile> file = StateFile::open(path, error);
    if (!file)
        return nullptr;
    std::shared_ptr<Emulator> emulator = create();
    if (!file->load(emulator->state_, error))
        return nullptr;
    emulator->file_ = std::move(file);
    // Programs sharing the state file share the keyboard.
    std::error_code ec;
    const std::filesystem::path where = std::filesystem::weakly_canonical(path, ec);
    emulator->deviceKey_ = "emulator:" + (ec ? path : where.string());
    return emulator;
}

Emulator::~Emulator()
{
    {
        Lock lock(mutex_);
        destroying_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : replugTimers_)
        t.join();
}

void Emulator::refreshFromFile(Lock&) const
{
    std::string error;
    if (file_ && !file_->load(state_, error))
        qCWarning(lcEmulator, "%s", error.c_str());
}

link::ConfigImage Emulator::image() const
{
    Lock lock(mutex_);
    refreshFromFile(lock);
    return state_.image;
}

FirmwareVersion Emulator::firmwareVersion() const
{
    Lock lock(mutex_);
    refreshFromFile(lock);
    return state_.firmware;
}

uint8_t Emulator::lcdMode() const
{
    Lock lock(mutex_);
    refreshFromFile(lock);
    return state_.lcdMode;
}

LcdPage Emulator::lcdPage() const
{
    Lock lock(mutex_);
    refreshFromFile(lock);
    return state_.lcdPage;
}

std::string Emulator::statePath() const
{
    return file_ ? file_->path() : std::string();
}

std::vector<InterfaceInfo> Emulator::interfaces() const
{
    Lock lock(mutex_);
    if (!plugged_)
        return {};
    std::vector<InterfaceInfo> list{commandInterface(), eventInterface()};
    for (InterfaceInfo& info : list)
        info.deviceKey = deviceKey_;
    return list;
}

std::unique_ptr<Device> Emulator::open(const std::string& path)
{
    Lock lock(mutex_);
    if (!plugged_)
        return nullptr;
    InterfaceInfo info;
    Port port;
    if (path == kEmulatorCommandPath) {
        info = commandInterface();
        port = Port::Command;
    } else if (path == kEmulatorEventPath) {
        info = eventInterface();
        port = Port::Event;
    } else {
        return nullptr;
    }
    info.deviceKey = deviceKey_;
    auto handle = std::make_shared<Handle>(Handle{port, generation_, {}});
    handles_.push_back(handle);
    return std::make_unique<EmulatorDevice>(shared_from_this(), handle, std::move(info));
}

// ---- Transfers -------------------------------------------------------------

namespace {
// Counts a call in progress on a handle, so that closing it waits for the call.
template <typename H>
class ActiveCall {
public:
    ActiveCall(H& h, std::condition_variable& cv) : h_(h), cv_(cv) { ++h_.activeCalls; }
    ~ActiveCall()
    {
        --h_.activeCalls;
        cv_.notify_all();
    }
    ActiveCall(const ActiveCall&) = delete;
    ActiveCall& operator=(const ActiveCall&) = delete;

private:
    H& h_;
    std::condition_variable& cv_;
};
}   // namespace

bool Emulator::alive(const Handle& h) const
{
    return plugged_ && h.generation == generation_ && !h.closing;
}

template <typename Step>
void Emulator::runStep(Lock&, Step&& step)
{
    FirmwareStep result;
    bool kept = true;
    if (file_) {
        const EmulatorState before = state_;
        std::string error;
        const auto apply = [&](EmulatorState& s) {
            result = step(s);
            return result.changed;
        };
        if (!file_->update(state_, apply, error)) {
            qCWarning(lcEmulator, "%s", error.c_str());
            // The keyboard's memory is the file: a change that did not reach it did not happen.
            if (result.changed) {
                state_ = before;
                kept = false;
            }
        }
    } else {
        result = step(state_);
    }
    if (result.acknowledge) {
        const bool dropped = plan_.hits(FaultKind::NoAck, ++counted_.acknowledgements);
        if (kept && acknowledging_ && !dropped)
            sendEvent(event::kAcknowledgement, 0);
    }
    for (const DataReport& r : result.bulkInput)
        deliver(Port::Command, r);
}

void Emulator::afterTransfer(Lock&)
{
    ++counted_.transfers;
    for (const FaultItem& f : plan_.dueAfter(counted_.transfers)) {
        if (f.kind == FaultKind::HostKey) {
            const keymap::KeyLayout& key = keymap::KeyLayoutTable[static_cast<std::size_t>(*f.count)];
            const std::size_t cell = link::image::kKeyCodeBlock + 4 * keymap::cellIndex(key);
            if (plugged_)
                sendEvent(event::kKeyNotification, state_.image[cell + 2]);
            continue;
        }
        unplugLocked();
        if (f.countGiven && f.count) {
            const Millis away{static_cast<Millis::rep>(*f.count)};
            replugTimers_.emplace_back([this, away] {
                Lock lock(mutex_);
                if (!changed_.wait_for(lock, away, [this] { return destroying_; }))
                    replugLocked();
            });
        }
    }
}

bool Emulator::setFeature(Handle& h, std::span<const uint8_t> report)
{
    Lock lock(mutex_);
    if (!alive(h) || h.port != Port::Command || report.empty())
        return false;
    bool failed = plan_.hits(FaultKind::SetFeatureFail, ++counted_.setFeatures);
    if (!failed && failSetFeatures_ > 0) {
        --failSetFeatures_;
        failed = true;
    }
    if (!failed)
        runStep(lock, [&](EmulatorState& s) { return firmware_.command(report, s); });
    afterTransfer(lock);
    return !failed;
}

bool Emulator::getFeature(Handle& h, std::span<uint8_t> report)
{
    Lock lock(mutex_);
    if (!alive(h) || h.port != Port::Command || report.empty() || report[0] != 0)
        return false;
    const bool failed = plan_.hits(FaultKind::GetFeatureFail, ++counted_.getFeatures);
    if (!failed) {
        const CommandReport& answer = firmware_.answer();
        std::copy_n(answer.begin(), std::min(report.size(), answer.size()), report.begin());
    }
    afterTransfer(lock);
    return !failed;
}

bool Emulator::waitOut(Lock& lock, Handle& h, Millis timeout, bool wakeOnInterrupt)
{
    ++blocked_;
    changed_.wait_for(lock, timeout, [&] { return !alive(h) || (wakeOnInterrupt && h.interrupted); });
    --blocked_;
    return alive(h);
}

int Emulator::blockedTransfers() const
{
    Lock lock(mutex_);
    return blocked_;
}

bool Emulator::writeReport(Handle& h, std::span<const uint8_t> report, Millis timeout)
{
    Lock lock(mutex_);
    ActiveCall call(h, changed_);
    if (!alive(h) || h.port != Port::Command || report.size() < 2)
        return false;
    if (plan_.hits(FaultKind::WriteFail, ++counted_.outputReports)) {
        afterTransfer(lock);
        return false;
    }
    if (reportStalls_ > 0) {
        if (reportSkip_ == 0) {
            --reportStalls_;
            waitOut(lock, h, timeout, false);
            afterTransfer(lock);
            return false;
        }
        --reportSkip_;
    }
    runStep(lock, [&](EmulatorState& s) { return firmware_.dataReport(report, s); });
    afterTransfer(lock);
    return true;
}

int Emulator::readReport(Handle& h, std::span<uint8_t> buffer, Millis timeout)
{
    Lock lock(mutex_);
    ActiveCall call(h, changed_);
    if (!alive(h))
        return -1;
    const bool commandPort = h.port == Port::Command;
    const bool planned = commandPort && plan_.hits(FaultKind::ReadStall, ++counted_.inputReports);
    if (planned || (commandPort && readStalls_ > 0 && readSkip_ == 0)) {
        if (!planned)
            --readStalls_;
        const bool ok = waitOut(lock, h, timeout, true);
        h.interrupted = false;
        if (!ok)
            return -1;
        if (planned && !h.input.empty())
            h.input.pop_front();   // the report the keyboard never sent
        afterTransfer(lock);
        return 0;
    }
    ++blocked_;
    changed_.wait_for(lock, timeout, [&] { return !alive(h) || h.interrupted || !h.input.empty(); });
    --blocked_;
    if (!alive(h))
        return -1;
    const int n = takeInput(h, buffer);
    if (commandPort)
        afterTransfer(lock);
    return n;
}

int Emulator::takeInput(Handle& h, std::span<uint8_t> buffer)
{
    if (h.interrupted) {
        h.interrupted = false;
        return 0;
    }
    if (h.input.empty())
        return 0;
    const std::vector<uint8_t> report = std::move(h.input.front());
    h.input.pop_front();
    if (h.port == Port::Command && readStalls_ > 0 && readSkip_ > 0)
        --readSkip_;
    const std::size_t n = std::min(buffer.size(), report.size());
    std::copy_n(report.begin(), n, buffer.begin());
    return static_cast<int>(n);
}

void Emulator::drainInput(Handle& h)
{
    Lock lock(mutex_);
    h.input.clear();
}

void Emulator::interruptRead(Handle& h)
{
    Lock lock(mutex_);
    h.interrupted = true;
    changed_.notify_all();
}

void Emulator::close(const std::shared_ptr<Handle>& h)
{
    Lock lock(mutex_);
    h->closing = true;
    changed_.notify_all();
    changed_.wait(lock, [&] { return h->activeCalls == 0; });
    std::erase(handles_, h);
}

void Emulator::deliver(Port port, std::span<const uint8_t> report)
{
    for (const std::shared_ptr<Handle>& h : handles_)
        if (h->port == port && alive(*h) && h->input.size() < kInputQueueLimit)
            h->input.emplace_back(report.begin(), report.end());
    changed_.notify_all();
}

// An event reaches only the event interfaces open now; with none open it is lost.
void Emulator::sendEvent(uint8_t kind, uint8_t code)
{
    const std::array<uint8_t, kEventReportSize> report{event::kReportId, kind, code, 0};
    deliver(Port::Event, report);
}

// ---- Test interface --------------------------------------------------------

void Emulator::pressHostActionKey(uint8_t code)
{
    Lock lock(mutex_);
    if (plugged_)
        sendEvent(event::kKeyNotification, code);
}

void Emulator::notifyMonitors(bool added)
{
    for (hotplug::Monitor* m : monitors_) {
        for (const char* path : {kEmulatorCommandPath, kEmulatorEventPath}) {
            const QString p = QString::fromLatin1(path);
            // Queued to the monitor's thread; dropped by Qt if the monitor goes first.
            QMetaObject::invokeMethod(
                m, [m, p, added] { added ? emit m->interfaceAdded(p) : emit m->interfaceRemoved(p); },
                Qt::QueuedConnection);
        }
    }
}

void Emulator::unplug()
{
    Lock lock(mutex_);
    unplugLocked();
}

void Emulator::unplugLocked()
{
    if (!plugged_)
        return;
    plugged_ = false;
    ++generation_;   // devices opened so far never come back
    for (const std::shared_ptr<Handle>& h : handles_)
        h->input.clear();
    firmware_.powerCycle();
    changed_.notify_all();
    notifyMonitors(false);
}

void Emulator::replug()
{
    Lock lock(mutex_);
    replugLocked();
}

void Emulator::replugLocked()
{
    if (plugged_)
        return;
    plugged_ = true;
    notifyMonitors(true);
}

bool Emulator::pluggedIn() const
{
    Lock lock(mutex_);
    return plugged_;
}

void Emulator::addMonitor(hotplug::Monitor* monitor)
{
    Lock lock(mutex_);
    monitors_.push_back(monitor);
}

void Emulator::removeMonitor(hotplug::Monitor* monitor)
{
    Lock lock(mutex_);
    std::erase(monitors_, monitor);
}

void Emulator::setAcknowledging(bool acknowledging)
{
    Lock lock(mutex_);
    acknowledging_ = acknowledging;
}

void Emulator::failNextSetFeature(int count)
{
    Lock lock(mutex_);
    failSetFeatures_ = std::max(count, 0);
}

void Emulator::stallNextReports(int skip, int count)
{
    Lock lock(mutex_);
    reportSkip_ = std::max(skip, 0);
    reportStalls_ = std::max(count, 0);
}

void Emulator::stallNextReads(int skip, int count)
{
    Lock lock(mutex_);
    readSkip_ = std::max(skip, 0);
    readStalls_ = std::max(count, 0);
}

void Emulator::setFaultPlan(FaultPlan plan)
{
    Lock lock(mutex_);
    plan_ = std::move(plan);
}

void Emulator::setFirmwareVersion(FirmwareVersion version)
{
    Lock lock(mutex_);
    runStep(lock, [&](EmulatorState& s) {
        s.firmware = version;
        FirmwareStep step;
        step.changed = true;
        return step;
    });
}

// ---- Backend ---------------------------------------------------------------

EmulatorBackend::EmulatorBackend(std::shared_ptr<Emulator> emulator) : emulator_(std::move(emulator)) {}

std::vector<InterfaceInfo> EmulatorBackend::enumerate()
{
    return emulator_->interfaces();
}

std::unique_ptr<Device> EmulatorBackend::open(const std::string& path)
{
    return emulator_->open(path);
}

std::unique_ptr<hotplug::Monitor> EmulatorBackend::createMonitor()
{
    return std::make_unique<EmulatorMonitor>(emulator_);
}

}   // namespace orvane::hid
