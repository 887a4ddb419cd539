#pragma once
// The LCD program's core, wrapped by its main window: the font description
// m_lf, the text, the preview bitmap and page image, the two pending-download
// flags, rendering, font fitting and the two download sequences.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "panelo/lcd/GlyphSource.h"
#include "panelo/lcd/LcdBitmap.h"
#include "panelo/lcd/LcdDevice.h"
#include "panelo/lcd/LogFont.h"
#include "platform/hid/Transport.h"

namespace orvane::panelo {

// Fitting never grows a font beyond this many points: a face whose glyphs do
// not grow with the size (a lone bitmap strike) would otherwise loop forever.
inline constexpr int kMaxFitPoints = 256;
inline constexpr int kFitMaxHeight = 30;
inline constexpr int kFitMaxWidth = 130;
inline constexpr int kFitGoodHeight = 28;
inline constexpr int kFitGoodWidth = 128;
inline constexpr int kFitMinPoints = 5;

inline constexpr uint8_t kModeLogo = 0;
inline constexpr uint8_t kModeAlternate = 1;

// What the window provides. Every member may be left empty.
struct PaneloHooks {
    LcdNotifier notify;                                      // a message box, the program's title as caption
    std::function<void()> repaint;                           // the preview must be painted again
    std::function<void(const std::u16string&)> fontLabels;   // both font description labels
    std::function<bool()> ctrlAltHeld;                       // Ctrl and Alt both down right now
};

class LcdRenderer {
public:
    LcdRenderer(hid::Backend& backend, GlyphSource& glyphs, int dpiY, PaneloHooks hooks);

    // The text box's text; changing it does not render (the window calls RenderText).
    void setText(std::u16string text) { m_text = std::move(text); }
    const std::u16string& text() const { return m_text; }
    void setLogFont(const LogFont& lf) { m_lf = lf; }
    const LogFont& logFont() const { return m_lf; }
    int dpiY() const { return m_dpiY; }

    void RenderText();
    void AutoAdjustFont();
    std::u16string FormatFontDescription() const;

    // The Download button: renders unless a logo download is pending, then
    // sends the bitmap (mode 0 for a pending logo, else mode 1).
    void Download();
    // The Default button: shows the built-in logo and downloads it.
    void Default();

    const LcdPreviewBitmap& previewBitmap() const { return m_preview; }
    const LcdPageImage& pageImage() const { return m_pageImage; }
    bool defaultPending() const { return m_bDefaultPending; }
    bool altDefaultPending() const { return m_bAltDefaultPending; }

private:
    uint8_t takePendingMode();
    void repaint() const;

    hid::Backend& m_backend;
    GlyphSource& m_glyphs;
    int m_dpiY;
    PaneloHooks m_hooks;
    LogFont m_lf;
    std::u16string m_text;
    LcdPreviewBitmap m_preview{};
    LcdPageImage m_pageImage{};
    bool m_bDefaultPending = false;
    bool m_bAltDefaultPending = false;
    std::vector<GlyphBox> m_boxes;   // reused from pass to pass
};

}   // namespace orvane::panelo
