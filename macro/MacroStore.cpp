#include "macro/MacroStore.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/RegularFile.h"

#include <algorithm>
#include <span>

namespace orvane::macro {
namespace {

uint16_t unitAt(const MacroRecord& r, std::size_t i)
{
    return static_cast<uint16_t>(r[rec::kName + 2 * i] | (r[rec::kName + 2 * i + 1] << 8));
}

}   // namespace

bool isFree(const MacroRecord& r)
{
    return unitAt(r, 0) == 0;
}

std::u16string recordName(const MacroRecord& r)
{
    std::u16string name;
    for (std::size_t i = 0; i < rec::kMaxNameChars; ++i) {
        const uint16_t u = unitAt(r, i);
        if (u == 0)
            break;
        name.push_back(static_cast<char16_t>(u));
    }
    return name;
}

bool setRecordName(MacroRecord& r, std::u16string_view name)
{
    if (name.empty() || name.size() > rec::kMaxNameChars || name.find(u'\0') != std::u16string_view::npos)
        return false;
    std::fill_n(r.begin() + rec::kName, 2 * rec::kNameUnits, uint8_t{0});
    for (std::size_t i = 0; i < name.size(); ++i) {
        r[rec::kName + 2 * i] = static_cast<uint8_t>(name[i] & 0xFF);
        r[rec::kName + 2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
    }
    return true;
}

uint16_t storedLoopCount(const MacroRecord& r)
{
    return static_cast<uint16_t>(r[rec::kLoopCount] | (r[rec::kLoopCount + 1] << 8));
}

uint16_t loopCount(const MacroRecord& r)
{
    const uint16_t n = storedLoopCount(r);
    return n == 0 ? kMinLoopCount : n;
}

void setLoopCount(MacroRecord& r, uint16_t count)
{
    const uint16_t n = std::clamp(count, kMinLoopCount, kMaxLoopCount);
    r[rec::kLoopCount] = static_cast<uint8_t>(n & 0xFF);
    r[rec::kLoopCount + 1] = static_cast<uint8_t>(n >> 8);
}

bool recordDelay(const MacroRecord& r)
{
    return (r[rec::kFlags] & rec::kFlagRecordDelay) != 0;
}

void setRecordDelay(MacroRecord& r, bool on)
{
    r[rec::kFlags] = on ? rec::kFlagRecordDelay : 0;
}

EventBytes deviceEvents(const MacroRecord& r)
{
    EventBytes e{};
    std::copy_n(r.begin() + rec::kDeviceEvents, kEventBytes, e.begin());
    return e;
}

EventBytes keyEvents(const MacroRecord& r)
{
    EventBytes e{};
    std::copy_n(r.begin() + rec::kKeyEvents, kEventBytes, e.begin());
    return e;
}

void setEvents(MacroRecord& r, const EventBytes& device, const EventBytes& key)
{
    std::copy(device.begin(), device.end(), r.begin() + rec::kDeviceEvents);
    std::copy(key.begin(), key.end(), r.begin() + rec::kKeyEvents);
}

// ---- MacroStore -------------------------------------------------------------------

MacroStore::MacroStore() : saved_(kMacroRecordCount, MacroRecord{}), working_(kMacroRecordCount, MacroRecord{}) {}

LoadResult MacroStore::load(const std::string& path)
{
    leftAlone_ = false;
    saved_.assign(kMacroRecordCount, MacroRecord{});
    // Never blocks on a FIFO and never reads past a store's size (a device may never end).
    const platform::FileRead file = platform::readRegularFile(path, kMacroStoreSize);
    if (file.status == platform::FileStatus::Missing)
        return save(path) ? LoadResult::Created : LoadResult::CreateFailed;
    if (!file.ok()) {
        // Something that is not the store, or a store that cannot be read, may hold the user's
        // macros: it is neither read nor replaced for the rest of the run.
        leftAlone_ = true;
        platform::reportUnreadableFile(path, file.describe(), "it is left as it is and not saved for this run");
        return LoadResult::Unreadable;
    }
    fromBytes(saved_, file.bytes.data(), file.bytes.size());
    return file.bytes.size() == kMacroStoreSize ? LoadResult::Loaded : LoadResult::ShortFile;
}

bool MacroStore::save(const std::string& path) const
{
    if (leftAlone_)
        return false;
    const std::vector<uint8_t> bytes = toBytes(saved_);
    return platform::writeFileAtomically(path, {std::span<const uint8_t>(bytes)});
}

bool MacroStore::renameWorking(std::size_t n, std::u16string_view name)
{
    return n < working_.size() && setRecordName(working_[n], name);
}

std::size_t MacroStore::countInUse(const Records& records)
{
    std::size_t n = 0;
    while (n < records.size() && !isFree(records[n]))
        ++n;
    return n;
}

std::vector<uint8_t> MacroStore::toBytes(const Records& records)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(kMacroStoreSize);
    for (const MacroRecord& r : records)
        bytes.insert(bytes.end(), r.begin(), r.end());
    return bytes;
}

void MacroStore::fromBytes(Records& records, const uint8_t* data, std::size_t size)
{
    records.assign(kMacroRecordCount, MacroRecord{});
    size = std::min(size, kMacroStoreSize);
    for (std::size_t at = 0; at < size; at += rec::kSize) {
        const std::size_t n = std::min(rec::kSize, size - at);
        std::copy_n(data + at, n, records[at / rec::kSize].begin());
    }
}

void PackMacros(const MacroStore::Records& saved, link::ConfigImage& image)
{
    bool named = true;
    for (std::size_t n = 0; n < kMaxMacrosInUse; ++n) {
        named = named && n < saved.size() && !isFree(saved[n]);
        const std::size_t at = link::image::macroBlock(n);
        const auto events = image.begin() + at + block::kEvents;
        // From the first free record on the lists show no macro: a block there that still holds
        // events would keep playing a deleted macro on every key assigned to it, so it is emptied.
        // A block without events plays nothing already and keeps its bytes (no needless upload).
        if (!named && std::all_of(events, events + kEventBytes, [](uint8_t b) { return b == 0; }))
            continue;
        const uint16_t loops = named ? loopCount(saved[n]) : kMinLoopCount;   // a stored 0 plays once
        image[at + block::kLoopHigh] = static_cast<uint8_t>(loops >> 8);
        image[at + block::kLoopLow] = static_cast<uint8_t>(loops & 0xFF);
        if (named)
            std::copy_n(saved[n].begin() + rec::kDeviceEvents, kEventBytes, events);
        else
            std::fill_n(events, kEventBytes, uint8_t{0});
    }
}

}   // namespace orvane::macro
