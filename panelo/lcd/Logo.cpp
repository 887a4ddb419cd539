#include "panelo/lcd/Logo.h"

#include <array>
#include <cstdlib>
#include <string_view>

namespace orvane::panelo {
namespace {

// 5 x 7 letter shapes, one string per row, '#' = lit.
struct Letter {
    char name;
    std::array<std::string_view, 7> rows;
};

constexpr std::array<Letter, 6> kLetters{{
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'M', {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'T', {"#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
}};
constexpr Letter kLetterA{'A', {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}};

constexpr std::string_view kWord = "LUMETRA";
constexpr int kScale = 2;
constexpr int kLetterGap = 3;
constexpr int kMarkRadius = 7;
constexpr int kMarkGap = 6;
constexpr int kTop = 3;
constexpr int kRuleRow = 22;
constexpr int kLetterWidth = 5 * kScale;
constexpr int kWordWidth = int(kWord.size()) * kLetterWidth + (int(kWord.size()) - 1) * kLetterGap;
constexpr int kTotalWidth = 2 * kMarkRadius + 1 + kMarkGap + kWordWidth;
constexpr int kLeft = (kPanelWidth - kTotalWidth) / 2;

const Letter& letterFor(char c)
{
    for (const Letter& l : kLetters)
        if (l.name == c)
            return l;
    return kLetterA;
}

// A hollow diamond with a solid core.
void drawMark(LcdPreviewBitmap& bmp, int cx, int cy)
{
    for (int dy = -kMarkRadius; dy <= kMarkRadius; ++dy)
        for (int dx = -kMarkRadius; dx <= kMarkRadius; ++dx) {
            const int d = std::abs(dx) + std::abs(dy);
            if (d >= kMarkRadius - 1 || d <= 2)
                if (d <= kMarkRadius)
                    SetPreviewPixel(bmp, cx + dx, cy + dy);
        }
}

void drawLetter(LcdPreviewBitmap& bmp, const Letter& l, int left, int top)
{
    for (int r = 0; r < int(l.rows.size()); ++r)
        for (int c = 0; c < int(l.rows[std::size_t(r)].size()); ++c)
            if (l.rows[std::size_t(r)][std::size_t(c)] == '#')
                for (int sy = 0; sy < kScale; ++sy)
                    for (int sx = 0; sx < kScale; ++sx)
                        SetPreviewPixel(bmp, left + c * kScale + sx, top + r * kScale + sy);
}

// A rule under the whole mark, broken every 12 columns.
void drawRule(LcdPreviewBitmap& bmp)
{
    for (int x = kLeft; x < kLeft + kTotalWidth; ++x)
        if ((x - kLeft) % 12 != 11)
            SetPreviewPixel(bmp, x, kRuleRow);
}

LcdPageImage makeLogo()
{
    LcdPreviewBitmap bmp{};
    drawMark(bmp, kLeft + kMarkRadius, kTop + kMarkRadius - 1);
    int x = kLeft + 2 * kMarkRadius + 1 + kMarkGap;
    for (char c : kWord) {
        drawLetter(bmp, letterFor(c), x, kTop);
        x += kLetterWidth + kLetterGap;
    }
    drawRule(bmp);
    return PreviewToPageImage(bmp);
}

}   // namespace

const LcdPageImage& BuiltInLogo()
{
    static const LcdPageImage logo = makeLogo();
    return logo;
}

}   // namespace orvane::panelo
