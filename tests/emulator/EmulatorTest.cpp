#include <gtest/gtest.h>

#include <future>
#include <numeric>
#include <thread>

#include "model/KeyTables.h"
#include "tests/emulator/EmulatorFixture.h"

namespace orvane::hid::test {
namespace {
namespace img = link::image;
using namespace std::chrono_literals;

std::vector<uint8_t> pattern(std::size_t n, uint8_t seed)
{
    std::vector<uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

std::vector<uint8_t> area(const link::ConfigImage& im, std::size_t at, std::size_t n)
{
    return {im.begin() + static_cast<std::ptrdiff_t>(at), im.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

TEST(EmulatorInterfaces, ListsCommandThenEventInterface)
{
    EmulatorBackend backend(Emulator::create());
    const std::vector<InterfaceInfo> list = backend.enumerate();
    ASSERT_EQ(list.size(), 2u);
    const InterfaceInfo& c = list[0];
    EXPECT_EQ(c.path, "emulator:cmd");
    EXPECT_EQ(c.vendorId, 0x04D9);
    EXPECT_EQ(c.productId, 0xA12C);
    EXPECT_EQ(c.interfaceNumber, 3);
    ASSERT_EQ(c.collections.size(), 1u);
    EXPECT_EQ(c.collections[0].usagePage, 0xFF01);
    EXPECT_EQ(c.collections[0].usage, 1);
    EXPECT_FALSE(c.numberedReports());

    const InterfaceInfo& e = list[1];
    EXPECT_EQ(e.path, "emulator:evt");
    EXPECT_EQ(e.interfaceNumber, 1);
    ASSERT_EQ(e.collections.size(), 2u);
    EXPECT_EQ(e.collections[0].usagePage, 1);
    EXPECT_EQ(e.collections[0].usage, 6);
    EXPECT_EQ(e.collections[0].inputReportIds, std::vector<uint8_t>{1});
    EXPECT_EQ(e.collections[1].usagePage, 0xFF00);
    EXPECT_TRUE(e.hasInputReport(4));
    EXPECT_EQ(backend.open("emulator:other"), nullptr);
}

// ---- Answers -----------------------------------------------------------------

struct AnswerCase {
    const char* name;
    CommandReport command;
    const char* answer;   // A0..A8 of the factory keyboard
};

class EmulatorAnswer : public EmulatorFixture, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(EmulatorAnswer, FactoryKeyboardAnswers)
{
    EXPECT_EQ(hex(ask(GetParam().command)), GetParam().answer);
    EXPECT_EQ(acks(), 0) << "read commands are never acknowledged";
}

INSTANTIATE_TEST_SUITE_P(
    ReadCommands, EmulatorAnswer,
    ::testing::Values(AnswerCase{"DeviceInfo", command(0x80), "00 80 01 01 00 00 00 00 7d"},
                      AnswerCase{"ReportRate", command(0x81), "00 81 03 00 00 00 00 00 7b"},
                      AnswerCase{"ResponseTime", command(0x84), "00 84 01 00 00 00 00 00 7a"},
                      // effect 1, speed 10 - 5, brightness 50, colour 1, direction 1
                      AnswerCase{"Lighting", command(0x88), "00 88 00 01 05 32 01 01 3d"},
                      AnswerCase{"GameMode", command(0x89), "00 89 00 00 00 00 00 00 76"},
                      AnswerCase{"ColourOrange", command(0x94, 0, 1), "00 94 00 00 ff 80 00 00 ec"},
                      AnswerCase{"ColourPurple", command(0x94, 0, 6), "00 94 00 00 80 00 ff 00 ec"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatorFixture, SetCommandsAreReadBack)
{
    send(command(0x01, 2));
    send(command(0x04, 7));
    send(command(0x09, 1));
    send(command(0x14, 0, 3, 0x12, 0x34, 0x56));
    EXPECT_EQ(ask(command(0x81))[2], 2);
    EXPECT_EQ(ask(command(0x84))[2], 7);
    EXPECT_EQ(ask(command(0x89))[2], 1);
    EXPECT_EQ(hex(ask(command(0x94, 0, 3))), "00 94 00 00 12 34 56 00 cf");

    const link::ConfigImage im = emulator->image();
    EXPECT_EQ(im[img::kReportRate], 2);
    EXPECT_EQ(im[img::kResponseTime], 7);
    EXPECT_EQ(im[img::kGameMode], 1);
    EXPECT_EQ(area(im, img::colourEntry(3), 3), (std::vector<uint8_t>{0x12, 0x34, 0x56}));
}

TEST_F(EmulatorFixture, LightingIsStoredByTheClosingConfigWrite)
{
    // Begin carries brightness 0 and stores nothing; End stores all five values.
    send(command(0x08, 1, 3, 10, 0, 4, 2));
    EXPECT_EQ(emulator->image()[img::kBrightness], 50);
    EXPECT_EQ(emulator->image()[img::kEffect], 1);
    send(command(0x08, 2, 3, 10, 20, 4, 2));
    const link::ConfigImage im = emulator->image();
    EXPECT_EQ(area(im, img::kEffect, 5), (std::vector<uint8_t>{3, 0, 20, 4, 2})) << "keyboard speed 10 = position 0";
    EXPECT_EQ(hex(ask(command(0x88))), "00 88 00 03 0a 14 04 02 50");

    send(command(0x08, 2, 3, 1, 20, 4, 2));
    EXPECT_EQ(emulator->image()[img::kSpeed], 9) << "keyboard speed 1 = position 9";
}

// ---- Bulk phases -------------------------------------------------------------

struct BulkCase {
    const char* name;
    uint8_t write, read, p3, p4;   // p4 of the write command
    std::size_t offset, size;
    int reports;
};

class EmulatorBulk : public EmulatorFixture, public ::testing::WithParamInterface<BulkCase> {};

TEST_P(EmulatorBulk, WrittenAreaIsStoredAndReadBackAfterTheAnswer)
{
    const BulkCase& c = GetParam();
    const std::vector<uint8_t> bytes = pattern(c.size, c.write);
    const link::ConfigImage before = emulator->image();
    ASSERT_TRUE(send(command(c.write, 0, c.p3, c.p4)));
    writeBulk(bytes);

    link::ConfigImage expected = before;
    std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<std::ptrdiff_t>(c.offset));
    EXPECT_EQ(emulator->image(), expected) << "exactly the area changes";

    cmd->drainInput();
    EXPECT_EQ(ask(command(c.read, 0, c.p3, c.read == 0x8D ? 0 : c.p4))[1], c.read);
    std::vector<uint8_t> back = readBulk(c.reports);
    EXPECT_TRUE(
        std::all_of(back.begin() + static_cast<std::ptrdiff_t>(c.size), back.end(), [](uint8_t b) { return b == 0; }));
    back.resize(c.size);
    EXPECT_EQ(back, bytes);
    DataReport extra{};
    EXPECT_EQ(cmd->readReport(extra, Millis(0)), 0) << "no more reports than announced";
}

INSTANTIATE_TEST_SUITE_P(Areas, EmulatorBulk,
                         ::testing::Values(BulkCase{"KeyMap", 0x0D, 0x8D, 0, 8, img::kKeyCodeBlock, 512, 8},
                                           BulkCase{"KeyEnable", 0x0E, 0x8E, 0, 0x12, img::kKeyEnable, 18, 1},
                                           BulkCase{"FirstMacroBlock", 0x11, 0x91, 0, 3, img::macroBlock(0), 192, 3},
                                           BulkCase{"LastMacroBlock", 0x11, 0x91, 31, 3, img::macroBlock(31), 192, 3},
                                           BulkCase{"FirstLightMap", 0x12, 0x92, 0, 8, img::lightMap(0), 512, 8},
                                           BulkCase{"LastLightMap", 0x12, 0x92, 4, 8, img::lightMap(4), 512, 8}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatorFixture, FactoryKeyMapIsReadInRowMajorCells)
{
    send(command(0x8D));
    answer();
    const std::vector<uint8_t> keys = readBulk(8);
    const std::array<uint8_t, 512> factory = keymap::factoryKeyCodeBlock();
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), keys.begin()));
    send(command(0x8E, 0, 0, 0x12));
    const std::vector<uint8_t> enable = readBulk(1);
    EXPECT_EQ(std::count(enable.begin(), enable.begin() + 18, 0xFF), 18);
    EXPECT_EQ(std::count(enable.begin() + 18, enable.end(), 0), 46);
}

TEST_F(EmulatorFixture, PartialWritePhaseStoresNothingAndANewCommandAbandonsIt)
{
    const link::ConfigImage before = emulator->image();
    send(command(0x0D, 0, 0, 8));
    writeBulk(pattern(7 * 64, 1));
    EXPECT_EQ(emulator->image(), before);
    EXPECT_EQ(acks(), 0);
    send(command(0x81));         // abandons the key-map phase
    writeBulk(pattern(64, 9));   // an unannounced report
    EXPECT_EQ(emulator->image(), before);
    EXPECT_EQ(acks(), 0);
}

// ---- Acknowledgements --------------------------------------------------------

struct AckCase {
    const char* name;
    CommandReport command;
    int dataReports;   // sent after the command
    int acks;
};

class EmulatorAck : public EmulatorFixture, public ::testing::WithParamInterface<AckCase> {};

TEST_P(EmulatorAck, AcknowledgesExactlyTheCompletedWriteSteps)
{
    const AckCase& c = GetParam();
    ASSERT_TRUE(send(c.command));
    for (int i = 0; i < c.dataReports; ++i) {
        EXPECT_EQ(acks(), 0) << "no acknowledgement before the last data report";
        ASSERT_TRUE(cmd->writeReport(dataReport(pattern(64, static_cast<uint8_t>(i)))));
    }
    EXPECT_EQ(acks(), c.acks);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, EmulatorAck,
    ::testing::Values(
        AckCase{"SetReportRate", command(0x01, 2), 0, 1}, AckCase{"SetResponseTime", command(0x04, 3), 0, 1},
        AckCase{"BeginConfigWrite", command(0x08, 1, 1, 5, 0, 1, 1), 0, 1},
        AckCase{"EndConfigWrite", command(0x08, 2, 1, 5, 50, 1, 1), 0, 1},
        AckCase{"SetGameMode", command(0x09, 1), 0, 1}, AckCase{"FactoryReset", command(0x13, 0xFF), 0, 1},
        AckCase{"WriteColour", command(0x14, 0, 6, 1, 2, 3), 0, 1},
        AckCase{"WriteKeyMap", command(0x0D, 0, 0, 8), 8, 1},
        AckCase{"WriteKeyEnable", command(0x0E, 0, 0, 0x12), 1, 1},
        AckCase{"WriteMacroBlock", command(0x11, 0, 31, 3), 3, 1},
        AckCase{"WriteLightMap", command(0x12, 0, 4, 8), 8, 1}, AckCase{"DeviceInfo", command(0x80), 0, 0},
        AckCase{"ReadKeyMap", command(0x8D), 0, 0}, AckCase{"ReadLightMap", command(0x92, 0, 0, 8), 0, 0},
        AckCase{"LcdImage", command(0x15, 0, 9, 1), 9, 0}, AckCase{"ConfigWriteOtherStep", command(0x08, 3), 0, 0},
        AckCase{"FactoryResetWithoutKey", command(0x13, 0), 0, 0}, AckCase{"UnknownCommand", command(0x30, 1), 0, 0},
        AckCase{"KeyMapWrongCount", command(0x0D, 0, 0, 7), 8, 0},
        AckCase{"MacroBlockOutOfRange", command(0x11, 0, 32, 3), 3, 0},
        AckCase{"LightMapOutOfRange", command(0x12, 0, 5, 8), 8, 0},
        AckCase{"ColourOutOfRange", command(0x14, 0, 7, 1, 2, 3), 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmulatorFixture, MalformedCommandReportsAreIgnored)
{
    const link::ConfigImage before = emulator->image();
    CommandReport badSum = command(0x01, 0);
    badSum[8] ^= 1;
    CommandReport badId = command(0x01, 0);
    badId[0] = 5;
    const std::array<uint8_t, 8> shortReport{0, 0x01, 0, 0, 0, 0, 0, 0xFE};
    std::array<uint8_t, 65> longReport{};
    longReport[1] = 0x01;
    EXPECT_TRUE(cmd->setFeature(badSum));
    EXPECT_TRUE(cmd->setFeature(badId));
    EXPECT_TRUE(cmd->setFeature(shortReport));
    EXPECT_TRUE(cmd->setFeature(longReport));
    EXPECT_TRUE(cmd->writeReport(std::array<uint8_t, 64>{}));   // a data report of the wrong length
    EXPECT_EQ(emulator->image(), before);
    EXPECT_EQ(acks(), 0);
    EXPECT_EQ(hex(answer()), "00 00 00 00 00 00 00 00 ff") << "no answer from ignored reports";
    DataReport r{};
    send(command(0x91, 0, 32));
    EXPECT_EQ(cmd->readReport(r, Millis(0)), 0) << "an out-of-range read sends no data";
}

TEST_F(EmulatorFixture, FactoryResetRestoresTheFactoryState)
{
    send(command(0x01, 0));
    send(command(0x09, 1));
    send(command(0x08, 2, 55, 2, 9, 8, 4));
    send(command(0x11, 0, 5, 3));
    writeBulk(pattern(192, 3));
    send(command(0x12, 0, 2, 8));
    writeBulk(pattern(512, 4));
    ASSERT_NE(emulator->image(), factoryImage());
    events();
    send(command(0x13, 0xFF));
    EXPECT_EQ(emulator->image(), factoryImage());
    EXPECT_EQ(acks(), 1);
}

TEST_F(EmulatorFixture, WinLockIsNotHeldByTheKeyboard)
{
    const link::ConfigImage im = emulator->image();
    EXPECT_EQ(im[img::kWinLock], 0);
    EXPECT_EQ(im[img::kEffect], 1);
    EXPECT_EQ(im[img::kSpeed], 5);
    EXPECT_EQ(im[img::kReportRate], 3);
    EXPECT_EQ(im[img::kResponseTime], 1);
    std::vector<uint8_t> enable = pattern(18, 0);
    enable[0] = 0xFD;   // left Windows key disabled
    send(command(0x0E, 0, 0, 0x12));
    writeBulk(enable);
    EXPECT_EQ(emulator->image()[img::kWinLock], 0);
    EXPECT_EQ(emulator->image()[img::kKeyEnable], 0xFD);
}

// ---- LCD ---------------------------------------------------------------------

TEST_F(EmulatorFixture, LcdImageIsStoredFromNineDataReports)
{
    EXPECT_EQ(emulator->lcdMode(), kNoLcdMode);
    const std::vector<uint8_t> page = pattern(528, 11);
    ASSERT_TRUE(send(command(0x15, 0, 9, 1)));
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(emulator->lcdMode(), kNoLcdMode) << "stored only with the ninth report";
        DataReport r{};
        std::fill(r.begin() + 1, r.end(), 0xEE);   // bytes past the page are not taken
        const std::size_t n = k < 8 ? 64 : 16;
        std::copy_n(page.begin() + 64 * k, n, r.begin() + 1);
        ASSERT_TRUE(cmd->writeReport(r));
    }
    EXPECT_EQ(emulator->lcdMode(), 1);
    const LcdPage stored = emulator->lcdPage();
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), page.begin()));
    EXPECT_EQ(acks(), 0);
    EXPECT_EQ(emulator->image(), factoryImage()) << "the LCD image is not part of the configuration";

    send(command(0x15, 0, 8, 0));   // wrong report count: ignored
    writeBulk(std::vector<uint8_t>(528, 0));
    EXPECT_EQ(emulator->lcdMode(), 1);
}

// ---- Events ------------------------------------------------------------------

TEST_F(EmulatorFixture, HostActionKeyIsReportedOnTheEventInterface)
{
    emulator->pressHostActionKey(0x6A);
    emulator->pressHostActionKey(0);
    EXPECT_EQ(events(), (std::vector<std::string>{"04 01 6a 00", "04 01 00 00"}));
    std::array<uint8_t, 4> e{};
    EXPECT_EQ(cmd->readReport(e, Millis(0)), 0) << "events do not reach the command interface";
}

TEST_F(EmulatorFixture, EventsWhileTheEventInterfaceIsClosedAreDropped)
{
    evt.reset();
    send(command(0x01, 1));
    emulator->pressHostActionKey(5);
    evt = backend->open(kEmulatorEventPath);
    EXPECT_TRUE(events().empty());
    send(command(0x01, 1));
    EXPECT_EQ(acks(), 1);
}

TEST_F(EmulatorFixture, BlockedEventReadWakesOnInterrupt)
{
    auto read = std::async(std::launch::async, [&] {
        std::array<uint8_t, 4> e{};
        return evt->readReport(e, Millis(60000));
    });
    evt->interruptRead();
    ASSERT_EQ(read.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(read.get(), 0);

    auto next = std::async(std::launch::async, [&] {
        std::array<uint8_t, 4> e{};
        return evt->readReport(e, Millis(60000)) == 4 ? hex(e) : std::string("none");
    });
    emulator->pressHostActionKey(9);
    ASSERT_EQ(next.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(next.get(), "04 01 09 00");
}

// ---- Faults ------------------------------------------------------------------

TEST_F(EmulatorFixture, FailedSetFeaturesReachNoFirmware)
{
    emulator->failNextSetFeature(2);
    EXPECT_FALSE(send(command(0x01, 0)));
    EXPECT_FALSE(send(command(0x01, 1)));
    EXPECT_EQ(emulator->image()[img::kReportRate], 3);
    EXPECT_EQ(acks(), 0);
    EXPECT_TRUE(send(command(0x01, 2)));
    EXPECT_EQ(emulator->image()[img::kReportRate], 2);
}

TEST_F(EmulatorFixture, StalledReportBlocksUntilTheTimeOutAndIsNotConsumed)
{
    emulator->stallNextReports(1, 1);
    send(command(0x0E, 0, 0, 0x12));
    send(command(0x11, 0, 0, 3));
    const std::vector<uint8_t> block = pattern(192, 2);
    EXPECT_TRUE(cmd->writeReport(dataReport(std::span(block).first(64))));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(cmd->writeReport(dataReport(std::span(block).subspan(64, 64)), Millis(30)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    // The firmware did not see the stalled report: the retried one completes the block.
    EXPECT_TRUE(cmd->writeReport(dataReport(std::span(block).subspan(64, 64))));
    EXPECT_TRUE(cmd->writeReport(dataReport(std::span(block).subspan(128, 64))));
    EXPECT_EQ(area(emulator->image(), img::macroBlock(0), 192), block);
}

TEST_F(EmulatorFixture, StalledReadTimesOutAndLeavesTheReportQueued)
{
    emulator->stallNextReads(1, 1);
    send(command(0x91, 0, 0));
    DataReport r{};
    EXPECT_EQ(cmd->readReport(r, Millis(0)), 65);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(cmd->readReport(r, Millis(30)), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    EXPECT_EQ(cmd->readReport(r, Millis(0)), 65);
    EXPECT_EQ(cmd->readReport(r, Millis(0)), 65);
    EXPECT_EQ(cmd->readReport(r, Millis(0)), 0);
}

TEST_F(EmulatorFixture, NotAcknowledgingStillCarriesOutTheStep)
{
    emulator->setAcknowledging(false);
    send(command(0x09, 1));
    EXPECT_EQ(acks(), 0);
    EXPECT_EQ(emulator->image()[img::kGameMode], 1);
    emulator->setAcknowledging(true);
    send(command(0x09, 0));
    EXPECT_EQ(acks(), 1);
}

TEST_F(EmulatorFixture, UnpluggedKeyboardFailsEveryTransferAndOldDevicesStayDead)
{
    send(command(0x01, 1));
    emulator->pressHostActionKey(3);
    emulator->unplug();
    DataReport r{};
    std::array<uint8_t, 4> e{};
    EXPECT_FALSE(send(command(0x01, 2)));
    CommandReport a{};
    EXPECT_FALSE(cmd->getFeature(a));
    EXPECT_FALSE(cmd->writeReport(r));
    EXPECT_EQ(cmd->readReport(r, Millis(0)), -1);
    EXPECT_EQ(evt->readReport(e, Millis(0)), -1) << "queued events are gone with the keyboard";
    EXPECT_TRUE(backend->enumerate().empty());
    EXPECT_EQ(backend->open(kEmulatorCommandPath), nullptr);

    emulator->replug();
    EXPECT_EQ(backend->enumerate().size(), 2u);
    EXPECT_FALSE(send(command(0x01, 2))) << "a device of the old keyboard";
    EXPECT_EQ(evt->readReport(e, Millis(0)), -1);
    openDevices();
    EXPECT_EQ(ask(command(0x81))[2], 1) << "the keyboard's memory survives unplugging";
}

TEST_F(EmulatorFixture, UnplugReleasesBlockedTransfersAndClosingDoesNotHang)
{
    emulator->stallNextReports(0, 1);
    auto write = std::async(std::launch::async, [&] { return cmd->writeReport(DataReport{}, Millis(60000)); });
    auto read = std::async(std::launch::async, [&] {
        std::array<uint8_t, 4> e{};
        return evt->readReport(e, Millis(60000));
    });
    emulator->unplug();
    ASSERT_EQ(write.wait_for(30s), std::future_status::ready);
    ASSERT_EQ(read.wait_for(30s), std::future_status::ready);
    EXPECT_FALSE(write.get());
    EXPECT_EQ(read.get(), -1);

    emulator->replug();
    openDevices();
    emulator->stallNextReports(0, 1);
    auto blocked = std::async(std::launch::async,
                              [device = cmd.get()] { return device->writeReport(DataReport{}, Millis(60000)); });
    for (auto until = std::chrono::steady_clock::now() + 30s;
         emulator->blockedTransfers() == 0 && std::chrono::steady_clock::now() < until;)
        std::this_thread::yield();
    ASSERT_EQ(emulator->blockedTransfers(), 1);
    auto closing = std::async(std::launch::async, [&] { cmd.reset(); });
    ASSERT_EQ(closing.wait_for(30s), std::future_status::ready) << "destroying a device must not hang";
    ASSERT_EQ(blocked.wait_for(30s), std::future_status::ready);
    EXPECT_FALSE(blocked.get());
}

}   // namespace
}   // namespace orvane::hid::test
