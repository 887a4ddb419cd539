#include "link/ConfigStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/KeyTables.h"
#include "platform/core/AtomicFile.h"

namespace orvane::link {

namespace {
constexpr std::size_t kExtTableSize = kKeyExtRecordSize * kKeyExtRecordCount;
static_assert(sizeof(KeyExtTable) == kExtTableSize, "records must be contiguous");

bool differs(const ConfigImage& a, const ConfigImage& b, std::size_t offset, std::size_t size)
{
    return !std::equal(a.begin() + static_cast<std::ptrdiff_t>(offset),
                       a.begin() + static_cast<std::ptrdiff_t>(offset + size),
                       b.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::span<uint8_t> bytesOf(KeyExtTable& table)
{
    return {table.front().data(), kExtTableSize};
}

std::span<const uint8_t> bytesOf(const KeyExtTable& table)
{
    return {table.front().data(), kExtTableSize};
}

// Reads up to `out.size()` bytes; returns how many the file had.
std::size_t readUpTo(std::FILE* f, std::span<uint8_t> out)
{
    return std::fread(out.data(), 1, out.size(), f);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
}   // namespace

bool ChangedAreas::anyStep() const
{
    return colours || gameMode || reportRate || responseTime || keyMap || keyEnable ||
        std::find(macroBlocks.begin(), macroBlocks.end(), true) != macroBlocks.end() ||
        std::find(lightMaps.begin(), lightMaps.end(), true) != lightMaps.end();
}

bool ChangedAreas::any() const
{
    return lighting || anyStep();
}

ChangedAreas DetectChanges(const ConfigImage& w, const ConfigImage& s)
{
    ChangedAreas c;
    c.colours = differs(w, s, image::kColourTable, image::kColourEntrySize * image::kColourCount);
    c.gameMode = differs(w, s, image::kGameMode, 1);
    c.reportRate = differs(w, s, image::kReportRate, 1);
    c.responseTime = differs(w, s, image::kResponseTime, 1);
    c.keyMap = differs(w, s, image::kKeyCodeBlock, image::kKeyCodeBlockSize);
    c.keyEnable = differs(w, s, image::kKeyEnable, image::kKeyEnableSize);
    for (std::size_t b = 0; b < image::kMacroBlockCount; ++b)
        c.macroBlocks[b] = differs(w, s, image::macroBlock(b), image::kMacroBlockSize);
    for (std::size_t m = 0; m < image::kLightMapCount; ++m)
        c.lightMaps[m] = differs(w, s, image::lightMap(m), image::kLightMapSize);
    c.lighting = differs(w, s, image::kEffect, image::kLightingSize);
    return c;
}

ConfigStore::ConfigStore() = default;

void ConfigStore::resetKeyCodes()
{
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k)
        ext_[k][ext::kVk] = keymap::KeyLayoutTable[k].vk;
}

KeymapLoad ConfigStore::LoadKeymapFile()
{
    // Opened without blocking (a FIFO would hold the start until someone writes to it) and read
    // only when it is a regular file: a FIFO, device, folder or dangling link is left in place.
    const int fd = ::open(keymapPath_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    std::unique_ptr<std::FILE, FileCloser> file;
    if (fd >= 0) {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return unreadable(S_ISDIR(st.st_mode) ? EISDIR : ENODEV);
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        file.reset(::fdopen(fd, "rb"));
        if (!file) {
            const int error = errno;
            ::close(fd);
            return unreadable(error);
        }
    }
    if (!file) {
        // Only a missing file is replaced; one that exists but cannot be read
        // still holds the user's work (a link that leads nowhere is no missing file).
        struct stat entry {};
        if (errno != ENOENT)
            return unreadable(errno);
        if (::lstat(keymapPath_.c_str(), &entry) == 0)
            return unreadable(ENOENT);
        ext_ = {};
        resetKeyCodes();
        return SaveKeymapFile(KeymapSource::Working) ? KeymapLoad::Created : KeymapLoad::CreateFailed;
    }
    // A short file fills what it holds; the rest keeps its previous contents.
    ConfigImage scratch{};
    std::vector<uint8_t> table(kExtTableSize);
    const std::size_t got = readUpTo(file.get(), scratch);
    const std::size_t tableGot = got == scratch.size() ? readUpTo(file.get(), table) : 0;
    if (std::ferror(file.get()))
        return unreadable(errno);
    if (keymapSkipImage_)
        keymapSkipImage_ = false;
    else
        std::copy_n(scratch.begin(), got, image_.begin());
    std::copy_n(table.begin(), tableGot, bytesOf(ext_).begin());
    resetKeyCodes();
    return KeymapLoad::Loaded;
}

KeymapLoad ConfigStore::unreadable(int error)
{
    keymapLeftAlone_ = true;
    keymapError_ = error;
    keymapSkipImage_ = false;
    return KeymapLoad::Unreadable;
}

bool ConfigStore::SaveKeymapFile(KeymapSource source) const
{
    if (keymapLeftAlone_)
        return false;
    const bool working = source == KeymapSource::Working;
    const ConfigImage& img = working ? image_ : shadowImage_;
    const KeyExtTable& table = working ? ext_ : shadowExt_;
    return platform::writeFileAtomically(keymapPath_, {std::span<const uint8_t>(img), bytesOf(table)});
}

void ConfigStore::CopyWorkingToShadow()
{
    shadowImage_ = image_;
    shadowExt_ = ext_;
}

void ConfigStore::CopyShadowToWorking()
{
    image_ = shadowImage_;
    ext_ = shadowExt_;
}

}   // namespace orvane::link
