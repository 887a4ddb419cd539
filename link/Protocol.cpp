#include "link/Protocol.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace orvane::link {

namespace {
namespace a {   // answer bytes A0..A8
inline constexpr std::size_t kA2 = 2, kA3 = 3, kA4 = 4, kA5 = 5, kA6 = 6, kA7 = 7;
}

constexpr uint8_t kWinLockBit = 0x02;   // bit 1 of key-enable byte 0: the left Windows key
constexpr std::size_t kKeyMapReports = image::kKeyCodeBlockSize / kDataBytesPerReport;   // 8
constexpr std::size_t kMacroReports = image::kMacroBlockSize / kDataBytesPerReport;      // 3
constexpr std::size_t kLightMapReports = image::kLightMapSize / kDataBytesPerReport;     // 8
constexpr uint8_t kKeyEnableLength = static_cast<uint8_t>(image::kKeyEnableSize);        // 0x12
static_assert(kKeyMapReports * kDataBytesPerReport == image::kKeyCodeBlockSize);
static_assert(kMacroReports * kDataBytesPerReport == image::kMacroBlockSize);
static_assert(kLightMapReports * kDataBytesPerReport == image::kLightMapSize);

void pause(CommandPort port, int ms)
{
    if (port.sleeper)
        port.sleeper->sleep(ms);
}

void yieldOnce(CommandPort port)
{
    if (port.sleeper)
        port.sleeper->yield();
}

// The answer to the last command, or nothing when the get-feature failed.
std::optional<CommandReport> getAnswer(CommandPort port)
{
    if (!port.device)
        return std::nullopt;
    CommandReport answer{};
    answer[report::kId] = 0;
    if (!port.device->getFeature(answer))
        return std::nullopt;
    return answer;
}

bool writeBulk(CommandPort port, std::span<const uint8_t> data)
{
    if (!port.device)
        return false;
    DataReport out{};
    std::copy(data.begin(), data.end(), out.begin() + 1);
    return port.device->writeReport(out);
}

// Reads `count` bulk input reports and keeps `perReport` data bytes of each.
// Empty when any report fails or times out.
std::optional<std::vector<uint8_t>> readBulk(CommandPort port, std::size_t count, std::size_t perReport,
                                             int pauseAfterEach = 0)
{
    if (!port.device)
        return std::nullopt;
    std::vector<uint8_t> data;
    data.reserve(count * perReport);
    for (std::size_t i = 0; i < count; ++i) {
        DataReport in{};
        in[0] = 0;
        if (port.device->readReport(in, kBulkReadTimeout) <= 0)
            return std::nullopt;
        data.insert(data.end(), in.begin() + 1, in.begin() + 1 + static_cast<std::ptrdiff_t>(perReport));
        if (pauseAfterEach > 0)
            pause(port, pauseAfterEach);
    }
    return data;
}

// Input reports left over from an earlier, interrupted phase would shift every
// block of the next one; they are dropped before a read command is sent.
void prepareRead(CommandPort port)
{
    if (port.device)
        port.device->drainInput();
}

// A read command: command, pause, answer, pause; then `store` with the answer. When the
// command did not reach the keyboard, its get-feature returns the previous command's answer:
// only an answer to this command is stored.
template <typename Store>
bool query(CommandPort port, uint8_t code, CommandParams params, int before, int after, Store&& store)
{
    const bool sent = SendCommand(port, code, params);
    pause(port, before);
    std::optional<CommandReport> answer = getAnswer(port);
    if (after > 0)
        pause(port, after);
    if (!sent || !answer)
        return false;
    store(*answer);
    return true;
}

void storeArea(ConfigImage& image, std::size_t offset, const std::vector<uint8_t>& data)
{
    std::copy(data.begin(), data.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::span<const uint8_t> area(const ConfigImage& image, std::size_t offset, std::size_t size)
{
    return std::span<const uint8_t>(image).subspan(offset, size);
}

CommandParams lightingParams(const ConfigImage& image, uint8_t phase, uint8_t brightness)
{
    return {phase,      image[image::kEffect], KeyboardSpeed(image[image::kSpeed]),
            brightness, image[image::kColour], image[image::kDirection]};
}
}   // namespace

CommandReport BuildCommand(uint8_t code, CommandParams p)
{
    return model::commandReport(code, {p.p2, p.p3, p.p4, p.p5, p.p6, p.p7});
}

bool SendCommand(CommandPort port, uint8_t code, CommandParams params)
{
    if (!port.device)
        return false;
    return port.device->setFeature(BuildCommand(code, params));
}

bool GetDeviceInfo(CommandPort port, DeviceInfo& info, FirmwareVersion& version)
{
    return query(port, command::kGetDeviceInfo, {}, 10, 10, [&](const CommandReport& answer) {
        std::copy(answer.begin() + 1, answer.end(), info.begin());
        version = {answer[a::kA2], answer[a::kA3]};
    });
}

bool SetReportRate(CommandPort port, const ConfigImage& image)
{
    bool ok = SendCommand(port, command::kSetReportRate, {.p2 = image[image::kReportRate]});
    pause(port, 10);
    return ok;
}

bool GetReportRate(CommandPort port, ConfigImage& image)
{
    return query(port, command::kSetReportRate | command::kReadBit, {}, 10, 10,
                 [&](const CommandReport& answer) { image[image::kReportRate] = answer[a::kA2]; });
}

bool SetResponseTime(CommandPort port, const ConfigImage& image)
{
    bool ok = SendCommand(port, command::kSetResponseTime, {.p2 = image[image::kResponseTime]});
    pause(port, 10);
    return ok;
}

bool GetResponseTime(CommandPort port, ConfigImage& image)
{
    return query(port, command::kSetResponseTime | command::kReadBit, {}, 10, 10,
                 [&](const CommandReport& answer) { image[image::kResponseTime] = answer[a::kA2]; });
}

bool BeginConfigWrite(CommandPort port, const ConfigImage& image)
{
    // The begin report carries brightness 0; only the end report applies the real one.
    bool ok = SendCommand(port, command::kConfigWrite, lightingParams(image, command::kBeginPhase, 0));
    pause(port, 10);
    return ok;
}

bool EndConfigWrite(CommandPort port, const ConfigImage& image)
{
    bool ok =
        SendCommand(port, command::kConfigWrite, lightingParams(image, command::kEndPhase, image[image::kBrightness]));
    pause(port, 10);
    return ok;
}

bool GetLighting(CommandPort port, ConfigImage& image)
{
    return query(port, command::kConfigWrite | command::kReadBit, {}, 10, 0, [&](const CommandReport& answer) {
        image[image::kEffect] = answer[a::kA3];
        image[image::kSpeed] = KeyboardSpeed(answer[a::kA4]);
        image[image::kBrightness] = answer[a::kA5];
        image[image::kColour] = answer[a::kA6];
        image[image::kDirection] = answer[a::kA7];
    });
}

bool SetGameMode(CommandPort port, ConfigImage& image)
{
    bool ok = SendCommand(port, command::kSetGameMode, {.p2 = image[image::kGameMode]});
    pause(port, 20);
    ApplyWinLockRule(image);
    return ok;
}

bool SetGameModeOne(CommandPort port)
{
    bool ok = SendCommand(port, command::kSetGameMode, {.p2 = 1});
    pause(port, 20);
    return ok;
}

bool GetGameMode(CommandPort port, ConfigImage& image)
{
    return query(port, command::kSetGameMode | command::kReadBit, {}, 5, 0,
                 [&](const CommandReport& answer) { image[image::kGameMode] = answer[a::kA2]; });
}

bool WriteKeyMap(CommandPort port, const ConfigImage& image)
{
    bool ok = SendCommand(port, command::kWriteKeyMap, {.p4 = static_cast<uint8_t>(kKeyMapReports)});
    pause(port, 50);
    for (std::size_t i = 0; ok && i < kKeyMapReports; ++i)
        ok = writeBulk(port, area(image, image::kKeyCodeBlock + i * kDataBytesPerReport, kDataBytesPerReport));
    pause(port, 60);
    return ok;
}

bool ReadKeyMap(CommandPort port, ConfigImage& image)
{
    prepareRead(port);
    bool ok = SendCommand(port, command::kWriteKeyMap | command::kReadBit);
    getAnswer(port);   // the answer carries nothing the read needs
    std::optional<std::vector<uint8_t>> data = readBulk(port, kKeyMapReports, kDataBytesPerReport);
    if (!ok || !data)
        return false;
    storeArea(image, image::kKeyCodeBlock, *data);
    return true;
}

bool WriteKeyEnable(CommandPort port, const ConfigImage& image)
{
    bool ok = SendCommand(port, command::kWriteKeyEnable, {.p4 = kKeyEnableLength});
    pause(port, 10);
    return ok && writeBulk(port, area(image, image::kKeyEnable, image::kKeyEnableSize));
}

bool ReadKeyEnable(CommandPort port, ConfigImage& image)
{
    prepareRead(port);
    bool ok = SendCommand(port, command::kWriteKeyEnable | command::kReadBit, {.p4 = kKeyEnableLength});
    getAnswer(port);
    std::optional<std::vector<uint8_t>> data = readBulk(port, 1, image::kKeyEnableSize);
    if (!ok || !data)
        return false;
    storeArea(image, image::kKeyEnable, *data);
    DeriveWinLock(image);
    return true;
}

bool WriteMacroBlock(CommandPort port, const ConfigImage& image, std::size_t block)
{
    bool ok = SendCommand(port, command::kWriteMacroBlock,
                          {.p3 = static_cast<uint8_t>(block), .p4 = static_cast<uint8_t>(kMacroReports)});
    pause(port, 1);
    for (std::size_t i = 0; ok && i < kMacroReports; ++i) {
        if (i > 0)
            yieldOnce(port);
        ok = writeBulk(port, area(image, image::macroBlock(block) + i * kDataBytesPerReport, kDataBytesPerReport));
    }
    return ok;
}

bool ReadMacroBlock(CommandPort port, ConfigImage& image, std::size_t block)
{
    prepareRead(port);
    bool ok = SendCommand(port, command::kWriteMacroBlock | command::kReadBit, {.p3 = static_cast<uint8_t>(block)});
    getAnswer(port);
    std::optional<std::vector<uint8_t>> data = readBulk(port, kMacroReports, kDataBytesPerReport);
    if (!ok || !data)
        return false;
    storeArea(image, image::macroBlock(block), *data);
    return true;
}

bool WriteLightMap(CommandPort port, const ConfigImage& image, std::size_t map)
{
    bool ok = SendCommand(port, command::kWriteLightMap,
                          {.p3 = static_cast<uint8_t>(map), .p4 = static_cast<uint8_t>(kLightMapReports)});
    pause(port, 5);
    for (std::size_t i = 0; ok && i < kLightMapReports; ++i) {
        ok = writeBulk(port, area(image, image::lightMap(map) + i * kDataBytesPerReport, kDataBytesPerReport));
        pause(port, 5);
    }
    return ok;
}

bool ReadLightMap(CommandPort port, ConfigImage& image, std::size_t map)
{
    prepareRead(port);
    bool ok = SendCommand(port, command::kWriteLightMap | command::kReadBit,
                          {.p3 = static_cast<uint8_t>(map), .p4 = static_cast<uint8_t>(kLightMapReports)});
    pause(port, 5);
    getAnswer(port);
    pause(port, 5);
    std::optional<std::vector<uint8_t>> data = readBulk(port, kLightMapReports, kDataBytesPerReport, 5);
    if (!ok || !data)
        return false;
    storeArea(image, image::lightMap(map), *data);
    return true;
}

bool FactoryReset(CommandPort port)
{
    // A keyboard that took none of it is not kept waiting on for 900 ms more.
    if (!SendCommand(port, command::kFactoryReset, {.p2 = 0xFF}))
        return false;
    pause(port, 300);
    if (!SetGameModeOne(port))
        return false;
    pause(port, 300);
    if (!SetGameModeOne(port))
        return false;
    pause(port, 300);
    return true;
}

bool WriteColour(CommandPort port, const ConfigImage& image, std::size_t entry)
{
    const std::size_t at = image::colourEntry(entry);
    bool ok =
        SendCommand(port, command::kWriteColour,
                    {.p3 = static_cast<uint8_t>(entry), .p4 = image[at], .p5 = image[at + 1], .p6 = image[at + 2]});
    pause(port, 20);
    return ok;
}

bool ReadColour(CommandPort port, ConfigImage& image, std::size_t entry)
{
    return query(port, command::kWriteColour | command::kReadBit, {.p3 = static_cast<uint8_t>(entry)}, 1, 1,
                 [&](const CommandReport& answer) {
                     const std::size_t at = image::colourEntry(entry);
                     image[at] = answer[a::kA4];
                     image[at + 1] = answer[a::kA5];
                     image[at + 2] = answer[a::kA6];
                 });
}

void ApplyWinLockRule(ConfigImage& image)
{
    if (image[image::kWinLock] == 1)
        image[image::kKeyEnable] &= static_cast<uint8_t>(~kWinLockBit);
    else
        image[image::kKeyEnable] |= kWinLockBit;
}

void DeriveWinLock(ConfigImage& image)
{
    image[image::kWinLock] = (image[image::kKeyEnable] & kWinLockBit) ? 0 : 1;
}

}   // namespace orvane::link
