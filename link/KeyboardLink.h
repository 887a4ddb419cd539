#pragma once
// The keyboard link: finds the keyboard's command and event interfaces, owns
// their handles and the link threads (the link thread that runs every operation
// on the keyboard, the event reader), follows hot-plug, and runs the read-all,
// refresh, upload and factory reset.
//
// One instance, owned by the application and living on the window thread.
// Start-up order for the owner:
//   store().setKeymapPath(dataFolder + "keymap.bin");
//   store().LoadKeymapFile(); store().CopyWorkingToShadow();
//   RegisterForDeviceChanges();   // failure is reported to the observer
//   StartUp();                    // opens both interfaces, starts the read-all
// A keyboard arriving before StartUp() is left to it.
//
// Link operations never overlap: each waits for the one in progress. The window
// thread never waits on the keyboard: an operation it asks for takes its copy of
// the image when the link is free, runs on the link thread, and its result is
// applied (and the caller told) on the window thread. The configuration image has
// one owner at a time: the link thread writes only its operation's copy and hands
// it back through one queue guarded by a mutex of its own (Qt's event queue only
// wakes the window thread); the store is touched on the window thread alone. A keyboard that stops
// answering is given up on within 2 s: a read-all stops at its first failed step,
// an upload at its first missing acknowledgement, a factory reset at its first
// failed report, and no single wait lasts longer than 1 s.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <QObject>

#include "link/ConfigStore.h"
#include "link/Protocol.h"
#include "link/Sleeper.h"
#include "platform/core/ExchangeLock.h"
#include "platform/hid/Transport.h"

namespace orvane::hotplug {
class Monitor;
}

namespace orvane::link {

// What the main window does for the link. Every call arrives on the window thread.
class LinkObserver {
public:
    virtual ~LinkObserver() = default;
    // No keyboard at start-up: the program lives in the notification area.
    virtual void hideMainWindow() = 0;
    // After a re-arrival: brightness, speed and report-rate sliders from the image.
    virtual void setSlidersFromImage(uint8_t brightness, uint8_t speed, uint8_t reportRate) = 0;
    // Configuration loaded (0x77B); lParam 0 after a keyboard read.
    virtual void configurationLoaded(int lParam) = 0;
    // A read of the whole configuration (at start-up or after an arrival) stopped at
    // a step the keyboard did not answer; the areas read before it are in the image.
    virtual void keyboardReadFailed() = 0;
    // Key notification (0x778): a host-action key was pressed on the keyboard.
    virtual void keyNotification(uint8_t keyCode) = 0;
    // "Cannot register for Wdm2 class device notification"; hot-plug is off.
    virtual void deviceNotificationRegistrationFailed() = 0;
};

enum class UploadResult {
    NothingToSend,    // working and shadow image are equal
    Uploaded,         // every changed area acknowledged; shadow updated
    NoKeyboard,       // an interface is not open; nothing sent
    TimedOut,         // an acknowledgement did not arrive; stopped there
    TransferFailed,   // a transfer failed (keyboard gone); stopped there
};

enum class LinkInterface { Command, Event };

// The hot-plug waits, shortened by tests.
struct HotplugDelays {
    int arrivalMs = 2000;        // before opening after an arrival
    int removalStopMs = 500;     // after stopping the reader, before closing
    int removalSettleMs = 200;   // after closing
};

inline constexpr int kCommandInterfaceNumber = 3;
inline constexpr uint8_t kEventReportId = eventReport::kReportId;
inline constexpr hid::Millis kReaderPoll{200};
// How long an upload waits for the previous upload's last acknowledgement.
inline constexpr hid::Millis kLateAckWait{20};
// How long an operation waits for another program to finish with the keyboard.
inline constexpr hid::Millis kKeyboardHoldWait{2000};

// The matching rule, for one interface as the backend lists it.
bool MatchesInterface(const hid::InterfaceInfo& info, LinkInterface which);

class KeyboardLink : public QObject {
    Q_OBJECT
public:
    KeyboardLink(hid::Backend& backend, LinkObserver& observer, Sleeper& sleeper, QObject* parent = nullptr);
    ~KeyboardLink() override;

