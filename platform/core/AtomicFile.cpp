#include "platform/core/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

// A file of ours in the folder of `path`, holding `parts`. It stays locked (flock) from just after
// it is made until the caller is done with its name, so that removeStaleTemporaryFiles never takes
// it from a writer still at work.
struct Temporary {
    std::string name;   // empty (errno set, nothing left behind) when it could not be made whole
    int lock = -1;      // holds the flock while the name exists
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary()
    {
        if (lock >= 0) {
            const int kept = errno;
            ::close(lock);
            errno = kept;
        }
    }
};

void writeTemporary(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts, Temporary& temp)
{
    const std::string folder = folderOf(path);
    std::string name = folder + (folder.back() == '/' ? "" : "/") + kTemporaryPattern;
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return;   // nothing of ours was made: nothing to remove
    (void)::flock(fd, LOCK_EX);
    temp.lock = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);   // shares the lock; outlives the close below
    bool ok = temp.lock >= 0;
    for (std::span<const uint8_t> part : parts)
        ok = ok && writeAll(fd, part);
    setPermissions(fd, path);
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        const int failure = errno;
        ::unlink(name.c_str());   // ours: mkostemp made it
        errno = failure;
        return;
    }
    temp.name = std::move(name);
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

}   // namespace

bool writeFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts)
{
    if (!checkTarget(path))
        return false;
    Temporary temp;
    writeTemporary(path, parts, temp);
    if (temp.name.empty())
        return false;
    if (::rename(temp.name.c_str(), path.c_str()) != 0)
        return dropTemporary(temp.name);
    syncFolder(folderOf(path));
    return true;
}

bool createFileAtomically(const std::string& path, std::initializer_list<std::span<const uint8_t>> parts)
{
    if (!checkTarget(path))
        return false;
    Temporary temp;
    writeTemporary(path, parts, temp);
    if (temp.name.empty())
        return false;
    if (::link(temp.name.c_str(), path.c_str()) != 0)   // link() never replaces an existing name
        return dropTemporary(temp.name);
    ::unlink(temp.name.c_str());
    syncFolder(folderOf(path));
    return true;
}

namespace {

bool isTemporaryName(const char* name)
{
    constexpr std::size_t prefix = sizeof kTemporaryPattern - 1 - 6;   // ".orvane-"
    if (std::strlen(name) != prefix + 6 || std::strncmp(name, kTemporaryPattern, prefix) != 0)
        return false;
    for (const char* c = name + prefix; *c; ++c)   // mkostemp's letters and digits
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    return true;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}   // namespace

int removeStaleTemporaryFiles(const std::string& folder)
{
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    const uid_t me = ::geteuid();
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name))
            continue;
        // Only regular files of this user, looked at and opened without following a link.
        struct stat named {};
        if (::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode) ||
            named.st_uid != me)
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        // A writer holds the lock from just after mkostemp until its rename: a taken lock is a file
        // still being written. The instant between mkostemp and that flock is covered by the age:
        // an empty file younger than kStaleEmptySeconds may be a writer's that has not locked yet.
        const bool stale = ::fstat(fd, &opened) == 0 && sameFile(opened, named) &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && (opened.st_size > 0 || now - opened.st_mtime >= kStaleEmptySeconds);
        // Removed while the lock is held, and only while the name still leads to the file locked.
        struct stat again {};
        if (stale && ::fstatat(dirFd, entry->d_name, &again, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(again, opened) &&
            ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

}   // namespace orvane::platform
