// KeyboardLink end to end on the emulated keyboard, every transfer recorded in
// an HID trace file: the start-up read-all, the uploads, acknowledgements that
// do not come, an unplug mid-transfer, hot-plug and the event reader.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QCoreApplication>
#include <QEventLoop>

#include "link/KeyboardLink.h"
#include "emulator/Emulator.h"
#include "emulator/FaultPlan.h"
#include "platform/hid/Trace.h"
#include "platform/hotplug/Monitor.h"
#include "tests/link/LinkFakes.h"
#include "tests/support/Folders.h"

namespace orvane::link {
namespace {

namespace fs = std::filesystem;
using testing::Log;
using testing::RecordingSleeper;

class RecordingObserver final : public LinkObserver {
public:
    void hideMainWindow() override { calls.push_back("hide"); }
    void setSlidersFromImage(uint8_t b, uint8_t s, uint8_t r) override
    {
        calls.push_back("sliders " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(r));
    }
    void configurationLoaded(int lParam) override { calls.push_back("loaded " + std::to_string(lParam)); }
    void keyboardReadFailed() override { calls.push_back("read failed"); }
    void keyNotification(uint8_t code) override { calls.push_back("key " + std::to_string(code)); }
    void deviceNotificationRegistrationFailed() override { calls.push_back("registration failed"); }
    std::vector<std::string> calls;
};

// Runs the event loop until `done` holds (or two seconds pass, which fails the caller's check).
template <typename Pred>
bool waitUntil(Pred done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

std::string cmd(uint8_t code, CommandParams p = {})
{
    return "SF " + testing::hex(BuildCommand(code, p));
}

// The factory lighting (Static, speed 5, brightness 50, colour 1, direction 1) framing an upload.
const std::string kBegin = cmd(0x08, {.p2 = 1, .p3 = 1, .p4 = 5, .p6 = 1, .p7 = 1});
const std::string kEnd = cmd(0x08, {.p2 = 2, .p3 = 1, .p4 = 5, .p5 = 50, .p6 = 1, .p7 = 1});

std::vector<std::string> repeat(int n, const std::string& line)
{
    return std::vector<std::string>(static_cast<std::size_t>(n), line);
}

void append(std::vector<std::string>& to, const std::vector<std::string>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

class LinkOnEmulator : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        sink_ = hid::TraceSink::open(tracePath_.string(), error);
        ASSERT_TRUE(sink_) << error;
        backend_ = std::make_unique<hid::TraceBackend>(std::make_unique<hid::EmulatorBackend>(emu_), sink_);
        link_ = std::make_unique<KeyboardLink>(*backend_, observer_, sleeper_);
        link_->setHotplugDelays({.arrivalMs = 20, .removalStopMs = 5, .removalSettleMs = 5});
        link_->setAckTimeout(hid::Millis(100));
        link_->store().setKeymapPath(keymap_.string());
    }
    void TearDown() override { link_.reset(); }

    // Start-up as the main window runs it, then the read-all to its end.
    void startUp()
    {
        link_->store().CopyWorkingToShadow();
        ASSERT_TRUE(link_->RegisterForDeviceChanges());
        link_->StartUp();
        link_->WaitForStartupRead();
        ASSERT_TRUE(waitUntil([&] { return !observer_.calls.empty(); }));
        ASSERT_EQ(observer_.calls, std::vector<std::string>{"loaded 0"});
        observer_.calls.clear();
        mark();
    }

    // Trace lines since the last mark, as "<op> <bytes>"; event lines only when asked.
    std::vector<std::string> trace(bool events = false)
    {
        std::ifstream in(tracePath_);
        std::vector<std::string> out;
        std::string line;
        std::size_t n = 0;
        while (std::getline(in, line)) {
            if (n++ < seen_)
                continue;
            std::istringstream fields(line);
            std::string time, path, op;
            fields >> time >> path >> op;
            std::string bytes;
            std::getline(fields, bytes);
            if (op == "EV" && !events)
                continue;
            out.push_back(op + bytes);
        }
        return out;
    }
    void mark()
    {
        std::ifstream in(tracePath_);
        seen_ = static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
    }
    // Command reports alone, data reports as their op name.
    std::vector<std::string> commands()
    {
        std::vector<std::string> out;
        for (const std::string& l : trace())
            out.push_back(l[0] == 'S' ? l : l.substr(0, l.find(' ')));
        return out;
    }
    ConfigImage& image() { return link_->store().image(); }

    std::shared_ptr<hid::Emulator> emu_ = hid::Emulator::create();
    orvane::test::TempFolder folder_{"link"};
    fs::path tracePath_ = folder_.path() / "trace.txt", keymap_ = folder_.path() / "keymap.bin";
    std::shared_ptr<hid::TraceSink> sink_;
    std::unique_ptr<hid::Backend> backend_;
    Log sleeps_;
    RecordingSleeper sleeper_{&sleeps_};
    RecordingObserver observer_;
    std::unique_ptr<KeyboardLink> link_;
    std::size_t seen_ = 0;
};

std::vector<std::string> expectedReadAllTransfers()
{
    std::vector<std::string> e = {cmd(0x09, {.p2 = 1}), cmd(0x80), "GF 00 80 01 01 00 00 00 00 7d", cmd(0x88),
                                  "GF 00 88 00 01 05 32 01 01 3d"};
    for (uint8_t i = 0; i < 7; ++i)
        append(e, {cmd(0x94, {.p3 = i}), "GF"});
    append(e, {cmd(0x89), "GF", cmd(0x81), "GF", cmd(0x84), "GF"});
    append(e, {cmd(0x8D), "GF"});
    append(e, repeat(8, "R"));
    append(e, {cmd(0x8E, {.p4 = 0x12}), "GF", "R"});
    for (uint8_t b = 0; b < 32; ++b) {
        append(e, {cmd(0x91, {.p3 = b}), "GF"});
        append(e, repeat(3, "R"));
    }
    for (uint8_t m = 0; m < 5; ++m) {
        append(e, {cmd(0x92, {.p3 = m, .p4 = 8}), "GF"});
        append(e, repeat(8, "R"));
    }
    return e;
}

std::vector<std::string> expectedReadAllPauses()
{
    std::vector<std::string> e = {"sleep 20", "sleep 10", "sleep 10", "sleep 10"};
    append(e, repeat(14, "sleep 1"));
    append(e, {"sleep 5", "sleep 10", "sleep 10", "sleep 10", "sleep 10"});
    append(e, repeat(32, "yield"));
    append(e, repeat(50, "sleep 5"));
    return e;
}

TEST_F(LinkOnEmulator, StartUpReadsEverythingInOrderAndFillsTheShadow)
{
    image()[0] = 0x5A;   // a reserved byte from keymap.bin survives the read
    link_->store().CopyWorkingToShadow();
    ASSERT_TRUE(link_->RegisterForDeviceChanges());
    link_->StartUp();
    link_->WaitForStartupRead();

    std::vector<std::string> got;
    for (const std::string& l : trace())
        got.push_back(
            l.rfind("GF 00 80", 0) == 0 || l.rfind("GF 00 88", 0) == 0 || l[0] == 'S' ? l : l.substr(0, l.find(' ')));
    EXPECT_EQ(got, expectedReadAllTransfers());
    EXPECT_EQ(sleeps_.lines(), expectedReadAllPauses());

    ConfigImage fromKeyboard = emu_->image();
    fromKeyboard[0] = 0x5A;
    EXPECT_EQ(image(), fromKeyboard);
    EXPECT_EQ(link_->store().shadowImage(), image());
    EXPECT_EQ(link_->firmwareVersion(), (FirmwareVersion{1, 1}));
    EXPECT_TRUE(waitUntil([&] { return observer_.calls == std::vector<std::string>{"loaded 0"}; }));
}

// A keyboard that stops sending bulk input reports is asked no further: the read-all ends at the
// key map's first report, keeps the answers it had, leaves the shadow and says it failed.
TEST_F(LinkOnEmulator, StartUpReadStopsAtTheFirstFailedStep)
{
    std::string error;
    std::optional<hid::FaultPlan> plan = hid::FaultPlan::parse("read-stall@1x*", error);
    ASSERT_TRUE(plan) << error;
    emu_->setFaultPlan(std::move(*plan));
    link_->store().CopyWorkingToShadow();
    ASSERT_TRUE(link_->RegisterForDeviceChanges());
    const auto start = std::chrono::steady_clock::now();
    link_->StartUp();
    link_->WaitForStartupRead();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500)) << "one bulk time-out";
    const std::vector<std::string> t = commands();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ((std::vector<std::string>(t.end() - 2, t.end())), (std::vector<std::string>{cmd(0x8D), "GF"}))
        << "nothing is asked after the failed key map";
    EXPECT_EQ(std::count(t.begin(), t.end(), "R"), 0);
    EXPECT_EQ(observer_.calls, std::vector<std::string>{"read failed"});
    EXPECT_EQ(image()[image::kBrightness], 50) << "the lighting read before the failure stays";
    EXPECT_EQ(image()[image::kResponseTime], 1);
    EXPECT_EQ(image()[image::kKeyCodeBlock + 1], 0) << "the key map was not read";
    EXPECT_EQ(link_->store().shadowImage(), ConfigImage{}) << "the shadow is not copied";
}

