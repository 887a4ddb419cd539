#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <future>
#include <sstream>
#include <thread>

#include "emulator/Backend.h"
#include "platform/hid/Trace.h"
#include "platform/hotplug/Monitor.h"
#include "tests/emulator/EmulatorFixture.h"

namespace orvane::hid::test {
namespace {

std::vector<std::string> lines(const std::string& path)
{
    const std::vector<uint8_t> bytes = TempFolder::read(path);
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

TEST(HidTrace, FormatsOneLinePerTransfer)
{
    const std::array<uint8_t, 9> r{0x00, 0x80, 0, 0, 0, 0, 0, 0, 0x7f};
    EXPECT_EQ(formatTraceLine(12.4066, "/dev/hidraw3", "SF", r), "12.407 /dev/hidraw3 SF 00 80 00 00 00 00 00 00 7f");
    EXPECT_EQ(formatTraceLine(0, "emulator:evt", "EV", std::array<uint8_t, 4>{4, 1, 0xab, 0}),
              "0.000 emulator:evt EV 04 01 ab 00");
}

class HidTraceExchange : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        auto sink = TraceSink::open(path, error);
        ASSERT_TRUE(sink) << error;
        backend = std::make_unique<TraceBackend>(std::make_unique<EmulatorBackend>(emulator), sink);
        cmd = backend->open(kEmulatorCommandPath);
        evt = backend->open(kEmulatorEventPath);
        ASSERT_TRUE(cmd && evt);
    }
    TempFolder dir;
    std::string path = dir.file("hid.trace");
    std::shared_ptr<Emulator> emulator = Emulator::create();
    std::unique_ptr<Backend> backend;
    std::unique_ptr<Device> cmd, evt;
};

TEST_F(HidTraceExchange, TracesTheCallersBytesOfEveryCompletedTransfer)
{
    ASSERT_TRUE(cmd->setFeature(command(0x80)));
    CommandReport a{};
    ASSERT_TRUE(cmd->getFeature(a));
    ASSERT_TRUE(cmd->setFeature(command(0x8E, 0, 0, 0x12)));
    DataReport in{};
    ASSERT_EQ(cmd->readReport(in, Millis(0)), 65);
    DataReport out{};
    out[1] = 0xAB;
    ASSERT_TRUE(cmd->writeReport(out));   // unannounced: ignored, still traced
    std::array<uint8_t, 4> e{};
    ASSERT_EQ(evt->readReport(e, Millis(0)), 0);   // time-outs are not traced
    ASSERT_TRUE(cmd->setFeature(command(0x09, 1)));
    ASSERT_EQ(evt->readReport(e, Millis(0)), 4);
    emulator->failNextSetFeature();
    ASSERT_FALSE(cmd->setFeature(command(0x01, 1)));   // failed: not traced

    const std::string ff18 = "ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff ff";
    std::string zeros46, zeros63;
    for (int i = 0; i < 46; ++i)
        zeros46 += " 00";
    for (int i = 0; i < 63; ++i)
        zeros63 += " 00";
    const std::vector<std::string> expected{
        "emulator:cmd SF 00 80 00 00 00 00 00 00 7f",
        "emulator:cmd GF 00 80 01 01 00 00 00 00 7d",
        "emulator:cmd SF 00 8e 00 00 12 00 00 00 5f",
        "emulator:cmd R 00 " + ff18 + zeros46,
        "emulator:cmd W 00 ab" + zeros63,
        "emulator:cmd SF 00 09 01 00 00 00 00 00 f5",
        "emulator:evt EV 04 04 00 00",
    };
    std::vector<std::string> actual;
    for (const std::string& line : lines(path))
        actual.push_back(withoutTime(line));
    EXPECT_EQ(actual, expected);

    double previous = -1;
    for (const std::string& line : lines(path)) {
        const double t = std::stod(line);
        EXPECT_GE(t, previous) << "time only grows";
        previous = t;
    }
}

TEST_F(HidTraceExchange, AppendsToAnExistingTraceAndReachesTheEmulatorBehindIt)
{
    ASSERT_TRUE(cmd->setFeature(command(0x81)));
    std::string error;
    auto second = TraceSink::open(path, error);   // a second program on the same file
    ASSERT_TRUE(second);
    TraceBackend other(std::make_unique<EmulatorBackend>(emulator), second);
    auto otherCmd = other.open(kEmulatorCommandPath);
    ASSERT_TRUE(otherCmd->setFeature(command(0x84)));
    ASSERT_TRUE(cmd->setFeature(command(0x89)));
    const std::vector<std::string> all = lines(path);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(withoutTime(all[1]), "emulator:cmd SF 00 84 00 00 00 00 00 00 7b");
    EXPECT_EQ(emulatorOf(*backend), emulator);
    EXPECT_EQ(other.enumerate().size(), 2u);
}

// A transport whose set-feature and write calls return late, as a loaded machine or a
// slow kernel path may: the keyboard has long acknowledged by the time the caller goes on.
class LateReturningDevice final : public Device {
public:
    explicit LateReturningDevice(std::unique_ptr<Device> inner) : inner_(std::move(inner)) {}
    const InterfaceInfo& info() const override { return inner_->info(); }
    bool setFeature(std::span<const uint8_t> r, Millis t) override { return late(inner_->setFeature(r, t)); }
    bool getFeature(std::span<uint8_t> r, Millis t) override { return inner_->getFeature(r, t); }
    bool writeReport(std::span<const uint8_t> r, Millis t) override { return late(inner_->writeReport(r, t)); }
    int readReport(std::span<uint8_t> b, Millis t) override { return inner_->readReport(b, t); }
    void drainInput() override { inner_->drainInput(); }
    void interruptRead() override { inner_->interruptRead(); }

private:
    bool late(bool ok)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        return ok;
    }
    std::unique_ptr<Device> inner_;
};

