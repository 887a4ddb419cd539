#pragma once
// The keyboard's reports as both ends see them: the 9-byte command (and answer) report of the
// feature path with its checksum, the 65-byte data report of the command interface, the command
// codes, and the event report. The link and the LCD download send them, the emulated keyboard takes them apart.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvane::model {

inline constexpr std::size_t kCommandReportSize = 9;
inline constexpr std::size_t kDataReportSize = 65;   // report id 0, then the data bytes
inline constexpr std::size_t kDataBytesPerReport = 64;

using CommandReport = std::array<uint8_t, kCommandReportSize>;
using DataReport = std::array<uint8_t, kDataReportSize>;

// Bytes of a command report; an answer has the same layout (A0..A8).
namespace report {
inline constexpr std::size_t kId = 0;   // always 0 on the command interface
inline constexpr std::size_t kCommand = 1;
inline constexpr std::size_t kP2 = 2;
inline constexpr std::size_t kP3 = 3;   // block, area or entry index
inline constexpr std::size_t kP4 = 4;   // data reports (or bytes) a write announces
inline constexpr std::size_t kP5 = 5;
inline constexpr std::size_t kP6 = 6;
inline constexpr std::size_t kP7 = 7;
inline constexpr std::size_t kChecksum = 8;
}   // namespace report

namespace command {
inline constexpr uint8_t kSetReportRate = 0x01;
inline constexpr uint8_t kSetResponseTime = 0x04;
inline constexpr uint8_t kConfigWrite = 0x08;   // P2 = kBeginPhase or kEndPhase
inline constexpr uint8_t kSetGameMode = 0x09;
inline constexpr uint8_t kWriteKeyMap = 0x0D;
inline constexpr uint8_t kWriteKeyEnable = 0x0E;
inline constexpr uint8_t kWriteMacroBlock = 0x11;
inline constexpr uint8_t kWriteLightMap = 0x12;
inline constexpr uint8_t kFactoryReset = 0x13;
inline constexpr uint8_t kWriteColour = 0x14;
inline constexpr uint8_t kLcdImage = 0x15;   // P3 = data reports, P4 = LCD mode
inline constexpr uint8_t kGetDeviceInfo = 0x80;
inline constexpr uint8_t kReadBit = 0x80;   // a read command is its write command with bit 7 set
inline constexpr uint8_t kBeginPhase = 1;   // P2 of kConfigWrite
inline constexpr uint8_t kEndPhase = 2;
}   // namespace command

// The 4-byte event report of the keyboard's event interface.
inline constexpr std::size_t kEventReportSize = 4;
namespace eventReport {
inline constexpr std::size_t kId = 0;        // kReportId
inline constexpr std::size_t kKind = 1;      // kAcknowledgement, else a key notification
inline constexpr std::size_t kKeyCode = 2;   // key code of a host-action key
inline constexpr uint8_t kReportId = 4;
inline constexpr uint8_t kKeyNotification = 1;
inline constexpr uint8_t kAcknowledgement = 4;
}   // namespace eventReport

// The checksum byte of a command or answer report: 0xFF minus the sum of bytes 1..7, modulo 256.
constexpr uint8_t reportChecksum(std::span<const uint8_t, kCommandReportSize> r)
{
    unsigned sum = 0;
    for (std::size_t i = report::kCommand; i <= report::kP7; ++i)
        sum += r[i];
    return static_cast<uint8_t>(0xFF - (sum & 0xFF));
}

// A command report with report id 0, `code`, the parameters P2..P7 and its checksum.
constexpr CommandReport commandReport(uint8_t code, std::array<uint8_t, 6> params = {})
{
    CommandReport r{};
    r[report::kCommand] = code;
    for (std::size_t i = 0; i < params.size(); ++i)
        r[report::kP2 + i] = params[i];
    r[report::kChecksum] = reportChecksum(r);
    return r;
}

}   // namespace orvane::model
