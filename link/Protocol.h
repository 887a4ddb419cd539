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

#include "model/ConfigImage.h"
#include "link/Sleeper.h"
#include "platform/hid/Transport.h"

namespace orvane::link {

inline constexpr std::size_t kCommandSize = 9;
inline constexpr std::size_t kBulkReportSize = 65;
inline constexpr std::size_t kBulkDataSize = 64;
inline constexpr std::size_t kEventSize = 4;

using CommandReport = std::array<uint8_t, kCommandSize>;
using BulkReport = std::array<uint8_t, kBulkReportSize>;

namespace report {
inline constexpr std::size_t kId = 0;         // always 0 on the command interface
inline constexpr std::size_t kCommand = 1;
inline constexpr std::size_t kP2 = 2;
inline constexpr std::size_t kP3 = 3;         // block, area or entry index
inline constexpr std::size_t kP4 = 4;
inline constexpr std::size_t kP5 = 5;
inline constexpr std::size_t kP6 = 6;
inline constexpr std::size_t kP7 = 7;
inline constexpr std::size_t kChecksum = 8;
} // namespace report

namespace eventReport {
inline constexpr std::size_t kId = 0;         // 4
inline constexpr std::size_t kKind = 1;       // 4 = acknowledgement, else key notification
inline constexpr std::size_t kKeyCode = 2;    // key code of a host-action key
inline constexpr uint8_t kReportId = 4;
inline constexpr uint8_t kAcknowledgement = 4;
} // namespace eventReport

namespace command {
inline constexpr uint8_t kSetReportRate = 0x01;
inline constexpr uint8_t kSetResponseTime = 0x04;
inline constexpr uint8_t kConfigWrite = 0x08;
inline constexpr uint8_t kSetGameMode = 0x09;
inline constexpr uint8_t kWriteKeyMap = 0x0D;
inline constexpr uint8_t kWriteKeyEnable = 0x0E;
inline constexpr uint8_t kWriteMacroBlock = 0x11;
inline constexpr uint8_t kWriteLightMap = 0x12;
inline constexpr uint8_t kFactoryReset = 0x13;
inline constexpr uint8_t kWriteColour = 0x14;
inline constexpr uint8_t kGetDeviceInfo = 0x80;
inline constexpr uint8_t kReadBit = 0x80;     // a read command is its write command with bit 7 set
inline constexpr uint8_t kBeginPhase = 1;     // P2 of 08
inline constexpr uint8_t kEndPhase = 2;
} // namespace command

// 0xFF minus the sum of bytes 1..7, modulo 256.
uint8_t Checksum(std::span<const uint8_t, kCommandSize> report);

struct CommandParams {
    uint8_t p2 = 0, p3 = 0, p4 = 0, p5 = 0, p6 = 0, p7 = 0;
};
CommandReport BuildCommand(uint8_t code, CommandParams params = {});

// A1..A8 of the last device-information answer.
using DeviceInfo = std::array<uint8_t, 8>;
// Major, minor, 0, 0: compared with VER.bin by the main window.
using FirmwareVersion = std::array<uint8_t, 4>;

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
constexpr uint8_t KeyboardSpeed(uint8_t position) { return static_cast<uint8_t>(10 - position); }

} // namespace orvane::link
