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
#include "model/Commands.h"

namespace orvane::hid {

// The reports and command codes are the model's (model/Commands.h).
using model::CommandReport;
using model::DataReport;
using model::kCommandReportSize;
using model::kDataBytesPerReport;
using model::reportChecksum;
namespace cmd = model::command;

struct FirmwareStep {
    bool accepted = false;               // the report was understood (otherwise ignored)
    bool acknowledge = false;            // send the acknowledgement event 04 04 00 00
    bool changed = false;                // the keyboard's memory changed (persist it)
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
        bool lcdPage;         // the LCD image (else an image area)
        std::size_t offset;   // image offset of the area
        uint8_t mode;         // LCD mode byte
        int reportsLeft;
        std::size_t size;   // bytes the phase carries
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

}   // namespace orvane::hid
