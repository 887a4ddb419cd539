#pragma once
// What the emulated keyboard remembers across power cycles, and the state file
// that keeps it between runs (and shares it between programs).

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "model/ConfigImage.h"
#include "platform/core/FirmwareVersion.h"

namespace orvane::hid {

inline constexpr std::size_t kLcdPageSize = 528;
using LcdPage = std::array<uint8_t, kLcdPageSize>;

using platform::FirmwareVersion;

inline constexpr uint8_t kNoLcdMode = 0xFF;   // no LCD image downloaded yet

struct EmulatorState {
    // The keyboard's memory in ConfigImage layout, as a read-all places it; the
    // bytes the keyboard does not hold (reserved areas, Win Lock) stay 0.
    link::ConfigImage image{};
    FirmwareVersion firmware{1, 1};   // the factory firmware
    uint8_t lcdMode = kNoLcdMode;
    LcdPage lcdPage{};
    friend bool operator==(const EmulatorState&, const EmulatorState&) = default;
};

EmulatorState factoryState();
// The factory contents of the areas the keyboard holds (what FactoryReset restores).
link::ConfigImage factoryImage();
// Zeroes the image bytes that the keyboard does not hold.
void clearUnheldBytes(link::ConfigImage& image);

// State file layout.
namespace statefile {
inline constexpr std::size_t kImage = 0;
inline constexpr std::size_t kFirmwareMajor = 10056;
inline constexpr std::size_t kFirmwareMinor = 10057;
inline constexpr std::size_t kLcdMode = 10058;   // 0xFF = none
inline constexpr std::size_t kLcdPage = 10059;
inline constexpr std::size_t kSize = 10587;
static_assert(kImage + link::kConfigImageSize == kFirmwareMajor);
static_assert(kLcdPage + kLcdPageSize == kSize);
}   // namespace statefile

using StateBytes = std::array<uint8_t, statefile::kSize>;
StateBytes encodeState(const EmulatorState& state);
EmulatorState decodeState(std::span<const uint8_t, statefile::kSize> bytes);

// The state file of ORVANE_HID=emulator:PATH. Every access locks the file
// (flock), so two programs sharing it see each other's steps and never lose them.
class StateFile {
public:
    // Opens PATH, creating it in the factory state when it does not exist. A file
    // of another size is refused (nullptr, `error` says why) and left as it is.
    static std::unique_ptr<StateFile> open(const std::string& path, std::string& error);

    const std::string& path() const { return path_; }

    // Reads the file into `state` under a shared lock. False (state unchanged)
    // when the file can no longer be read or has the wrong size.
    bool load(EmulatorState& state, std::string& error) const;

    // Under an exclusive lock: re-reads the file into `state`, runs `step` on it
    // and, when the step reports a change, replaces the file atomically. When the
    // file cannot be re-read the step runs on `state` as it was and a file of the
    // wrong size is not overwritten (false, `error` says why).
    bool update(EmulatorState& state, const std::function<bool(EmulatorState&)>& step, std::string& error);

private:
    explicit StateFile(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

}   // namespace orvane::hid
