#include <gtest/gtest.h>

#include "panelo/lcd/LcdBitmap.h"
#include "panelo/lcd/LogFont.h"
#include "panelo/lcd/Logo.h"

namespace orvane::panelo {
namespace {

TEST(LcdBitmap, ConversionPlacesPixelsInBothLayouts)
{
    struct Case {
        int x, y;
        std::size_t previewByte;
        uint8_t previewBit;
        std::size_t pageByte;
        uint8_t pageBit;
    };
    for (const Case c :
         {Case{0, 0, 0, 0x80, 0, 0x01}, Case{7, 0, 0, 0x01, 7, 0x01}, Case{8, 1, 18, 0x80, 8, 0x02},
          Case{131, 7, 7 * 17 + 16, 0x10, 131, 0x80}, Case{0, 8, 8 * 17, 0x80, 132, 0x01},
          Case{131, 31, 31 * 17 + 16, 0x10, 527, 0x80}, Case{70, 20, 20 * 17 + 8, 0x02, 264 + 70, 0x10}}) {
        LcdPreviewBitmap bmp{};
        SetPreviewPixel(bmp, c.x, c.y);
        ASSERT_EQ(bmp[c.previewByte], c.previewBit) << c.x << "," << c.y;
        const LcdPageImage img = PreviewToPageImage(bmp);
        EXPECT_EQ(img[c.pageByte], c.pageBit) << c.x << "," << c.y;
        EXPECT_EQ(std::count_if(img.begin(), img.end(), [](uint8_t b) { return b != 0; }), 1);
        LcdPreviewBitmap back{};
        PageImageToPreview(img, back);
        EXPECT_EQ(back, bmp);
    }
}

TEST(LcdBitmap, PaddingColumnsAreNeitherWrittenNorConverted)
{
    LcdPreviewBitmap bmp{};
    SetPreviewPixel(bmp, 132, 0);
    SetPreviewPixel(bmp, -1, 0);
    SetPreviewPixel(bmp, 0, 32);
    EXPECT_EQ(bmp, LcdPreviewBitmap{});
    bmp[16] = 0x0F;   // columns 132..135 set behind the helpers' back
    EXPECT_EQ(PreviewToPageImage(bmp), LcdPageImage{});
}

TEST(LcdBitmap, PixelDumpIs32LinesOf136Bits)
{
    LcdPreviewBitmap bmp{};
    std::string zeroLine(136, '0');
    std::string expected;
    for (int i = 0; i < 32; ++i)
        expected += zeroLine + "\r\n";
    EXPECT_EQ(FormatPixelDump(bmp), expected);

    SetPreviewPixel(bmp, 0, 0);
    SetPreviewPixel(bmp, 131, 31);
    const std::string dump = FormatPixelDump(bmp);
    EXPECT_EQ(dump.substr(0, 3), "100");
    EXPECT_EQ(dump.substr(31 * 138, 138), std::string(131, '0') + "10000\r\n");
}

TEST(LcdLogo, IsDrawnInTheUpperMiddle)
{
    const LcdPageImage& logo = BuiltInLogo();
    int lit = 0, minX = 132, maxX = -1, maxY = -1;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 132; ++x)
            if (PagePixel(logo, x, y)) {
                ++lit;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                maxY = std::max(maxY, y);
            }
    EXPECT_GT(lit, 200);
    EXPECT_LE(std::abs((131 - maxX) - minX), 1);   // centred
    EXPECT_LT(maxY, 24);
}

TEST(LogFontMath, MulDivRoundsHalvesAwayFromZero)
{
    struct Case {
        int32_t a, b, c, result;
    };
    for (const Case c :
         {Case{24, 96, 72, 32}, Case{24, 120, 72, 40}, Case{1, 3, 2, 2}, Case{-1, 3, 2, -2}, Case{1, -3, 2, -2},
          Case{5, 1, 4, 1}, Case{7, 1, 4, 2}, Case{-32, 72, 96, -24}, Case{-33, 72, 96, -25}, Case{-31, 72, 96, -23},
          Case{2000000000, 3, 4, 1500000000}, Case{2000000000, 2000000000, 2000000000, 2000000000}, Case{1, 1, 0, -1},
          Case{2000000000, 2, 1, -1}})
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

TEST(LogFontMath, InitialFontIs24PointHeiti)
{
    const LogFont lf = InitialLogFont(96);
    EXPECT_EQ(lf.faceName, u"黑体");
    EXPECT_EQ(lf.height, -32);
    EXPECT_EQ(lf.width, 0);
    EXPECT_EQ(lf.charSet, 1);
    EXPECT_EQ(FormatFontDescription(lf, 96), u"黑体, 24");
    EXPECT_EQ(InitialLogFont(120).height, -40);
}

TEST(LogFontMath, DescriptionNamesBoldOnlyAt700)
{
    LogFont lf;
    lf.faceName = u"Liberation Sans";
    lf.height = -16;   // 12 points at 96
    lf.weight = 700;
    lf.italic = true;
    EXPECT_EQ(FormatFontDescription(lf, 96), u"Liberation Sans,粗体,倾斜, 12");
    lf.italic = false;
    for (int weight : {600, 800}) {
        lf.weight = weight;
        EXPECT_EQ(FormatFontDescription(lf, 96), u"Liberation Sans, 12") << weight;
    }
}

}   // namespace
}   // namespace orvane::panelo
