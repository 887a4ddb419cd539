#include "platform/hidraw/TransferWorker.h"

namespace orvane::hidraw {

TransferWorker::TransferWorker() : thread_([this] { loop(); }) {}

TransferWorker::~TransferWorker()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

bool TransferWorker::run(Operation op, std::vector<uint8_t>& buffer, std::chrono::milliseconds timeout)
{
    auto job = std::make_shared<Job>();
    job->op = std::move(op);
    job->buffer = buffer;
    std::unique_lock lock(mutex_);
    queue_.push_back(job);
    wake_.notify_all();
    if (!wake_.wait_for(lock, timeout, [&] { return job->state == State::Done; })) {
        // A queued job is skipped; a running one finishes into its own buffer.
        job->state = State::Abandoned;
        return false;
    }
    if (job->ok)
        buffer = std::move(job->buffer);
    return job->ok;
}

void TransferWorker::loop()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
        if (stopping_)
            return;
        std::shared_ptr<Job> job = std::move(queue_.front());
        queue_.pop_front();
        if (job->state == State::Abandoned)
            continue;
        job->state = State::Running;
        lock.unlock();
        const bool ok = job->op(job->buffer);
        lock.lock();
        job->ok = ok;
        if (job->state == State::Running)
            job->state = State::Done;
        wake_.notify_all();
    }
}

}   // namespace orvane::hidraw
