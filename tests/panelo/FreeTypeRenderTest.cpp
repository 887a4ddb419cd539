#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "panelo/lcd/LcdRenderer.h"
#include "tests/panelo/FakeHid.h"

namespace orvane::panelo {
namespace {

constexpr int kDpi = 96;

LogFont font(const char16_t* face, int points, int weight = 0, bool italic = false)
{
    LogFont lf = InitialLogFont(kDpi);
    lf.faceName = face;
    lf.height = -MulDiv(points, kDpi, 72);
    lf.weight = weight;
    lf.italic = italic;
    return lf;
}

// The preview as a plain PBM (P1): 132 columns, 32 rows, "1" = lit.
std::string toPbm(const LcdPreviewBitmap& bmp)
{
    std::ostringstream out;
    out << "P1\n132 32\n";
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 132; ++x)
            out << (PreviewPixel(bmp, x, y) ? '1' : '0');
        out << '\n';
    }
    return out.str();
}

class FreeTypeRenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("lcd-ft-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(m_dir);
        setenv("LUMETRA_DUMP_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("LUMETRA_DUMP_DIR");
        std::filesystem::remove_all(m_dir);
    }

    // Skips unless fontconfig resolves `lf` to `family` itself (not a stand-in).
    bool have(const LogFont& lf, const std::string& family) { return source.resolvedFamily(lf) == family; }

    LcdPreviewBitmap render(const LogFont& lf, const std::u16string& text)
    {
        LcdRenderer r(backend, source, kDpi, {});
        r.setLogFont(lf);
        r.setText(text);
        r.RenderText();
        return r.previewBitmap();
    }

    FreeTypeGlyphSource source;
    test::FakeBackend backend;
    std::filesystem::path m_dir;
};

struct GoldenCase {
    const char* file;
    const char16_t* face;
    const char* family;
    int points;
    int weight;
    const char16_t* text;
};

