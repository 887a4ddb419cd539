#include "platform/hidraw/HidrawDevice.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <mutex>
#include <poll.h>
#include <set>
#include <utility>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

#include "platform/hidraw/Discovery.h"
#include "platform/hidraw/ReportDescriptor.h"
#include "platform/hidraw/TransferWorker.h"

namespace orvane::hidraw {
namespace {

using Clock = std::chrono::steady_clock;

// drainInput() gives up after this many reports, so a device that floods input
// cannot keep the caller forever.
constexpr int kMaxDrainedReports = 4096;
constexpr std::size_t kDrainBufferSize = 4096;
constexpr const char* kUdevRule = "data/60-qx410-orvane.rules";

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

void signalEventFd(int fd)
{
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(fd, &one, sizeof one);
}

void clearEventFd(int fd)
{
    uint64_t value = 0;
    [[maybe_unused]] ssize_t n = ::read(fd, &value, sizeof value);
}

int remainingMs(Clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(std::min<int64_t>(left.count(), INT32_MAX));
}

class HidrawDevice final : public hid::Device {
public:
    HidrawDevice(int fd, int wakeFd, int stopFd, hid::InterfaceInfo info, std::unique_ptr<FeatureIo> featureIo)
        : fd_(fd), wakeFd_(wakeFd), stopFd_(stopFd), info_(std::move(info)), numbered_(info_.numberedReports()),
          featureIo_(std::move(featureIo)), worker_(std::make_unique<TransferWorker>())
    {}

    ~HidrawDevice() override
    {
        // Wake a write waiting for room, then wait for whatever is in the kernel:
        // only then may the descriptor number be given back.
        signalEventFd(stopFd_.get());
        worker_.reset();
    }

    const hid::InterfaceInfo& info() const override { return info_; }

    bool setFeature(std::span<const uint8_t> report, hid::Millis timeout) override
    {
        if (!acceptsReportId(report))
            return false;
        std::vector<uint8_t> buffer(report.begin(), report.end());
        return worker_->run([this](std::vector<uint8_t>& b) { return featureIo_->setFeature(fd_.get(), b) >= 0; },
                            buffer, timeout);
    }

    bool getFeature(std::span<uint8_t> report, hid::Millis timeout) override
    {
        if (!acceptsReportId(report))
            return false;
        std::vector<uint8_t> buffer(report.begin(), report.end());
        if (!worker_->run([this](std::vector<uint8_t>& b) { return featureIo_->getFeature(fd_.get(), b) >= 0; }, buffer,
                          timeout))
            return false;
        std::copy(buffer.begin(), buffer.end(), report.begin());
        return true;
    }

    bool writeReport(std::span<const uint8_t> report, hid::Millis timeout) override
    {
        if (!acceptsReportId(report))
            return false;
        std::vector<uint8_t> buffer(report.begin(), report.end());
        return worker_->run([this](std::vector<uint8_t>& b) { return writeAll(b); }, buffer, timeout);
    }

    int readReport(std::span<uint8_t> buffer, hid::Millis timeout) override
    {
        if (buffer.empty())
            return 0;
        const Clock::time_point deadline = Clock::now() + timeout;
        for (;;) {
            std::array<pollfd, 2> fds{pollfd{fd_.get(), POLLIN, 0}, pollfd{wakeFd_.get(), POLLIN, 0}};
            const int ready = ::poll(fds.data(), fds.size(), remainingMs(deadline));
            if (ready < 0 && errno != EINTR)
                return -1;
            if (ready == 0)
                return 0;
            if (fds[1].revents & POLLIN) {
                clearEventFd(wakeFd_.get());
                return 0;
            }
            if (fds[0].revents & POLLIN) {
                const int stored = readOne(buffer);
                if (stored != 0)
                    return stored;
            } else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                return -1;
            }
            if (remainingMs(deadline) == 0)
                return 0;
        }
    }

    void drainInput() override
    {
        std::array<uint8_t, kDrainBufferSize> scratch;
        for (int i = 0; i < kMaxDrainedReports; ++i)
            if (::read(fd_.get(), scratch.data(), scratch.size()) <= 0)
                return;   // EAGAIN: nothing queued any more
    }

    void interruptRead() override { signalEventFd(wakeFd_.get()); }

private:
    // A device without numbered reports only knows report id 0.
    bool acceptsReportId(std::span<const uint8_t> report) const
    {
        return !report.empty() && (numbered_ || report[0] == 0);
    }

