#include "platform/core/ExchangeLock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/core/Folders.h"

namespace orvane::platform {
namespace {

constexpr std::chrono::milliseconds kPoll{2};

// FNV-1a: the key (a path) becomes a short, fixed file name.
uint64_t hashOf(const std::string& key)
{
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : key) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

int openLockFile(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        error = "cannot open the keyboard lock " + path + ": " + std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        error = "the keyboard lock " + path + " is not a file of ours";
        return -1;
    }
    return fd;
}

}   // namespace

ExchangeLock::~ExchangeLock()
{
    if (fd_ >= 0)
        ::close(fd_);   // closing the last descriptor releases the flock
}

std::string ExchangeLock::lockFileName(const std::string& folder, const std::string& key)
{
    char name[48];
    std::snprintf(name, sizeof name, "orvane-keyboard-%016llx.lock", static_cast<unsigned long long>(hashOf(key)));
    return folder + name;
}

std::unique_ptr<ExchangeLock> ExchangeLock::acquire(const std::string& key, std::chrono::milliseconds timeout,
                                                    std::string& error)
{
    if (key.empty())
        return std::unique_ptr<ExchangeLock>(new ExchangeLock(-1));
    std::optional<std::string> folder = runtimeFolder(error);
    if (!folder)
        return std::unique_ptr<ExchangeLock>(new ExchangeLock(-1));
    const int fd = openLockFile(lockFileName(*folder, key), error);
    if (fd < 0)
        return std::unique_ptr<ExchangeLock>(new ExchangeLock(-1));
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return std::unique_ptr<ExchangeLock>(new ExchangeLock(fd));
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error = std::string("cannot lock the keyboard: ") + std::strerror(errno);
            ::close(fd);
            return std::unique_ptr<ExchangeLock>(new ExchangeLock(-1));
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            error = "another program is using the keyboard";
            ::close(fd);
            return nullptr;
        }
        std::this_thread::sleep_for(kPoll);
    }
}

}   // namespace orvane::platform
