// The command protocol over a scripted command interface: report bytes with
// their checksums, the pauses in their places, answers and bulk data stored
// where they belong, and failures that leave the image alone.

#include <gtest/gtest.h>

#include <functional>

#include "link/Protocol.h"
#include "tests/link/LinkFakes.h"

namespace orvane::link {
namespace {

using testing::FakeDevice;
using testing::Log;
using testing::RecordingSleeper;

TEST(Checksum, MatchesTheKnownReports)
{
    struct Case {
        uint8_t code;
        CommandParams params;
        uint8_t checksum;
    };
    const Case cases[] = {
        {0x81, {}, 0x7E},
        {0x80, {}, 0x7F},
        {0x0D, {.p4 = 8}, 0xEA},
        {0x13, {.p2 = 0xFF}, 0xED},   // sum wraps past 255
        {0x11, {.p3 = 31, .p4 = 3}, 0xCC},
        {0x14, {.p3 = 6, .p4 = 0xFF, .p5 = 0xFF, .p6 = 0xFF}, 0xE8},
    };
    for (const Case& c : cases) {
        const CommandReport r = BuildCommand(c.code, c.params);
        EXPECT_EQ(r[0], 0);
        EXPECT_EQ(r[1], c.code);
        EXPECT_EQ(r[8], c.checksum) << "command " << int(c.code);
    }
}

// The image every case starts from: distinct values in every area.
ConfigImage sampleImage()
{
    ConfigImage img{};
    img[image::kReportRate] = 2;
    img[image::kResponseTime] = 3;
    img[image::kEffect] = 3;
    img[image::kSpeed] = 0;   // sent as 10
    img[image::kBrightness] = 40;
    img[image::kColour] = 4;
    img[image::kDirection] = 2;
    img[image::kGameMode] = 1;
    img[image::colourEntry(6)] = 0x80;
    img[image::colourEntry(6) + 1] = 0x40;
    img[image::colourEntry(6) + 2] = 0xC0;
    for (std::size_t i = 0; i < image::kKeyCodeBlockSize; ++i)
        img[image::kKeyCodeBlock + i] = static_cast<uint8_t>(i * 7);
    for (std::size_t i = 0; i < image::kKeyEnableSize; ++i)
        img[image::kKeyEnable + i] = static_cast<uint8_t>(0xF0 + i);
    for (std::size_t i = 0; i < image::kMacroBlockSize; ++i)
        img[image::macroBlock(31) + i] = static_cast<uint8_t>(i + 1);
    for (std::size_t i = 0; i < image::kLightMapSize; ++i)
        img[image::lightMap(4) + i] = static_cast<uint8_t>(255 - i);
    return img;
}

// Keeps report bytes for command reports and pauses, the op name alone for
// answers and data reports (their contents are checked by the data tests).
std::vector<std::string> shape(const std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        if (l.rfind("W ", 0) == 0 || l.rfind("R ", 0) == 0 || l.rfind("GF ", 0) == 0)
            out.push_back(l.substr(0, l.find(' ')));
        else
            out.push_back(l);
    }
    return out;
}

std::vector<std::string> times(int n, std::vector<std::string> lines)
{
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.insert(out.end(), lines.begin(), lines.end());
    return out;
}

std::vector<std::string> cat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

struct Fixture {
    Log log;
    RecordingSleeper sleeper{&log};
    FakeDevice device{log};
    ConfigImage img = sampleImage();
    DeviceInfo info{};
    FirmwareVersion version{};
    CommandPort port() { return {&device, &sleeper}; }