    ConfigStore& store() { return *store_; }
    const ConfigStore& store() const { return *store_; }

    // Path of the first matching interface, empty when none.
    std::string FindInterface(LinkInterface which);
    bool OpenCommandInterface();
    bool OpenEventInterface();
    // Watches the backend's hot-plug monitor; false (and the observer told) when there is none.
    bool RegisterForDeviceChanges();
    // Opens both interfaces; starts the start-up read-all (once per process) and the event reader.
    void StartUp();
    // Hot-plug handlers (the monitor calls them; public for the window and tests).
    void OnDeviceArrival();
    void OnDeviceRemoval(const std::string& path);
    // Stops the threads and closes both handles.
    void Close();

    // ---- Operations for the window: each runs on the link thread after the ones
    // before it; `done` is called on the window thread once the result is applied.
    // Save: the working image as it is now (Win Lock rule applied) against the shadow;
    // when every step was acknowledged, the uploaded image and records become the shadow.
    void UploadChangesAsync(std::function<void(UploadResult)> done);
    // FactoryReset, then the refresh read-all into the working image.
    void FactoryResetAsync(std::function<void(bool ok)> done);
    // GetLighting: the five lighting bytes of the working image from the keyboard.
    void ReadLightingAsync(std::function<void(bool ok)> done);
    // True while an operation runs or waits.
    bool busy() const { return jobRunning_ || !requests_.empty(); }
    // The window thread's side of the hand-off: applies the results the link thread has
    // finished, then starts the next operation; host-action keys the reader saw are told.
    // Queued to the window thread whenever the link has something for it.
    Q_INVOKABLE void collectFinished();
    Q_INVOKABLE void deliverKeyNotifications();
    // Blocks until no operation runs or waits, applying each result (tests, benchmarks).
    void WaitForIdle();
    void WaitForStartupRead() { WaitForIdle(); }

    // ---- The same operations on the calling (window) thread, blocking it (tests, benchmarks).
    bool RefreshFromKeyboard();
    UploadResult UploadChanges();
    // FactoryReset followed by RefreshFromKeyboard, as one link operation.
    bool FactoryResetKeyboard();

    bool commandOpen() const { return command_ != nullptr; }
    bool eventOpen() const { return event_ != nullptr; }
    bool hotplugPending() const { return arrivalPending_ || removalPending_; }
    DeviceInfo deviceInfo() const;
    FirmwareVersion firmwareVersion() const;
    void setHotplugDelays(HotplugDelays delays) { delays_ = delays; }
    // The longest acknowledgement wait (kTransferTimeout unless a test shortens it).
    void setAckTimeout(hid::Millis timeout) { ackTimeout_ = timeout; }
    // Acknowledgement waits made so far (each step of an upload makes one).
    int ackWaitCount() const { return ackWaits_; }


private:
    // One operation: `work` runs on the link thread, `finish` on the window thread.
    struct Job {
        std::function<void()> work;   // empty: nothing for the keyboard, finish at once
        std::function<void()> finish;
    };
    // Builds its job on the window thread when the link is free (so it copies the image
    // as the operations before it left it).
    using Request = std::function<Job()>;
    // Image areas a read-all filled, as (offset, size).
    using Areas = std::vector<std::pair<std::size_t, std::size_t>>;

    void enqueue(Request request);
    void startNext();
    void runOnLinkThread(Job job);
    void linkThread();
    void stopLinkThread();
    void applyAreas(const ConfigImage& from, const Areas& areas);

    Job startUpJob();
    Job arrivalJob(bool eventOpened);
    Job refreshJob(bool factoryReset, std::function<void(bool)> done);
    Job uploadJob(std::function<void(UploadResult)> done);

