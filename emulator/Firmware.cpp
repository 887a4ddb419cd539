#include "emulator/Firmware.h"

#include <algorithm>

namespace orvane::hid {
namespace img = link::image;

namespace {

using namespace model::report;

constexpr uint8_t kFactoryResetKey = 0xFF;
constexpr uint8_t kLcdDataReports = 9;
constexpr uint8_t kSpeedBase = 10;   // keyboard speed = 10 - slider position

// Commands that set one image byte from P2.
struct ByteSetting {
    uint8_t write;
    std::size_t offset;
};
constexpr std::array<ByteSetting, 3> kByteSettings{{
    {cmd::kSetReportRate, img::kReportRate},
    {cmd::kSetResponseTime, img::kResponseTime},
    {cmd::kSetGameMode, img::kGameMode},
}};

// Areas moved in bulk data phases. `announce` is the P4 a write command must
// carry (the number of data reports, or of bytes for the key-enable bitmap).
enum class Area { KeyMap, KeyEnable, MacroBlock, LightMap };
struct BulkArea {
    uint8_t write;
    uint8_t announce;
    Area area;
    std::size_t indexCount;   // valid P3 values 0..indexCount-1 (1: P3 not used)
    std::size_t size;
};
constexpr std::array<BulkArea, 4> kBulkAreas{{
    {cmd::kWriteKeyMap, 8, Area::KeyMap, 1, img::kKeyCodeBlockSize},
    {cmd::kWriteKeyEnable, 18, Area::KeyEnable, 1, img::kKeyEnableSize},
    {cmd::kWriteMacroBlock, 3, Area::MacroBlock, img::kMacroBlockCount, img::kMacroBlockSize},
    {cmd::kWriteLightMap, 8, Area::LightMap, img::kLightMapCount, img::kLightMapSize},
}};

const BulkArea* bulkAreaOf(uint8_t writeCode)
{
    for (const BulkArea& a : kBulkAreas)
        if (a.write == writeCode)
            return &a;
    return nullptr;
}

std::size_t areaOffset(Area area, std::size_t index)
{
    switch (area) {
    case Area::KeyMap: return img::kKeyCodeBlock;
    case Area::KeyEnable: return img::kKeyEnable;
    case Area::MacroBlock: return img::macroBlock(index);
    case Area::LightMap: return img::lightMap(index);
    }
    return 0;
}

int reportsFor(std::size_t size)
{
    return static_cast<int>((size + kDataBytesPerReport - 1) / kDataBytesPerReport);
}

// Splits `bytes` into data reports of 64 bytes (the last one zero-filled).
std::vector<DataReport> toDataReports(std::span<const uint8_t> bytes)
{
    std::vector<DataReport> reports;
    for (std::size_t at = 0; at < bytes.size(); at += kDataBytesPerReport) {
        DataReport r{};
        const std::size_t n = std::min(kDataBytesPerReport, bytes.size() - at);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, r.begin() + 1);
        reports.push_back(r);
    }
    return reports;
}

bool validCommandReport(std::span<const uint8_t> report)
{
    if (report.size() != kCommandReportSize || report[kId] != 0)
        return false;
    return reportChecksum(report.first<kCommandReportSize>()) == report[kChecksum];
}

}   // namespace

void Firmware::powerCycle()
{
    phase_.reset();
    answer_ = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
}

void Firmware::setAnswer(uint8_t command, std::array<uint8_t, 6> fields)
{
    answer_ = {};
    answer_[kCommand] = command;
    std::copy(fields.begin(), fields.end(), answer_.begin() + kP2);
    answer_[kChecksum] = reportChecksum(answer_);
}

FirmwareStep Firmware::command(std::span<const uint8_t> report, EmulatorState& state)
{
    if (!validCommandReport(report))
        return {};
    CommandReport r{};
    std::copy(report.begin(), report.end(), r.begin());
    phase_.reset();   // a new command abandons an unfinished data phase
    if (r[kCommand] & cmd::kReadBit)
        return readCommand(r, state);   // sets its answer
    FirmwareStep step = writeCommand(r, state);
    if (step.accepted)
        setAnswer(r[kCommand]);
    return step;
}

