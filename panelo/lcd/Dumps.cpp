#include "panelo/lcd/Dumps.h"

#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::panelo {
namespace {

constexpr const char* kDumpDirVariable = "LUMETRA_DUMP_DIR";
constexpr const char* kProgramFolder = "FileDef20151212";

// The program's folder in the runtime folder: created 0700 when missing, and
// used only when it is a real directory of ours (never a planted link).
bool usableOwnFolder(const std::filesystem::path& dir)
{
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool writeAll(int fd, std::span<const uint8_t> bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

}   // namespace

std::filesystem::path DumpFolder()
{
    if (const char* dir = std::getenv(kDumpDirVariable); dir && *dir)
        return dir;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return {};
    const std::filesystem::path dir = std::filesystem::path(runtime.toStdString()) / kProgramFolder;
    return usableOwnFolder(dir) ? dir : std::filesystem::path{};
}

void WriteDump(std::string_view name, std::span<const uint8_t> bytes)
{
    const std::filesystem::path dir = DumpFolder();
    if (dir.empty())
        return;
    const std::filesystem::path file = dir / std::string(name);
    // Rewritten in place and cut to length afterwards: the dump is written on
    // every keystroke, and truncating first costs far more on some file systems.
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && writeAll(fd, bytes) && st.st_size != off_t(bytes.size()))
        ::ftruncate(fd, off_t(bytes.size()));
    ::close(fd);
}

}   // namespace orvane::panelo