    // The operation in progress gives up once the keyboard it was started for is gone.
    bool aborted(unsigned generation) const { return generation != generation_.load(); }
    void abortOperation();
    CommandPort portOf(const std::shared_ptr<hid::Device>& device) { return {device.get(), &sleeper_}; }
    // The keyboard for one whole operation, against this program's other
    // operations and other programs reaching the same keyboard; nullptr when
    // another program kept it longer than an operation may wait.
    struct Hold {
        std::unique_lock<std::mutex> operation;
        std::unique_ptr<platform::ExchangeLock> exchange;
        explicit operator bool() const { return exchange != nullptr; }
    };
    Hold holdKeyboard(const std::shared_ptr<hid::Device>& device);
    bool readAll(CommandPort port, ConfigImage& img, bool startUp, Areas& areas, unsigned generation);
    bool readDeviceInfo(CommandPort port);
    bool factoryResetAndRefresh(CommandPort port, ConfigImage& img, Areas& areas, unsigned generation);
    UploadResult upload(CommandPort port, ConfigImage& img, const ChangedAreas& changed, unsigned generation);
    UploadResult runStep(const std::function<bool()>& step, unsigned generation);
    void startReader();
    void stopReader();
    void EventReaderThread(hid::Device* device);
    void handleEvent(const std::array<uint8_t, kEventSize>& event);
    void clearAck();
    bool waitAck(unsigned generation);
    // Acknowledgements that the keyboard sends for reports nobody waits on are
    // counted as owed, and an upload lets them arrive before its first step.
    void oweAcks(unsigned count);
    void settleAcks();
    void finishArrival();
    void finishRemoval();
    void closeHandles();
    bool ownsPath(const std::string& path) const;

    hid::Backend& backend_;
    LinkObserver& observer_;
    Sleeper& sleeper_;
    std::unique_ptr<ConfigStore> store_;
    std::unique_ptr<KeyExtTable> uploadRecords_;   // the records an upload in progress sends off
    // Shared with the operation using it: a removal drops the link's handle, and the
    // device closes when that operation has let go of it too.
    std::shared_ptr<hid::Device> command_;
    std::unique_ptr<hid::Device> event_;
    std::string commandPath_, eventPath_;
    std::unique_ptr<hotplug::Monitor> monitor_;

    std::mutex operationMutex_;   // one link operation at a time
    bool started_ = false;        // StartUp() was called
    bool startupStarted_ = false;
    std::atomic<unsigned> generation_{0};   // advanced when the handles close

    // Window thread: operations waiting for the link, and whether one runs.
    std::deque<Request> requests_;
    bool jobRunning_ = false;
    bool closed_ = false;

    // The link thread and its work; the finishing halves of the jobs it has run wait in
    // finished_ for the window thread. All three guarded by workMutex_.
    std::thread linkThread_;
    std::mutex workMutex_;
    std::condition_variable workChanged_;
    std::deque<Job> work_;
    std::deque<std::function<void()>> finished_;
    bool workBusy_ = false;
    bool linkThreadStop_ = false;

    std::thread readerThread_;
    std::atomic<bool> eventListening_{false};   // acknowledgements can arrive
    // The two flags shared with the reader thread (written under ackMutex_ where a waiter must
    // see them at once).
    std::atomic<bool> g_ackReceived{false};
    std::atomic<bool> g_readerStop{false};

    std::mutex ackMutex_;
    std::condition_variable ackChanged_;
    std::atomic<int> ackWaits_{0};
    unsigned acksSeen_ = 0, acksOwed_ = 0;   // guarded by ackMutex_
    hid::Millis ackTimeout_ = kTransferTimeout;

    // Host-action keys the reader saw, for the window thread (guarded by keysMutex_).
    std::mutex keysMutex_;
    std::vector<uint8_t> keyCodes_;

    mutable std::mutex infoMutex_;
    DeviceInfo deviceInfo_{};
    FirmwareVersion firmwareVersion_{};

    HotplugDelays delays_;
    bool arrivalPending_ = false;
    bool removalPending_ = false;
};

}   // namespace orvane::link
