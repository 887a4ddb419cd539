// hid::Device I/O against a SOCK_SEQPACKET socket pair standing in for a node
// (it keeps report boundaries as hidraw does); the feature ioctls are replaced
// by a scripted FeatureIo.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "platform/hidraw/HidrawDevice.h"

namespace orvane::hidraw {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// A feature call that blocks until released, standing in for a stalled control transfer.
struct Gate {
    std::mutex mutex;
    std::condition_variable cv;
    bool open = true;
    void close()
    {
        std::lock_guard l(mutex);
        open = false;
    }
    void release()
    {
        {
            std::lock_guard l(mutex);
            open = true;
        }
        cv.notify_all();
    }
    void pass()
    {
        std::unique_lock l(mutex);
        cv.wait(l, [&] { return open; });
    }
};

struct FeatureLog {
    std::mutex mutex;
    std::vector<Bytes> sent;
    Bytes reply;
    bool fail = false;
    std::atomic<bool> fdOpenAtReturn{true};
    Gate gate;
};

class ScriptedFeatures final : public FeatureIo {
public:
    explicit ScriptedFeatures(FeatureLog& log) : log_(log) {}
    int setFeature(int fd, std::span<uint8_t> report) override
    {
        log_.gate.pass();
        std::lock_guard l(log_.mutex);
        log_.sent.emplace_back(report.begin(), report.end());
        log_.fdOpenAtReturn = log_.fdOpenAtReturn && ::fcntl(fd, F_GETFD) != -1;
        return log_.fail ? -1 : static_cast<int>(report.size());
    }
    int getFeature(int, std::span<uint8_t> report) override
    {
        log_.gate.pass();
        std::lock_guard l(log_.mutex);
        log_.sent.emplace_back(report.begin(), report.end());
        if (log_.fail)
            return -1;
        std::copy_n(log_.reply.begin(), std::min(log_.reply.size(), report.size()), report.begin());
        return static_cast<int>(report.size());
    }

private:
    FeatureLog& log_;
};

hid::InterfaceInfo commandInterface()
{
    hid::InterfaceInfo info;
    info.path = "test:cmd";
    info.collections = {{0xFF01, 1, {}, {}, {}}};
    return info;
}

hid::InterfaceInfo eventInterface()
{
    hid::InterfaceInfo info;
    info.path = "test:evt";
    info.collections = {{0x0001, 6, {1}, {}, {}}, {0xFF00, 1, {4}, {}, {}}};
    return info;
}

class DeviceFixture : public ::testing::Test {
protected:
    // `fillWith`: reports written into the socket until it has no room, before the Device takes it.
    void open(hid::InterfaceInfo info, const Bytes& fillWith = {})
    {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds), 0);
        peer_ = fds[1];
        while (!fillWith.empty() && ::write(fds[0], fillWith.data(), fillWith.size()) > 0)
            ++prefilled_;
        device_ = adoptDescriptor(fds[0], std::move(info), std::make_unique<ScriptedFeatures>(log_));
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override
    {
        device_.reset();
        if (peer_ >= 0)
            ::close(peer_);
    }
    void peerSends(const Bytes& report)
    {
        ASSERT_EQ(::write(peer_, report.data(), report.size()), ssize_t(report.size()));
    }
    Bytes peerReceives()
    {
        Bytes buffer(256);
        const ssize_t n = ::recv(peer_, buffer.data(), buffer.size(), MSG_DONTWAIT);
        buffer.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        return buffer;
    }

    FeatureLog log_;
    int peer_ = -1;
    int prefilled_ = 0;
    std::unique_ptr<hid::Device> device_;
};

Bytes dataReport(uint8_t first, std::size_t size)
{
    Bytes b(size);
    for (std::size_t i = 0; i < size; ++i)
        b[i] = static_cast<uint8_t>(first + i);
    return b;
}

TEST_F(DeviceFixture, UnnumberedReadsGetReportIdZeroInFront)
{
    open(commandInterface());
    const Bytes data = dataReport(0x10, 64);
    peerSends(data);
    Bytes buffer(65, 0xEE);
    ASSERT_EQ(device_->readReport(buffer, 1000ms), 65);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(Bytes(buffer.begin() + 1, buffer.end()), data);
    // A short buffer keeps the id and the start of the report.
    peerSends(data);
    Bytes small(5, 0xEE);
    ASSERT_EQ(device_->readReport(small, 1000ms), 5);
    EXPECT_EQ(small, (Bytes{0x00, 0x10, 0x11, 0x12, 0x13}));
}

TEST_F(DeviceFixture, UnnumberedWritesKeepTheZeroIdByteForTheKernel)
{
    open(commandInterface());
    Bytes report = dataReport(0, 65);   // byte 0 = 0, data 01..40: hidraw drops the 0 itself
    ASSERT_TRUE(device_->writeReport(report, 1000ms));
    EXPECT_EQ(peerReceives(), report);
    report[1] = 0;   // a data report whose first data byte is 0 travels whole as well
    ASSERT_TRUE(device_->writeReport(report, 1000ms));
    EXPECT_EQ(peerReceives(), report);
    report[0] = 5;   // there are no numbered reports on this interface
    EXPECT_FALSE(device_->writeReport(report, 1000ms));
    EXPECT_FALSE(device_->setFeature(Bytes{5, 0x80, 0, 0, 0, 0, 0, 0, 0x7F}, 1000ms));
    EXPECT_TRUE(peerReceives().empty());
    EXPECT_TRUE(log_.sent.empty());
}

