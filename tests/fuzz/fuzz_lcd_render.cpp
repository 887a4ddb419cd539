// libFuzzer target: the LCD program's renderer with any text (lone and paired surrogates,
// combining marks, control characters, very long strings) and any font description (sizes,
// widths and weights of any sign and size, any face name, a known or an unknown one), through
// RenderText, the automatic font fitting and the font description. The renderer must end, stay
// inside its bitmaps and fit a font no larger than its limit.
//
// Input layout: 24 bytes of font description (height, width, weight and the dots per inch as
// 32-bit values, then the flag, charset and face bytes), then the text as UTF-16 LE units.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "panelo/lcd/LcdRenderer.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;
using namespace orvane::panelo;

namespace {

class NoKeyboard final : public hid::Backend {
public:
    std::vector<hid::InterfaceInfo> enumerate() override { return {}; }
    std::unique_ptr<hid::Device> open(const std::string&) override { return nullptr; }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }
};

int32_t int32At(const uint8_t* p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Installed faces, the default face and names no font has.
const std::u16string kFaces[] = {u"",
                                 u"\u9ED1\u4F53",
                                 u"DejaVu Sans",
                                 u"DejaVu Sans Mono",
                                 u"Liberation Serif",
                                 u"WenQuanYi Zen Hei",
                                 u"No Such Face",
                                 std::u16string(1, char16_t(0xD800))};

}   // namespace

// fontconfig keeps what it loads once (its configuration, the font list) to the end of the process
// and drops its last pointer to a few hundred bytes of it: the seeds alone show the same 288 bytes
// at exit, so it is no leak of the renderer, which would grow with the inputs.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    constexpr std::size_t kHeader = 24;
    if (size < kHeader)
        return 0;
    static FreeTypeGlyphSource glyphs;
    static NoKeyboard backend;
    LogFont lf;
    lf.height = int32At(data);
    lf.width = int32At(data + 4);
    lf.weight = int32At(data + 8);
    // A common resolution most of the time, now and then any a screen may report (1..2000).
    const uint32_t rawDpi = uint32_t(int32At(data + 12));
    const int dpiY = (data[16] & 0x80) ? 1 + int(rawDpi % 2000) : 72 + int(rawDpi % 200);
    lf.italic = data[16] & 1;
    lf.underline = data[16] & 2;
    lf.strikeOut = data[16] & 4;
    lf.charSet = data[17];
    lf.quality = data[18];
    lf.pitchAndFamily = data[19];
    if (data[20] < 0xF0) {
        lf.faceName = kFaces[data[20] % std::size(kFaces)];
    } else {   // a face name of any units, at most 31
        for (std::size_t i = 0; i < (data[21] % 32) && 22 + 2 * i + 1 < size; ++i)
            lf.faceName.push_back(char16_t(data[22 + 2 * i] | data[23 + 2 * i] << 8));
    }
    std::u16string text;
    for (std::size_t i = kHeader; i + 1 < size; i += 2)
        text.push_back(char16_t(data[i] | data[i + 1] << 8));
    // Any size for a few characters; a long text in the sizes a font chooser offers (every glyph
    // of a 4,096-pixel font is a 16-megapixel bitmap, which only makes the run slow).
    if (text.size() > 4) {
        lf.height %= 700;
        lf.width %= 700;
    }

    int repaints = 0;
    LcdRenderer renderer(backend, glyphs, dpiY, {{}, [&] { ++repaints; }, {}, {}});
    renderer.setLogFont(lf);
    renderer.setText(text);
    renderer.RenderText();
    (void)renderer.FormatFontDescription();
    // Fitting renders once per point size on its way: from the sizes a chooser offers.
    if ((data[16] & 0x40) && lf.height > -700 && lf.height < 700)
        renderer.AutoAdjustFont();
    return 0;
}
