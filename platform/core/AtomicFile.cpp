#include "platform/core/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::platform {
namespace {

constexpr char kTemporaryPattern[] = ".orvane-XXXXXX";
constexpr mode_t kDefaultUmask = 022;   // when /proc does not tell

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool nameFits(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t name = slash == std::string::npos ? path.size() : path.size() - slash - 1;
    return name <= kMaxFileNameBytes;
}

// The process's umask, read without changing it (umask() would, for every thread).
mode_t currentUmask()
{
    std::FILE* f = std::fopen("/proc/self/status", "re");
    if (!f)
        return kDefaultUmask;
    mode_t mask = kDefaultUmask;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned value = 0;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = mode_t(value);
            break;
        }
    }
    std::fclose(f);
    return mask;
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

// The new file takes over the old one's permission bits; a new file gets what
// open(0666) would give under the umask (mkostemp makes it 0600).
void setPermissions(int fd, const std::string& path)
{
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : (0666 & ~currentUmask());
    (void)::fchmod(fd, mode);
}

// A file of ours in the folder of `path`, holding `parts`: its name, or empty
// (errno set, nothing left behind) when it could not be made whole.
std::string writeTemporary(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts)
{
    const std::string folder = folderOf(path);
    std::string temp = folder + (folder.back() == '/' ? "" : "/") + kTemporaryPattern;
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return {};
    bool ok = true;
    for (std::span<const uint8_t> part : parts)
        ok = ok && writeAll(fd, part);
    setPermissions(fd, path);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        const int failure = errno;
        ::unlink(temp.c_str());   // ours: mkostemp made it
        errno = failure;
        return {};
    }
    return temp;
}

void syncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

bool checkTarget(const std::string& path)
{
    if (path.empty() || path.back() == '/')
        return errno = EINVAL, false;
    if (!nameFits(path))
        return errno = ENAMETOOLONG, false;
    return true;
}

// Removes our temporary file after a failed final step, keeping that step's errno.
bool dropTemporary(const std::string& temp)
{
    const int failure = errno;   // callers report it; the clean-up's own must not replace it
    ::unlink(temp.c_str());
    errno = failure;
    return false;
}

} // namespace

bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts)
{
    if (!checkTarget(path))
        return false;
    const std::string temp = writeTemporary(path, parts);
    if (temp.empty())
        return false;
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return dropTemporary(temp);
    syncFolder(folderOf(path));
    return true;
}

bool createFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts)
{
    if (!checkTarget(path))
        return false;
    const std::string temp = writeTemporary(path, parts);
    if (temp.empty())
        return false;
    if (::link(temp.c_str(), path.c_str()) != 0)   // link() never replaces an existing name
        return dropTemporary(temp);
    ::unlink(temp.c_str());
    syncFolder(folderOf(path));
    return true;
}

} // namespace orvane::platform
