#include "panelo/lcd/TextLayout.h"

#include <algorithm>

namespace orvane::panelo {
namespace {

// The 2048-byte rule, and a box whose bytes do not cover its rows is not drawn.
bool drawable(const GlyphBox& g)
{
    if (g.bits.empty() || g.bits.size() > kGlyphBufferBytes || g.rows <= 0 || g.width <= 0)
        return false;
    const std::size_t pitch = g.bits.size() / std::size_t(g.rows);
    return pitch * 8 >= std::size_t(g.width);
}

void drawGlyph(const GlyphBox& g, int penX, int baseline, LcdPreviewBitmap& bmp)
{
    const std::size_t pitch = g.bits.size() / std::size_t(g.rows);
    for (int r = 0; r < g.rows; ++r) {
        const int u = baseline + g.top - 1 - r;
        if (u < 0 || u >= kPanelHeight)
            continue;
        const uint8_t* row = g.bits.data() + pitch * std::size_t(r);
        for (int i = 0; i < g.width; ++i) {
            if ((row[i / 8] & (0x80u >> (i % 8))) == 0)
                continue;
            const int x = penX + g.left + i;
            if (x >= 0 && x < kPanelWidth)
                SetPreviewPixel(bmp, x, kPanelHeight - 1 - u);
        }
    }
}

}   // namespace

LineMetrics MeasureLine(std::span<const GlyphBox> glyphs)
{
    LineMetrics m;
    for (const GlyphBox& g : glyphs) {
        m.totalAdvance += g.advance;
        m.ascent = std::max(m.ascent, g.top);
        if (g.rows > g.top)
            m.descent = std::max(m.descent, g.rows - g.top);
    }
    return m;
}

LineStart ComputeLineStart(const LineMetrics& m)
{
    LineStart s;
    s.penX = m.totalAdvance < kPanelWidth ? (kPanelWidth - m.totalAdvance) / 2 : 0;
    s.baseline = m.ascent < kPanelHeight ? (kPanelHeight + 1 - m.ascent + m.descent) / 2 : (m.descent + 1) / 2;
    return s;
}

void DrawLine(std::span<const GlyphBox> glyphs, LineStart start, LcdPreviewBitmap& bmp)
{
    int penX = start.penX;
    for (const GlyphBox& g : glyphs) {
        if (drawable(g))
            drawGlyph(g, penX, start.baseline, bmp);
        penX += g.advance;
        if (penX >= kPanelWidth)
            break;
    }
}

FitMetrics MeasureForFit(std::span<const GlyphBox> glyphs)
{
    FitMetrics f;
    int largestEstimate = 0;
    int largestDescent = 0;
    for (const GlyphBox& g : glyphs) {
        f.width += g.advance;
        int estimate = std::max({g.rows, g.top, g.advance});
        if (g.rows > g.top) {
            const int descent = g.rows - g.top;
            estimate -= descent;
            largestDescent = std::max(largestDescent, descent);
        }
        largestEstimate = std::max(largestEstimate, estimate);
    }
    f.height = largestEstimate + largestDescent;
    return f;
}

}   // namespace orvane::panelo
