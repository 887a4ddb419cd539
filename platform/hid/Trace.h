#pragma once
// The HID trace (ORVANE_HID_TRACE=FILE): one line per completed transfer,
//   <ms since the trace was opened, 3 decimals> <path> <op> <bytes in lower-case hex>
// op: SF set-feature sent, GF get-feature returned, W output report written,
// R input report read on an interface without numbered reports, EV input report
// read on one with numbered reports (the event interface). Each line is one
// write() on an O_APPEND descriptor, so programs may share the file.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/Transport.h"

namespace orvane::hid {

class TraceSink {
public:
    // Opens (creating or appending to) the trace file; nullptr with `error` set
    // when it cannot be opened. The time column counts from this call.
    static std::shared_ptr<TraceSink> open(const std::string& path, std::string& error);
    ~TraceSink();
    TraceSink(const TraceSink&) = delete;
    TraceSink& operator=(const TraceSink&) = delete;

    // Records a transfer that needs no answer from the keyboard.
    void record(std::string_view path, std::string_view op, std::span<const uint8_t> bytes);

    // A set-feature or output report is recorded once its call has returned, but
    // the keyboard may answer it before that (an acknowledgement read by another
    // thread). Lines recorded between begin and end are held back and written
    // right after the transfer's own, so the trace reads in causal order.
    void beginTransfer();
    void endTransfer(bool completed, std::string_view path, std::string_view op, std::span<const uint8_t> bytes);

private:
    explicit TraceSink(int fd);
    std::string line(std::string_view path, std::string_view op, std::span<const uint8_t> bytes) const;
    void write(const std::string& line);
    int fd_;
    std::mutex mutex_;
    int transfers_ = 0;   // set-features and output reports under way
    struct HeldLine {
        std::string path, op;
        std::vector<uint8_t> bytes;
    };
    std::vector<HeldLine> heldBack_;   // recorded while a transfer was under way
    std::chrono::steady_clock::time_point start_;
};

// One trace line without its line end.
std::string formatTraceLine(double milliseconds, std::string_view path, std::string_view op,
                            std::span<const uint8_t> bytes);

// Wraps every device that `inner` opens in the trace.
class TraceBackend final : public Backend {
public:
    TraceBackend(std::unique_ptr<Backend> inner, std::shared_ptr<TraceSink> sink);
    Backend& inner() { return *inner_; }

    std::vector<InterfaceInfo> enumerate() override;
    std::unique_ptr<Device> open(const std::string& path) override;
    std::unique_ptr<hotplug::Monitor> createMonitor() override;

private:
    std::unique_ptr<Backend> inner_;
    std::shared_ptr<TraceSink> sink_;
};

// A single device in the trace (TraceBackend uses it for every device it opens).
std::unique_ptr<Device> traceDevice(std::unique_ptr<Device> inner, std::shared_ptr<TraceSink> sink);

}   // namespace orvane::hid
