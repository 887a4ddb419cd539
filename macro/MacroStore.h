#pragma once
// The macro store: 190 fixed-size records, kept whole in "MacroDefine.bin", and
// the 192-byte blocks that the keyboard receives inside the configuration image.

#include "model/ConfigImage.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::macro {

inline constexpr std::size_t kEventBytes = 190;   // event bytes per macro and form
using EventBytes = std::array<uint8_t, kEventBytes>;

// MacroRecord, 894 bytes, the program's own fields little-endian.
namespace rec {
inline constexpr std::size_t kName = 0;          // UTF-16 LE, NUL-terminated; first unit 0 = free record
inline constexpr std::size_t kNameUnits = 255;   // 254 characters and the terminator
inline constexpr std::size_t kMaxNameChars = 254;
inline constexpr std::size_t kLoopCount = 510;      // u16 LE, 1..999; a stored 0 counts as 1
inline constexpr std::size_t kFlags = 512;          // bit 0: recorded with "Record Delay" on
inline constexpr std::size_t kDeviceEvents = 513;   // codes are keyboard usages
inline constexpr std::size_t kKeyEvents = 703;      // codes are virtual-key codes
inline constexpr std::size_t kReserved = 893;       // always 0
inline constexpr std::size_t kSize = 894;
inline constexpr uint8_t kFlagRecordDelay = 0x01;
static_assert(kName + 2 * kNameUnits == kLoopCount);
static_assert(kDeviceEvents + kEventBytes == kKeyEvents);
static_assert(kKeyEvents + kEventBytes == kReserved && kReserved + 1 == kSize);
}   // namespace rec

using MacroRecord = std::array<uint8_t, rec::kSize>;

inline constexpr std::size_t kMacroRecordCount = 190;
inline constexpr std::size_t kMacroStoreSize = rec::kSize * kMacroRecordCount;
inline constexpr std::size_t kMaxMacrosInUse = link::image::kMacroBlockCount;   // 32
inline constexpr uint16_t kMinLoopCount = 1;
inline constexpr uint16_t kMaxLoopCount = 999;
static_assert(kMacroStoreSize == 169860);

// MacroBlock n in the image: loop count big-endian, then the 190 device event bytes.
namespace block {
inline constexpr std::size_t kLoopHigh = 0;
inline constexpr std::size_t kLoopLow = 1;
inline constexpr std::size_t kEvents = 2;
static_assert(kEvents + kEventBytes == link::image::kMacroBlockSize);
}   // namespace block

// ---- Record fields ----------------------------------------------------------

bool isFree(const MacroRecord& r);
// The name up to its terminator (at most 254 units, also on a record without one).
std::u16string recordName(const MacroRecord& r);
// Refuses (false, record unchanged) an empty name, one longer than 254 units or
// one holding a NUL: an empty name would free the record and end the macro list there.
bool setRecordName(MacroRecord& r, std::u16string_view name);
uint16_t storedLoopCount(const MacroRecord& r);
// The count the keyboard plays and the panel shows: a stored 0 is 1.
uint16_t loopCount(const MacroRecord& r);
// Clamped to 1..999.
void setLoopCount(MacroRecord& r, uint16_t count);
bool recordDelay(const MacroRecord& r);
void setRecordDelay(MacroRecord& r, bool on);
EventBytes deviceEvents(const MacroRecord& r);
EventBytes keyEvents(const MacroRecord& r);
void setEvents(MacroRecord& r, const EventBytes& device, const EventBytes& key);

// ---- The store ----------------------------------------------------------------

enum class LoadResult {
    Loaded,         // the whole store was read
    ShortFile,      // the bytes there were used, the rest stays 0
    Created,        // no file: a file of zeros was written
    CreateFailed,   // no file and none could be written: the store is empty
    Unreadable,     // something is there that cannot be read (a FIFO, device, folder, link to
                    // nothing, a file without read permission): the store is empty, the thing is
                    // left in place and save() refuses to replace it for the rest of the run
};

class MacroStore {
public:
    using Records = std::vector<MacroRecord>;   // always kMacroRecordCount records

    MacroStore();

    // Reads "MacroDefine.bin" into the saved store (the working store is untouched). Only a
    // missing file is created; an unreadable one is reported on stderr in one line.
    LoadResult load(const std::string& path);
    // Replaces the file with the saved store through a temporary file and a rename;
    // false (old file kept) when that fails or when the last load left the file alone.
    bool save(const std::string& path) const;
    bool leftAlone() const { return leftAlone_; }

    const Records& saved() const { return saved_; }
    Records& saved() { return saved_; }
    const Records& working() const { return working_; }
    Records& working() { return working_; }

    void beginEdit() { working_ = saved_; }   // the macro manager opens
    void commit() { saved_ = working_; }      // the macro manager closes with OK
    void dropEdit() { working_ = saved_; }    // the macro manager closes otherwise

    // The panel's rename: refused (false) for an empty or too long name or n out of range.
    bool renameWorking(std::size_t n, std::u16string_view name);

    // Number of records in use, counted from record 0 to the first free one.
    static std::size_t countInUse(const Records& records);

    // The raw store bytes (169,860) and back.
    static std::vector<uint8_t> toBytes(const Records& records);
    static void fromBytes(Records& records, const uint8_t* data, std::size_t size);

private:
    Records saved_;
    Records working_;
    bool leftAlone_ = false;
};

// Copies the saved macros 0, 1, ... (while named and below 32) into their MacroBlocks; every
// other block of the 32 that still holds events becomes empty (no events, loop count 1), so the
// keyboard plays exactly the macros the lists show.
void PackMacros(const MacroStore::Records& saved, link::ConfigImage& image);

}   // namespace orvane::macro
