#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "panelo/lcd/LcdRenderer.h"
#include "tests/support/Folders.h"
#include "panelo/lcd/Logo.h"
#include "tests/panelo/lcd/FakeHid.h"

namespace orvane::panelo {
namespace {

using test::FakeBackend;
using test::hex;
using test::lcdInterface;

constexpr int kDpi = 96;

// Glyph boxes as a function of the em size: every code unit gets a solid box
// of `rows(em)` rows above the baseline and `advance(em)` columns.
class ScaledGlyphs final : public GlyphSource {
public:
    std::function<int(int)> rows = [](int em) { return em * 3 / 4; };
    std::function<int(int)> advance = [](int em) { return em / 2; };
    int calls = 0;
    int callLimit = 100000;   // then no font can be made: a fit that does not end stops here

    bool render(std::u16string_view text, const LogFont& lf, int, std::vector<GlyphBox>& out) override
    {
        if (++calls > callLimit)
            return false;
        const int em = -lf.height;
        out.assign(text.size(), GlyphBox{});
        for (GlyphBox& g : out) {
            g.advance = advance(em);
            g.rows = g.top = rows(em);
            g.width = std::max(1, g.advance - 1);
            g.bits.assign(std::size_t(GlyphPitch(g.width) * g.rows), 0xFF);
        }
        return true;
    }
};

class LcdRendererTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("LUMETRA_DUMP_DIR", m_dir.c_str(), 1); }
    void TearDown() override { unsetenv("LUMETRA_DUMP_DIR"); }

    LcdRenderer makeRenderer(int dpi = kDpi)
    {
        PaneloHooks hooks;
        hooks.notify = [this](const std::u16string& t) { messages.push_back(t); };
        hooks.repaint = [this] { ++repaints; };
        hooks.fontLabels = [this](const std::u16string& t) { labels.push_back(t); };
        hooks.ctrlAltHeld = [this] { return ctrlAlt; };
        return LcdRenderer(backend, glyphs, dpi, hooks);
    }

    std::string commandLine() const
    {
        for (const std::string& l : backend.state.log)
            if (l.find(" SF ") != std::string::npos)
                return l.substr(l.find(" SF ") + 4);
        return {};
    }

    // The image bytes carried by the nine data reports of the trace.
    std::vector<uint8_t> sentImage() const
    {
        std::vector<uint8_t> bytes;
        for (const std::string& l : backend.state.log) {
            const auto at = l.find(" W ");
            if (at == std::string::npos)
                continue;
            std::istringstream in(l.substr(at + 3));
            unsigned b = 0;
            in >> std::hex >> b;   // report id
            for (int i = 0; i < 64 && in >> std::hex >> b; ++i)
                bytes.push_back(uint8_t(b));
        }
        bytes.resize(std::min<std::size_t>(bytes.size(), 528));
        return bytes;
    }

    FakeBackend backend;
    ScaledGlyphs glyphs;
    std::vector<std::u16string> messages;
    std::vector<std::u16string> labels;
    int repaints = 0;
    bool ctrlAlt = false;
    orvane::test::TempFolder m_temp{"lcd-renderer"};
    std::filesystem::path m_dir = m_temp.path();
};

TEST_F(LcdRendererTest, EmptyTextIsDarkDumpedAndSentAsZeros)
{
    LcdRenderer r = makeRenderer();
    r.setText(u"Hi");
    r.RenderText();
    ASSERT_NE(r.previewBitmap(), LcdPreviewBitmap{});
    r.setText(u"");
    backend.listed = {lcdInterface("/dev/hidraw4")};
    r.Download();
    EXPECT_EQ(r.previewBitmap(), LcdPreviewBitmap{});
    std::ifstream in(m_dir / "LcdPixel.txt", std::ios::binary);
    const std::string dump{std::istreambuf_iterator<char>(in), {}};
    std::string expected;
    for (int i = 0; i < 32; ++i)
        expected += std::string(136, '0') + "\r\n";
    EXPECT_EQ(dump, expected);
    EXPECT_EQ(sentImage(), std::vector<uint8_t>(528, 0));
    EXPECT_EQ(commandLine(), "00 15 00 09 01 00 00 00 e0");
    EXPECT_EQ(messages, std::vector<std::u16string>{u"下载成功"});
}

