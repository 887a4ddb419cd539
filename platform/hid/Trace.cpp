#include "platform/hid/Trace.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/hotplug/Monitor.h"

namespace orvane::hid {

std::string formatTraceLine(double milliseconds, std::string_view path, std::string_view op,
                            std::span<const uint8_t> bytes)
{
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", milliseconds);
    std::string line = time;
    line.reserve(line.size() + path.size() + op.size() + 3 * bytes.size() + 3);
    line.append(" ").append(path).append(" ").append(op);
    static constexpr char kHex[] = "0123456789abcdef";
    for (uint8_t b : bytes) {
        line.push_back(' ');
        line.push_back(kHex[b >> 4]);
        line.push_back(kHex[b & 0xF]);
    }
    return line;
}

std::shared_ptr<TraceSink> TraceSink::open(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "ORVANE_HID_TRACE: cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::shared_ptr<TraceSink>(new TraceSink(fd));
}

TraceSink::TraceSink(int fd) : fd_(fd), start_(std::chrono::steady_clock::now()) {}

TraceSink::~TraceSink()
{
    ::close(fd_);
}

std::string TraceSink::line(std::string_view path, std::string_view op, std::span<const uint8_t> bytes) const
{
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start_;
    return formatTraceLine(elapsed.count(), path, op, bytes) + "\n";
}

void TraceSink::write(const std::string& text)
{
    // One write per line: O_APPEND keeps lines of several writers whole. A trace
    // that cannot be written must not disturb the transfer it describes.
    ssize_t n;
    do
        n = ::write(fd_, text.data(), text.size());
    while (n < 0 && errno == EINTR);
}

void TraceSink::record(std::string_view path, std::string_view op, std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    if (transfers_ > 0) {
        // The time column is taken when the line is written, so it still only grows.
        heldBack_.push_back({std::string(path), std::string(op), {bytes.begin(), bytes.end()}});
        return;
    }
    write(line(path, op, bytes));
}

void TraceSink::beginTransfer()
{
    std::lock_guard lock(mutex_);
    ++transfers_;
}

void TraceSink::endTransfer(bool completed, std::string_view path, std::string_view op, std::span<const uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    if (completed)
        write(line(path, op, bytes));
    if (--transfers_ > 0)
        return;
    for (const HeldLine& held : heldBack_)
        write(line(held.path, held.op, held.bytes));
    heldBack_.clear();
}

namespace {

class TraceDevice final : public Device {
public:
    TraceDevice(std::unique_ptr<Device> inner, std::shared_ptr<TraceSink> sink)
        : inner_(std::move(inner)), sink_(std::move(sink)), readOp_(inner_->info().numberedReports() ? "EV" : "R")
    {}

    const InterfaceInfo& info() const override { return inner_->info(); }

    bool setFeature(std::span<const uint8_t> report, Millis timeout) override
    {
        sink_->beginTransfer();
        const bool ok = inner_->setFeature(report, timeout);
        sink_->endTransfer(ok, info().path, "SF", report);
        return ok;
    }
    bool getFeature(std::span<uint8_t> report, Millis timeout) override
    {
        const bool ok = inner_->getFeature(report, timeout);
        if (ok)
            sink_->record(info().path, "GF", report);
        return ok;
    }
    bool writeReport(std::span<const uint8_t> report, Millis timeout) override
    {
        sink_->beginTransfer();
        const bool ok = inner_->writeReport(report, timeout);
        sink_->endTransfer(ok, info().path, "W", report);
        return ok;
    }
    int readReport(std::span<uint8_t> buffer, Millis timeout) override
    {
        const int n = inner_->readReport(buffer, timeout);
        if (n > 0)
            sink_->record(info().path, readOp_, buffer.first(static_cast<std::size_t>(n)));
        return n;
    }
    void drainInput() override { inner_->drainInput(); }
    void interruptRead() override { inner_->interruptRead(); }

private:
    std::unique_ptr<Device> inner_;
    std::shared_ptr<TraceSink> sink_;
    const char* readOp_;
};

}   // namespace

std::unique_ptr<Device> traceDevice(std::unique_ptr<Device> inner, std::shared_ptr<TraceSink> sink)
{
    if (!inner)
        return nullptr;
    return std::make_unique<TraceDevice>(std::move(inner), std::move(sink));
}

TraceBackend::TraceBackend(std::unique_ptr<Backend> inner, std::shared_ptr<TraceSink> sink)
    : inner_(std::move(inner)), sink_(std::move(sink))
{}

std::vector<InterfaceInfo> TraceBackend::enumerate()
{
    return inner_->enumerate();
}

std::unique_ptr<Device> TraceBackend::open(const std::string& path)
{
    return traceDevice(inner_->open(path), sink_);
}

std::unique_ptr<hotplug::Monitor> TraceBackend::createMonitor()
{
    return inner_->createMonitor();
}

}   // namespace orvane::hid
