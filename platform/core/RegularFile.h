#pragma once
// Reading the files the programs keep or are given (keymap.bin, MacroDefine.bin, VER.bin, profiles,
// PX840.conf, the emulator's state file, skin images) without being held up or misled by what may
// stand at their names: the file is opened without blocking (a FIFO would hold the program until
// someone writes into it), read only when it is a regular file, and never past a size limit (a
// device such as /dev/zero never ends). A FIFO, device, folder or socket there, or a symbolic link
// that leads nowhere, is reported as such and left where it is.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvane::platform {

enum class FileStatus {
    Regular,        // a regular file, opened (and read, for readRegularFile)
    Missing,        // nothing has the name: the caller may create the file
    NotRegular,     // a FIFO, device, folder or socket has the name (see `kind`)
    DanglingLink,   // a symbolic link whose target does not exist
    Link,           // a symbolic link where links were refused (FollowLinks::No)
    Failed,         // could not be opened or read (`error` is the errno)
};

enum class FollowLinks { Yes, No };

struct OpenedFile {
    int fd = -1;   // open, O_CLOEXEC, blocking again; only for FileStatus::Regular
    FileStatus status = FileStatus::Failed;
    int error = 0;        // errno for Failed
    unsigned mode = 0;    // st_mode of what was found (for NotRegular: which kind)
    long long size = 0;   // st_size of the regular file when opened

    // "a FIFO, not a regular file", "a link to nothing", strerror(error), ...: what the caller puts
    // into its one stderr line. Empty for Regular and Missing.
    std::string describe() const;
};

// Opens `path` for reading without blocking and keeps it open only when it is a regular file; the
// caller closes `fd` then.
OpenedFile openRegularFile(const std::string& path, FollowLinks links = FollowLinks::Yes);

struct FileRead {
    FileStatus status = FileStatus::Failed;
    int error = 0;
    unsigned mode = 0;
    std::vector<uint8_t> bytes;   // at most the limit
    bool truncated = false;       // the file holds more than the limit
    bool ok() const { return status == FileStatus::Regular; }
    std::string describe() const;
};

// The first `maxBytes` bytes of the regular file `path` (all of it when shorter). The buffer grows
// with what is really read, never to `maxBytes` up front.
FileRead readRegularFile(const std::string& path, std::size_t maxBytes, FollowLinks links = FollowLinks::Yes);

// The text of a status for a stderr line (see OpenedFile::describe).
std::string describeFileStatus(FileStatus status, int error, unsigned mode);

// The one stderr line of a file that is there but not read:
// "<program>: <path> cannot be read (<why>); <consequence>".
void reportUnreadableFile(const std::string& path, const std::string& why, const std::string& consequence);

}   // namespace orvane::platform
