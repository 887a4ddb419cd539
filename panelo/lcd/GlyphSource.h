#pragma once
// Where the renderer gets its glyph boxes from: FreeType in the program, a
// table of boxes in tests.

#include <string_view>
#include <vector>

#include "panelo/lcd/LogFont.h"
#include "panelo/lcd/TextLayout.h"

namespace orvane::panelo {

class GlyphSource {
public:
    virtual ~GlyphSource() = default;

    // Replaces `out` with one box per UTF-16 code unit of `text`, in the font
    // `lf` at `dpiY` pixels per inch. A code unit that cannot be rendered
    // gives a box without bits that still advances. False (and `out` empty)
    // when no font at all can be made.
    virtual bool render(std::u16string_view text, const LogFont& lf, int dpiY, std::vector<GlyphBox>& out) = 0;
};

}   // namespace orvane::panelo
