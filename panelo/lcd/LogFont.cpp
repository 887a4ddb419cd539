#include "panelo/lcd/LogFont.h"

#include <cstdlib>
#include <limits>

namespace orvane::panelo {

int32_t MulDiv(int32_t a, int32_t b, int32_t c)
{
    if (c == 0)
        return -1;
    const int64_t num = int64_t(a) * int64_t(b);
    const bool negative = (num < 0) != (c < 0);
    const uint64_t n = num < 0 ? uint64_t(-(num + 1)) + 1 : uint64_t(num);
    const uint64_t d = c < 0 ? uint64_t(-(int64_t(c))) : uint64_t(c);
    const uint64_t q = (n + d / 2) / d;   // halves round up in magnitude
    if (q > uint64_t(std::numeric_limits<int32_t>::max()))
        return -1;
    return negative ? -int32_t(q) : int32_t(q);
}

LogFont InitialLogFont(int dpiY)
{
    LogFont lf;
    lf.faceName = u"黑体";
    lf.height = -MulDiv(24, dpiY, 72);
    lf.charSet = kDefaultCharset;
    return lf;
}

int32_t PointSize(const LogFont& lf, int dpiY)
{
    return -MulDiv(lf.height, 72, dpiY);
}

std::u16string FormatFontDescription(const LogFont& lf, int dpiY)
{
    return lf.faceName + FontDescriptionSuffix(lf, dpiY);
}

std::u16string FontDescriptionSuffix(const LogFont& lf, int dpiY)
{
    std::u16string text;
    if (lf.weight == kWeightBold)
        text += u",粗体";
    if (lf.italic)
        text += u",倾斜";
    text += u", ";
    for (char c : std::to_string(PointSize(lf, dpiY)))
        text.push_back(char16_t(c));
    return text;
}

}   // namespace orvane::panelo