TEST_F(LinkOnEmulator, EachAcknowledgementIsTracedAfterItsCommand)
{
    startUp();
    for (std::size_t i = 0; i < 21; ++i)
        image()[image::kColourTable + i] ^= 0x0F;
    image()[image::kGameMode] ^= 1;
    image()[image::kReportRate] = 0;
    image()[image::kResponseTime] = 7;
    ASSERT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    // The whole trace: the start-up's own acknowledged report (game mode 1) may be
    // read back after the start-up reported, so a cut there could split a pair.
    seen_ = 0;
    ASSERT_TRUE(waitUntil([&] {
        const std::vector<std::string> l = trace(true);
        return std::count(l.begin(), l.end(), "EV 04 04 00 00") >= 13;   // start-up; begin, 7 colours, 3, end
    }));
    int acknowledgeable = 0, acks = 0;
    for (const std::string& l : trace(true)) {
        if (l.rfind("SF 00 ", 0) == 0) {
            const std::string code = l.substr(6, 2);
            acknowledgeable += code == "01" || code == "04" || code == "08" || code == "09" || code == "14";
        } else if (l == "EV 04 04 00 00") {
            ++acks;
            EXPECT_LE(acks, acknowledgeable) << "an acknowledgement before its command";
        }
    }
    EXPECT_EQ(acks, 13);
}