TEST_F(FreeTypeRenderTest, MatchesGoldenBitmaps)
{
    const bool update = std::getenv("ORVANE_UPDATE_GOLDEN") != nullptr;
    for (const GoldenCase& c : {GoldenCase{"hello-liberation-24.pbm", u"Liberation Sans", "Liberation Sans", 24, 0, u"Hello"},
                                GoldenCase{"wide-liberation-12.pbm", u"Liberation Sans", "Liberation Sans", 12, 0,
                                           u"Keyboard LCD 132x32 glyphs"},
                                GoldenCase{"bold-dejavu-16.pbm", u"DejaVu Sans", "DejaVu Sans", 16, 700, u"QX410 Ag"}}) {
        const LogFont lf = font(c.face, c.points, c.weight);
        if (!have(lf, c.family)) {
            ADD_FAILURE() << c.family << " is not installed";  // the set-up installs both
            continue;
        }
        const std::string pbm = toPbm(render(lf, c.text));
        const std::filesystem::path golden = std::filesystem::path(LCD_GOLDEN_DIR) / c.file;
        if (update) {
            std::ofstream(golden) << pbm;
            continue;
        }
        std::ifstream in(golden);
        ASSERT_TRUE(in) << golden;
        const std::string expected{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(pbm, expected) << c.file << "\nactual:\n" << pbm;
    }
}

TEST_F(FreeTypeRenderTest, BoxesAreTheRenderedBitmapsRepackedTo32Bits)
{
    const LogFont lf = font(u"Liberation Sans", 24);
    if (!have(lf, "Liberation Sans"))
        GTEST_SKIP() << "Liberation Sans not installed";
    std::vector<GlyphBox> boxes;
    ASSERT_TRUE(source.render(u"Wg |", lf, kDpi, boxes));
    ASSERT_EQ(boxes.size(), 4u);
    for (const GlyphBox& g : {boxes[0], boxes[1], boxes[3]}) {
        EXPECT_GT(g.width, 0);
        EXPECT_EQ(g.bits.size(), std::size_t(GlyphPitch(g.width) * g.rows));
        EXPECT_GT(g.advance, 0);
    }
    EXPECT_GT(boxes[1].rows, boxes[1].top);  // 'g' descends below the baseline
    EXPECT_TRUE(boxes[2].bits.empty());      // space
    EXPECT_GT(boxes[2].advance, 0);
    // 32 px em: 'W' is 1933/2048 em wide in this face, give or take the hinting.
    EXPECT_NEAR(boxes[0].advance, 30, 2);
}

TEST_F(FreeTypeRenderTest, SurrogatesDrawNothingAndAdvanceLikeTheMissingGlyph)
{
    const LogFont lf = font(u"Liberation Sans", 24);
    if (!have(lf, "Liberation Sans"))
        GTEST_SKIP() << "Liberation Sans not installed";
    std::vector<GlyphBox> boxes;
    ASSERT_TRUE(source.render(u"\xD83D|\xE000", lf, kDpi, boxes));
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(boxes[0].bits.empty());
    EXPECT_FALSE(boxes[2].bits.empty());  // U+E000 is not in the face: the missing-glyph box is drawn
    EXPECT_EQ(boxes[0].advance, boxes[2].advance);
    EXPECT_EQ(render(lf, u"\xDC00"), LcdPreviewBitmap{});
}

TEST_F(FreeTypeRenderTest, HugeGlyphsAreNotDrawnButStillAdvance)
{
    LogFont lf = font(u"Liberation Sans", 24);
    if (!have(lf, "Liberation Sans"))
        GTEST_SKIP() << "Liberation Sans not installed";
    lf.height = -300;
    std::vector<GlyphBox> boxes;
    ASSERT_TRUE(source.render(u"M.", lf, kDpi, boxes));
    EXPECT_TRUE(boxes[0].bits.empty());  // far over 2048 bytes
    EXPECT_GT(boxes[0].rows, 100);       // its metrics are kept
    EXPECT_GT(boxes[0].advance, 100);
    lf.height = -2000000000;  // capped, no huge allocation
    ASSERT_TRUE(source.render(u"M", lf, kDpi, boxes));
    EXPECT_TRUE(boxes[0].bits.empty());
}

TEST_F(FreeTypeRenderTest, ItalicIsSynthesisedWhenTheFaceHasNone)
{
    const LogFont upright = font(u"Noto Sans Mono", 24);
    if (!have(upright, "Noto Sans Mono"))
        GTEST_SKIP() << "Noto Sans Mono not installed";
    std::vector<GlyphBox> up, slanted;
    ASSERT_TRUE(source.render(u"|", upright, kDpi, up));
    ASSERT_TRUE(source.render(u"|", font(u"Noto Sans Mono", 24, 0, true), kDpi, slanted));
    EXPECT_GT(slanted[0].width, up[0].width + 4);  // the bar leans over several columns
    EXPECT_EQ(slanted[0].advance, up[0].advance);
}

TEST_F(FreeTypeRenderTest, BoldIsSynthesisedWhenTheFaceHasNone)
{
    // This face ships one regular file only.
    const LogFont regular = font(u"WenQuanYi Zen Hei", 24);
    if (!have(regular, "WenQuanYi Zen Hei"))
        GTEST_SKIP() << "WenQuanYi Zen Hei not installed";
    std::vector<GlyphBox> thin, bold;
    ASSERT_TRUE(source.render(u"l", regular, kDpi, thin));
    ASSERT_TRUE(source.render(u"l", font(u"WenQuanYi Zen Hei", 24, 700), kDpi, bold));
    EXPECT_GT(bold[0].width, thin[0].width);
}

TEST_F(FreeTypeRenderTest, PositiveHeightIsTheCellHeight)
{
    LogFont lf = font(u"Liberation Sans", 24);
    if (!have(lf, "Liberation Sans"))
        GTEST_SKIP() << "Liberation Sans not installed";
    std::vector<GlyphBox> em, cell;
    lf.height = -32;
    ASSERT_TRUE(source.render(u"H", lf, kDpi, em));
    lf.height = 32;
    ASSERT_TRUE(source.render(u"H", lf, kDpi, cell));
    EXPECT_LT(cell[0].rows, em[0].rows);  // the cell includes ascent and descent
}

} // namespace
} // namespace orvane::panelo
