// The hook library as the panels use it: raw input_event files in $VANTREL_INPUT_DIR for the
// device path, and the application event filter for the fallback.

#include "hook/Vantrel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include <linux/input.h>

#include <fcntl.h>
#include <glob.h>
#include <unistd.h>

#include <cstdlib>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kRelease = 0x80000000u;

struct Key {
    uint32_t vk;
    uint32_t lParam;
    friend bool operator==(const Key&, const Key&) = default;
};

std::ostream& operator<<(std::ostream& os, const Key& k)
{
    return os << "{0x" << std::hex << k.vk << ", 0x" << k.lParam << std::dec << "}";
}

Key press(uint32_t vk)
{
    return {vk, 0};
}
Key release(uint32_t vk)
{
    return {vk, kRelease};
}

// Stands in for the key map panel or the macro manager.
class Receiver : public QObject {
public:
    std::vector<Key> keys;
    bool removeOnFirst = false;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != WM_KEYHOOK)
            return QObject::event(e);
        const auto* k = static_cast<KeyHookEvent*>(e);
        keys.push_back({k->wParam(), k->lParam()});
        if (removeOnFirst)
            removehook();
        return true;
    }
};

// Runs the event loop until `done` or a 5 s deadline.
template <typename Pred>
bool waitFor(Pred done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool endsWith(const std::vector<Key>& keys, Key last)
{
    return !keys.empty() && keys.back() == last;
}

input_event record(uint16_t type, uint16_t code, int32_t value)
{
    input_event ev{};
    ev.type = type;
    ev.code = code;
    ev.value = value;
    return ev;
}

class InputDirTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setenv("VANTREL_INPUT_DIR", dir.path().toLocal8Bit().constData(), 1);
    }
    void TearDown() override
    {
        removehook();
        unsetenv("VANTREL_INPUT_DIR");
    }

    void append(const char* name, const std::vector<input_event>& events)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::Append));
        for (const input_event& ev : events)
            f.write(reinterpret_cast<const char*>(&ev), sizeof ev);
    }
    void appendBytes(const char* name, const void* data, std::size_t size)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write(static_cast<const char*>(data), static_cast<qint64>(size));
    }
    // A Z press after the events under test: once it arrives, everything before it has.
    void appendSentinel(const char* name) { append(name, {record(EV_KEY, KEY_Z, 1)}); }

    QTemporaryDir dir;
};

// A held A (press, two repeats, release), keypad Enter, a mouse button and sync records.
const std::vector<input_event> kHeldA = {
    record(EV_MSC, MSC_SCAN, 0x70004), record(EV_KEY, KEY_A, 1),       record(EV_SYN, SYN_REPORT, 0),
    record(EV_KEY, KEY_A, 2),          record(EV_KEY, KEY_A, 2),       record(EV_SYN, SYN_REPORT, 0),
    record(EV_KEY, KEY_A, 0),          record(EV_KEY, BTN_LEFT, 1),    record(EV_KEY, BTN_LEFT, 0),
    record(EV_KEY, KEY_KPENTER, 1),    record(EV_KEY, KEY_KPENTER, 0), record(EV_KEY, KEY_RIGHTCTRL, 1),
};

TEST_F(InputDirTest, ModeZeroReportsPressesOnly)
{
    Receiver r;
    ASSERT_TRUE(installhook(&r, 0));
    append("event3", kHeldA);   // created after the install: read from its start
    appendSentinel("event3");
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, press(0x5A)); }));
    EXPECT_EQ(r.keys, (std::vector<Key>{press(0x41), press(0x6C), press(0xA3), press(0x5A)}));
}

TEST_F(InputDirTest, ModeOneReportsRepeatsAndReleases)
{
    Receiver r;
    ASSERT_TRUE(installhook(&r, 1));
    append("event0", kHeldA);
    appendSentinel("event0");
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, press(0x5A)); }));
    EXPECT_EQ(r.keys,
              (std::vector<Key>{press(0x41), press(0x41), press(0x41), release(0x41), press(0x6C), release(0x6C),
                                press(0xA3), press(0x5A)}));
}

