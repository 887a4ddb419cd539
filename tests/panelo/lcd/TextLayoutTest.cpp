#include <gtest/gtest.h>

#include "panelo/lcd/TextLayout.h"

namespace orvane::panelo {
namespace {

// A solid glyph of w x h pixels, its rows 32-bit padded.
GlyphBox solid(int w, int h, int left, int top, int advance)
{
    GlyphBox g{w, h, left, top, advance, {}};
    const int pitch = GlyphPitch(w);
    g.bits.assign(std::size_t(pitch * h), 0);
    for (int r = 0; r < h; ++r)
        for (int i = 0; i < w; ++i)
            g.bits[std::size_t(r * pitch + i / 8)] |= uint8_t(0x80 >> (i % 8));
    return g;
}

GlyphBox blank(int advance)
{
    return GlyphBox{0, 0, 0, 0, advance, {}};
}

std::vector<int> litColumns(const LcdPreviewBitmap& bmp)
{
    std::vector<int> cols;
    for (int x = 0; x < 132; ++x)
        for (int y = 0; y < 32; ++y)
            if (PreviewPixel(bmp, x, y)) {
                cols.push_back(x);
                break;
            }
    return cols;
}

TEST(TextLayout, StartXCentresNarrowTextOnly)
{
    struct Case {
        int total, penX;
    };
    for (const Case c : {Case{132, 0}, Case{131, 0}, Case{100, 16}, Case{200, 0}, Case{0, 66}, Case{1, 65}}) {
        const std::vector<GlyphBox> glyphs{blank(c.total / 2), blank(c.total - c.total / 2)};
        const LineMetrics m = MeasureLine(glyphs);
        EXPECT_EQ(m.totalAdvance, c.total);
        EXPECT_EQ(ComputeLineStart(m).penX, c.penX) << c.total;
    }
}

TEST(TextLayout, BaselineCentresTheBlockWithTheOddRowBelow)
{
    struct Case {
        int ascent, descent, baseline;
    };
    for (const Case c : {Case{20, 5, 9}, Case{0, 0, 16}, Case{31, 0, 1}, Case{32, 6, 3}, Case{40, 9, 5}})
        EXPECT_EQ(ComputeLineStart({0, c.ascent, c.descent}).baseline, c.baseline) << c.ascent << "/" << c.descent;
}

TEST(TextLayout, MeasureTakesLargestAscentAndDescent)
{
    // top 20 (no descent), a 25-row glyph with top 20 (descent 5), one with top 3 and 5 rows (descent 2).
    const std::vector<GlyphBox> glyphs{solid(3, 20, 0, 20, 4), solid(3, 25, 0, 20, 4), solid(2, 5, 0, 3, 4)};
    const LineMetrics m = MeasureLine(glyphs);
    EXPECT_EQ(m.ascent, 20);
    EXPECT_EQ(m.descent, 5);
    EXPECT_EQ(m.totalAdvance, 12);

    LcdPreviewBitmap bmp{};
    DrawLine(glyphs, ComputeLineStart(m), bmp);
    // Baseline 9 above the bottom edge: the tall glyph spans rows 3..27 (4 spare rows below, 3 above).
    const int x = (132 - 12) / 2 + 4;
    EXPECT_FALSE(PreviewPixel(bmp, x, 2));
    EXPECT_TRUE(PreviewPixel(bmp, x, 3));
    EXPECT_TRUE(PreviewPixel(bmp, x, 27));
    EXPECT_FALSE(PreviewPixel(bmp, x, 28));
}

TEST(TextLayout, GlyphAtPen131IsClippedAndTheNextIsNotDrawn)
{
    std::vector<GlyphBox> glyphs{blank(131), solid(4, 4, 0, 4, 5), solid(4, 4, -10, 4, 5)};
    LcdPreviewBitmap bmp{};
    DrawLine(glyphs, LineStart{0, 10}, bmp);
    EXPECT_EQ(litColumns(bmp), std::vector<int>{131});
    // Without the stop the third glyph (drawn 10 left of its pen, 121..124) would show.
    glyphs[1].advance = 0;
    bmp = {};
    DrawLine(glyphs, LineStart{0, 10}, bmp);
    EXPECT_EQ(litColumns(bmp), (std::vector<int>{121, 122, 123, 124, 131}));
}

TEST(TextLayout, SpaceAndOversizedGlyphLeaveAGapOfTheirAdvance)
{
    GlyphBox over = solid(200, 70, 0, 20, 7);     // 28 x 70 = 1960: fine
    GlyphBox tooBig = solid(200, 80, 0, 20, 7);   // 28 x 80 = 2240 > 2048
    ASSERT_LE(over.bits.size(), kGlyphBufferBytes);
    ASSERT_GT(tooBig.bits.size(), kGlyphBufferBytes);
    for (const GlyphBox& gap : {blank(7), tooBig}) {
        const std::vector<GlyphBox> glyphs{solid(3, 3, 1, 3, 5), gap, solid(3, 3, 1, 3, 5)};
        LcdPreviewBitmap bmp{};
        DrawLine(glyphs, LineStart{10, 10}, bmp);
        EXPECT_EQ(litColumns(bmp), (std::vector<int>{11, 12, 13, 23, 24, 25}));
    }
    LcdPreviewBitmap bmp{};
    const std::vector<GlyphBox> glyphs{over};
    DrawLine(glyphs, LineStart{0, 10}, bmp);
    EXPECT_EQ(litColumns(bmp).size(), 132u);
}

TEST(TextLayout, DrawingFollowsBitsAndRowPitch)
{
    // A 2-column glyph with only (0, top row) and (1, bottom row) lit.
    GlyphBox g{2, 3, 2, 3, 4, std::vector<uint8_t>(12, 0)};
    g.bits[0] = 0x80;
    g.bits[8] = 0x40;
    LcdPreviewBitmap bmp{};
    DrawLine(std::vector<GlyphBox>{g}, LineStart{10, 5}, bmp);
    LcdPreviewBitmap expected{};
    SetPreviewPixel(expected, 12, 31 - 7);   // u = 5 + 3 - 1 - 0
    SetPreviewPixel(expected, 13, 31 - 5);   // u = 5 + 3 - 1 - 2
    EXPECT_EQ(bmp, expected);
}

TEST(TextLayout, FitMeasureCountsAdvanceInTheHeight)
{
    // rows 10 top 10: estimate max(10,10,12)=12; rows 14 top 10: estimate 14-4=10, descent 4.
    const std::vector<GlyphBox> glyphs{solid(8, 10, 0, 10, 12), solid(8, 14, 0, 10, 9)};
    const FitMetrics f = MeasureForFit(glyphs);
    EXPECT_EQ(f.width, 21);
    EXPECT_EQ(f.height, 16);
}

}   // namespace
}   // namespace orvane::panelo
