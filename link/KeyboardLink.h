#pragma once
// The keyboard link: finds the keyboard's command and event interfaces, owns
// their handles and the two link threads (start-up read-all, event reader),
// follows hot-plug, and runs the read-all, refresh, upload and factory reset.
//
// One instance, owned by the application and living on the window thread.
// Start-up order for the owner:
//   store().setKeymapPath(dataFolder + "keymap.bin");
//   store().LoadKeymapFile(); store().CopyWorkingToShadow();
//   RegisterForDeviceChanges();   // failure is reported to the observer
//   StartUp();                    // opens both interfaces, starts the threads
// Link operations never overlap: each waits for the one in progress.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QObject>

#include "link/ConfigStore.h"
#include "link/Protocol.h"
#include "link/Sleeper.h"
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
    // Key notification (0x778): a host-action key was pressed on the keyboard.
    virtual void keyNotification(uint8_t keyCode) = 0;
    // "Cannot register for Wdm2 class device notification"; hot-plug is off.
    virtual void deviceNotificationRegistrationFailed() = 0;
};

enum class UploadResult {
    NothingToSend,   // working and shadow image are equal
    Uploaded,        // every changed area acknowledged; shadow updated
    NoKeyboard,      // an interface is not open; nothing sent
    TimedOut,        // an acknowledgement did not arrive; stopped there
    TransferFailed,  // a transfer failed (keyboard gone); stopped there
};

enum class LinkInterface { Command, Event };

// The hot-plug waits, shortened by tests.
struct HotplugDelays {
    int arrivalMs = 2000;        // before opening after an arrival
    int removalStopMs = 500;     // after stopping the reader, before closing
    int removalSettleMs = 200;   // after closing
};

inline constexpr uint16_t kVendorId = 0x04D9;
inline constexpr uint16_t kProductIds[] = {0x0001, 0xA12C};
inline constexpr int kCommandInterfaceNumber = 3;
inline constexpr uint8_t kEventReportId = 4;
inline constexpr hid::Millis kReaderPoll{200};
// How long an upload waits for the previous upload's last acknowledgement.
inline constexpr hid::Millis kLateAckWait{20};

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
    // Opens both interfaces; starts ReadAllAtStart (once per process) and the event reader.
    void StartUp();
    // Hot-plug handlers (the monitor calls them; public for the window and tests).
    void OnDeviceArrival();
    void OnDeviceRemoval(const std::string& path);
    // Stops the threads and closes both handles.
    void Close();

    // Start-up read-all on the start-up thread; the owner normally lets StartUp run it.
    void ReadAllAtStart();
    // Blocks until the start-up read thread has finished (for an orderly shutdown and tests).
    void WaitForStartupRead();
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

    // The two flags shared with the threads.
    std::atomic<bool> g_ackReceived{false};
    std::atomic<bool> g_readerStop{false};

private:
    CommandPort port() { return {command_.get(), &sleeper_}; }
    void readAll(bool startUp);
    bool refreshLocked();
    void startReader();
    void stopReader();
    void stopStartupThread();
    void EventReaderThread(hid::Device* device);
    void handleEvent(const std::array<uint8_t, kEventSize>& event);
    void clearAck();
    bool waitAck();
    // Acknowledgements that the keyboard sends for reports nobody waits on are
    // counted as owed, and an upload lets them arrive before its first step.
    void oweAcks(unsigned count);
    void settleAcks();
    UploadResult runStep(const std::function<bool()>& step);
    UploadResult uploadLocked();
    void finishArrival();
    void finishRemoval();
    void closeHandles();
    bool ownsPath(const std::string& path) const;

    hid::Backend& backend_;
    LinkObserver& observer_;
    Sleeper& sleeper_;
    std::unique_ptr<ConfigStore> store_;
    std::unique_ptr<hid::Device> command_;
    std::unique_ptr<hid::Device> event_;
    std::string commandPath_, eventPath_;
    std::unique_ptr<hotplug::Monitor> monitor_;

    std::mutex operationMutex_;   // one link operation at a time
    std::thread startupThread_;
    bool startupStarted_ = false;
    std::atomic<bool> abortReadAll_{false};
    std::thread readerThread_;
    bool lastReadAllOk_ = false;

    std::mutex ackMutex_;
    std::condition_variable ackChanged_;
    std::atomic<int> ackWaits_{0};
    unsigned acksSeen_ = 0, acksOwed_ = 0;   // guarded by ackMutex_
    hid::Millis ackTimeout_ = kTransferTimeout;

    mutable std::mutex infoMutex_;
    DeviceInfo deviceInfo_{};
    FirmwareVersion firmwareVersion_{};

    HotplugDelays delays_;
    bool arrivalPending_ = false;
    bool removalPending_ = false;
};

} // namespace orvane::link
