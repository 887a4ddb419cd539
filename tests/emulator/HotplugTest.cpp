#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <thread>

#include "emulator/Emulator.h"
#include "platform/hotplug/Monitor.h"

namespace orvane::hid {
namespace {

// Records what a monitor delivers and on which thread.
struct Recorder {
    explicit Recorder(hotplug::Monitor& m)
    {
        QObject::connect(&m, &hotplug::Monitor::interfaceRemoved, &m, [this](const QString& p) {
            seen.push_back("removed " + p.toStdString());
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        });
        QObject::connect(&m, &hotplug::Monitor::interfaceAdded, &m, [this](const QString& p) {
            seen.push_back("added " + p.toStdString());
            onMainThread = onMainThread && QThread::currentThread() == qApp->thread();
        });
    }
    std::vector<std::string> seen;
    bool onMainThread = true;
};

// Runs the event loop until `done` holds or a generous deadline passes.
template <typename Done>
bool processEventsUntil(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    return done();
}

TEST(EmulatorHotplug, EveryMonitorOnTheKeyboardHearsUnplugAndReplug)
{
    auto emulator = Emulator::create();
    EmulatorBackend link(emulator), lcd(emulator);
    auto m1 = link.createMonitor();
    auto m2 = lcd.createMonitor();
    ASSERT_TRUE(m1 && m2);
    Recorder r1(*m1), r2(*m2);

    // Unplugged from another thread, as a test driver may; delivery is queued.
    std::thread([&] { emulator->unplug(); }).join();
    EXPECT_TRUE(r1.seen.empty()) << "delivery is queued, never direct";
    ASSERT_TRUE(processEventsUntil([&] { return r1.seen.size() == 2 && r2.seen.size() == 2; }));
    const std::vector<std::string> removed{"removed emulator:cmd", "removed emulator:evt"};
    EXPECT_EQ(r1.seen, removed);
    EXPECT_EQ(r2.seen, removed);
    EXPECT_TRUE(link.enumerate().empty());

    emulator->unplug();   // already gone: nothing more
    emulator->replug();
    ASSERT_TRUE(processEventsUntil([&] { return r1.seen.size() == 4 && r2.seen.size() == 4; }));
    EXPECT_EQ(r1.seen[2], "added emulator:cmd");
    EXPECT_EQ(r1.seen[3], "added emulator:evt");
    EXPECT_EQ(r2.seen, r1.seen);
    EXPECT_TRUE(r1.onMainThread && r2.onMainThread);
    EXPECT_EQ(link.enumerate().size(), 2u);
}

TEST(EmulatorHotplug, DestroyedMonitorHearsNothingAndCannotCrash)
{
    auto emulator = Emulator::create();
    EmulatorBackend backend(emulator);
    auto kept = backend.createMonitor();
    Recorder r(*kept);
    {
        auto gone = backend.createMonitor();
        emulator->unplug();   // events queued to `gone` ...
    }                         // ... are dropped with it
    ASSERT_TRUE(processEventsUntil([&] { return r.seen.size() == 2; }));
    emulator->replug();
    ASSERT_TRUE(processEventsUntil([&] { return r.seen.size() == 4; }));
}

}   // namespace
}   // namespace orvane::hid