TEST_F(LinkOnEmulator, BrightnessAloneIsTheEndReport)
{
    startUp();
    image()[image::kBrightness] = 20;
    image()[image::kSpeed] = 0;   // sent as keyboard speed 10
    sleeps_.clear();
    EXPECT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    EXPECT_EQ(trace(), (std::vector<std::string>{cmd(0x08, {.p2 = 2, .p3 = 1, .p4 = 10, .p5 = 20, .p6 = 1, .p7 = 1})}));
    EXPECT_EQ(sleeps_.lines(), std::vector<std::string>{"sleep 10"});
    EXPECT_EQ(link_->ackWaitCount(), 0);
    EXPECT_EQ(emu_->image()[image::kBrightness], 20);
    EXPECT_EQ(link_->store().shadowImage(), image());

    mark();
    EXPECT_EQ(link_->UploadChanges(), UploadResult::NothingToSend) << "saving twice sends nothing";
    // Nothing sent; an event report of the start-up may still be read meanwhile on a busy machine.
    EXPECT_TRUE(trace().empty());
}

TEST_F(LinkOnEmulator, OneMacroIsBeginOneBlockAndEnd)
{
    startUp();
    for (std::size_t i = 0; i < image::kMacroBlockSize; ++i)
        image()[image::macroBlock(5) + i] = static_cast<uint8_t>(i + 3);
    sleeps_.clear();
    EXPECT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    EXPECT_EQ(commands(), (std::vector<std::string>{kBegin, cmd(0x11, {.p3 = 5, .p4 = 3}), "W", "W", "W", kEnd}));
    EXPECT_EQ(sleeps_.lines(),
              (std::vector<std::string>{"sleep 10", "sleep 10", "sleep 1", "yield", "yield", "sleep 10"}));
    EXPECT_EQ(link_->ackWaitCount(), 2);
    const ConfigImage kb = emu_->image();
    EXPECT_TRUE(std::equal(kb.begin() + image::macroBlock(5), kb.begin() + image::macroBlock(6),
                           image().begin() + image::macroBlock(5)));
}