TEST_F(InputDirTest, FollowsGrowthOfExistingFilesWithoutReplayAndSplitRecords)
{
    append("event1", {record(EV_KEY, KEY_Q, 1)});   // written before the install: not replayed
    Receiver r;
    ASSERT_TRUE(installhook(&r, 1));
    const input_event shift = record(EV_KEY, KEY_LEFTSHIFT, 1);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&shift);
    appendBytes("event1", bytes, 10);
    appendBytes("event1", bytes + 10, sizeof shift - 10);
    append("event2", {record(EV_KEY, KEY_RIGHTMETA, 1), record(EV_KEY, KEY_COMPOSE, 0)});
    ASSERT_TRUE(waitFor([&] { return r.keys.size() >= 3; }));
    appendSentinel("event1");
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, press(0x5A)); }));
    std::vector<Key> got = r.keys;
    std::sort(got.begin(), got.end(), [](Key a, Key b) { return a.vk < b.vk; });
    EXPECT_EQ(got, (std::vector<Key>{press(0x5A), press(0x5C), release(0x5D), press(0xA0)}));
}

TEST_F(InputDirTest, RemovehookStopsDeliveryAtOnceAndReinstallGoesToTheNewWindow)
{
    Receiver first;
    first.removeOnFirst = true;   // as the macro manager does on the release that ends insert mode
    ASSERT_TRUE(installhook(&first, 1));
    append("event0", {record(EV_KEY, KEY_A, 1), record(EV_KEY, KEY_A, 0), record(EV_KEY, KEY_B, 1)});
    ASSERT_TRUE(waitFor([&] { return !first.keys.empty(); }));

    Receiver second;
    ASSERT_TRUE(installhook(&second, 1));
    append("event0", {record(EV_KEY, KEY_C, 1)});
    appendSentinel("event0");
    ASSERT_TRUE(waitFor([&] { return endsWith(second.keys, press(0x5A)); }));
    EXPECT_EQ(first.keys, (std::vector<Key>{press(0x41)}));
    EXPECT_EQ(second.keys, (std::vector<Key>{press(0x43), press(0x5A)}));
}

TEST_F(InputDirTest, InstallingTwiceReplacesWindowAndMode)
{
    Receiver a, b;
    ASSERT_TRUE(installhook(&a, 1));
    ASSERT_TRUE(installhook(&b, 0));
    append("event0", {record(EV_KEY, KEY_A, 1), record(EV_KEY, KEY_A, 0)});
    appendSentinel("event0");
    ASSERT_TRUE(waitFor([&] { return endsWith(b.keys, press(0x5A)); }));
    EXPECT_TRUE(a.keys.empty());
    EXPECT_EQ(b.keys, (std::vector<Key>{press(0x41), press(0x5A)}));
}

TEST_F(InputDirTest, DestroyedWindowReceivesNothingAndNothingCrashes)
{
    auto* gone = new Receiver;
    ASSERT_TRUE(installhook(gone, 0));
    append("event0", {record(EV_KEY, KEY_A, 1)});
    ASSERT_TRUE(waitFor([&] { return !gone->keys.empty(); }));
    delete gone;   // the panel closes without removing the hook
    append("event0", {record(EV_KEY, KEY_B, 1), record(EV_KEY, KEY_C, 1)});
    QTest::qWait(300);   // lets the reader post them; their delivery must find no window
    removehook();
}

TEST_F(InputDirTest, EndlessStreamNeitherStarvesOtherFilesNorBlocksRemovehook)
{
    ASSERT_EQ(::symlink("/dev/zero", QFile::encodeName(dir.filePath("event7")).constData()), 0);
    Receiver r;
    ASSERT_TRUE(installhook(&r, 1));
    append("event0", {record(EV_KEY, KEY_A, 1)});
    EXPECT_TRUE(waitFor([&] { return endsWith(r.keys, press(0x41)); })) << "a key of another file never arrived";

    // A stuck reader cannot be joined: a watchdog reports it and ends the run rather than hang.
    std::atomic<bool> removed{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 100 && !removed; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!removed) {
            std::fprintf(stderr, "removehook() blocked for 5 s on an endless event file\n");
            std::fflush(stderr);
            std::_Exit(1);
        }
    });
    removehook();
    removed = true;
    watchdog.join();
}

TEST(HookApi, RejectsBadArgumentsAndToleratesRemoveWithoutInstall)
{
    removehook();
    removehook();
    Receiver r;
    EXPECT_FALSE(installhook(nullptr, 0));
    EXPECT_FALSE(installhook(&r, 2));
    EXPECT_FALSE(installhook(&r, -1));
    setenv("VANTREL_INPUT_DIR", "/nonexistent/vantrel-input", 1);
    EXPECT_FALSE(installhook(&r, 0));
    unsetenv("VANTREL_INPUT_DIR");
    removehook();
}

