#pragma once
// Runs transfers that block in the kernel and cannot be cancelled (write() and
// the feature ioctls) on a thread of their own, so that the caller can stop
// waiting at its time-out. A transfer always works on its own copy of the
// buffer: a caller that gave up is never written to later.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane::hidraw {

class TransferWorker {
public:
    using Operation = std::function<bool(std::vector<uint8_t>&)>;

    TransferWorker();
    // Waits for the transfer in progress to return; queued ones are dropped.
    ~TransferWorker();
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Runs `op` on a copy of `buffer` and waits at most `timeout` for it. On
    // success the copy is stored back into `buffer`; on failure or time-out
    // `buffer` is unchanged and false is returned.
    bool run(Operation op, std::vector<uint8_t>& buffer, std::chrono::milliseconds timeout);

private:
    enum class State { Queued, Running, Done, Abandoned };
    struct Job {
        Operation op;
        std::vector<uint8_t> buffer;
        State state = State::Queued;
        bool ok = false;
    };

    void loop();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}   // namespace orvane::hidraw
