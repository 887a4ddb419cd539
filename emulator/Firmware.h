#pragma once
// The keyboard's command processor: what it does with each 9-byte command report
// and each 65-byte data report on its command interface. Pure logic over an
// EmulatorState; the Emulator adds devices, threads, faults and the state file.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "emulator/EmulatorState.h"

namespace orvane::hid {

inline constexpr std::size_t kCommandReportSize = 9;
inline constexpr std::size_t kDataReportSize = 65;
inline constexpr std::size_t kDataBytesPerReport = 64;

using CommandReport = std::array<uint8_t, kCommandReportSize>;
using DataReport = std::array<uint8_t, kDataReportSize>;

// Checksum of a command or answer report: 0xFF minus the sum of bytes 1..7.
uint8_t reportChecksum(std::span<const uint8_t, kCommandReportSize> report);

namespace cmd {
inline constexpr uint8_t kSetReportRate = 0x01;
inline constexpr uint8_t kSetResponseTime = 0x04;
inline constexpr uint8_t kConfigWrite = 0x08;      // P2 = 1 begin, 2 end
inline constexpr uint8_t kSetGameMode = 0x09;
inline constexpr uint8_t kWriteKeyMap = 0x0D;
inline constexpr uint8_t kWriteKeyEnable = 0x0E;
inline constexpr uint8_t kWriteMacroBlock = 0x11;
inline constexpr uint8_t kWriteLightMap = 0x12;
inline constexpr uint8_t kFactoryReset = 0x13;
inline constexpr uint8_t kWriteColour = 0x14;
inline constexpr uint8_t kLcdImage = 0x15;
inline constexpr uint8_t kGetDeviceInfo = 0x80;
inline constexpr uint8_t kReadBit = 0x80;          // a read command is its write command | 0x80
} // namespace cmd

struct FirmwareStep {
    bool accepted = false;     // the report was understood (otherwise ignored)
    bool acknowledge = false;  // send the acknowledgement event 04 04 00 00
    bool changed = false;      // the keyboard's memory changed (persist it)
    std::vector<DataReport> bulkInput;   // reports to queue on the command interface
};

class Firmware {
public:
    // A set-feature on the command interface.
    FirmwareStep command(std::span<const uint8_t> report, EmulatorState& state);
    // An output report on the command interface.
    FirmwareStep dataReport(std::span<const uint8_t> report, EmulatorState& state);
    // What a get-feature returns now: the answer to the last accepted command.
    const CommandReport& answer() const { return answer_; }
    // Power loss: an open data phase and the last answer are forgotten.
    void powerCycle();

private:
    // A write command waiting for its data reports.
    struct WritePhase {
        bool lcdPage;             // the LCD image (else an image area)
        std::size_t offset;       // image offset of the area
        uint8_t mode;             // LCD mode byte
        int reportsLeft;
        std::size_t size;         // bytes the phase carries
        bool acknowledge;
        std::vector<uint8_t> bytes = {};
    };

    void setAnswer(uint8_t command, std::array<uint8_t, 6> fields = {});
    FirmwareStep readCommand(const CommandReport& r, EmulatorState& state);
    FirmwareStep writeCommand(const CommandReport& r, EmulatorState& state);
    bool openPhase(const CommandReport& r);
    static void commitPhase(const WritePhase& phase, EmulatorState& state);

    CommandReport answer_{0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
    std::optional<WritePhase> phase_;
};

} // namespace orvane::hid
