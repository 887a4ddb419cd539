#include "link/KeyboardLink.h"

#include <algorithm>

#include <QLoggingCategory>
#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>
#include <QTimer>

#include "platform/hid/KeyboardIds.h"
#include "platform/hotplug/Monitor.h"

Q_LOGGING_CATEGORY(lcLink, "orvane.link", QtInfoMsg)

namespace orvane::link {

bool MatchesInterface(const hid::InterfaceInfo& info, LinkInterface which)
{
    if (!hid::usb::isKeyboard(info.vendorId, info.productId))
        return false;
    if (which == LinkInterface::Command)
        return info.interfaceNumber == kCommandInterfaceNumber;
    return info.hasInputReport(kEventReportId);
}

KeyboardLink::KeyboardLink(hid::Backend& backend, LinkObserver& observer, Sleeper& sleeper, QObject* parent)
    : QObject(parent), backend_(backend), observer_(observer), sleeper_(sleeper),
      store_(std::make_unique<ConfigStore>()), uploadRecords_(std::make_unique<KeyExtTable>())
{}

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
    started_ = true;
    // Both interfaces open before the read-all starts, so the reader already
    // listens when its first report is acknowledged.
    const bool commandOk = OpenCommandInterface();
    const bool eventOk = OpenEventInterface();
    if (eventOk && !readerThread_.joinable())
        startReader();
    if (commandOk && !startupStarted_) {
        startupStarted_ = true;
        enqueue([this] { return startUpJob(); });
    }
    if (!commandOk || !eventOk)
        observer_.hideMainWindow();
}

void KeyboardLink::Close()
{
    // Nothing the link started may reach the observer once it is closed.
    closed_ = true;
    requests_.clear();
    closeHandles();
    stopLinkThread();
}

void KeyboardLink::closeHandles()
{
    // The reader is woken and joined; an operation still running gives up and
    // closes the command interface when it lets go of it.
    abortOperation();
    stopReader();
    command_.reset();
    event_.reset();
    commandPath_.clear();
    eventPath_.clear();
}

void KeyboardLink::abortOperation()
{
    {
        std::lock_guard lock(ackMutex_);   // an acknowledgement wait sees it at once
        ++generation_;
    }
    ackChanged_.notify_all();
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
    // Before StartUp() the working pair is not loaded yet: StartUp() opens what has arrived,
    // and its read-all is the first to fill the image.
    if (!started_ || closed_)
        return;
    const bool commandOpened = !command_ && OpenCommandInterface();
    const bool eventOpened = !event_ && OpenEventInterface();
    if (eventOpened && !readerThread_.joinable())
        startReader();
    // The refresh runs on the link thread; its result, then each interface's
    // configuration-loaded message, reach the window in the system's order.
    if (commandOpened)
        enqueue([this, eventOpened] { return arrivalJob(eventOpened); });
    else if (eventOpened)
        observer_.configurationLoaded(0);
}

void KeyboardLink::OnDeviceRemoval(const std::string& path)
{
    // Another device leaving does not concern the keyboard's handles.
    if (!ownsPath(path) || removalPending_)
        return;
    removalPending_ = true;
    g_readerStop = true;
    abortOperation();   // the operation in progress gives up now
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
    eventListening_ = true;
    readerThread_ = std::thread(&KeyboardLink::EventReaderThread, this, event_.get());
}

void KeyboardLink::stopReader()
{
    eventListening_ = false;
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
    // Queued, never told from here: the observer lives on the window thread, and the link
    // thread may be waiting for this very reader's next acknowledgement.
    bool first = false;
    {
        std::lock_guard lock(keysMutex_);
        first = keyCodes_.empty();
        keyCodes_.push_back(event[eventReport::kKeyCode]);
    }
    if (first)
        QMetaObject::invokeMethod(this, "deliverKeyNotifications", Qt::QueuedConnection);
}

void KeyboardLink::deliverKeyNotifications()
{
    std::vector<uint8_t> codes;
    {
        std::lock_guard lock(keysMutex_);
        codes.swap(keyCodes_);
    }
    for (const uint8_t code : codes)
        if (!closed_)
            observer_.keyNotification(code);
}

