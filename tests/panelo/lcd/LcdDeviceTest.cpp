#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "panelo/lcd/LcdDevice.h"
#include "tests/support/Folders.h"
#include "tests/panelo/lcd/FakeHid.h"

namespace orvane::panelo {
namespace {

using test::FakeBackend;
using test::hex;
using test::lcdInterface;

LcdPageImage patternImage()
{
    LcdPageImage img{};
    for (std::size_t i = 0; i < img.size(); ++i)
        img[i] = uint8_t(i * 7 + 3);
    return img;
}

// The expected trace of one download, written out from the wire format.
std::vector<std::string> expectedTrace(const std::string& path, const LcdPageImage& img, const std::string& command)
{
    std::vector<std::string> lines{path + " SF " + command};
    for (std::size_t k = 0; k < 9; ++k) {
        std::vector<uint8_t> report(65, 0);
        for (std::size_t j = 0; j < 64 && 64 * k + j < 528; ++j)
            report[1 + j] = img[64 * k + j];
        lines.push_back(path + " W " + hex(report));
    }
    return lines;
}

class LcdDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("LUMETRA_DUMP_DIR", m_dir.c_str(), 1); }
    void TearDown() override { unsetenv("LUMETRA_DUMP_DIR"); }

    // Runs one download; returns the messages shown and counts mode-source calls.
    std::vector<std::u16string> download(const LcdPageImage& img, uint8_t mode = 1)
    {
        std::vector<std::u16string> shown;
        DownloadLcdImage(
            backend, img,
            [&] {
                ++modeCalls;
                return mode;
            },
            [&](const std::u16string& t) { shown.push_back(t); });
        return shown;
    }

    FakeBackend backend;
    int modeCalls = 0;
    orvane::test::TempFolder m_temp{"lcd-device"};
    std::filesystem::path m_dir = m_temp.path();
};

TEST_F(LcdDeviceTest, SendsCommandAndNineDataReportsForBothModes)
{
    const LcdPageImage img = patternImage();
    for (auto [mode, command] : {std::pair<uint8_t, std::string>{0, "00 15 00 09 00 00 00 00 e1"},
                                 std::pair<uint8_t, std::string>{1, "00 15 00 09 01 00 00 00 e0"}}) {
        backend = FakeBackend{};
        backend.listed = {lcdInterface("/dev/hidraw4")};
        EXPECT_EQ(download(img, mode), std::vector<std::u16string>{u"下载成功"});
        EXPECT_EQ(backend.state.log, expectedTrace("/dev/hidraw4", img, command)) << int(mode);
        EXPECT_EQ(backend.state.openNow, 0);
    }
    // The ninth report: 16 image bytes, then 48 zeros.
    const std::string last = backend.state.log.back();
    std::string zeros;
    for (int i = 0; i < 48; ++i)
        zeros += " 00";
    EXPECT_EQ(last.substr(last.size() - zeros.size()), zeros);
    EXPECT_NE(last.substr(last.size() - zeros.size() - 3, 3), " 00");
}

TEST_F(LcdDeviceTest, DumpsTheImageUnchanged)
{
    backend.listed = {lcdInterface("/dev/hidraw4")};
    std::ofstream(m_dir / "McuPixel.bin") << std::string(1000, 'x');   // a longer dump of an earlier run
    const LcdPageImage img = patternImage();
    download(img);
    std::ifstream in(m_dir / "McuPixel.bin", std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(bytes.size(), 528u);
    EXPECT_TRUE(std::equal(img.begin(), img.end(), bytes.begin(), [](uint8_t a, char b) { return a == uint8_t(b); }));
}

TEST_F(LcdDeviceTest, DumpNeverFollowsASymbolicLink)
{
    backend.listed = {lcdInterface("/dev/hidraw4")};
    std::ofstream(m_dir / "victim") << "keep";
    std::filesystem::create_symlink(m_dir / "victim", m_dir / "McuPixel.bin");
    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"下载成功"});
    std::ifstream in(m_dir / "victim");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
}

TEST_F(LcdDeviceTest, UnwritableDumpFolderDoesNotChangeTheOutcome)
{
    setenv("LUMETRA_DUMP_DIR", "/nonexistent/lcd-dump", 1);
    backend.listed = {lcdInterface("/dev/hidraw4")};
    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"下载成功"});
    EXPECT_EQ(backend.state.log.size(), 10u);
}

TEST_F(LcdDeviceTest, NoKeyboardAsksForOneWithoutCallingTheModeSource)
{
    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"请先插入设备！"});
    EXPECT_EQ(modeCalls, 0);
    EXPECT_EQ(backend.state.openNow, 0);
}

TEST_F(LcdDeviceTest, EnumerationFailureIsReported)
{
    backend.enumerateThrows = true;
    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"初始化失败！"});
    EXPECT_EQ(modeCalls, 0);
}