// ---- fallback: keys typed into our own windows -------------------------------------------

bool anyEventNodeReadable()
{
    glob_t g{};
    bool readable = false;
    if (glob("/dev/input/event*", 0, nullptr, &g) == 0)
        for (std::size_t i = 0; i < g.gl_pathc && !readable; ++i)
            if (const int fd = open(g.gl_pathv[i], O_RDONLY | O_NONBLOCK); fd >= 0) {
                readable = true;
                close(fd);
            }
    globfree(&g);
    return readable;
}

class FallbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (anyEventNodeReadable())
            GTEST_SKIP() << "input devices are readable here: the library reads them instead of the fallback";
        unsetenv("VANTREL_INPUT_DIR");
        auto* layout = new QVBoxLayout(&window);
        edit = new QLineEdit;
        plain = new QWidget;   // ignores keys: Qt propagates them to its parent
        plain->setFocusPolicy(Qt::StrongFocus);
        layout->addWidget(edit);
        layout->addWidget(plain);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        edit->setFocus();
    }
    void TearDown() override { removehook(); }

    // A key event as the window system delivers it: with the X11 scan code (evdev + 8).
    static void sendNative(QWidget* to, QEvent::Type type, int qtKey, quint32 evdevCode, bool autoRepeat = false)
    {
        QKeyEvent ev(type, qtKey, Qt::NoModifier, evdevCode + 8, 0, 0, QString(), autoRepeat);
        QApplication::sendEvent(to, &ev);
    }
    void sentinel() { QTest::keyClick(edit, Qt::Key_Z); }

    Receiver r;
    QWidget window;
    QLineEdit* edit = nullptr;
    QWidget* plain = nullptr;
};

TEST_F(FallbackTest, ScanCodesGoThroughTheEvdevTable)
{
    ASSERT_TRUE(installhook(&r, 1));
    sendNative(edit, QEvent::KeyPress, Qt::Key_A, KEY_A);
    sendNative(edit, QEvent::KeyRelease, Qt::Key_A, KEY_A);
    sendNative(edit, QEvent::KeyPress, Qt::Key_Return, KEY_KPENTER);   // the scan code decides
    sendNative(edit, QEvent::KeyPress, Qt::Key_Control, KEY_RIGHTCTRL);
    sendNative(edit, QEvent::KeyPress, Qt::Key_End, KEY_KP1);
    sentinel();
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, release(0x5A)); }));
    EXPECT_EQ(r.keys,
              (std::vector<Key>{press(0x41), release(0x41), press(0x6C), press(0xA3), press(0x61), press(0x5A),
                                release(0x5A)}));
}

TEST_F(FallbackTest, QtKeysWithoutScanCode)
{
    ASSERT_TRUE(installhook(&r, 0));
    QTest::keyClick(edit, Qt::Key_5, Qt::KeypadModifier);
    QTest::keyClick(edit, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(edit, Qt::Key_Shift);
    QTest::keyClick(edit, Qt::Key_Semicolon);
    QTest::keyClick(edit, Qt::Key_F12);
    sentinel();
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, press(0x5A)); }));
    EXPECT_EQ(r.keys, (std::vector<Key>{press(0x65), press(0x6C), press(0xA0), press(0xBA), press(0x7B), press(0x5A)}));
}

// A held key arrives from Qt as press, (release, press) x n with isAutoRepeat, release.
void holdA(QWidget* to, int repeats)
{
    QKeyEvent first(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, KEY_A + 8, 0, 0);
    QApplication::sendEvent(to, &first);
    for (int i = 0; i < repeats; ++i) {
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, KEY_A + 8, 0, 0, QString(), true);
        QApplication::sendEvent(to, &up);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, KEY_A + 8, 0, 0, QString(), true);
        QApplication::sendEvent(to, &down);
    }
    QKeyEvent last(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, KEY_A + 8, 0, 0);
    QApplication::sendEvent(to, &last);
}

TEST_F(FallbackTest, AutoRepeatGivesRepeatedPressesInModeOneOnly)
{
    ASSERT_TRUE(installhook(&r, 1));
    holdA(edit, 2);
    sentinel();
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, release(0x5A)); }));
    EXPECT_EQ(r.keys,
              (std::vector<Key>{press(0x41), press(0x41), press(0x41), release(0x41), press(0x5A), release(0x5A)}));

    r.keys.clear();
    ASSERT_TRUE(installhook(&r, 0));
    holdA(edit, 2);
    sentinel();
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, press(0x5A)); }));
    EXPECT_EQ(r.keys, (std::vector<Key>{press(0x41), press(0x5A)}));
}