TEST_F(DeviceFixture, NumberedReportsPassUnchanged)
{
    open(eventInterface());
    peerSends({0x04, 0x04, 0x00, 0x00});
    Bytes buffer(4);
    ASSERT_EQ(device_->readReport(buffer, 1000ms), 4);
    EXPECT_EQ(buffer, (Bytes{0x04, 0x04, 0x00, 0x00}));
    ASSERT_TRUE(device_->writeReport(Bytes{0x01, 0x02}, 1000ms));
    EXPECT_EQ(peerReceives(), (Bytes{0x01, 0x02}));
}

TEST_F(DeviceFixture, FeatureReportsTravelWithIdZeroInByteZero)
{
    open(commandInterface());
    const Bytes command{0x00, 0x80, 0, 0, 0, 0, 0, 0, 0x7F};
    ASSERT_TRUE(device_->setFeature(command, 1000ms));
    log_.reply = {0x00, 0x00, 0x80, 0x01, 0x01, 0, 0, 0, 0x7D};
    Bytes answer{0x00, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(device_->getFeature(answer, 1000ms));
    EXPECT_EQ(answer, log_.reply);
    ASSERT_EQ(log_.sent.size(), 2u);
    EXPECT_EQ(log_.sent[0], command);
    EXPECT_EQ(log_.sent[1], (Bytes(9, 0)));   // the preset id went in

    log_.fail = true;
    Bytes unchanged{0x00, 9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(device_->getFeature(unchanged, 1000ms));
    EXPECT_EQ(unchanged, (Bytes{0x00, 9, 9, 9, 9, 9, 9, 9, 9}));
    EXPECT_FALSE(device_->setFeature(command, 1000ms));
}

TEST_F(DeviceFixture, StalledFeatureCallTimesOutAndIsWaitedForAtClose)
{
    open(commandInterface());
    log_.reply = Bytes(9, 0xAB);
    log_.gate.close();
    Bytes answer(9, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(device_->getFeature(answer, 50ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(answer, Bytes(9, 0));                         // the late answer never reaches the caller's buffer
    EXPECT_FALSE(device_->setFeature(Bytes(9, 0), 20ms));   // queued behind the stalled call

    std::atomic<bool> destroyed{false};
    std::thread closer([&] {
        device_.reset();
        destroyed = true;
    });
    // The destructor must not return while the call is in the kernel.
    for (int i = 0; i < 20 && !destroyed; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(destroyed);
    log_.gate.release();
    closer.join();
    EXPECT_TRUE(log_.fdOpenAtReturn);
    EXPECT_EQ(log_.sent.size(), 1u);   // the abandoned set-feature was never started
}

TEST_F(DeviceFixture, WorkerIsFreeAgainAfterAStalledCallReturns)
{
    open(commandInterface());
    log_.gate.close();
    EXPECT_FALSE(device_->setFeature(Bytes(9, 0), 20ms));
    log_.gate.release();
    EXPECT_TRUE(device_->setFeature(Bytes(9, 0), 5000ms));
}

TEST_F(DeviceFixture, BlockedWriteTimesOutAndCloseDoesNotHang)
{
    Bytes filler(65, 0x11);
    filler[0] = 0x00;
    open(commandInterface(), filler);   // no room: the next write blocks
    ASSERT_GT(prefilled_, 0);
    const Bytes report = dataReport(0, 65);
    EXPECT_FALSE(device_->writeReport(report, 30ms));
    EXPECT_FALSE(device_->writeReport(report, 10ms));
    device_.reset();   // wakes the worker that still waits for room
    int received = 0;
    for (Bytes got = peerReceives(); !got.empty(); got = peerReceives()) {
        EXPECT_EQ(got, filler);   // no late write of an abandoned report
        ++received;
    }
    EXPECT_EQ(received, prefilled_);
}

TEST_F(DeviceFixture, ReadTimesOutWithZero)
{
    open(eventInterface());
    Bytes buffer(4);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(device_->readReport(buffer, 30ms), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
    EXPECT_EQ(device_->readReport(buffer, 0ms), 0);
}

TEST_F(DeviceFixture, InterruptReadWakesAWaitingReaderOnce)
{
    open(eventInterface());
    Bytes buffer(4);
    int result = -2;
    const auto start = std::chrono::steady_clock::now();
    std::thread reader([&] { result = device_->readReport(buffer, 10s); });
    device_->interruptRead();
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    // The next read waits normally again and gets the next report.
    EXPECT_EQ(device_->readReport(buffer, 20ms), 0);
    peerSends({0x04, 0x01, 0x22, 0x00});
    EXPECT_EQ(device_->readReport(buffer, 1000ms), 4);
}

TEST_F(DeviceFixture, DrainDiscardsQueuedReportsOnly)
{
    open(eventInterface());
    for (uint8_t i = 0; i < 3; ++i)
        peerSends({0x04, i, 0, 0});
    device_->drainInput();
    Bytes buffer(4);
    EXPECT_EQ(device_->readReport(buffer, 0ms), 0);
    peerSends({0x04, 0x04, 0, 0});
    ASSERT_EQ(device_->readReport(buffer, 1000ms), 4);
    EXPECT_EQ(buffer[1], 0x04);
}

TEST_F(DeviceFixture, GoneDeviceReadsMinusOne)
{
    open(eventInterface());
    ::close(peer_);
    peer_ = -1;
    Bytes buffer(4);
    EXPECT_EQ(device_->readReport(buffer, 1000ms), -1);
    EXPECT_FALSE(device_->writeReport(Bytes{0x01, 0x00}, 1000ms));
}

}   // namespace
}   // namespace orvane::hidraw