FirmwareStep Firmware::readCommand(const CommandReport& r, EmulatorState& state)
{
    const link::ConfigImage& im = state.image;
    const uint8_t code = r[kCommand];
    const auto answer = [&](std::array<uint8_t, 6> fields) {
        setAnswer(code, fields);
        FirmwareStep step;
        step.accepted = true;
        return step;
    };
    switch (code) {
    case cmd::kGetDeviceInfo: return answer({state.firmware.major, state.firmware.minor});
    case cmd::kSetReportRate | cmd::kReadBit: return answer({im[img::kReportRate]});
    case cmd::kSetResponseTime | cmd::kReadBit: return answer({im[img::kResponseTime]});
    case cmd::kSetGameMode | cmd::kReadBit: return answer({im[img::kGameMode]});
    case cmd::kConfigWrite | cmd::kReadBit:
        return answer({0, im[img::kEffect], static_cast<uint8_t>(kSpeedBase - im[img::kSpeed]), im[img::kBrightness],
                       im[img::kColour], im[img::kDirection]});
    case cmd::kWriteColour | cmd::kReadBit: {
        if (r[kP3] >= img::kColourCount)
            return {};
        const std::size_t at = img::colourEntry(r[kP3]);
        return answer({0, 0, im[at], im[at + 1], im[at + 2]});
    }
    default: break;
    }
    const BulkArea* area = bulkAreaOf(static_cast<uint8_t>(code & ~cmd::kReadBit));
    if (!area || r[kP3] >= area->indexCount)
        return {};
    FirmwareStep step = answer({});
    const std::size_t at = areaOffset(area->area, r[kP3]);
    step.bulkInput = toDataReports(std::span(im).subspan(at, area->size));
    return step;
}

FirmwareStep Firmware::writeCommand(const CommandReport& r, EmulatorState& state)
{
    link::ConfigImage& im = state.image;
    FirmwareStep step;
    step.accepted = step.acknowledge = step.changed = true;
    for (const ByteSetting& s : kByteSettings)
        if (s.write == r[kCommand])
            return im[s.offset] = r[kP2], step;

    switch (r[kCommand]) {
    case cmd::kConfigWrite:
        if (r[kP2] == cmd::kBeginPhase)   // opens a configuration write; nothing is stored yet
            return step.changed = false, step;
        if (r[kP2] != cmd::kEndPhase)
            return {};
        im[img::kEffect] = r[kP3];
        im[img::kSpeed] = static_cast<uint8_t>(kSpeedBase - r[kP4]);
        im[img::kBrightness] = r[kP5];
        im[img::kColour] = r[kP6];
        im[img::kDirection] = r[kP7];
        return step;
    case cmd::kFactoryReset:
        if (r[kP2] != kFactoryResetKey)
            return {};
        im = factoryImage();
        return step;
    case cmd::kWriteColour:
        if (r[kP3] >= img::kColourCount)
            return {};
        std::copy_n(r.begin() + kP4, img::kColourEntrySize, im.begin() + img::colourEntry(r[kP3]));
        return step;
    default: break;
    }
    if (!openPhase(r))
        return {};
    FirmwareStep opened;
    opened.accepted = true;   // acknowledged after the phase's last data report
    return opened;
}

bool Firmware::openPhase(const CommandReport& r)
{
    if (r[kCommand] == cmd::kLcdImage) {
        if (r[kP3] != kLcdDataReports)
            return false;
        phase_ = WritePhase{true, 0, r[kP4], kLcdDataReports, kLcdPageSize, false};
        return true;
    }
    const BulkArea* area = bulkAreaOf(r[kCommand]);
    if (!area || r[kP4] != area->announce || r[kP3] >= area->indexCount)
        return false;
    phase_ = WritePhase{false, areaOffset(area->area, r[kP3]), 0, reportsFor(area->size), area->size, true};
    return true;
}

FirmwareStep Firmware::dataReport(std::span<const uint8_t> report, EmulatorState& state)
{
    if (!phase_ || report.size() != model::kDataReportSize || report[kId] != 0)
        return {};
    WritePhase& p = *phase_;
    const std::size_t n = std::min(kDataBytesPerReport, p.size - p.bytes.size());
    p.bytes.insert(p.bytes.end(), report.begin() + 1, report.begin() + 1 + static_cast<std::ptrdiff_t>(n));
    FirmwareStep step;
    step.accepted = true;
    if (--p.reportsLeft > 0)
        return step;
    commitPhase(p, state);
    step.acknowledge = p.acknowledge;
    step.changed = true;
    phase_.reset();
    return step;
}

void Firmware::commitPhase(const WritePhase& phase, EmulatorState& state)
{
    if (phase.lcdPage) {
        std::copy(phase.bytes.begin(), phase.bytes.end(), state.lcdPage.begin());
        state.lcdMode = phase.mode;
        return;
    }
    std::copy(phase.bytes.begin(), phase.bytes.end(), state.image.begin() + static_cast<std::ptrdiff_t>(phase.offset));
}

}   // namespace orvane::hid