class LateReturningBackend final : public Backend {
public:
    explicit LateReturningBackend(std::shared_ptr<Emulator> e) : inner_(std::move(e)) {}
    std::vector<InterfaceInfo> enumerate() override { return inner_.enumerate(); }
    std::unique_ptr<Device> open(const std::string& p) override
    {
        return std::make_unique<LateReturningDevice>(inner_.open(p));
    }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }

private:
    EmulatorBackend inner_;
};

TEST(HidTraceOrder, AnAcknowledgementFollowsTheReportItAcknowledges)
{
    TempFolder dir;
    const std::string path = dir.file("hid.trace");
    std::string error;
    auto sink = TraceSink::open(path, error);
    ASSERT_TRUE(sink) << error;
    auto emulator = Emulator::create();
    TraceBackend backend(std::make_unique<LateReturningBackend>(emulator), sink);
    auto cmd = backend.open(kEmulatorCommandPath);
    auto evt = backend.open(kEmulatorEventPath);
    ASSERT_TRUE(cmd && evt);
    // The event reader waits in another thread, as the link's does.
    auto reader = std::async(std::launch::async, [&] {
        int events = 0;
        std::array<uint8_t, 4> e{};
        while (events < 2 && evt->readReport(e, Millis(10000)) == 4)
            ++events;
        return events;
    });
    ASSERT_TRUE(cmd->setFeature(command(0x09, 1)));
    ASSERT_TRUE(cmd->setFeature(command(0x0E, 0, 0, 0x12)));
    ASSERT_TRUE(cmd->writeReport(dataReport(std::vector<uint8_t>(18, 0xFF))));
    ASSERT_EQ(reader.get(), 2);

    std::vector<std::string> ops;
    for (const std::string& line : lines(path)) {
        std::istringstream fields(withoutTime(line));
        std::string device, op, first, second;
        fields >> device >> op >> first >> second;
        ops.push_back(op == "EV" ? op : op + " " + second);
    }
    EXPECT_EQ(ops, (std::vector<std::string>{"SF 09", "EV", "SF 0e", "W ff", "EV"}));
    double previous = -1;
    for (const std::string& line : lines(path)) {
        EXPECT_GE(std::stod(line), previous) << "time only grows";
        previous = std::stod(line);
    }
}

}   // namespace
}   // namespace orvane::hid::test
