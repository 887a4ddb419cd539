#pragma once
// The keyboard's command protocol: 9-byte command reports on the feature path,
// 65-byte data reports on the command interface, and every operation of the
// command table with its exact parameters, pauses and answer handling.
//
// The operations are stateless senders and receivers over the configuration
// image. Each returns whether every transfer it made succeeded; a read whose
// transfers fail leaves its area of the image (or the answer's fields) as it was.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "model/Commands.h"
#include "model/ConfigImage.h"
#include "link/Sleeper.h"
#include "platform/core/FirmwareVersion.h"
#include "platform/hid/Transport.h"

namespace orvane::link {

// The report layouts and command codes are the model's (model/Commands.h).
using model::CommandReport;
using model::DataReport;
using model::kDataBytesPerReport;
inline constexpr std::size_t kEventSize = model::kEventReportSize;
namespace report = model::report;
namespace command = model::command;
namespace eventReport = model::eventReport;

struct CommandParams {
    uint8_t p2 = 0, p3 = 0, p4 = 0, p5 = 0, p6 = 0, p7 = 0;
};
CommandReport BuildCommand(uint8_t code, CommandParams params = {});

// A1..A8 of the last device-information answer.
using DeviceInfo = std::array<uint8_t, 8>;
// A2 and A3 of the device-information answer: compared with VER.bin by the main window.
using platform::FirmwareVersion;

// Time-out of one acknowledgement wait.
inline constexpr hid::Millis kTransferTimeout{1000};
// A bulk input report follows its read command at once; a keyboard that has not
// sent it after this long will not. Short enough that a factory reset's 900 ms of
// pauses, its read-back up to the first bulk report and this wait stay within 2 s.
inline constexpr hid::Millis kBulkReadTimeout{500};

// The command interface and the pacing of one operation in progress.
struct CommandPort {
    hid::Device* device = nullptr;   // nullptr: every transfer fails
    Sleeper* sleeper = nullptr;
};

bool SendCommand(CommandPort port, uint8_t code, CommandParams params = {});

bool GetDeviceInfo(CommandPort port, DeviceInfo& info, FirmwareVersion& version);
bool SetReportRate(CommandPort port, const ConfigImage& image);
bool GetReportRate(CommandPort port, ConfigImage& image);
bool SetResponseTime(CommandPort port, const ConfigImage& image);
bool GetResponseTime(CommandPort port, ConfigImage& image);
bool BeginConfigWrite(CommandPort port, const ConfigImage& image);
bool EndConfigWrite(CommandPort port, const ConfigImage& image);
bool GetLighting(CommandPort port, ConfigImage& image);
// Also applies the Win Lock rule to the image after its pause.
bool SetGameMode(CommandPort port, ConfigImage& image);
bool SetGameModeOne(CommandPort port);
bool GetGameMode(CommandPort port, ConfigImage& image);
bool WriteKeyMap(CommandPort port, const ConfigImage& image);
bool ReadKeyMap(CommandPort port, ConfigImage& image);
bool WriteKeyEnable(CommandPort port, const ConfigImage& image);
// Also derives the Win Lock flag from the bitmap it read.
bool ReadKeyEnable(CommandPort port, ConfigImage& image);
bool WriteMacroBlock(CommandPort port, const ConfigImage& image, std::size_t block);
bool ReadMacroBlock(CommandPort port, ConfigImage& image, std::size_t block);
bool WriteLightMap(CommandPort port, const ConfigImage& image, std::size_t map);
bool ReadLightMap(CommandPort port, ConfigImage& image, std::size_t map);
// Stops at its first report that fails.
bool FactoryReset(CommandPort port);
bool WriteColour(CommandPort port, const ConfigImage& image, std::size_t entry);
bool ReadColour(CommandPort port, ConfigImage& image, std::size_t entry);

// Win Lock on clears bit 1 of key-enable byte 0 (the left Windows key), off sets it.
void ApplyWinLockRule(ConfigImage& image);
// The opposite direction: Win Lock = 1 when that bit is clear.
void DeriveWinLock(ConfigImage& image);

// Speed slider position <-> the keyboard's speed value (10 - position both ways).
constexpr uint8_t KeyboardSpeed(uint8_t position)
{
    return static_cast<uint8_t>(10 - position);
}

}   // namespace orvane::link