TEST_F(LinkOnEmulator, WinLockSendsTheBitmap)
{
    startUp();
    image()[image::kWinLock] = 1;
    EXPECT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    EXPECT_EQ(commands(), (std::vector<std::string>{kBegin, cmd(0x0E, {.p4 = 0x12}), "W", kEnd}));
    EXPECT_EQ(emu_->image()[image::kKeyEnable], 0xFD);
    EXPECT_EQ(link_->ackWaitCount(), 2);
}

TEST_F(LinkOnEmulator, EveryAreaGoesOutInOrderEachAcknowledged)
{
    startUp();
    ConfigImage& img = image();
    for (std::size_t i = 0; i < 21; ++i)
        img[image::kColourTable + i] ^= 0x11;
    img[image::kGameMode] ^= 1;
    img[image::kReportRate] = 1;
    img[image::kResponseTime] = 4;
    img[image::kKeyCodeBlock + 3] ^= 1;
    img[image::kKeyEnable + 4] = 0x0F;
    for (std::size_t b = 0; b < 32; ++b)
        img[image::macroBlock(b) + 1] = static_cast<uint8_t>(b + 1);
    for (std::size_t m = 0; m < 5; ++m)
        img[image::lightMap(m) + 9] = 0xFF;
    img[image::kEffect] = 51;

    EXPECT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    std::vector<std::string> e = {cmd(0x08, {.p2 = 1, .p3 = 51, .p4 = 5, .p6 = 1, .p7 = 1})};
    for (uint8_t i = 0; i < 7; ++i) {
        const std::size_t at = image::colourEntry(i);
        append(e, {cmd(0x14, {.p3 = i, .p4 = img[at], .p5 = img[at + 1], .p6 = img[at + 2]})});
    }
    append(
        e,
        {cmd(0x09, {.p2 = img[image::kGameMode]}), cmd(0x01, {.p2 = 1}), cmd(0x04, {.p2 = 4}), cmd(0x0D, {.p4 = 8})});
    append(e, repeat(8, "W"));
    append(e, {cmd(0x0E, {.p4 = 0x12}), "W"});
    for (uint8_t b = 0; b < 32; ++b) {
        append(e, {cmd(0x11, {.p3 = b, .p4 = 3})});
        append(e, repeat(3, "W"));
    }
    for (uint8_t m = 0; m < 5; ++m) {
        append(e, {cmd(0x12, {.p3 = m, .p4 = 8})});
        append(e, repeat(8, "W"));
    }
    append(e, {cmd(0x08, {.p2 = 2, .p3 = 51, .p4 = 5, .p5 = 50, .p6 = 1, .p7 = 1})});
    EXPECT_EQ(commands(), e);
    EXPECT_EQ(link_->ackWaitCount(), 1 + 6 + 32 + 5);

    ConfigImage kb = emu_->image();
    kb[0] = img[0];
    kb[image::kWinLock] = img[image::kWinLock];
    EXPECT_EQ(kb, img);
    EXPECT_EQ(link_->store().shadowImage(), img);
}

TEST_F(LinkOnEmulator, MissingAcknowledgementStopsAndTheNextSaveSendsAgain)
{
    startUp();
    image()[image::macroBlock(2)] = 9;
    emu_->setAcknowledging(false);
    EXPECT_EQ(link_->UploadChanges(), UploadResult::TimedOut);
    EXPECT_EQ(commands(), (std::vector<std::string>{kBegin})) << "stops at the first wait";
    EXPECT_NE(link_->store().shadowImage(), image());

    emu_->setAcknowledging(true);
    mark();
    EXPECT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    EXPECT_EQ(commands().size(), 6u);
    EXPECT_EQ(emu_->image()[image::macroBlock(2)], 9);
}