    // Reads one queued report; 0 when there was none after all, -1 when the device failed or left.
    int readOne(std::span<uint8_t> buffer)
    {
        const std::size_t skip = numbered_ ? 0 : 1;
        if (buffer.size() <= skip) {
            uint8_t discard[kDrainBufferSize];
            const ssize_t n = ::read(fd_.get(), discard, sizeof discard);
            if (n > 0)
                buffer[0] = 0;
            return n > 0 ? 1 : (n < 0 && (errno == EAGAIN || errno == EINTR) ? 0 : -1);
        }
        const ssize_t n = ::read(fd_.get(), buffer.data() + skip, buffer.size() - skip);
        if (n < 0)
            return errno == EAGAIN || errno == EINTR ? 0 : -1;
        if (n == 0)
            return -1;   // end of file: the node is gone
        if (!numbered_)
            buffer[0] = 0;
        return static_cast<int>(n + static_cast<ssize_t>(skip));
    }

    // Runs on the worker. hidraw takes the report in one write(); a descriptor
    // that has no room yet is waited on until it has or the Device is destroyed.
    bool writeAll(const std::vector<uint8_t>& report)
    {
        for (;;) {
            const ssize_t n = ::write(fd_.get(), report.data(), report.size());
            if (n >= 0)
                return static_cast<std::size_t>(n) == report.size();
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN)
                return false;
            std::array<pollfd, 2> fds{pollfd{fd_.get(), POLLOUT, 0}, pollfd{stopFd_.get(), POLLIN, 0}};
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                return false;
            if (fds[1].revents & POLLIN)
                return false;
        }
    }

    UniqueFd fd_;
    UniqueFd wakeFd_;
    UniqueFd stopFd_;
    hid::InterfaceInfo info_;
    bool numbered_;
    std::unique_ptr<FeatureIo> featureIo_;
    std::unique_ptr<TransferWorker> worker_;   // destroyed first: it joins before the descriptors close
};

bool sameIds(const hidraw_devinfo& raw, const hid::InterfaceInfo& listed)
{
    // The kernel's ids are __s16: the cast gives back the unsigned USB ids.
    return static_cast<uint16_t>(raw.vendor) == listed.vendorId &&
        static_cast<uint16_t>(raw.product) == listed.productId;
}

bool readDescriptor(int fd, std::vector<hid::TopLevelCollection>& collections)
{
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return false;
    auto descriptor = std::make_unique<hidraw_report_descriptor>();
    descriptor->size = static_cast<uint32_t>(size);
    if (::ioctl(fd, HIDIOCGRDESC, descriptor.get()) < 0)
        return false;
    collections = parseReportDescriptor({descriptor->value, descriptor->size}).collections;
    return true;
}

}   // namespace

int FeatureIo::setFeature(int fd, std::span<uint8_t> report)
{
    return ::ioctl(fd, HIDIOCSFEATURE(report.size()), report.data());
}

int FeatureIo::getFeature(int fd, std::span<uint8_t> report)
{
    return ::ioctl(fd, HIDIOCGFEATURE(report.size()), report.data());
}

std::unique_ptr<hid::Device> adoptDescriptor(int fd, hid::InterfaceInfo info, std::unique_ptr<FeatureIo> featureIo)
{
    UniqueFd owned(fd);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return nullptr;
    UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    UniqueFd stop(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (wake.get() < 0 || stop.get() < 0)
        return nullptr;
    if (!featureIo)
        featureIo = std::make_unique<FeatureIo>();
    return std::make_unique<HidrawDevice>(owned.release(), wake.release(), stop.release(), std::move(info),
                                          std::move(featureIo));
}

std::unique_ptr<hid::Device> openHidrawNode(const hid::InterfaceInfo& listed)
{
    UniqueFd fd(::open(listed.path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        reportOpenError(listed, errno);
        return nullptr;
    }
    hidraw_devinfo raw{};
    if (::ioctl(fd.get(), HIDIOCGRAWINFO, &raw) < 0 || !sameIds(raw, listed))
        return nullptr;   // not the node that was listed (replaced since), or not hidraw at all
    hid::InterfaceInfo info = listed;
    if (!readDescriptor(fd.get(), info.collections))
        return nullptr;
    return adoptDescriptor(fd.release(), std::move(info));
}

std::string permissionHint(const hid::InterfaceInfo& node)
{
    char ids[16];
    std::snprintf(ids, sizeof ids, "%04x:%04x", node.vendorId, node.productId);
    return "Cannot open " + node.path + " (keyboard " + ids + "): permission denied. Install the udev rule " +
        kUdevRule + " as the README describes, then plug the keyboard in again.";
}

bool reportOpenError(const hid::InterfaceInfo& node, int error)
{
    if ((error != EACCES && error != EPERM) || !isKeyboardIds(node.vendorId, node.productId))
        return false;
    static std::mutex mutex;
    static std::set<std::string> reported;
    std::lock_guard lock(mutex);
    if (!reported.insert(node.path).second)
        return false;
    std::fprintf(stderr, "%s\n", permissionHint(node).c_str());
    return true;
}

}   // namespace orvane::hidraw