    void script(int answers, int inputs)
    {
        for (int i = 0; i < answers; ++i)
            device.answers.push_back({0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88});
        for (int i = 0; i < inputs; ++i) {
            std::vector<uint8_t> r(model::kDataReportSize);
            for (std::size_t b = 1; b < r.size(); ++b)
                r[b] = static_cast<uint8_t>(i * 64 + b);
            device.input.push_back(r);
        }
    }
};

struct CommandCase {
    const char* name;
    std::function<bool(Fixture&)> run;
    int answers, inputs;
    std::vector<std::string> expected;
};

const std::string kGameModeOne = "SF 00 09 01 00 00 00 00 00 f5";

std::vector<CommandCase> commandCases()
{
    return {
        {"GetDeviceInfo",
         [](Fixture& f) { return GetDeviceInfo(f.port(), f.info, f.version); },
         1,
         0,
         {"SF 00 80 00 00 00 00 00 00 7f", "sleep 10", "GF", "sleep 10"}},
        {"SetReportRate",
         [](Fixture& f) { return SetReportRate(f.port(), f.img); },
         0,
         0,
         {"SF 00 01 02 00 00 00 00 00 fc", "sleep 10"}},
        {"GetReportRate",
         [](Fixture& f) { return GetReportRate(f.port(), f.img); },
         1,
         0,
         {"SF 00 81 00 00 00 00 00 00 7e", "sleep 10", "GF", "sleep 10"}},
        {"SetResponseTime",
         [](Fixture& f) { return SetResponseTime(f.port(), f.img); },
         0,
         0,
         {"SF 00 04 03 00 00 00 00 00 f8", "sleep 10"}},
        {"GetResponseTime",
         [](Fixture& f) { return GetResponseTime(f.port(), f.img); },
         1,
         0,
         {"SF 00 84 00 00 00 00 00 00 7b", "sleep 10", "GF", "sleep 10"}},
        // Speed position 0 goes out as 10; the begin report carries brightness 0.
        {"BeginConfigWrite",
         [](Fixture& f) { return BeginConfigWrite(f.port(), f.img); },
         0,
         0,
         {"SF 00 08 01 03 0a 00 04 02 e3", "sleep 10"}},
        {"EndConfigWrite",
         [](Fixture& f) { return EndConfigWrite(f.port(), f.img); },
         0,
         0,
         {"SF 00 08 02 03 0a 28 04 02 ba", "sleep 10"}},
        {"GetLighting",
         [](Fixture& f) { return GetLighting(f.port(), f.img); },
         1,
         0,
         {"SF 00 88 00 00 00 00 00 00 77", "sleep 10", "GF"}},
        {"SetGameMode",
         [](Fixture& f) { return SetGameMode(f.port(), f.img); },
         0,
         0,
         {"SF 00 09 01 00 00 00 00 00 f5", "sleep 20"}},
        {"SetGameModeOne", [](Fixture& f) { return SetGameModeOne(f.port()); }, 0, 0, {kGameModeOne, "sleep 20"}},
        {"GetGameMode",
         [](Fixture& f) { return GetGameMode(f.port(), f.img); },
         1,
         0,
         {"SF 00 89 00 00 00 00 00 00 76", "sleep 5", "GF"}},
        {"WriteKeyMap", [](Fixture& f) { return WriteKeyMap(f.port(), f.img); }, 0, 0,
         cat({{"SF 00 0d 00 00 08 00 00 00 ea", "sleep 50"}, times(8, {"W"}), {"sleep 60"}})},
        {"ReadKeyMap", [](Fixture& f) { return ReadKeyMap(f.port(), f.img); }, 1, 8,
         cat({{"drain", "SF 00 8d 00 00 00 00 00 00 72", "GF"}, times(8, {"R"})})},
        {"WriteKeyEnable",
         [](Fixture& f) { return WriteKeyEnable(f.port(), f.img); },
         0,
         0,
         {"SF 00 0e 00 00 12 00 00 00 df", "sleep 10", "W"}},
        {"ReadKeyEnable",
         [](Fixture& f) { return ReadKeyEnable(f.port(), f.img); },
         1,
         1,
         {"drain", "SF 00 8e 00 00 12 00 00 00 5f", "GF", "R"}},
        {"WriteMacroBlock",
         [](Fixture& f) { return WriteMacroBlock(f.port(), f.img, 31); },
         0,
         0,
         {"SF 00 11 00 1f 03 00 00 00 cc", "sleep 1", "W", "yield", "W", "yield", "W"}},
        {"ReadMacroBlock",
         [](Fixture& f) { return ReadMacroBlock(f.port(), f.img, 31); },
         1,
         3,
         {"drain", "SF 00 91 00 1f 00 00 00 00 4f", "GF", "R", "R", "R"}},
        {"WriteLightMap", [](Fixture& f) { return WriteLightMap(f.port(), f.img, 4); }, 0, 0,
         cat({{"SF 00 12 00 04 08 00 00 00 e1", "sleep 5"}, times(8, {"W", "sleep 5"})})},
        {"ReadLightMap", [](Fixture& f) { return ReadLightMap(f.port(), f.img, 4); }, 1, 8,
         cat({{"drain", "SF 00 92 00 04 08 00 00 00 61", "sleep 5", "GF", "sleep 5"}, times(8, {"R", "sleep 5"})})},
        {"FactoryReset",
         [](Fixture& f) { return FactoryReset(f.port()); },
         0,
         0,
         {"SF 00 13 ff 00 00 00 00 00 ed", "sleep 300", kGameModeOne, "sleep 20", "sleep 300", kGameModeOne, "sleep 20",
          "sleep 300"}},
        {"WriteColour",
         [](Fixture& f) { return WriteColour(f.port(), f.img, 6); },
         0,
         0,
         {"SF 00 14 00 06 80 40 c0 00 65", "sleep 20"}},
        {"ReadColour",
         [](Fixture& f) { return ReadColour(f.port(), f.img, 6); },
         1,
         0,
         {"SF 00 94 00 06 00 00 00 00 65", "sleep 1", "GF", "sleep 1"}},
    };
}

TEST(Commands, SendTheirReportsWithTheirPauses)
{
    for (const CommandCase& c : commandCases()) {
        Fixture f;
        f.script(c.answers, c.inputs);
        EXPECT_TRUE(c.run(f)) << c.name;
        EXPECT_EQ(shape(f.log.lines()), c.expected) << c.name;
        EXPECT_TRUE(f.device.answers.empty() && f.device.input.empty()) << c.name << " left scripted data unread";
    }
}

TEST(Commands, WritePhasesCarryTheirAreaAndPadWithZero)
{
    struct Case {
        const char* name;
        std::function<bool(Fixture&)> run;
        std::size_t offset, size;
    };
    const Case cases[] = {
        {"key map", [](Fixture& f) { return WriteKeyMap(f.port(), f.img); }, image::kKeyCodeBlock, 512},
        {"key enable", [](Fixture& f) { return WriteKeyEnable(f.port(), f.img); }, image::kKeyEnable, 18},
        {"macro 31", [](Fixture& f) { return WriteMacroBlock(f.port(), f.img, 31); }, image::macroBlock(31), 192},
        {"light map 4", [](Fixture& f) { return WriteLightMap(f.port(), f.img, 4); }, image::lightMap(4), 512},
    };
    for (const Case& c : cases) {
        Fixture f;
        ASSERT_TRUE(c.run(f));
        std::string sent;
        for (const std::string& l : f.log.lines())
            if (l.rfind("W ", 0) == 0) {
                EXPECT_EQ(l.substr(2, 2), "00") << c.name << ": report id";
                sent += l.substr(4);   // data bytes, each " xx"
            }
        std::vector<uint8_t> expected(f.img.begin() + c.offset, f.img.begin() + c.offset + c.size);
        expected.resize((c.size + 63) / 64 * 64, 0);
        EXPECT_EQ(sent, " " + testing::hex(expected)) << c.name;
    }
}

TEST(Commands, ReadPhasesStoreDataBytesInOrder)
{
    Fixture f;
    f.script(1, 3);
    ASSERT_TRUE(ReadMacroBlock(f.port(), f.img, 2));
    for (std::size_t i = 0; i < image::kMacroBlockSize; ++i)
        ASSERT_EQ(f.img[image::macroBlock(2) + i], static_cast<uint8_t>((i / 64) * 64 + i % 64 + 1)) << i;
    EXPECT_EQ(f.img[image::macroBlock(3)], 0) << "wrote past the block";

    Fixture e;
    e.script(1, 1);
    ASSERT_TRUE(ReadKeyEnable(e.port(), e.img));
    for (std::size_t i = 0; i < image::kKeyEnableSize; ++i)
        EXPECT_EQ(e.img[image::kKeyEnable + i], i + 1);
    EXPECT_EQ(e.img[image::kWinLock], 1) << "byte 0 = 0x01 has bit 1 clear: Win Lock on";
}

TEST(Commands, AnswersLandInTheirFields)
{
    Fixture f;
    f.device.answers.push_back({0, 0x88, 0, 7, 1, 33, 5, 3, 0});
    ASSERT_TRUE(GetLighting(f.port(), f.img));
    EXPECT_EQ(f.img[image::kEffect], 7);
    EXPECT_EQ(f.img[image::kSpeed], 9) << "keyboard speed 1 is slider position 9";
    EXPECT_EQ(f.img[image::kBrightness], 33);
    EXPECT_EQ(f.img[image::kColour], 5);
    EXPECT_EQ(f.img[image::kDirection], 3);

    f.device.answers.push_back({0, 0x94, 0, 0, 0xA1, 0xB2, 0xC3, 0, 0});
    ASSERT_TRUE(ReadColour(f.port(), f.img, 3));
    EXPECT_EQ(f.img[image::colourEntry(3)], 0xA1);
    EXPECT_EQ(f.img[image::colourEntry(3) + 2], 0xC3);

    f.device.answers.push_back({0, 0x80, 2, 7, 0x10, 0, 0, 0, 0x55});
    ASSERT_TRUE(GetDeviceInfo(f.port(), f.info, f.version));
    EXPECT_EQ(f.version, (FirmwareVersion{2, 7}));
    EXPECT_EQ(f.info, (DeviceInfo{0x80, 2, 7, 0x10, 0, 0, 0, 0x55}));
}

TEST(Commands, FailedReadsLeaveTheImageAsItWas)
{
    Fixture f;
    const ConfigImage before = f.img;
    f.script(1, 7);   // one report short of a light map
    EXPECT_FALSE(ReadLightMap(f.port(), f.img, 4));
    EXPECT_EQ(f.img, before);

    f.device.answers.clear();
    EXPECT_FALSE(GetLighting(f.port(), f.img)) << "no answer";
    EXPECT_FALSE(GetReportRate(f.port(), f.img));
    EXPECT_FALSE(GetDeviceInfo(f.port(), f.info, f.version));
    EXPECT_EQ(f.img, before);
    EXPECT_EQ(f.version, (FirmwareVersion{}));
}

// A keyboard whose set-feature failed still answers the get-feature, with its previous answer:
// none of that may reach the image.
TEST(Commands, AReadWhoseCommandFailedStoresNothing)
{
    const std::vector<uint8_t> stale{0, 0x80, 1, 1, 0, 0, 0, 0, 0x7D};   // a device-information answer
    const std::pair<const char*, std::function<bool(CommandPort, ConfigImage&)>> reads[] = {
        {"GetLighting", [](CommandPort p, ConfigImage& i) { return GetLighting(p, i); }},
        {"GetReportRate", [](CommandPort p, ConfigImage& i) { return GetReportRate(p, i); }},
        {"GetResponseTime", [](CommandPort p, ConfigImage& i) { return GetResponseTime(p, i); }},
        {"GetGameMode", [](CommandPort p, ConfigImage& i) { return GetGameMode(p, i); }},
        {"ReadColour", [](CommandPort p, ConfigImage& i) { return ReadColour(p, i, 6); }},
    };
    for (const auto& [name, read] : reads) {
        Fixture f;
        const ConfigImage before = f.img;
        f.device.failSetFeatures = 1;
        f.device.answers.push_back(stale);
        EXPECT_FALSE(read(f.port(), f.img)) << name;
        EXPECT_EQ(f.img, before) << name;
    }
    Fixture f;
    f.device.failSetFeatures = 1;
    f.device.answers.push_back({0, 0x09, 0, 0, 0, 0, 0, 0, 0xF6});
    EXPECT_FALSE(GetDeviceInfo(f.port(), f.info, f.version));
    EXPECT_EQ(f.version, (FirmwareVersion{}));
    EXPECT_EQ(f.info, (DeviceInfo{}));
}

TEST(Commands, NoDeviceFailsWithoutTouchingAnything)
{
    RecordingSleeper sleeper;
    ConfigImage img = sampleImage();
    const ConfigImage before = img;
    CommandPort none{nullptr, &sleeper};
    EXPECT_FALSE(SendCommand(none, 0x80));
    EXPECT_FALSE(ReadKeyMap(none, img));
    EXPECT_FALSE(WriteKeyMap(none, img));
    EXPECT_EQ(img, before);
}

TEST(WinLock, RuleAndDerivationAreInverse)
{
    ConfigImage img{};
    img[image::kKeyEnable] = 0xFD;   // bit 1 clear
    DeriveWinLock(img);
    EXPECT_EQ(img[image::kWinLock], 1);
    ApplyWinLockRule(img);
    EXPECT_EQ(img[image::kKeyEnable], 0xFD) << "Win Lock on leaves the bit clear";

    img[image::kWinLock] = 0;
    ApplyWinLockRule(img);
    EXPECT_EQ(img[image::kKeyEnable], 0xFF);
    DeriveWinLock(img);
    EXPECT_EQ(img[image::kWinLock], 0);

    // SetGameMode applies the rule after its pause.
    Log log;
    RecordingSleeper sleeper(&log);
    FakeDevice device(log);
    img[image::kWinLock] = 1;
    SetGameMode({&device, &sleeper}, img);
    EXPECT_EQ(img[image::kKeyEnable], 0xFD);
}

}   // namespace
}   // namespace orvane::link