TEST_F(LinkOnEmulator, UnplugMidUploadThenArrivalReopensAndRefreshes)
{
    startUp();
    image()[image::kKeyCodeBlock] ^= 0xFF;
    sleeper_.onSleep = [&](int ms) {
        if (ms == 50)   // inside WriteKeyMap, before its data reports
            emu_->unplug();
    };
    EXPECT_EQ(link_->UploadChanges(), UploadResult::TransferFailed);
    sleeper_.onSleep = nullptr;
    EXPECT_NE(link_->store().shadowImage(), image());

    ASSERT_TRUE(waitUntil([&] { return !link_->commandOpen() && !link_->eventOpen() && !link_->hotplugPending(); }));
    EXPECT_EQ(link_->UploadChanges(), UploadResult::NoKeyboard);

    mark();
    image()[image::kBrightness] = 7;   // refreshed from the keyboard on arrival
    emu_->replug();
    ASSERT_TRUE(waitUntil([&] { return observer_.calls.size() >= 3; }));
    EXPECT_EQ(observer_.calls, (std::vector<std::string>{"sliders 50 5 3", "loaded 0", "loaded 0"}));
    EXPECT_TRUE(link_->commandOpen() && link_->eventOpen());
    EXPECT_EQ(image()[image::kBrightness], 50);
    const std::vector<std::string> t = trace();
    EXPECT_EQ(std::count(t.begin(), t.end(), cmd(0x80)), 1) << "two arrivals, one open sequence";
    EXPECT_EQ(std::count(t.begin(), t.end(), cmd(0x92, {.p3 = 4, .p4 = 8})), 2) << "light maps read once more";

    // The refresh gave the working image what the keyboard holds: the key map it never got is gone
    // from the working copy too, so working and shadow agree again.
    EXPECT_EQ(image()[image::kKeyCodeBlock], emu_->image()[image::kKeyCodeBlock]);
    EXPECT_EQ(link_->UploadChanges(), UploadResult::NothingToSend);
}

TEST_F(LinkOnEmulator, FactoryResetThenRefreshBringsBackTheFactoryImage)
{
    startUp();
    image()[image::kBrightness] = 3;
    image()[image::macroBlock(1)] = 0x77;
    ASSERT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    ASSERT_EQ(emu_->image()[image::macroBlock(1)], 0x77);

    mark();
    sleeps_.clear();
    ASSERT_TRUE(link_->FactoryResetKeyboard());
    const std::vector<std::string> t = commands();
    ASSERT_GE(t.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + 4),
              (std::vector<std::string>{cmd(0x13, {.p2 = 0xFF}), cmd(0x09, {.p2 = 1}), cmd(0x09, {.p2 = 1}),
                                        cmd(0x09, {.p2 = 1})}))
        << "reset, its two game-mode reports, then the refresh's";
    const std::vector<std::string> s = sleeps_.lines();
    EXPECT_EQ(std::vector<std::string>(s.begin(), s.begin() + 7),
              (std::vector<std::string>{"sleep 300", "sleep 20", "sleep 300", "sleep 20", "sleep 300", "sleep 20",
                                        "sleep 10"}));
    EXPECT_EQ(image()[image::kBrightness], 50);
    EXPECT_EQ(image()[image::macroBlock(1)], 0);
}

TEST_F(LinkOnEmulator, OtherDevicesLeavingDoNotCloseTheKeyboard)
{
    startUp();
    link_->OnDeviceRemoval("/dev/hidraw9");
    EXPECT_FALSE(link_->hotplugPending());
    EXPECT_TRUE(link_->commandOpen() && link_->eventOpen());
}

// The owner registers for hot-plug, loads keymap.bin, then calls StartUp(). A keyboard announced in
// between is left to StartUp(): a refresh then would have read into the image before keymap.bin
// was loaded, and the start-up read-all must be the first to land on top of it.
TEST_F(LinkOnEmulator, ArrivalBeforeStartUpIsLeftToIt)
{
    ASSERT_TRUE(link_->RegisterForDeviceChanges());
    link_->OnDeviceArrival();
    ASSERT_TRUE(waitUntil([&] { return !link_->hotplugPending(); }));
    link_->WaitForIdle();
    QCoreApplication::processEvents();
    EXPECT_FALSE(link_->commandOpen() || link_->eventOpen());
    EXPECT_TRUE(trace(true).empty());
    EXPECT_TRUE(observer_.calls.empty());

    image()[image::kBrightness] = 7;   // keymap.bin's, loaded now
    startUp();                         // one read-all, told once
    EXPECT_EQ(image()[image::kBrightness], 50);
    EXPECT_EQ(link_->store().shadowImage(), image());
}

