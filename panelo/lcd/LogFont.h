#pragma once
// The description of the display font (the fields of a LOGFONT that matter
// here) and the point/pixel arithmetic of the LCD program.

#include <cstdint>
#include <string>

namespace orvane::panelo {

inline constexpr int kWeightBold = 700;
inline constexpr uint8_t kDefaultCharset = 1;

struct LogFont {
    int32_t height = 0;   // < 0: pixel em size; > 0: cell height; 0: default size
    int32_t width = 0;    // average character width in pixels; 0: natural width
    int32_t escapement = 0;
    int32_t orientation = 0;
    int32_t weight = 0;   // 0 = default (400), 700 = bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    uint8_t charSet = 0;
    uint8_t outPrecision = 0;
    uint8_t clipPrecision = 0;
    uint8_t quality = 0;
    uint8_t pitchAndFamily = 0;
    std::u16string faceName;   // at most 31 units

    bool operator==(const LogFont&) const = default;
};

// a*b/c with a 64-bit intermediate, rounded to the nearest integer with halves
// away from zero. Returns -1 when c is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

// "黑体", 24 points at `dpiY` pixels per inch, default character set.
LogFont InitialLogFont(int dpiY);

// The point size that `lf.height` stands for: -MulDiv(height, 72, dpiY).
int32_t PointSize(const LogFont& lf, int dpiY);

// Face name, ",粗体" for weight 700, ",倾斜" for italic, then ", <points>".
std::u16string FormatFontDescription(const LogFont& lf, int dpiY);
// What follows the face name in that description.
std::u16string FontDescriptionSuffix(const LogFont& lf, int dpiY);

}   // namespace orvane::panelo
