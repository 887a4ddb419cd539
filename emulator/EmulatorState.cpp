#include "emulator/EmulatorState.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/KeyTables.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/RegularFile.h"

namespace orvane::hid {
namespace img = link::image;

namespace {

// Red, orange, yellow, green, cyan, blue, purple.
constexpr std::array<std::array<uint8_t, 3>, img::kColourCount> kFactoryColours{{
    {0xFF, 0x00, 0x00},
    {0xFF, 0x80, 0x00},
    {0xFF, 0xFF, 0x00},
    {0x00, 0xFF, 0x00},
    {0x00, 0xFF, 0xFF},
    {0x00, 0x00, 0xFF},
    {0x80, 0x00, 0xFF},
}};

struct HeldArea {
    std::size_t offset;
    std::size_t size;
};

// Every image area the keyboard stores; everything else is 0 in its memory.
constexpr std::array<HeldArea, 8> kHeldAreas{{
    {img::kReportRate, 1},
    {img::kKeyCodeBlock, img::kKeyCodeBlockSize},
    {img::kMacroBlocks, img::kMacroBlockSize* img::kMacroBlockCount},
    {img::kResponseTime, 1},
    {img::kEffect, img::kLightingSize},
    {img::kColourTable, img::kColourEntrySize* img::kColourCount},
    {img::kGameMode, 1 + img::kKeyEnableSize},   // game mode and the key-enable bitmap
    {img::kLightMaps, img::kLightMapSize* img::kLightMapCount},
}};

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

std::string wrongSize(const std::string& path, long long size)
{
    return "emulator state file " + path + " has " + std::to_string(size) + " bytes, expected " +
        std::to_string(statefile::kSize) + "; it is left unchanged";
}

bool readExactly(int fd, StateBytes& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// An open, locked state file. Because the file is replaced by rename, the lock
// is taken on the inode the path names *after* locking; a lock on a replaced
// inode is dropped and taken again on the new one.
class LockedFile {
public:
    ~LockedFile()
    {
        if (fd_ >= 0)
            ::close(fd_);   // also releases the lock
    }
    bool lock(const std::string& path, int how, std::string& error)
    {
        for (;;) {
            // Without blocking, and kept only when it is a regular file: whatever took the file's
            // place (a FIFO, a device, a folder) is neither waited on nor read.
            const platform::OpenedFile file = platform::openRegularFile(path);
            if (file.status != platform::FileStatus::Regular)
                return error = "emulator state file " + path + " cannot be read (" + file.describe() + ")", false;
            fd_ = file.fd;
            while (::flock(fd_, how) != 0)
                if (errno != EINTR)
                    return error = systemError("cannot lock", path), false;
            struct stat locked {
            }, named{};
            if (::fstat(fd_, &locked) == 0 && ::stat(path.c_str(), &named) == 0 && locked.st_ino == named.st_ino &&
                locked.st_dev == named.st_dev)
                return true;
            ::close(fd_);
            fd_ = -1;
        }
    }
    bool read(const std::string& path, StateBytes& bytes, std::string& error) const
    {
        struct stat st {};
        if (::fstat(fd_, &st) != 0)
            return error = systemError("cannot examine", path), false;
        if (static_cast<std::size_t>(st.st_size) != statefile::kSize)
            return error = wrongSize(path, st.st_size), false;
        if (!readExactly(fd_, bytes))
            return error = systemError("cannot read", path), false;
        return true;
    }

private:
    int fd_ = -1;
};

// Places the factory file at `path` unless a file appeared there meanwhile.
bool createFactoryFile(const std::string& path, std::string& error)
{
    const StateBytes bytes = encodeState(factoryState());
    if (platform::createFileAtomically(path, {bytes}) || errno == EEXIST)
        return true;
    return error = systemError("cannot create", path), false;
}

}   // namespace

link::ConfigImage factoryImage()
{
    link::ConfigImage image{};
    const std::array<uint8_t, 512> keys = keymap::factoryKeyCodeBlock();
    std::copy(keys.begin(), keys.end(), image.begin() + img::kKeyCodeBlock);
    std::fill_n(image.begin() + img::kKeyEnable, img::kKeyEnableSize, uint8_t{0xFF});
    image[img::kEffect] = 1;   // Static
    image[img::kSpeed] = 5;    // slider position
    image[img::kBrightness] = 50;
    image[img::kColour] = 1;
    image[img::kDirection] = 1;
    for (std::size_t i = 0; i < img::kColourCount; ++i)
        std::copy(kFactoryColours[i].begin(), kFactoryColours[i].end(), image.begin() + img::colourEntry(i));
    image[img::kGameMode] = 0;
    image[img::kReportRate] = 3;
    image[img::kResponseTime] = 1;
    return image;
}

EmulatorState factoryState()
{
    EmulatorState state;
    state.image = factoryImage();
    return state;
}

void clearUnheldBytes(link::ConfigImage& image)
{
    link::ConfigImage held{};
    for (const HeldArea& a : kHeldAreas)
        std::copy_n(image.begin() + a.offset, a.size, held.begin() + a.offset);
    image = held;
}

StateBytes encodeState(const EmulatorState& state)
{
    StateBytes bytes{};
    std::copy(state.image.begin(), state.image.end(), bytes.begin() + statefile::kImage);
    bytes[statefile::kFirmwareMajor] = state.firmware.major;
    bytes[statefile::kFirmwareMinor] = state.firmware.minor;
    bytes[statefile::kLcdMode] = state.lcdMode;
    std::copy(state.lcdPage.begin(), state.lcdPage.end(), bytes.begin() + statefile::kLcdPage);
    return bytes;
}

EmulatorState decodeState(std::span<const uint8_t, statefile::kSize> bytes)
{
    EmulatorState state;
    std::copy_n(bytes.begin() + statefile::kImage, link::kConfigImageSize, state.image.begin());
    clearUnheldBytes(state.image);
    state.firmware = {bytes[statefile::kFirmwareMajor], bytes[statefile::kFirmwareMinor]};
    state.lcdMode = bytes[statefile::kLcdMode];
    std::copy_n(bytes.begin() + statefile::kLcdPage, kLcdPageSize, state.lcdPage.begin());
    return state;
}

std::unique_ptr<StateFile> StateFile::open(const std::string& path, std::string& error)
{
    if (path.empty())
        return error = "emulator state file: no path given", nullptr;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return error = systemError("cannot examine", path), nullptr;
        if (!createFactoryFile(path, error))
            return nullptr;
    } else if (!S_ISREG(st.st_mode)) {
        return error = "emulator state file " + path + " cannot be read (" +
                   platform::describeFileStatus(platform::FileStatus::NotRegular, 0, st.st_mode) +
                   "); it is left as it is",
               nullptr;
    }
    std::unique_ptr<StateFile> file(new StateFile(path));
    EmulatorState probe;
    if (!file->load(probe, error))
        return nullptr;
    return file;
}

bool StateFile::load(EmulatorState& state, std::string& error) const
{
    LockedFile locked;
    StateBytes bytes{};
    if (!locked.lock(path_, LOCK_SH, error) || !locked.read(path_, bytes, error))
        return false;
    state = decodeState(bytes);
    return true;
}

bool StateFile::update(EmulatorState& state, const std::function<bool(EmulatorState&)>& step, std::string& error)
{
    LockedFile locked;
    StateBytes bytes{};
    if (!locked.lock(path_, LOCK_EX, error) || !locked.read(path_, bytes, error)) {
        step(state);
        return false;
    }
    state = decodeState(bytes);
    if (!step(state))
        return true;
    const StateBytes next = encodeState(state);
    if (!platform::writeFileAtomically(path_, {next}))
        return error = systemError("cannot replace", path_), false;
    return true;
}

}   // namespace orvane::hid