TEST_F(LcdRendererTest, DefaultTwiceWithoutKeyboardThenDownloadSendsTheLogoWithMode0)
{
    LcdRenderer r = makeRenderer();
    r.setText(u"text");
    r.Default();
    r.Default();
    EXPECT_EQ(messages, (std::vector<std::u16string>{u"请先插入设备！", u"请先插入设备！"}));
    EXPECT_TRUE(r.defaultPending());
    backend.listed = {lcdInterface("/dev/hidraw4")};
    r.Download();
    EXPECT_EQ(commandLine(), "00 15 00 09 00 00 00 00 e1");
    const LcdPageImage& logo = BuiltInLogo();
    EXPECT_EQ(sentImage(), std::vector<uint8_t>(logo.begin(), logo.end()));
    EXPECT_FALSE(r.defaultPending());
    EXPECT_FALSE(r.altDefaultPending());

    // The next Download renders the text again and sends it with mode 1.
    backend.state.log.clear();
    r.Download();
    EXPECT_EQ(commandLine(), "00 15 00 09 01 00 00 00 e0");
    EXPECT_NE(sentImage(), std::vector<uint8_t>(logo.begin(), logo.end()));
}

TEST_F(LcdRendererTest, CtrlAltDefaultSendsTheLogoWithMode1AndTheLatestPressDecides)
{
    LcdRenderer r = makeRenderer();
    r.Default();   // no keyboard: mode 0 pending
    ctrlAlt = true;
    r.Default();   // no keyboard: now mode 1 pending
    EXPECT_TRUE(r.altDefaultPending());
    EXPECT_FALSE(r.defaultPending());
    backend.listed = {lcdInterface("/dev/hidraw4")};
    r.Download();
    EXPECT_EQ(commandLine(), "00 15 00 09 01 00 00 00 e0");
    const LcdPageImage& logo = BuiltInLogo();
    EXPECT_EQ(sentImage(), std::vector<uint8_t>(logo.begin(), logo.end()));
    EXPECT_FALSE(r.altDefaultPending());
}

TEST_F(LcdRendererTest, PendingLogoIsSentWithoutRenderingTheText)
{
    LcdRenderer r = makeRenderer();
    r.setText(u"WWWW");
    r.Default();
    const int renders = glyphs.calls;
    backend.listed = {lcdInterface("/dev/hidraw4")};
    r.Download();
    EXPECT_EQ(glyphs.calls, renders);
    EXPECT_EQ(commandLine(), "00 15 00 09 00 00 00 00 e1");
}

struct FitCase {
    const char* name;
    std::function<int(int)> rows;
    std::function<int(int)> advance;
    int32_t startHeight;
    int32_t endHeight;
    std::u16string text = u"A";
};

class AutoAdjustTest : public LcdRendererTest, public ::testing::WithParamInterface<FitCase> {};

TEST_P(AutoAdjustTest, EndsAtTheExpectedHeight)
{
    const FitCase& c = GetParam();
    glyphs.rows = c.rows;
    glyphs.advance = c.advance;
    LcdRenderer r = makeRenderer();
    LogFont lf = r.logFont();
    lf.height = c.startHeight;
    r.setLogFont(lf);
    r.setText(c.text);
    r.AutoAdjustFont();
    EXPECT_EQ(r.logFont().height, c.endHeight);
    lf.height = c.endHeight;
    EXPECT_EQ(labels, std::vector<std::u16string>{FormatFontDescription(lf, kDpi)});
    EXPECT_GE(repaints, 1);
}

