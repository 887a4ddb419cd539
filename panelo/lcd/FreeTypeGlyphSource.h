#pragma once
// Glyph boxes from FreeType, the face found by fontconfig for the font's
// family (a Windows Chinese face name brings in the Chinese faces installed
// here), weight and slant. A character that face lacks comes from the first
// face fontconfig sorts for the characters missing from the text that has it.
// Matches, fallbacks and faces are cached per font so that rendering on every
// keystroke stays cheap.

#include <memory>

#include "panelo/lcd/GlyphSource.h"

namespace orvane::panelo {

class FreeTypeGlyphSource final : public GlyphSource {
public:
    FreeTypeGlyphSource();
    ~FreeTypeGlyphSource() override;
    FreeTypeGlyphSource(const FreeTypeGlyphSource&) = delete;
    FreeTypeGlyphSource& operator=(const FreeTypeGlyphSource&) = delete;

    bool render(std::u16string_view text, const LogFont& lf, int dpiY, std::vector<GlyphBox>& out) override;

    // The family name of the face that `lf` resolves to (UTF-8), empty when none.
    std::string resolvedFamily(const LogFont& lf);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}   // namespace orvane::panelo
