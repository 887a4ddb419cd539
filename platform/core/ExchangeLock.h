#pragma once
// One program at a time talks to a keyboard. The keyboard has a single command
// state: a report of another program arriving between a command and its data
// reports would end up in the wrong transfer. Each program therefore takes an
// advisory lock, named after the keyboard, in the per-user runtime folder for
// the whole of each exchange (a read-all, an upload, an LCD download).

#include <chrono>
#include <memory>
#include <string>

namespace orvane::platform {

class ExchangeLock {
public:
    ExchangeLock(const ExchangeLock&) = delete;
    ExchangeLock& operator=(const ExchangeLock&) = delete;
    ~ExchangeLock();

    // Takes the lock of the keyboard `key` (see hid::InterfaceInfo::deviceKey),
    // waiting up to `timeout` for another holder to let go. An empty key names a
    // keyboard no other program can reach: the lock is granted at once. Returns
    // nullptr when the lock stayed taken; `error` then says why. When the lock
    // file cannot be made at all (no runtime folder) the exchange goes ahead
    // without it: the returned lock then holds nothing and `error` names the reason.
    static std::unique_ptr<ExchangeLock> acquire(const std::string& key, std::chrono::milliseconds timeout,
                                                 std::string& error);

    // The lock file of `key` inside `folder` (which ends in '/').
    static std::string lockFileName(const std::string& folder, const std::string& key);

private:
    explicit ExchangeLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}   // namespace orvane::platform
