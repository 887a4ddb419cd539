// The fault plan (ORVANE_EMULATOR_FAULTS): its syntax, and each kind carried out by
// the emulated keyboard at the transfer it names.

#include <gtest/gtest.h>

#include <thread>

#include "model/KeyTables.h"
#include "emulator/FaultPlan.h"
#include "tests/emulator/EmulatorFixture.h"

namespace orvane::hid::test {
namespace {
using namespace std::chrono_literals;

std::string describe(const FaultPlan& plan)
{
    static const char* const kNames[] = {"sf-fail", "gf-fail", "read-stall", "write-fail",
                                         "no-ack",  "unplug",  "host-key"};
    std::string out;
    for (const FaultItem& f : plan.items()) {
        out += out.empty() ? "" : ",";
        out += kNames[static_cast<int>(f.kind)] + std::string("@") + std::to_string(f.first);
        out += f.countGiven ? "x" : " ";
        out += f.count ? std::to_string(*f.count) : "*";
    }
    return out;
}

TEST(FaultPlanSyntax, WellFormedPlans)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"sf-fail@3", "sf-fail@3 1"},
        {"read-stall@1x*", "read-stall@1x*"},
        {"gf-fail@2x4,write-fail@9", "gf-fail@2x4,write-fail@9 1"},
        {"no-ack@1x*,unplug@40x250,unplug@90", "no-ack@1x*,unplug@40x250,unplug@90 1"},
        {"host-key@7x0,host-key@8", "host-key@7x0,host-key@8 1"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        const std::optional<FaultPlan> plan = FaultPlan::parse(text, error);
        ASSERT_TRUE(plan) << text << ": " << error;
        EXPECT_EQ(describe(*plan), expected) << text;
    }
}

TEST(FaultPlanSyntax, MalformedItemsAreNamed)
{
    // The value, and the item the error must name.
    const std::pair<const char*, const char*> cases[] = {
        {"sf-fail", "sf-fail"},
        {"sf-fail@0", "sf-fail@0"},
        {"sf-fail@-1", "sf-fail@-1"},
        {"sf-fail@+1", "sf-fail@+1"},
        {"sf-fail@1x0", "sf-fail@1x0"},
        {"sf-fail@1x", "sf-fail@1x"},
        {"sf-fail@1x2x3", "sf-fail@1x2x3"},
        {"sf-fail@ 1", "sf-fail@ 1"},
        {"no-ack@1,sf-fail@4 ", "sf-fail@4 "},
        {"no-ack@1,", ""},
        {"no-ack@1,,gf-fail@2", ""},
        {"SF-FAIL@1", "SF-FAIL@1"},
        {"no-ack@2,stall@1", "stall@1"},
        {"read-stall@99999999999", "read-stall@99999999999"},
        {"host-key@3x*", "host-key@3x*"},
        {"host-key@3x113", "host-key@3x113"},
        {"unplug@1x0", "unplug@1x0"},
    };
    for (const auto& [text, item] : cases) {
        std::string error;
        EXPECT_FALSE(FaultPlan::parse(text, error)) << text;
        EXPECT_NE(error.find("ORVANE_EMULATOR_FAULTS"), std::string::npos) << error;
        EXPECT_NE(error.find("\"" + std::string(item) + "\""), std::string::npos) << text << " -> " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
    }
}

class FaultPlanOnEmulator : public EmulatorFixture {
protected:
    void plan(const char* text)
    {
        std::string error;
        std::optional<FaultPlan> p = FaultPlan::parse(text, error);
        ASSERT_TRUE(p) << error;
        emulator->setFaultPlan(std::move(*p));
    }
};

TEST_F(FaultPlanOnEmulator, SetFeatureFailStoresNothingAndLeavesTheLastAnswer)
{
    plan("sf-fail@2");
    EXPECT_EQ(ask(command(0x81))[2], 3);   // report rate position 3
    EXPECT_FALSE(send(command(0x01, 1))) << "the second set-feature";
    EXPECT_EQ(emulator->image()[link::image::kReportRate], 3);
    EXPECT_EQ(acks(), 0);
    EXPECT_EQ(answer()[1], 0x81) << "the keyboard still holds the previous command's answer";
    EXPECT_TRUE(send(command(0x01, 1)));
    EXPECT_EQ(emulator->image()[link::image::kReportRate], 1);
}

