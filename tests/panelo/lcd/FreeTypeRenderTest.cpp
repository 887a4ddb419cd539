#include <gtest/gtest.h>

#include <QString>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "tests/support/Folders.h"
#include "panelo/lcd/LcdRenderer.h"
#include "tests/panelo/lcd/FakeHid.h"

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

bool boxPixel(const GlyphBox& g, int x, int y)
{
    const std::size_t pitch = std::size_t(GlyphPitch(g.width));
    return (g.bits[pitch * std::size_t(y) + std::size_t(x / 8)] & (0x80u >> (x % 8))) != 0;
}

// Lit pixels at least `margin` pixels inside the edges of the glyph's box: none in
// the hollow rectangle that faces draw for a character they lack.
int litInside(const GlyphBox& g, int margin)
{
    int lit = 0;
    for (int y = margin; y < g.rows - margin; ++y)
        for (int x = margin; x < g.width - margin; ++x)
            lit += boxPixel(g, x, y);
    return lit;
}

// Real strokes: a drawn box with a good number of lit pixels well inside its edges.
void expectStrokes(const GlyphBox& g, const std::string& what)
{
    ASSERT_FALSE(g.bits.empty()) << what;
    EXPECT_GE(litInside(g, 3), 20) << what << ": an empty box, not the character";
}

class FreeTypeRenderTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("LUMETRA_DUMP_DIR", m_dir.c_str(), 1); }
    void TearDown() override { unsetenv("LUMETRA_DUMP_DIR"); }

    // Whether fontconfig resolves `lf` to `family` itself (not a stand-in).
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
    orvane::test::TempFolder m_temp{"lcd-ft"};
    std::filesystem::path m_dir = m_temp.path();
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
    for (const GoldenCase& c :
         {GoldenCase{"hello-liberation-24.pbm", u"Liberation Sans", "Liberation Sans", 24, 0, u"Hello"},
          GoldenCase{"wide-liberation-12.pbm", u"Liberation Sans", "Liberation Sans", 12, 0,
                     u"Keyboard LCD 132x32 glyphs"},
          GoldenCase{"bold-dejavu-16.pbm", u"DejaVu Sans", "DejaVu Sans", 16, 700, u"QX410 Ag"}}) {
        const LogFont lf = font(c.face, c.points, c.weight);
        if (!have(lf, c.family)) {
            ADD_FAILURE() << c.family << " is not installed";   // the set-up installs both
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
    ASSERT_TRUE(have(lf, "Liberation Sans")) << "Liberation Sans is not installed: scripts/packages.txt installs it";
    std::vector<GlyphBox> boxes;
    ASSERT_TRUE(source.render(u"Wg |", lf, kDpi, boxes));
    ASSERT_EQ(boxes.size(), 4u);
    for (const GlyphBox& g : {boxes[0], boxes[1], boxes[3]}) {
        EXPECT_GT(g.width, 0);
        EXPECT_EQ(g.bits.size(), std::size_t(GlyphPitch(g.width) * g.rows));
        EXPECT_GT(g.advance, 0);
    }
    EXPECT_GT(boxes[1].rows, boxes[1].top);   // 'g' descends below the baseline
    EXPECT_TRUE(boxes[2].bits.empty());       // space
    EXPECT_GT(boxes[2].advance, 0);
    // 32 px em: 'W' is 1933/2048 em wide in this face, give or take the hinting.
    EXPECT_NEAR(boxes[0].advance, 30, 2);
}

TEST_F(FreeTypeRenderTest, SurrogatesDrawNothingAndAdvanceLikeTheMissingGlyph)
{
    const LogFont lf = font(u"Liberation Sans", 24);
    ASSERT_TRUE(have(lf, "Liberation Sans")) << "Liberation Sans is not installed: scripts/packages.txt installs it";
    std::vector<GlyphBox> boxes;
    ASSERT_TRUE(source.render(u"\xD83D|\xE000", lf, kDpi, boxes));
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(boxes[0].bits.empty());
    EXPECT_FALSE(boxes[2].bits.empty());   // U+E000 is not in the face: the missing-glyph box is drawn
    EXPECT_EQ(boxes[0].advance, boxes[2].advance);
    EXPECT_EQ(render(lf, u"\xDC00"), LcdPreviewBitmap{});
}

TEST_F(FreeTypeRenderTest, HugeGlyphsAreNotDrawnButStillAdvance)
{
    LogFont lf = font(u"Liberation Sans", 24);
    ASSERT_TRUE(have(lf, "Liberation Sans")) << "Liberation Sans is not installed: scripts/packages.txt installs it";
    lf.height = -300;
    std::vector<GlyphBox> boxes;
    ASSERT_TRUE(source.render(u"M.", lf, kDpi, boxes));
    EXPECT_TRUE(boxes[0].bits.empty());   // far over 2048 bytes
    EXPECT_GT(boxes[0].rows, 100);        // its metrics are kept
    EXPECT_GT(boxes[0].advance, 100);
    lf.height = -2000000000;   // capped, no huge allocation
    ASSERT_TRUE(source.render(u"M", lf, kDpi, boxes));
    EXPECT_TRUE(boxes[0].bits.empty());
}

TEST_F(FreeTypeRenderTest, ItalicIsSynthesisedWhenTheFaceHasNone)
{
    // This face ships one upright file only.
    const LogFont upright = font(u"WenQuanYi Zen Hei", 24);
    ASSERT_TRUE(have(upright, "WenQuanYi Zen Hei"))
        << "WenQuanYi Zen Hei is not installed: scripts/packages.txt installs it";
    std::vector<GlyphBox> up, slanted;
    ASSERT_TRUE(source.render(u"|", upright, kDpi, up));
    ASSERT_TRUE(source.render(u"|", font(u"WenQuanYi Zen Hei", 24, 0, true), kDpi, slanted));
    EXPECT_GT(slanted[0].width, up[0].width + 4);   // the bar leans over several columns
    EXPECT_EQ(slanted[0].advance, up[0].advance);
}

TEST_F(FreeTypeRenderTest, BoldIsSynthesisedWhenTheFaceHasNone)
{
    // This face ships one regular file only.
    const LogFont regular = font(u"WenQuanYi Zen Hei", 24);
    ASSERT_TRUE(have(regular, "WenQuanYi Zen Hei"))
        << "WenQuanYi Zen Hei is not installed: scripts/packages.txt installs it";
    std::vector<GlyphBox> thin, bold;
    ASSERT_TRUE(source.render(u"l", regular, kDpi, thin));
    ASSERT_TRUE(source.render(u"l", font(u"WenQuanYi Zen Hei", 24, 700), kDpi, bold));
    EXPECT_GT(bold[0].width, thin[0].width);
}

TEST_F(FreeTypeRenderTest, PositiveHeightIsTheCellHeight)
{
    LogFont lf = font(u"Liberation Sans", 24);
    ASSERT_TRUE(have(lf, "Liberation Sans")) << "Liberation Sans is not installed: scripts/packages.txt installs it";
    std::vector<GlyphBox> em, cell;
    lf.height = -32;
    ASSERT_TRUE(source.render(u"H", lf, kDpi, em));
    lf.height = 32;
    ASSERT_TRUE(source.render(u"H", lf, kDpi, cell));
    EXPECT_LT(cell[0].rows, em[0].rows);   // the cell includes ascent and descent
}

TEST_F(FreeTypeRenderTest, HanInTheDefaultHeitiIsNotDrawnAsMissingGlyphBoxes)
{
    const LogFont lf = InitialLogFont(kDpi);   // "黑体", which no Linux system has by that name
    std::vector<GlyphBox> boxes;
    ASSERT_TRUE(source.render(u"你好AB", lf, kDpi, boxes));
    ASSERT_EQ(boxes.size(), 4u);
    expectStrokes(boxes[0], "你");
    expectStrokes(boxes[1], "好");
    EXPECT_NE(boxes[0].bits, boxes[1].bits);   // two characters, not one symbol twice
    EXPECT_GT(boxes[0].rows, 20);              // a full-height character at 32 px
    for (const GlyphBox& g : {boxes[2], boxes[3]})
        EXPECT_FALSE(g.bits.empty());
}

TEST_F(FreeTypeRenderTest, WindowsChineseFaceNamesResolveToAChineseFace)
{
    const std::vector<std::string> cjkFaces{"WenQuanYi Zen Hei", "WenQuanYi Micro Hei", "Noto Sans CJK SC",
                                            "Noto Serif CJK SC", "Source Han Sans SC",  "Source Han Serif SC",
                                            "AR PL UMing CN",    "AR PL SungtiL GB",    "Droid Sans Fallback"};
    ASSERT_TRUE(have(font(u"WenQuanYi Zen Hei", 24), "WenQuanYi Zen Hei"))
        << "WenQuanYi Zen Hei is not installed: scripts/packages.txt installs it";
    for (const char16_t* face :
         {u"黑体", u"宋体", u"微软雅黑", u"SimHei", u"SimSun", u"Microsoft YaHei", u"simhei", u"MicrosoftYaHei"}) {
        const LogFont lf = font(face, 24);
        const std::string name = QString::fromUtf16(face).toStdString();
        const std::string resolved = source.resolvedFamily(lf);
        EXPECT_TRUE(std::find(cjkFaces.begin(), cjkFaces.end(), resolved) != cjkFaces.end())
            << name << " -> " << resolved;
        std::vector<GlyphBox> boxes;
        ASSERT_TRUE(source.render(u"好", lf, kDpi, boxes));
        expectStrokes(boxes[0], name);
    }
}

// Each character the chosen face lacks comes from a face that has it; the others stay in
// the chosen face.
TEST_F(FreeTypeRenderTest, CharactersTheFaceLacksComeFromAFaceThatHasThem)
{
    const LogFont lf = font(u"Liberation Serif", 24);
    ASSERT_TRUE(have(lf, "Liberation Serif")) << "Liberation Serif is not installed: scripts/packages.txt installs it";
    std::vector<GlyphBox> latin, mixed, missing;
    ASSERT_TRUE(source.render(u"AB", lf, kDpi, latin));
    ASSERT_TRUE(source.render(u"你好AB\u2801\uE000", lf, kDpi, mixed));
    ASSERT_TRUE(source.render(u"\uE000", lf, kDpi, missing));   // in no installed face
    ASSERT_EQ(mixed.size(), 6u);
    expectStrokes(mixed[0], "你");
    expectStrokes(mixed[1], "好");
    EXPECT_EQ(mixed[2].bits, latin[0].bits);
    EXPECT_EQ(mixed[3].bits, latin[1].bits);
    // A braille cell: one small dot from a face that has braille, not the missing-glyph box.
    EXPECT_FALSE(mixed[4].bits.empty());
    EXPECT_LT(mixed[4].rows, missing[0].rows / 2);
    EXPECT_EQ(mixed[5].bits, missing[0].bits);
    EXPECT_EQ(litInside(missing[0], 3), 0);   // what the check above tells apart
}

TEST_F(FreeTypeRenderTest, BoldChineseFromAFallbackFaceIsSynthesised)
{
    const LogFont regular = font(u"Liberation Sans", 24);
    ASSERT_TRUE(have(regular, "Liberation Sans"))
        << "Liberation Sans is not installed: scripts/packages.txt installs it";
    ASSERT_TRUE(have(font(u"WenQuanYi Zen Hei", 24), "WenQuanYi Zen Hei"))
        << "WenQuanYi Zen Hei is not installed: scripts/packages.txt installs it";
    std::vector<GlyphBox> thin, bold;
    ASSERT_TRUE(source.render(u"好", regular, kDpi, thin));
    ASSERT_TRUE(source.render(u"好", font(u"Liberation Sans", 24, 700), kDpi, bold));
    expectStrokes(thin[0], "好");
    EXPECT_GT(litInside(bold[0], 0), litInside(thin[0], 0) * 5 / 4);   // the only face has no bold
}

}   // namespace
}   // namespace orvane::panelo
