#include "link/KeyboardLink.h"

#include <algorithm>

#include <QLoggingCategory>
#include <QMetaObject>
#include <QTimer>

#include "platform/hotplug/Monitor.h"

Q_LOGGING_CATEGORY(lcLink, "orvane.link", QtInfoMsg)

namespace orvane::link {

bool MatchesInterface(const hid::InterfaceInfo& info, LinkInterface which)
{
    if (info.vendorId != kVendorId)
        return false;
    if (std::find(std::begin(kProductIds), std::end(kProductIds), info.productId) == std::end(kProductIds))
        return false;
    if (which == LinkInterface::Command)
        return info.interfaceNumber == kCommandInterfaceNumber;
    return info.hasInputReport(kEventReportId);
}

KeyboardLink::KeyboardLink(hid::Backend& backend, LinkObserver& observer, Sleeper& sleeper, QObject* parent)
    : QObject(parent), backend_(backend), observer_(observer), sleeper_(sleeper),
      store_(std::make_unique<ConfigStore>())
{
}

KeyboardLink::~KeyboardLink()
{
    Close();
    monitor_.reset();
}

// ---- Discovery and handles ----------------------------------------------

std::string KeyboardLink::FindInterface(LinkInterface which)
{
    for (const hid::InterfaceInfo& info : backend_.enumerate())
        if (MatchesInterface(info, which))
            return info.path;
    return {};
}

bool KeyboardLink::OpenCommandInterface()
{
    if (command_)
        return true;
    const std::string path = FindInterface(LinkInterface::Command);
    if (path.empty())
        return false;
    command_ = backend_.open(path);
    if (command_)
        commandPath_ = path;
    return command_ != nullptr;
}

bool KeyboardLink::OpenEventInterface()
{
    if (event_)
        return true;
    const std::string path = FindInterface(LinkInterface::Event);
    if (path.empty())
        return false;
    event_ = backend_.open(path);
    if (event_)
        eventPath_ = path;
    return event_ != nullptr;
}

bool KeyboardLink::RegisterForDeviceChanges()
{
    monitor_ = backend_.createMonitor();
    if (!monitor_) {
        observer_.deviceNotificationRegistrationFailed();
        return false;
    }
    connect(monitor_.get(), &hotplug::Monitor::interfaceAdded, this, [this](const QString&) { OnDeviceArrival(); });
    connect(monitor_.get(), &hotplug::Monitor::interfaceRemoved, this,
            [this](const QString& path) { OnDeviceRemoval(path.toStdString()); });
    return true;
}

void KeyboardLink::StartUp()
{
    // Both interfaces open before either thread starts, so the reader already
    // listens when the read-all's first report is acknowledged.
    const bool commandOk = OpenCommandInterface();
    const bool eventOk = OpenEventInterface();
    if (eventOk && !readerThread_.joinable())
        startReader();
    if (commandOk && !startupStarted_) {
        startupStarted_ = true;
        startupThread_ = std::thread([this] { ReadAllAtStart(); });
    }
    if (!commandOk || !eventOk)
        observer_.hideMainWindow();
}

void KeyboardLink::Close()
{
    closeHandles();
}

void KeyboardLink::closeHandles()
{
    // Nothing may still use a handle when it closes: the reader is woken and
    // joined, the start-up read has returned.
    stopReader();
    stopStartupThread();
    command_.reset();
    event_.reset();
    commandPath_.clear();
    eventPath_.clear();
    abortReadAll_ = false;
}

void KeyboardLink::stopStartupThread()
{
    if (!startupThread_.joinable())
        return;
    abortReadAll_ = true;
    startupThread_.join();
}

bool KeyboardLink::ownsPath(const std::string& path) const
{
    return (command_ && path == commandPath_) || (event_ && path == eventPath_);
}

DeviceInfo KeyboardLink::deviceInfo() const
{
    std::lock_guard lock(infoMutex_);
    return deviceInfo_;
}

FirmwareVersion KeyboardLink::firmwareVersion() const
{
    std::lock_guard lock(infoMutex_);
    return firmwareVersion_;
}

// ---- Hot-plug -----------------------------------------------------------

void KeyboardLink::OnDeviceArrival()
{
    // Every interface of a plugged keyboard announces itself; one sequence serves them all.
    if (arrivalPending_)
        return;
    arrivalPending_ = true;
    QTimer::singleShot(delays_.arrivalMs, this, &KeyboardLink::finishArrival);
}

void KeyboardLink::finishArrival()
{
    if (removalPending_) {   // let the removal close first, then open afresh
        QTimer::singleShot(delays_.removalSettleMs, this, &KeyboardLink::finishArrival);
        return;
    }
    arrivalPending_ = false;
    if (!command_ && OpenCommandInterface()) {
        {
            std::lock_guard lock(operationMutex_);
            DeviceInfo info{};
            FirmwareVersion version{};
            if (GetDeviceInfo(port(), info, version)) {
                std::lock_guard infoLock(infoMutex_);
                deviceInfo_ = info;
                firmwareVersion_ = version;
            }
            refreshLocked();
            for (std::size_t m = 0; m < image::kLightMapCount; ++m)
                ReadLightMap(port(), store_->image(), m);
        }
        const ConfigImage& img = store_->image();
        observer_.setSlidersFromImage(img[image::kBrightness], img[image::kSpeed], img[image::kReportRate]);
        observer_.configurationLoaded(0);
    }
    if (!event_ && OpenEventInterface()) {
        if (!readerThread_.joinable())
            startReader();
        observer_.configurationLoaded(0);
    }
}

void KeyboardLink::OnDeviceRemoval(const std::string& path)
{
    // Another device leaving does not concern the keyboard's handles.
    if (!ownsPath(path) || removalPending_)
        return;
    removalPending_ = true;
    g_readerStop = true;
    abortReadAll_ = true;
    if (event_)
        event_->interruptRead();
    QTimer::singleShot(delays_.removalStopMs, this, &KeyboardLink::finishRemoval);
}

void KeyboardLink::finishRemoval()
{
    closeHandles();
    QTimer::singleShot(delays_.removalSettleMs, this, [this] {
        removalPending_ = false;
        qCDebug(lcLink, "DBT_DEVICEREMOVECOMPLETE");
    });
}

// ---- Event reader -------------------------------------------------------

void KeyboardLink::startReader()
{
    g_readerStop = false;
    readerThread_ = std::thread(&KeyboardLink::EventReaderThread, this, event_.get());
}

void KeyboardLink::stopReader()
{
    if (!readerThread_.joinable())
        return;
    {
        std::lock_guard lock(ackMutex_);
        g_readerStop = true;
    }
    ackChanged_.notify_all();
    if (event_)
        event_->interruptRead();
    readerThread_.join();
}

void KeyboardLink::EventReaderThread(hid::Device* device)
{
    while (!g_readerStop) {
        std::array<uint8_t, kEventSize> event{eventReport::kReportId, 0, 0, 0};
        const int n = device->readReport(event, kReaderPoll);
        if (n < 0) {
            // A failed device answers at once; wait a poll period (or for the stop) before trying again.
            std::unique_lock lock(ackMutex_);
            ackChanged_.wait_for(lock, kReaderPoll, [this] { return g_readerStop.load(); });
            continue;
        }
        if (n > 0 && event[eventReport::kId] == eventReport::kReportId)
            handleEvent(event);
    }
}

void KeyboardLink::handleEvent(const std::array<uint8_t, kEventSize>& event)
{
    if (event[eventReport::kKind] == eventReport::kAcknowledgement) {
        {
            std::lock_guard lock(ackMutex_);
            g_ackReceived = true;
            ++acksSeen_;
        }
        ackChanged_.notify_all();
        return;
    }
    // Posted, never sent: the window may be inside an upload waiting for this
    // very reader's next acknowledgement.
    const uint8_t code = event[eventReport::kKeyCode];
    QMetaObject::invokeMethod(this, [this, code] { observer_.keyNotification(code); }, Qt::QueuedConnection);
}

void KeyboardLink::clearAck()
{
    std::lock_guard lock(ackMutex_);
    g_ackReceived = false;
    ++acksOwed_;
}

bool KeyboardLink::waitAck()
{
    ++ackWaits_;
    std::unique_lock lock(ackMutex_);
    // Counting acknowledgements, not only flagging them, keeps a late one (the
    // end report's, which nobody awaits) from passing for the step's own.
    return ackChanged_.wait_for(lock, ackTimeout_, [this] { return g_ackReceived && acksSeen_ >= acksOwed_; });
}

void KeyboardLink::oweAcks(unsigned count)
{
    if (!event_)
        return;   // an acknowledgement with no reader listening is lost
    std::lock_guard lock(ackMutex_);
    acksOwed_ += count;
}

void KeyboardLink::settleAcks()
{
    std::unique_lock lock(ackMutex_);
    ackChanged_.wait_for(lock, kLateAckWait, [this] { return acksSeen_ >= acksOwed_; });
    acksSeen_ = acksOwed_ = 0;
}

// ---- Read-all -----------------------------------------------------------

void KeyboardLink::ReadAllAtStart()
{
    bool ok = false;
    {
        std::lock_guard lock(operationMutex_);
        ok = !abortReadAll_ && command_;
        if (ok) {
            readAll(true);
            ok = lastReadAllOk_;
        }
        // A read-all that did not complete leaves the shadow as it was, so the
        // next upload re-sends every area the keyboard may not hold.
        if (ok)
            store_->CopyImageToShadow();
    }
    QMetaObject::invokeMethod(this, [this] { observer_.configurationLoaded(0); }, Qt::QueuedConnection);
}

void KeyboardLink::WaitForStartupRead()
{
    if (startupThread_.joinable())
        startupThread_.join();
}

void KeyboardLink::readAll(bool startUp)
{
    ConfigImage& img = store_->image();
    bool ok = true;
    auto step = [&](bool result) {
        ok = result && ok;
        return !abortReadAll_.load();
    };
    lastReadAllOk_ = false;
    const bool gameModeOne = SetGameModeOne(port());
    oweAcks(1);   // acknowledged, though nobody waits for it
    if (!step(gameModeOne))
        return;
    if (startUp) {
        DeviceInfo info{};
        FirmwareVersion version{};
        const bool got = GetDeviceInfo(port(), info, version);
        if (got) {
            std::lock_guard infoLock(infoMutex_);
            deviceInfo_ = info;
            firmwareVersion_ = version;
        }
        if (!step(got))
            return;
    } else {
        sleeper_.sleep(10);
    }
    if (!step(GetLighting(port(), img)))
        return;
    for (std::size_t i = 0; i < image::kColourCount; ++i)
        if (!step(ReadColour(port(), img, i)))
            return;
    if (!step(GetGameMode(port(), img)) || !step(GetReportRate(port(), img)) || !step(GetResponseTime(port(), img)))
        return;
    if (!step(ReadKeyMap(port(), img)) || !step(ReadKeyEnable(port(), img)))
        return;
    for (std::size_t b = 0; b < image::kMacroBlockCount; ++b) {
        if (!step(ReadMacroBlock(port(), img, b)))
            return;
        if (startUp)
            sleeper_.yield();
    }
    for (std::size_t m = 0; m < image::kLightMapCount; ++m)
        if (!step(ReadLightMap(port(), img, m)))
            return;
    lastReadAllOk_ = ok;
}

bool KeyboardLink::refreshLocked()
{
    if (!command_)
        return false;
    readAll(false);
    return lastReadAllOk_;
}

bool KeyboardLink::RefreshFromKeyboard()
{
    std::lock_guard lock(operationMutex_);
    return refreshLocked();
}

bool KeyboardLink::FactoryResetKeyboard()
{
    std::lock_guard lock(operationMutex_);
    if (!command_)
        return false;
    const bool reset = FactoryReset(port());
    oweAcks(3);   // the reset and its two game-mode reports
    return refreshLocked() && reset;
}

// ---- Upload -------------------------------------------------------------

UploadResult KeyboardLink::UploadChanges()
{
    std::lock_guard lock(operationMutex_);
    return uploadLocked();
}

UploadResult KeyboardLink::runStep(const std::function<bool()>& step)
{
    clearAck();
    if (!step())
        return UploadResult::TransferFailed;
    if (!waitAck())
        return UploadResult::TimedOut;
    return UploadResult::Uploaded;
}

UploadResult KeyboardLink::uploadLocked()
{
    ConfigImage& img = store_->image();
    ApplyWinLockRule(img);
    const ChangedAreas changed = DetectChanges(img, store_->shadowImage());
    if (!changed.any())
        return UploadResult::NothingToSend;
    if (!command_ || (changed.anyStep() && !event_))
        return UploadResult::NoKeyboard;
    settleAcks();

    std::vector<std::function<bool()>> steps;
    if (changed.anyStep())
        steps.push_back([&] {
            const bool ok = BeginConfigWrite(port(), img);
            sleeper_.sleep(10);
            return ok;
        });
    if (changed.colours)
        steps.push_back([&] {
            bool ok = true;
            for (std::size_t i = 0; ok && i < image::kColourCount; ++i)
                ok = WriteColour(port(), img, i);
            return ok;
        });
    if (changed.gameMode)
        steps.push_back([&] { return SetGameMode(port(), img); });
    if (changed.reportRate)
        steps.push_back([&] { return SetReportRate(port(), img); });
    if (changed.responseTime)
        steps.push_back([&] { return SetResponseTime(port(), img); });
    if (changed.keyMap)
        steps.push_back([&] { return WriteKeyMap(port(), img); });
    if (changed.keyEnable)
        steps.push_back([&] { return WriteKeyEnable(port(), img); });
    for (std::size_t b = 0; b < image::kMacroBlockCount; ++b)
        if (changed.macroBlocks[b])
            steps.push_back([&, b] { return WriteMacroBlock(port(), img, b); });
    for (std::size_t m = 0; m < image::kLightMapCount; ++m)
        if (changed.lightMaps[m])
            steps.push_back([&, m] { return WriteLightMap(port(), img, m); });

    for (const std::function<bool()>& step : steps) {
        const UploadResult r = runStep(step);
        if (r != UploadResult::Uploaded)
            return r;   // the shadow keeps its bytes: the next Save sends the rest again
    }
    // The end report carries all five lighting values; no acknowledgement follows it.
    oweAcks(1);   // the keyboard acknowledges the end report too
    if (!EndConfigWrite(port(), img))
        return UploadResult::TransferFailed;
    store_->CopyWorkingToShadow();
    return UploadResult::Uploaded;
}

} // namespace orvane::link
