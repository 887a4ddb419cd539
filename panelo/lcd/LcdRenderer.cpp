#include "panelo/lcd/LcdRenderer.h"

#include <algorithm>

#include <cstdlib>

#include "panelo/lcd/Dumps.h"
#include "panelo/lcd/Logo.h"
#include "panelo/lcd/TextLayout.h"

namespace orvane::panelo {
namespace {

constexpr const char* kPixelDumpName = "LcdPixel.txt";

int64_t magnitude(int32_t v)
{
    return std::llabs(int64_t(v));
}

}   // namespace

LcdRenderer::LcdRenderer(hid::Backend& backend, GlyphSource& glyphs, int dpiY, PaneloHooks hooks)
    : m_backend(backend), m_glyphs(glyphs), m_dpiY(dpiY), m_hooks(std::move(hooks)), m_lf(InitialLogFont(dpiY))
{}

void LcdRenderer::RenderText()
{
    m_preview.fill(0);
    if (!m_text.empty() && m_glyphs.render(m_text, m_lf, m_dpiY, m_boxes))
        DrawLine(m_boxes, ComputeLineStart(MeasureLine(m_boxes)), m_preview);
    const std::string dump = FormatPixelDump(m_preview);
    WriteDump(kPixelDumpName, {reinterpret_cast<const uint8_t*>(dump.data()), dump.size()});
    repaint();
}

void LcdRenderer::AutoAdjustFont()
{
    if (m_text.empty())
        return;
    int32_t previous = m_lf.height;
    while (m_glyphs.render(m_text, m_lf, m_dpiY, m_boxes)) {
        const FitMetrics fit = MeasureForFit(m_boxes);
        const int32_t points = PointSize(m_lf, m_dpiY);
        if (fit.height > kFitMaxHeight || fit.width > kFitMaxWidth) {
            if (magnitude(previous) < magnitude(m_lf.height)) {
                m_lf.height = previous;   // the last growth step overshot
                break;
            }
            if (points - 1 < kFitMinPoints)
                break;
            previous = m_lf.height;
            // Fitting never ends above its limit, so a larger font goes straight down to it
            // rather than one point per render.
            m_lf.height = -MulDiv(std::min(points - 1, kMaxFitPoints), m_dpiY, 72);
            // Below 72 dots per inch a point is less than a pixel: step a pixel instead, so
            // that every round tries another size.
            if (magnitude(m_lf.height) >= magnitude(previous)) {
                if (magnitude(previous) <= 1) {
                    m_lf.height = previous;   // a pixel is as small as it gets
                    break;
                }
                m_lf.height = -(magnitude(previous) - 1);
            }
        } else {
            if (fit.height >= kFitGoodHeight || fit.width >= kFitGoodWidth)
                break;
            if (magnitude(previous) > magnitude(m_lf.height) || points >= kMaxFitPoints)
                break;
            previous = m_lf.height;
            m_lf.height = -MulDiv(points + 1, m_dpiY, 72);
            if (magnitude(m_lf.height) <= magnitude(previous))
                m_lf.height = -(magnitude(previous) + 1);
        }
    }
    if (m_hooks.fontLabels)
        m_hooks.fontLabels(FormatFontDescription());
    RenderText();
}

std::u16string LcdRenderer::FormatFontDescription() const
{
    return panelo::FormatFontDescription(m_lf, m_dpiY);
}

uint8_t LcdRenderer::takePendingMode()
{
    if (m_bDefaultPending) {
        m_bDefaultPending = false;
        return kModeLogo;
    }
    m_bAltDefaultPending = false;
    return kModeAlternate;
}

void LcdRenderer::Download()
{
    if (!m_bDefaultPending && !m_bAltDefaultPending)
        RenderText();
    m_pageImage = PreviewToPageImage(m_preview);
    repaint();
    const LcdNotifier notify = m_hooks.notify ? m_hooks.notify : [](const std::u16string&) {};
    DownloadLcdImage(
        m_backend, m_pageImage, [this] { return takePendingMode(); }, notify);
}

void LcdRenderer::Default()
{
    m_preview.fill(0);
    m_pageImage = BuiltInLogo();
    // The latest press decides the mode: a flag left from an earlier press
    // that found no keyboard must not override it.
    const bool alternate = m_hooks.ctrlAltHeld && m_hooks.ctrlAltHeld();
    m_bAltDefaultPending = alternate;
    m_bDefaultPending = !alternate;
    PageImageToPreview(m_pageImage, m_preview);
    repaint();
    Download();
}

void LcdRenderer::repaint() const
{
    if (m_hooks.repaint)
        m_hooks.repaint();
}

}   // namespace orvane::panelo
