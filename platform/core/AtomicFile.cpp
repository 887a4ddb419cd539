#include "platform/core/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::platform {
namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A name no other thread or process of ours uses at the same moment.
std::string temporaryNameFor(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter.fetch_add(1));
}

bool writeAll(int fd, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

// The new file takes over the old one's permission bits; a new file gets the
// umask's choice (applied by open()).
void keepPermissions(int fd, const std::string& path)
{
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        (void)::fchmod(fd, old.st_mode & 07777);
}

bool writeTemporary(const std::string& temp, const std::string& path,
                    std::initializer_list<std::span<const uint8_t>> parts)
{
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = true;
    for (std::span<const uint8_t> part : parts)
        ok = ok && writeAll(fd, part);
    keepPermissions(fd, path);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    return ok;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts)
{
    if (path.empty() || path.back() == '/')
        return false;
    const std::string temp = temporaryNameFor(path);
    if (!writeTemporary(temp, path, parts) || ::rename(temp.c_str(), path.c_str()) != 0) {
        const int failure = errno;   // callers report it; the clean-up's own must not replace it
        ::unlink(temp.c_str());
        errno = failure;
        return false;
    }
    syncFolder(folderOf(path));
    return true;
}

} // namespace orvane::platform