TEST_F(FaultPlanOnEmulator, GetFeatureFailLeavesTheBuffer)
{
    plan("gf-fail@1x2");
    ASSERT_TRUE(send(command(0x81)));
    for (int i = 0; i < 2; ++i) {
        CommandReport a{0, 0xEE};
        EXPECT_FALSE(cmd->getFeature(a));
        EXPECT_EQ(a[1], 0xEE);
    }
    EXPECT_EQ(answer()[1], 0x81);
}

TEST_F(FaultPlanOnEmulator, ReadStallTimesOutFromTheNthInputReportOn)
{
    plan("read-stall@2x*");
    ASSERT_TRUE(send(command(0x91, 0, 0)));
    DataReport r{};
    EXPECT_EQ(cmd->readReport(r, Millis(0)), 65);
    for (int i = 0; i < 3; ++i) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(cmd->readReport(r, Millis(20)), 0) << "read " << i + 2;
        EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    }
    ASSERT_TRUE(send(command(0x8E, 0, 0, 0x12)));
    EXPECT_EQ(cmd->readReport(r, Millis(0)), 0) << "every later report stalls too";
}

TEST_F(FaultPlanOnEmulator, WriteFailReachesNoFirmware)
{
    plan("write-fail@1");
    ASSERT_TRUE(send(command(0x0E, 0, 0, 0x12)));
    std::vector<uint8_t> bitmap(18, 0x0F);
    EXPECT_FALSE(cmd->writeReport(dataReport(bitmap)));
    EXPECT_EQ(acks(), 0);
    EXPECT_EQ(emulator->image()[link::image::kKeyEnable], 0xFF);
    EXPECT_TRUE(cmd->writeReport(dataReport(bitmap)));
    EXPECT_EQ(acks(), 1);
    EXPECT_EQ(emulator->image()[link::image::kKeyEnable], 0x0F);
}

TEST_F(FaultPlanOnEmulator, NoAckCountsAcknowledgements)
{
    plan("no-ack@2x2");
    std::vector<int> got;
    for (int i = 0; i < 4; ++i) {
        send(command(0x81));   // a read command: never acknowledged, not counted
        send(command(0x01, 2));
        got.push_back(acks());
    }
    EXPECT_EQ(got, (std::vector<int>{1, 0, 0, 1}));
    EXPECT_EQ(emulator->image()[link::image::kReportRate], 2) << "the steps themselves are carried out";
}

TEST_F(FaultPlanOnEmulator, UnplugAfterTheNthTransferOfAnyKind)
{
    plan("unplug@3");
    EXPECT_TRUE(send(command(0x81)));
    answer();
    EXPECT_TRUE(send(command(0x01, 1))) << "the third transfer itself completes";
    EXPECT_TRUE(backend->enumerate().empty());
    EXPECT_FALSE(send(command(0x01, 2)));
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(emulator->pluggedIn()) << "without xC the keyboard stays away";
}

TEST_F(FaultPlanOnEmulator, UnplugWithCComesBackAfterCMilliseconds)
{
    plan("unplug@1x40");
    const auto start = std::chrono::steady_clock::now();
    send(command(0x81));
    EXPECT_FALSE(emulator->pluggedIn());
    while (!emulator->pluggedIn() && std::chrono::steady_clock::now() - start < 30s)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(emulator->pluggedIn());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 40ms);
    EXPECT_FALSE(send(command(0x81))) << "devices of the old keyboard stay dead";
    openDevices();
    EXPECT_TRUE(send(command(0x81)));
}

TEST_F(FaultPlanOnEmulator, HostKeySendsTheKeysCellOnce)
{
    constexpr std::size_t kKey = 20;
    const std::array<uint8_t, 512> block = keymap::factoryKeyCodeBlock();
    const uint8_t b2 = block[4 * keymap::cellIndex(keymap::KeyLayoutTable[kKey]) + 2];
    plan("host-key@2x20");
    send(command(0x81));
    EXPECT_TRUE(events().empty());
    answer();
    char expected[16];
    std::snprintf(expected, sizeof expected, "04 01 %02x 00", b2);
    EXPECT_EQ(events(), std::vector<std::string>{expected});
    send(command(0x81));
    EXPECT_TRUE(events().empty()) << "once";
}

TEST_F(FaultPlanOnEmulator, FailedTransfersCountToo)
{
    plan("sf-fail@1,unplug@2");
    EXPECT_FALSE(send(command(0x01, 1)));
    EXPECT_TRUE(emulator->pluggedIn());
    CommandReport a{};
    cmd->getFeature(a);
    EXPECT_FALSE(emulator->pluggedIn());
}

}   // namespace
}   // namespace orvane::hid::test
