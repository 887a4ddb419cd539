#pragma once
// The line layout of the LCD text, on glyph boxes given as data so that the
// arithmetic is independent of the font engine.

#include <cstdint>
#include <span>
#include <vector>

#include "panelo/lcd/LcdBitmap.h"

namespace orvane::panelo {

// A glyph bitmap larger than this is not drawn (its advance still counts).
inline constexpr std::size_t kGlyphBufferBytes = 2048;

// One rendered glyph, in pixels. Its black box is `width` x `rows`; its left
// edge lies `left` right of the pen, its top row `top` rows above the baseline.
// `bits` holds the rows top first, each padded to whole 32-bit units, most
// significant bit leftmost; empty when there is nothing to draw.
struct GlyphBox {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<uint8_t> bits;
};

struct LineMetrics {
    int totalAdvance = 0;
    int ascent = 0;    // largest top
    int descent = 0;   // largest rows - top where rows exceed top
};

struct LineStart {
    int penX = 0;
    int baseline = 0;   // rows above the bottom edge
};

struct FitMetrics {
    int width = 0;
    int height = 0;
};

LineMetrics MeasureLine(std::span<const GlyphBox> glyphs);
// Centred horizontally when narrower than the panel, else from the left edge;
// the block from largest ascent to largest descent centred vertically with
// the odd spare row below.
LineStart ComputeLineStart(const LineMetrics& m);
// Draws glyph by glyph from `start`, clipping at the panel's edges, and stops
// once the pen reaches the right edge.
void DrawLine(std::span<const GlyphBox> glyphs, LineStart start, LcdPreviewBitmap& bmp);

// The fitting measure: width = sum of advances; height = the largest of
// (max(rows, top, advance) minus the glyph's descent) plus the largest descent.
FitMetrics MeasureForFit(std::span<const GlyphBox> glyphs);

// The row pitch a glyph bitmap of `width` columns is stored with.
inline int GlyphPitch(int width)
{
    return width > 0 ? ((width + 31) / 32) * 4 : 0;
}

}   // namespace orvane::panelo