TEST_F(LinkOnEmulator, EventReaderTellsAcknowledgementsFromKeys)
{
    startUp();
    emu_->pressHostActionKey(0x2A);
    emu_->pressHostActionKey(0);   // code 0 is still a notification
    ASSERT_TRUE(waitUntil([&] { return observer_.calls.size() >= 2; }));
    EXPECT_EQ(observer_.calls, (std::vector<std::string>{"key 42", "key 0"}));

    image()[image::kGameMode] ^= 1;
    EXPECT_EQ(link_->UploadChanges(), UploadResult::Uploaded);
    QCoreApplication::processEvents();
    EXPECT_EQ(observer_.calls.size(), 2u) << "acknowledgements are no key notifications";
    // Begin, game mode and the end report are acknowledged; only the first two are awaited. (The
    // read-all's own game-mode report may be acknowledged too, if the reader was already listening.)
    EXPECT_TRUE(waitUntil([&] {
        const std::vector<std::string> events = trace(true);
        return std::count(events.begin(), events.end(), "EV 04 04 00 00") >= 3;
    }));
    QCoreApplication::processEvents();
    EXPECT_EQ(observer_.calls.size(), 2u);
    EXPECT_EQ(link_->ackWaitCount(), 2);

    const auto start = std::chrono::steady_clock::now();
    link_->Close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_FALSE(link_->eventOpen());
}

class NoMonitorBackend final : public hid::Backend {
public:
    explicit NoMonitorBackend(std::shared_ptr<hid::Emulator> e) : inner_(std::move(e)) {}
    std::vector<hid::InterfaceInfo> enumerate() override { return inner_.enumerate(); }
    std::unique_ptr<hid::Device> open(const std::string& p) override { return inner_.open(p); }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }

private:
    hid::EmulatorBackend inner_;
};

TEST(LinkStartUp, WithoutKeyboardHidesAndRefusesUploads)
{
    auto emu = hid::Emulator::create();
    emu->unplug();
    NoMonitorBackend backend(emu);
    RecordingSleeper sleeper;
    RecordingObserver observer;
    auto link = std::make_unique<KeyboardLink>(backend, observer, sleeper);
    EXPECT_FALSE(link->RegisterForDeviceChanges());
    link->StartUp();
    EXPECT_EQ(observer.calls, (std::vector<std::string>{"registration failed", "hide"}));
    link->store().image()[image::kGameMode] = 1;
    EXPECT_EQ(link->UploadChanges(), UploadResult::NoKeyboard);
    EXPECT_NE(link->store().shadowImage(), link->store().image());
}

TEST(LinkMatching, AcceptsOnlyTheKeyboardsInterfaces)
{
    hid::InterfaceInfo command;
    command.vendorId = 0x04D9;
    command.productId = 0x0001;
    command.interfaceNumber = 3;
    hid::InterfaceInfo event = command;
    event.productId = 0xA12C;
    event.interfaceNumber = 1;
    hid::TopLevelCollection vendor;
    vendor.inputReportIds = {4};
    event.collections.push_back(vendor);
    EXPECT_TRUE(MatchesInterface(command, LinkInterface::Command));
    EXPECT_FALSE(MatchesInterface(command, LinkInterface::Event));
    EXPECT_TRUE(MatchesInterface(event, LinkInterface::Event));
    EXPECT_FALSE(MatchesInterface(event, LinkInterface::Command));
    hid::InterfaceInfo other = command;
    other.vendorId = 0x04D8;
    EXPECT_FALSE(MatchesInterface(other, LinkInterface::Command));
    other = command;
    other.productId = 0xA129;
    EXPECT_FALSE(MatchesInterface(other, LinkInterface::Command));
}

}   // namespace
}   // namespace orvane::link
