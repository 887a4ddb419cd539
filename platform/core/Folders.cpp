#include "platform/core/Folders.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/RegularFile.h"

#include <QStandardPaths>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::platform {
namespace {

constexpr char kAppFolderName[] = "QX410-Orvane";
constexpr char kConfigureFolder[] = "Configure";
constexpr mode_t kPrivateMode = 0700;

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

std::optional<std::string> env(const char* name)
{
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    return std::string(value);
}

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

// mkdir -p with 0755 for the folders above.
bool makeFolders(const std::string& folder, std::string& error)
{
    std::string path;
    for (std::size_t at = 0; at != std::string::npos;) {
        const std::size_t next = folder.find('/', at + 1);
        path = folder.substr(0, next);
        at = next;
        if (path.empty() || path == "/")
            continue;
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
            return error = systemError("cannot create the folder", path), false;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return error = "not a folder: " + folder, false;
    return true;
}

bool writable(const std::string& folder)
{
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// XDG base directories must be absolute; a relative value is ignored.
std::optional<std::string> xdgDataFolder(const FolderInputs& in)
{
    if (in.xdgDataHome && !in.xdgDataHome->empty() && in.xdgDataHome->front() == '/')
        return withSlash(*in.xdgDataHome) + kAppFolderName + "/";
    if (in.home && !in.home->empty())
        return withSlash(*in.home) + ".local/share/" + kAppFolderName + "/";
    return std::nullopt;
}

}   // namespace

FolderInputs FolderInputs::fromProcess()
{
    FolderInputs in;
    in.installFolder = installFolderOfThisProgram();
    in.orvaneHome = env("ORVANE_HOME");
    in.xdgDataHome = env("XDG_DATA_HOME");
    in.home = env("HOME");
    return in;
}

std::optional<Folders> Folders::resolve(const FolderInputs& in, std::string& error)
{
    const std::string install = withSlash(in.installFolder);
    std::string data;
    if (in.orvaneHome) {
        data = withSlash(*in.orvaneHome);
    } else if (writable(install)) {
        data = install;
    } else if (std::optional<std::string> xdg = xdgDataFolder(in)) {
        data = *xdg;
    } else {
        error = "no data folder: the program folder is read-only and neither XDG_DATA_HOME nor HOME is set";
        return std::nullopt;
    }
    if (!makeFolders(data + kConfigureFolder, error))
        return std::nullopt;
    return Folders(install, data);
}

std::string Folders::verBinPath() const
{
    const std::string inData = data_ + "VER.bin";
    struct stat st {};
    if (::stat(inData.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return inData;
    // Something else there (a FIFO, a folder, a link to nothing) counts as no file, in words.
    const OpenedFile there = openRegularFile(inData);
    if (there.status == FileStatus::Regular)
        ::close(there.fd);
    else if (there.status != FileStatus::Missing)
        reportUnreadableFile(inData, there.describe(), "the program folder's VER.bin is used");
    return install_ + "VER.bin";
}

int Folders::removeStaleTemporaryFiles() const
{
    return platform::removeStaleTemporaryFiles(data_) + platform::removeStaleTemporaryFiles(configureFolder());
}

std::string installFolderOfThisProgram()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "./";
    const std::string exe(buffer, static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

std::optional<std::string> runtimeFolder(std::string& error)
{
    const std::string folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation).toStdString();
    struct stat st {};
    if (folder.empty() || ::lstat(folder.c_str(), &st) != 0)
        return error = "no runtime folder", std::nullopt;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 0777) != kPrivateMode)
        return error = "the runtime folder " + folder + " is not a private folder of this user", std::nullopt;
    return withSlash(folder);
}

std::optional<std::string> makePrivateFolder(const std::string& parent, const std::string& name, std::string& error)
{
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return error = "not a folder name: " + name, std::nullopt;
    const std::string path = withSlash(parent) + name;
    if (::mkdir(path.c_str(), kPrivateMode) != 0 && errno != EEXIST)
        return error = systemError("cannot create the folder", path), std::nullopt;
    // O_NOFOLLOW: a symbolic link planted under our name is refused, not followed.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return error = systemError("refusing the folder", path), std::nullopt;
    struct stat st {};
    const bool ours = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
    const bool privateNow = ours && ((st.st_mode & 0777) == kPrivateMode || ::fchmod(fd, kPrivateMode) == 0);
    ::close(fd);
    if (!privateNow)
        return error = "the folder " + path + " belongs to someone else", std::nullopt;
    return path + "/";
}

}   // namespace orvane::platform
