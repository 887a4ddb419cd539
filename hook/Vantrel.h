#pragma once
// libVantrel.so: system-wide key capture for the macro recorder and the key map panel.
//
// installhook(window, mode) starts reporting every key of every keyboard to `window` as
// KeyHookEvent (type WM_KEYHOOK); removehook() stops it. Both are called on the thread that
// owns `window` (the GUI thread), which is also where the events are delivered.
//
// Sources, chosen at installhook:
//  - $VANTREL_INPUT_DIR set: the files "event*" in that folder, read raw as streams of
//    struct input_event. Bytes already in a file when the hook is installed are not replayed;
//    files created later are read from their start. Growth of the files is followed.
//  - otherwise every keyboard among /dev/input/event* (read, never grabbed); keyboards
//    plugged in later are picked up.
//  - when no keyboard can be read (no permission, or none present) and no input folder is
//    set: the keys that reach this application's own windows (an application event filter
//    that only observes).
// Modes: 0 reports presses only; 1 reports presses, auto-repeated presses and releases.

#include <QEvent>
#include <QObject>
#include <cstdint>

#if defined(VANTREL_BUILDING)
#define VANTREL_EXPORT __attribute__((visibility("default")))
#else
#define VANTREL_EXPORT
#endif

inline constexpr QEvent::Type WM_KEYHOOK = QEvent::Type(QEvent::User + 0x6F3);

// One key event: wParam = Windows virtual-key code 0..255, lParam bit 31 set on release.
class VANTREL_EXPORT KeyHookEvent : public QEvent {
public:
    static constexpr uint32_t kReleaseFlag = 0x80000000u;

    KeyHookEvent(uint8_t vk, bool release);
    ~KeyHookEvent() override;

    uint32_t wParam() const { return m_wParam; }
    uint32_t lParam() const { return m_lParam; }
    uint8_t vk() const { return static_cast<uint8_t>(m_wParam); }
    bool isRelease() const { return (m_lParam & kReleaseFlag) != 0; }

private:
    uint32_t m_wParam;
    uint32_t m_lParam;
};

// True when reporting is active. False for a null window, a mode other than 0 or 1, no
// application object, or an input folder that cannot be watched. Installing again replaces
// the window and mode.
VANTREL_EXPORT bool installhook(QObject* window, int mode);

// Stops reporting at once: no event is delivered after it returns, including events read
// but not yet delivered. Safe without a prior install and from inside a KeyHookEvent handler.
VANTREL_EXPORT void removehook();
