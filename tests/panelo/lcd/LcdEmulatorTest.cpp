#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "panelo/lcd/LcdRenderer.h"
#include "tests/support/Folders.h"
#include "panelo/lcd/Logo.h"
#include "emulator/Emulator.h"
#include "platform/hid/Trace.h"

namespace orvane::panelo {
namespace {

// Downloads against the emulated keyboard, seen through the HID trace.
class LcdEmulatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("LUMETRA_DUMP_DIR", m_dir.c_str(), 1);
        std::string error;
        auto sink = hid::TraceSink::open((m_dir / "trace").string(), error);
        ASSERT_TRUE(sink) << error;
        emulator = hid::Emulator::create();
        backend = std::make_unique<hid::TraceBackend>(std::make_unique<hid::EmulatorBackend>(emulator), sink);
    }
    void TearDown() override { unsetenv("LUMETRA_DUMP_DIR"); }

    // The trace without its time column: "<path> <op> <bytes>".
    std::vector<std::string> trace() const
    {
        std::ifstream in(m_dir / "trace");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(line.find(' ') + 1));
        return lines;
    }

    std::vector<std::u16string> download(const LcdPageImage& img, uint8_t mode)
    {
        std::vector<std::u16string> shown;
        DownloadLcdImage(
            *backend, img, [&] { return mode; }, [&](const std::u16string& t) { shown.push_back(t); });
        return shown;
    }

    static std::string hex(std::span<const uint8_t> bytes)
    {
        std::ostringstream out;
        char buf[4];
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
            out << (i ? " " : "") << buf;
        }
        return out.str();
    }

    static LcdPageImage pattern()
    {
        LcdPageImage img{};
        for (std::size_t i = 0; i < img.size(); ++i)
            img[i] = uint8_t(255 - i % 251);
        return img;
    }

    std::vector<std::string> expected(const LcdPageImage& img, const std::string& command, std::size_t reports = 9)
    {
        std::vector<std::string> lines{"emulator:cmd SF " + command};
        for (std::size_t k = 0; k < reports; ++k) {
            std::vector<uint8_t> r(65, 0);
            for (std::size_t j = 0; j < 64 && 64 * k + j < 528; ++j)
                r[1 + j] = img[64 * k + j];
            lines.push_back("emulator:cmd W " + hex(r));
        }
        return lines;
    }

    std::shared_ptr<hid::Emulator> emulator;
    std::unique_ptr<hid::Backend> backend;
    orvane::test::TempFolder m_temp{"lcd-emu"};
    std::filesystem::path m_dir = m_temp.path();
};

TEST_F(LcdEmulatorTest, KeyboardReceivesCommandAndNineReportsInBothModes)
{
    const LcdPageImage img = pattern();
    EXPECT_EQ(download(img, 0), std::vector<std::u16string>{u"下载成功"});
    EXPECT_EQ(emulator->lcdMode(), 0);
    EXPECT_EQ(download(img, 1), std::vector<std::u16string>{u"下载成功"});
    EXPECT_EQ(emulator->lcdMode(), 1);
    const hid::LcdPage page = emulator->lcdPage();
    EXPECT_TRUE(std::equal(page.begin(), page.end(), img.begin()));
    std::vector<std::string> want = expected(img, "00 15 00 09 00 00 00 00 e1");
    const std::vector<std::string> second = expected(img, "00 15 00 09 01 00 00 00 e0");
    want.insert(want.end(), second.begin(), second.end());
    EXPECT_EQ(trace(), want);   // the event interface is never opened
}

TEST_F(LcdEmulatorTest, SetFeatureFailureSendsNoDataReport)
{
    emulator->failNextSetFeature();
    EXPECT_EQ(download(pattern(), 1), std::vector<std::u16string>{u"下载失败"});
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(emulator->lcdMode(), hid::kNoLcdMode);
}

TEST_F(LcdEmulatorTest, StallAtDataReportFiveStopsTheTransfer)
{
    emulator->stallNextReports(4);
    const LcdPageImage img = pattern();
    EXPECT_EQ(download(img, 1), std::vector<std::u16string>{u"下载失败"});
    EXPECT_EQ(trace(), expected(img, "00 15 00 09 01 00 00 00 e0", 4));
    EXPECT_EQ(emulator->lcdMode(), hid::kNoLcdMode);
}

TEST_F(LcdEmulatorTest, UnpluggedKeyboardAsksForOne)
{
    emulator->unplug();
    EXPECT_EQ(download(pattern(), 1), std::vector<std::u16string>{u"请先插入设备！"});
}

TEST_F(LcdEmulatorTest, DefaultTwiceWithoutKeyboardThenDownloadSendsTheLogoWithMode0)
{
    class NoGlyphs final : public GlyphSource {
        bool render(std::u16string_view, const LogFont&, int, std::vector<GlyphBox>& out) override
        {
            out.clear();
            return false;
        }
    } glyphs;
    std::vector<std::u16string> shown;
    PaneloHooks hooks;
    hooks.notify = [&](const std::u16string& t) { shown.push_back(t); };
    LcdRenderer r(*backend, glyphs, 96, hooks);
    emulator->unplug();
    r.Default();
    r.Default();
    emulator->replug();
    r.Download();
    EXPECT_EQ(shown, (std::vector<std::u16string>{u"请先插入设备！", u"请先插入设备！", u"下载成功"}));
    EXPECT_EQ(emulator->lcdMode(), 0);
    const hid::LcdPage page = emulator->lcdPage();
    EXPECT_TRUE(std::equal(page.begin(), page.end(), BuiltInLogo().begin()));
}

}   // namespace
}   // namespace orvane::panelo