// At 96 dpi: 24 points = em 32; n points = em round(4n/3).
INSTANTIATE_TEST_SUITE_P(
    Cases, AutoAdjustTest,
    ::testing::Values(
        FitCase{"Height28", [](int em) { return em - 4; }, [](int) { return 10; }, -32, -32},
        FitCase{"Height30", [](int em) { return em - 2; }, [](int) { return 10; }, -32, -32},
        FitCase{"Width128", [](int) { return 10; }, [](int em) { return em / 2; }, -32, -32, u"AAAAAAAA"},
        FitCase{"Width130", [](int) { return 10; }, [](int em) { return em * 13 / 32; }, -32, -32, u"AAAAAAAAAA"},
        FitCase{"WidthGrowsTo128", [](int) { return 10; }, [](int em) { return em / 5; }, -32, -MulDiv(30, kDpi, 72),
                u"AAAAAAAAAAAAAAAA"},
        FitCase{"GrowsUntil28Rows", [](int em) { return em / 2; }, [](int) { return 10; }, -32, -56},
        FitCase{"OvershootTakenBack", [](int em) { return em < 40 ? 20 : 35; }, [](int) { return 10; }, -32, -39},
        FitCase{"Shrinks", [](int em) { return em; }, [](int) { return 10; }, -32, -29},
        FitCase{"StopsAt5Points", [](int) { return 100; }, [](int) { return 10; }, -32, -7},
        FitCase{"TooBigAt5PointsUnchanged", [](int) { return 100; }, [](int) { return 10; }, -7, -7},
        FitCase{"TooBigAt4PointsUnchanged", [](int) { return 100; }, [](int) { return 10; }, -5, -5},
        FitCase{"NeverGrowingFaceStops", [](int) { return 10; }, [](int) { return 10; }, -32,
                -MulDiv(kMaxFitPoints, kDpi, 72)}),
    [](const ::testing::TestParamInfo<FitCase>& i) { return std::string(i.param.name); });

// A font far above the fitting limit took one render per point on its way down (a hundred
// thousand pixels: some 75,000 renders); the fit starts from the limit instead.
TEST_F(LcdRendererTest, AutoAdjustFromAHugeFontShrinksFromTheLimit)
{
    glyphs.rows = [](int em) { return em; };
    glyphs.advance = [](int) { return 10; };
    LcdRenderer r = makeRenderer();
    LogFont lf = r.logFont();
    lf.height = -100000;
    r.setLogFont(lf);
    r.setText(u"A");
    r.AutoAdjustFont();
    EXPECT_EQ(r.logFont().height, -29);
    EXPECT_LE(glyphs.calls, kMaxFitPoints + 2);
}

// Below 72 dots per inch a point is less than a pixel: one point up could give the same pixel
// height, and the fit asked for that height again and again without end.
TEST_F(LcdRendererTest, AutoAdjustAtALowResolutionEnds)
{
    glyphs.rows = [](int em) { return em / 2; };
    glyphs.advance = [](int) { return 10; };
    glyphs.callLimit = 10000;
    LcdRenderer r = makeRenderer(24);
    LogFont lf = r.logFont();
    lf.height = -32;
    r.setLogFont(lf);
    r.setText(u"A");
    r.AutoAdjustFont();
    EXPECT_LT(glyphs.calls, 1000);
    EXPECT_EQ(r.logFont().height, -56);   // the first height of 28 rows
}

// At 1 dpi a face that never fits shrinks to one pixel, where a point step changes nothing.
TEST_F(LcdRendererTest, AutoAdjustAtOneDpiThatNeverFitsEndsAtOnePixel)
{
    glyphs.rows = [](int) { return 100; };
    glyphs.advance = [](int) { return 10; };
    glyphs.callLimit = 10000;
    LcdRenderer r = makeRenderer(1);
    LogFont lf = r.logFont();
    lf.height = -32;
    r.setLogFont(lf);
    r.setText(u"A");
    r.AutoAdjustFont();
    EXPECT_LT(glyphs.calls, 1000);
    EXPECT_EQ(r.logFont().height, -1);
}

TEST_F(LcdRendererTest, AutoAdjustOnEmptyTextChangesNothing)
{
    LcdRenderer r = makeRenderer();
    const LogFont before = r.logFont();
    r.AutoAdjustFont();
    EXPECT_EQ(r.logFont(), before);
    EXPECT_TRUE(labels.empty());
    EXPECT_EQ(repaints, 0);
    EXPECT_EQ(glyphs.calls, 0);
}

}   // namespace
}   // namespace orvane::panelo
