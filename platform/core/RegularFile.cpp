#include "platform/core/RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::platform {
namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

const char* kindOf(unsigned mode)
{
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISSOCK(mode))
        return "a socket";
    return "something else";
}

}   // namespace

std::string describeFileStatus(FileStatus status, int error, unsigned mode)
{
    switch (status) {
    case FileStatus::Regular:
    case FileStatus::Missing: return {};
    case FileStatus::NotRegular: return std::string(kindOf(mode)) + ", not a regular file";
    case FileStatus::DanglingLink: return "a link to nothing";
    case FileStatus::Link: return "a symbolic link, not followed";
    case FileStatus::Failed: break;
    }
    return std::strerror(error);
}

void reportUnreadableFile(const std::string& path, const std::string& why, const std::string& consequence)
{
    std::fprintf(stderr, "%s: %s cannot be read (%s); %s\n", program_invocation_short_name, path.c_str(), why.c_str(),
                 consequence.c_str());
}

std::string OpenedFile::describe() const
{
    return describeFileStatus(status, error, mode);
}
std::string FileRead::describe() const
{
    return describeFileStatus(status, error, mode);
}

OpenedFile openRegularFile(const std::string& path, FollowLinks links)
{
    OpenedFile out;
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == FollowLinks::No ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        out.error = errno;
        struct stat entry {};
        const bool named = ::lstat(path.c_str(), &entry) == 0;
        if (out.error == ENOENT)
            out.status = named && S_ISLNK(entry.st_mode) ? FileStatus::DanglingLink : FileStatus::Missing;
        else if (out.error == ELOOP && links == FollowLinks::No && named && S_ISLNK(entry.st_mode))
            out.status = FileStatus::Link;
        else if ((out.error == ENXIO || out.error == ENODEV || out.error == EISDIR) && named &&
                 !S_ISREG(entry.st_mode) && !S_ISLNK(entry.st_mode))
            out.status = FileStatus::NotRegular, out.mode = entry.st_mode;   // a socket, a device without driver
        else
            out.status = FileStatus::Failed;
        return out;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        out.error = errno;
        ::close(fd);
        return out;
    }
    out.mode = st.st_mode;
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        out.status = FileStatus::NotRegular;
        return out;
    }
    // Blocking again: a regular file never waits anyway, and callers may hand it to stdio.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    out.fd = fd;
    out.size = st.st_size;
    out.status = FileStatus::Regular;
    return out;
}

FileRead readRegularFile(const std::string& path, std::size_t maxBytes, FollowLinks links)
{
    FileRead out;
    const OpenedFile file = openRegularFile(path, links);
    out.status = file.status;
    out.error = file.error;
    out.mode = file.mode;
    if (file.status != FileStatus::Regular)
        return out;
    // The size may change while the file is read: the buffer follows what is read, up to the limit.
    out.bytes.resize(std::min<std::size_t>(file.size > 0 ? std::size_t(file.size) : 0, maxBytes));
    std::size_t done = 0;
    for (;;) {
        if (done == out.bytes.size()) {
            if (done == maxBytes)
                break;
            out.bytes.resize(std::min(maxBytes, done + kReadChunk));
        }
        const ssize_t n = ::read(file.fd, out.bytes.data() + done, out.bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.error = errno;
            out.status = FileStatus::Failed;
            out.bytes.clear();
            ::close(file.fd);
            return out;
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    out.bytes.resize(done);
    if (done == maxBytes) {
        uint8_t more = 0;
        ssize_t n;
        while ((n = ::read(file.fd, &more, 1)) < 0 && errno == EINTR) {}
        out.truncated = n > 0;
    }
    ::close(file.fd);
    return out;
}

}   // namespace orvane::platform