// X sometimes gives the pairs of a held key without the auto-repeat mark; a release and a press of
// the same key with one timestamp are still such a pair. Other timestamps are real key strokes.
void sendTimed(QWidget* to, QEvent::Type type, quint32 evdevCode, int qtKey, quint64 timestamp)
{
    QKeyEvent ev(type, qtKey, Qt::NoModifier, evdevCode + 8, 0, 0);
    ev.setTimestamp(timestamp);
    QApplication::sendEvent(to, &ev);
}

TEST_F(FallbackTest, UnmarkedReleasePressPairWithOneTimestampIsARepeat)
{
    for (int mode : {1, 0}) {
        r.keys.clear();
        ASSERT_TRUE(installhook(&r, mode));
        sendTimed(edit, QEvent::KeyPress, KEY_A, Qt::Key_A, 1000);
        sendTimed(edit, QEvent::KeyRelease, KEY_A, Qt::Key_A, 1500);   // held: pairs of one time
        sendTimed(edit, QEvent::KeyPress, KEY_A, Qt::Key_A, 1500);
        sendTimed(edit, QEvent::KeyRelease, KEY_A, Qt::Key_A, 1533);
        QTest::qWait(40);   // a press this much later is a key stroke of its own
        sendTimed(edit, QEvent::KeyPress, KEY_A, Qt::Key_A, 1533);
        sendTimed(edit, QEvent::KeyRelease, KEY_A, Qt::Key_A, 1600);   // let go
        sendTimed(edit, QEvent::KeyPress, KEY_B, Qt::Key_B, 1600);     // another key at that time
        sendTimed(edit, QEvent::KeyRelease, KEY_B, Qt::Key_B, 1700);
        sendTimed(edit, QEvent::KeyPress, KEY_A, Qt::Key_A, 1800);   // typed again
        sendTimed(edit, QEvent::KeyRelease, KEY_A, Qt::Key_A, 1900);
        QTest::qWait(40);
        sentinel();
        ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, mode == 1 ? release(0x5A) : press(0x5A)); })) << mode;
        if (mode == 1)
            EXPECT_EQ(
                r.keys,
                (std::vector<Key>{press(0x41), press(0x41), release(0x41), press(0x41), release(0x41), press(0x42),
                                  release(0x42), press(0x41), release(0x41), press(0x5A), release(0x5A)}));
        else
            EXPECT_EQ(r.keys, (std::vector<Key>{press(0x41), press(0x41), press(0x42), press(0x41), press(0x5A)}));
    }
}

TEST_F(FallbackTest, OneReportPerKeyWhileQtPropagatesIt)
{
    ASSERT_TRUE(installhook(&r, 0));
    QTest::keyClick(plain, Qt::Key_B);   // ignored by `plain`, handed on to `window`
    plain->setFocus();
    QTest::keyClick(window.windowHandle(), Qt::Key_C);   // window system path: window, then focus widget
    QTest::qWait(5);   // a release and a press of one key in the same millisecond would be a repeat
    QTest::keyClick(window.windowHandle(), Qt::Key_C);
    sentinel();
    ASSERT_TRUE(waitFor([&] { return endsWith(r.keys, press(0x5A)); }));
    EXPECT_EQ(r.keys, (std::vector<Key>{press(0x42), press(0x43), press(0x43), press(0x5A)}));
}

TEST_F(FallbackTest, ObservesOnlyAndStopsOnRemove)
{
    ASSERT_TRUE(installhook(&r, 0));
    QTest::keyClicks(edit, "ab");
    EXPECT_EQ(edit->text(), "ab");   // the key still reaches the widget
    ASSERT_TRUE(waitFor([&] { return r.keys.size() == 2; }));
    removehook();
    QTest::keyClicks(edit, "cd");
    Receiver other;
    ASSERT_TRUE(installhook(&other, 0));
    sentinel();
    ASSERT_TRUE(waitFor([&] { return endsWith(other.keys, press(0x5A)); }));
    EXPECT_EQ(r.keys, (std::vector<Key>{press(0x41), press(0x42)}));
    EXPECT_EQ(other.keys, (std::vector<Key>{press(0x5A)}));
}

}   // namespace