TEST_F(LcdDeviceTest, SetFeatureFailureSendsNoDataReport)
{
    backend.listed = {lcdInterface("/dev/hidraw4")};
    backend.state.failSetFeature = true;
    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"下载失败"});
    EXPECT_TRUE(backend.state.log.empty());
    EXPECT_EQ(modeCalls, 1);
    EXPECT_EQ(backend.state.openNow, 0);
}

TEST_F(LcdDeviceTest, StallAtDataReportFiveStopsTheTransfer)
{
    backend.listed = {lcdInterface("/dev/hidraw4")};
    backend.state.writesBeforeFailure = 4;   // reports 1..4 go out, report 5 times out
    const LcdPageImage img = patternImage();
    EXPECT_EQ(download(img), std::vector<std::u16string>{u"下载失败"});
    std::vector<std::string> expected = expectedTrace("/dev/hidraw4", img, "00 15 00 09 01 00 00 00 e0");
    expected.resize(5);
    EXPECT_EQ(backend.state.log, expected);
}

TEST_F(LcdDeviceTest, SkipsInterfacesThatAreNotTheLcdInterface)
{
    hid::InterfaceInfo otherVendorListed = lcdInterface("/dev/hidraw0", 0x1234, 0x0001);
    hid::InterfaceInfo otherVendorWrongPid = lcdInterface("/dev/hidraw1", 0x1234, 0xA129);
    hid::InterfaceInfo twoCollections = lcdInterface("/dev/hidraw2");
    twoCollections.collections.push_back({0x0001, 0x0006, {1}, {}, {}});
    hid::InterfaceInfo otherPage = lcdInterface("/dev/hidraw3");
    otherPage.collections[0].usagePage = 0xFF00;
    hid::InterfaceInfo otherUsage = lcdInterface("/dev/hidraw5");
    otherUsage.collections[0].usage = 2;
    hid::InterfaceInfo unopenable = lcdInterface("/dev/hidraw6");
    hid::InterfaceInfo tooLong = lcdInterface("/dev/" + std::string(260, 'x'));
    hid::InterfaceInfo good = lcdInterface("/dev/hidraw7", 0x04D9, 0xA125);
    backend.listed = {otherVendorListed, otherVendorWrongPid, twoCollections, otherPage,
                      otherUsage,        unopenable,          tooLong,        good};
    backend.unopenable = {"/dev/hidraw6"};

    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"下载成功"});
    // Another vendor's 0x0001 device is opened and refused; its 0xA129 device is
    // never opened; an over-long path is skipped, not cut.
    EXPECT_EQ(backend.state.opened,
              (std::vector<std::string>{"/dev/hidraw0", "/dev/hidraw2", "/dev/hidraw3", "/dev/hidraw5", "/dev/hidraw6",
                                        "/dev/hidraw7"}));
    ASSERT_FALSE(backend.state.log.empty());
    EXPECT_EQ(backend.state.log.front().rfind("/dev/hidraw7 SF", 0), 0u);
    EXPECT_EQ(backend.state.openNow, 0);
}

TEST_F(LcdDeviceTest, AcceptanceUsesWhatTheOpenedInterfaceReports)
{
    backend.listed = {lcdInterface("/dev/hidraw0")};
    backend.actual = {lcdInterface("/dev/hidraw0", 0x1234, 0xA12C)};
    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"请先插入设备！"});
    EXPECT_EQ(backend.state.opened.size(), 1u);
}

TEST_F(LcdDeviceTest, OnlyTheFirstOfTwoKeyboardsReceivesTheImage)
{
    backend.listed = {lcdInterface("/dev/hidraw4"), lcdInterface("/dev/hidraw9")};
    EXPECT_EQ(download(patternImage()), std::vector<std::u16string>{u"下载成功"});
    EXPECT_EQ(modeCalls, 1);
    EXPECT_EQ(backend.state.opened, std::vector<std::string>{"/dev/hidraw4"});
    for (const std::string& line : backend.state.log)
        EXPECT_EQ(line.rfind("/dev/hidraw4 ", 0), 0u) << line;
}

TEST(LcdPathFilter, FollowsTheVendorRule)
{
    struct Case {
        uint16_t vendor, product;
        bool passes;
    };
    for (const Case c : {Case{0x04D9, 0xA129, true}, Case{0x04D9, 0xA125, true}, Case{0x04D9, 0x0001, true},
                         Case{0x04D9, 0xA12C, true}, Case{0x1234, 0x0001, true}, Case{0x1234, 0xA12C, true},
                         Case{0x1234, 0xA129, false}, Case{0x04D9, 0xA12A, false}, Case{0, 0, false}})
        EXPECT_EQ(PassesLcdPathFilter(c.vendor, c.product), c.passes) << std::hex << c.vendor << ":" << c.product;
}

}   // namespace
}   // namespace orvane::panelo