void KeyboardLink::clearAck()
{
    std::lock_guard lock(ackMutex_);
    g_ackReceived = false;
    ++acksOwed_;
}

bool KeyboardLink::waitAck(unsigned generation)
{
    ++ackWaits_;
    std::unique_lock lock(ackMutex_);
    // Counting acknowledgements, not only flagging them, keeps a late one (the
    // end report's, which nobody awaits) from passing for the step's own.
    ackChanged_.wait_for(lock, ackTimeout_,
                         [&] { return (g_ackReceived && acksSeen_ >= acksOwed_) || aborted(generation); });
    return g_ackReceived && acksSeen_ >= acksOwed_ && !aborted(generation);
}

void KeyboardLink::oweAcks(unsigned count)
{
    if (!eventListening_)
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

// ---- Operations: the window-thread side -------------------------------

void KeyboardLink::enqueue(Request request)
{
    if (closed_)
        return;
    requests_.push_back(std::move(request));
    startNext();
}

void KeyboardLink::startNext()
{
    while (!jobRunning_ && !requests_.empty() && !closed_) {
        Request request = std::move(requests_.front());
        requests_.pop_front();
        Job job = request();
        if (!job.work) {
            job.finish();
            continue;
        }
        jobRunning_ = true;
        runOnLinkThread(std::move(job));
    }
}

void KeyboardLink::collectFinished()
{
    for (;;) {
        std::function<void()> finish;
        {
            std::lock_guard lock(workMutex_);
            if (finished_.empty())
                return;
            finish = std::move(finished_.front());
            finished_.pop_front();
        }
        jobRunning_ = false;
        if (!closed_)
            finish();
        finish = nullptr;   // the operation's copy goes on this thread
        startNext();
    }
}

void KeyboardLink::WaitForIdle()
{
    for (;;) {
        // Results already handed over are applied first (applying one may ask for the next),
        // and what else was queued to the link on this thread (host-action keys) is delivered.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        collectFinished();
        if (!busy() || closed_)
            return;
        std::unique_lock lock(workMutex_);
        workChanged_.wait(lock, [this] { return !finished_.empty() || (work_.empty() && !workBusy_); });
    }
}

void KeyboardLink::applyAreas(const ConfigImage& from, const Areas& areas)
{
    ConfigImage& img = store_->image();
    for (const auto& [offset, size] : areas)
        std::copy_n(from.begin() + static_cast<std::ptrdiff_t>(offset), size,
                    img.begin() + static_cast<std::ptrdiff_t>(offset));
}

void KeyboardLink::UploadChangesAsync(std::function<void(UploadResult)> done)
{
    enqueue([this, done = std::move(done)] { return uploadJob(done); });
}

void KeyboardLink::FactoryResetAsync(std::function<void(bool)> done)
{
    enqueue([this, done = std::move(done)] { return refreshJob(true, done); });
}

void KeyboardLink::ReadLightingAsync(std::function<void(bool)> done)
{
    enqueue([this, done = std::move(done)]() -> Job {
        struct Lighting {
            std::shared_ptr<hid::Device> device;
            ConfigImage image;
            bool ok = false;
        };
        auto op = std::make_shared<Lighting>(Lighting{command_, store_->image()});
        if (!op->device)
            return {{}, [done] { done(false); }};
        return {[this, op] {
                    const Hold hold = holdKeyboard(op->device);
                    op->ok = hold && GetLighting(portOf(op->device), op->image);
                },
                [this, op, done] {
                    if (op->ok)
                        applyAreas(op->image, {{image::kEffect, image::kLightingSize}});
                    done(op->ok);
                }};
    });
}

// Blocking versions: the same job, run here.
bool KeyboardLink::RefreshFromKeyboard()
{
    WaitForIdle();   // never beside an operation of the link thread
    bool ok = false;
    Job job = refreshJob(false, [&](bool result) { ok = result; });
    if (job.work)
        job.work();
    job.finish();
    return ok;
}

bool KeyboardLink::FactoryResetKeyboard()
{
    WaitForIdle();   // never beside an operation of the link thread
    bool ok = false;
    Job job = refreshJob(true, [&](bool result) { ok = result; });
    if (job.work)
        job.work();
    job.finish();
    return ok;
}

UploadResult KeyboardLink::UploadChanges()
{
    WaitForIdle();   // never beside an operation of the link thread
    UploadResult result = UploadResult::NoKeyboard;
    Job job = uploadJob([&](UploadResult r) { result = r; });
    if (job.work)
        job.work();
    job.finish();
    return result;
}

// ---- The link thread ----------------------------------------------------

void KeyboardLink::runOnLinkThread(Job job)
{
    std::lock_guard lock(workMutex_);
    if (!linkThread_.joinable()) {
        linkThreadStop_ = false;
        linkThread_ = std::thread(&KeyboardLink::linkThread, this);
    }
    work_.push_back(std::move(job));
    workChanged_.notify_all();
}

void KeyboardLink::linkThread()
{
    std::unique_lock lock(workMutex_);
    for (;;) {
        workChanged_.wait(lock, [this] { return linkThreadStop_ || !work_.empty(); });
        if (work_.empty())
            return;
        Job job = std::move(work_.front());
        work_.pop_front();
        workBusy_ = true;
        lock.unlock();
        job.work();
        job.work = nullptr;   // its device handle goes with it
        lock.lock();
        // The hand-off: from here on the operation's copy is the window thread's. The mutex
        // orders the link thread's writes before the window thread's reads; the queued call
        // only wakes the window thread (its own queue's locking is Qt's, which the thread
        // checker cannot see).
        const bool wake = finished_.empty();
        finished_.push_back(std::move(job.finish));
        workBusy_ = false;
        workChanged_.notify_all();
        if (wake)
            QMetaObject::invokeMethod(this, "collectFinished", Qt::QueuedConnection);
    }
}

void KeyboardLink::stopLinkThread()
{
    {
        std::lock_guard lock(workMutex_);
        work_.clear();
        linkThreadStop_ = true;
    }
    workChanged_.notify_all();
    if (linkThread_.joinable())
        linkThread_.join();
    finished_.clear();   // results nobody may apply now (the link is closed)
}

KeyboardLink::Hold KeyboardLink::holdKeyboard(const std::shared_ptr<hid::Device>& device)
{
    Hold hold{std::unique_lock(operationMutex_), nullptr};
    std::string error;
    hold.exchange =
        platform::ExchangeLock::acquire(device ? device->info().deviceKey : std::string(), kKeyboardHoldWait, error);
    // Busy: said each time. No lock file to be had: said once, and the program goes on alone.
    static std::atomic<bool> saidUnlocked{false};
    if (!error.empty() && (!hold.exchange || !saidUnlocked.exchange(true)))
        qCWarning(lcLink).noquote() << QString::fromStdString(error);
    return hold;
}

// ---- Read-all -----------------------------------------------------------

KeyboardLink::Job KeyboardLink::startUpJob()
{
    struct StartUpRead {
        std::shared_ptr<hid::Device> device;
        unsigned generation;
        ConfigImage image;
        Areas areas;
        bool ok = false;
    };
    auto op = std::make_shared<StartUpRead>(StartUpRead{command_, generation_, store_->image(), {}});
    return {[this, op] {
                const Hold hold = holdKeyboard(op->device);
                if (!hold || !op->device || aborted(op->generation))
                    return;
                op->ok = readAll(portOf(op->device), op->image, true, op->areas, op->generation);
            },
            [this, op] {
                applyAreas(op->image, op->areas);
                // A read-all that did not complete leaves the shadow as it was, so the
                // next upload re-sends every area the keyboard may not hold.
                if (op->ok)
                    store_->CopyImageToShadow();
                op->ok ? observer_.configurationLoaded(0) : observer_.keyboardReadFailed();
            }};
}

KeyboardLink::Job KeyboardLink::arrivalJob(bool eventOpened)
{
    struct ArrivalRead {
        std::shared_ptr<hid::Device> device;
        unsigned generation;
        ConfigImage image;
        Areas areas;
        bool ok = false;
    };
    auto op = std::make_shared<ArrivalRead>(ArrivalRead{command_, generation_, store_->image(), {}});
    return {[this, op] {
                const Hold hold = holdKeyboard(op->device);
                const CommandPort port = portOf(op->device);
                op->ok = hold && !aborted(op->generation) && readDeviceInfo(port) &&
                    readAll(port, op->image, false, op->areas, op->generation);
                for (std::size_t m = 0; op->ok && m < image::kLightMapCount; ++m) {
                    op->ok = ReadLightMap(port, op->image, m) && !aborted(op->generation);
                    if (op->ok)
                        op->areas.push_back({image::lightMap(m), image::kLightMapSize});
                }
            },
            [this, op, eventOpened] {
                applyAreas(op->image, op->areas);
                if (!op->ok) {
                    // A keyboard unplugged meanwhile is no failure to report: it arrives again.
                    if (!aborted(op->generation))
                        observer_.keyboardReadFailed();
                    return;
                }
                const ConfigImage& img = store_->image();
                observer_.setSlidersFromImage(img[image::kBrightness], img[image::kSpeed], img[image::kReportRate]);
                observer_.configurationLoaded(0);
                if (eventOpened)
                    observer_.configurationLoaded(0);
            }};
}

KeyboardLink::Job KeyboardLink::refreshJob(bool factoryReset, std::function<void(bool)> done)
{
    struct Refresh {
        std::shared_ptr<hid::Device> device;
        unsigned generation;
        ConfigImage image;
        Areas areas;
        bool ok = false;
    };
    auto op = std::make_shared<Refresh>(Refresh{command_, generation_, store_->image(), {}});
    if (!op->device)
        return {{}, [done] { done(false); }};
    return {[this, op, factoryReset] {
                const Hold hold = holdKeyboard(op->device);
                if (!hold)
                    return;
                const CommandPort port = portOf(op->device);
                if (factoryReset)
                    op->ok = factoryResetAndRefresh(port, op->image, op->areas, op->generation);
                else
                    op->ok = readAll(port, op->image, false, op->areas, op->generation);
            },
            [this, op, done] {
                applyAreas(op->image, op->areas);
                done(op->ok);
            }};
}

bool KeyboardLink::readDeviceInfo(CommandPort port)
{
    DeviceInfo info{};
    FirmwareVersion version{};
    if (!GetDeviceInfo(port, info, version))
        return false;
    std::lock_guard infoLock(infoMutex_);
    deviceInfo_ = info;
    firmwareVersion_ = version;
    return true;
}

// The read-all stops at its first failed step: a keyboard that does not answer
// one step is not asked forty more times. The areas read so far are listed.
bool KeyboardLink::readAll(CommandPort port, ConfigImage& img, bool startUp, Areas& areas, unsigned generation)
{
    const auto step = [&](bool done, std::size_t offset = 0, std::size_t size = 0) {
        if (done && size > 0)
            areas.push_back({offset, size});
        return done && !aborted(generation);
    };
    const bool gameModeOne = SetGameModeOne(port);
    if (gameModeOne)
        oweAcks(1);   // acknowledged, though nobody waits for it
    if (!step(gameModeOne))
        return false;
    if (startUp) {
        if (!step(readDeviceInfo(port)))
            return false;
    } else {
        sleeper_.sleep(10);
    }
    if (!step(GetLighting(port, img), image::kEffect, image::kLightingSize))
        return false;
    for (std::size_t i = 0; i < image::kColourCount; ++i)
        if (!step(ReadColour(port, img, i), image::colourEntry(i), image::kColourEntrySize))
            return false;
    if (!step(GetGameMode(port, img), image::kGameMode, 1) || !step(GetReportRate(port, img), image::kReportRate, 1) ||
        !step(GetResponseTime(port, img), image::kResponseTime, 1))
        return false;
    if (!step(ReadKeyMap(port, img), image::kKeyCodeBlock, image::kKeyCodeBlockSize) ||
        !step(ReadKeyEnable(port, img), image::kKeyEnable, image::kKeyEnableSize + 1))   // with Win Lock
        return false;
    for (std::size_t b = 0; b < image::kMacroBlockCount; ++b) {
        if (!step(ReadMacroBlock(port, img, b), image::macroBlock(b), image::kMacroBlockSize))
            return false;
        if (startUp)
            sleeper_.yield();
    }
    for (std::size_t m = 0; m < image::kLightMapCount; ++m)
        if (!step(ReadLightMap(port, img, m), image::lightMap(m), image::kLightMapSize))
            return false;
    return true;
}

bool KeyboardLink::factoryResetAndRefresh(CommandPort port, ConfigImage& img, Areas& areas, unsigned generation)
{
    if (aborted(generation) || !FactoryReset(port))
        return false;
    oweAcks(3);   // the reset and its two game-mode reports
    return !aborted(generation) && readAll(port, img, false, areas, generation);
}

// ---- Upload -------------------------------------------------------------

KeyboardLink::Job KeyboardLink::uploadJob(std::function<void(UploadResult)> done)
{
    ConfigImage& working = store_->image();
    ApplyWinLockRule(working);
    const ChangedAreas changed = DetectChanges(working, store_->shadowImage());
    if (!changed.any())
        return {{}, [done] { done(UploadResult::NothingToSend); }};
    if (!command_ || (changed.anyStep() && !event_))
        return {{}, [done] { done(UploadResult::NoKeyboard); }};
    struct Upload {
        std::shared_ptr<hid::Device> device;
        unsigned generation = 0;
        ConfigImage image;
        UploadResult result = UploadResult::TransferFailed;
    };
    auto op = std::make_shared<Upload>(Upload{command_, generation_, working});
    // One upload at a time: the records (196 KB) go into the link's own buffer.
    *uploadRecords_ = store_->extTable();
    return {[this, op, changed] {
                const Hold hold = holdKeyboard(op->device);
                if (hold)
                    op->result = upload(portOf(op->device), op->image, changed, op->generation);
            },
            [this, op, done] {
                // What the keyboard now holds is what was sent, whatever was edited meanwhile.
                if (op->result == UploadResult::Uploaded) {
                    store_->shadowImage() = op->image;
                    store_->shadowExtTable() = *uploadRecords_;
                }
                done(op->result);
            }};
}

UploadResult KeyboardLink::runStep(const std::function<bool()>& step, unsigned generation)
{
    clearAck();
    if (!step())
        return UploadResult::TransferFailed;
    if (!waitAck(generation))
        return aborted(generation) ? UploadResult::TransferFailed : UploadResult::TimedOut;
    return UploadResult::Uploaded;
}

UploadResult KeyboardLink::upload(CommandPort port, ConfigImage& img, const ChangedAreas& changed, unsigned generation)
{
    if (aborted(generation))
        return UploadResult::TransferFailed;
    settleAcks();

    std::vector<std::function<bool()>> steps;
    if (changed.anyStep())
        steps.push_back([&] {
            const bool ok = BeginConfigWrite(port, img);
            sleeper_.sleep(10);
            return ok;
        });
    if (changed.colours)
        steps.push_back([&] {
            bool ok = true;
            for (std::size_t i = 0; ok && i < image::kColourCount; ++i)
                ok = WriteColour(port, img, i);
            return ok;
        });
    if (changed.gameMode)
        steps.push_back([&] { return SetGameMode(port, img); });
    if (changed.reportRate)
        steps.push_back([&] { return SetReportRate(port, img); });
    if (changed.responseTime)
        steps.push_back([&] { return SetResponseTime(port, img); });
    if (changed.keyMap)
        steps.push_back([&] { return WriteKeyMap(port, img); });
    if (changed.keyEnable)
        steps.push_back([&] { return WriteKeyEnable(port, img); });
    for (std::size_t b = 0; b < image::kMacroBlockCount; ++b)
        if (changed.macroBlocks[b])
            steps.push_back([&, b] { return WriteMacroBlock(port, img, b); });
    for (std::size_t m = 0; m < image::kLightMapCount; ++m)
        if (changed.lightMaps[m])
            steps.push_back([&, m] { return WriteLightMap(port, img, m); });

    for (const std::function<bool()>& step : steps) {
        const UploadResult r = runStep(step, generation);
        if (r != UploadResult::Uploaded)
            return r;   // the shadow keeps its bytes: the next Save sends the rest again
    }
    // The end report carries all five lighting values; no acknowledgement follows it.
    oweAcks(1);   // the keyboard acknowledges the end report too
    if (!EndConfigWrite(port, img))
        return UploadResult::TransferFailed;
    return UploadResult::Uploaded;
}

}   // namespace orvane::link
