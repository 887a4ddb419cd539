#include "panelo/lcd/LcdBitmap.h"

namespace orvane::panelo {
namespace {

bool onPanel(int x, int y)
{
    return x >= 0 && x < kPanelWidth && y >= 0 && y < kPanelHeight;
}

std::size_t previewIndex(int x, int y)
{
    return kPreviewStride * std::size_t(y) + std::size_t(x / 8);
}

uint8_t previewMask(int x)
{
    return uint8_t(0x80u >> (x % 8));
}

std::size_t pageIndex(int x, int y)
{
    return std::size_t(kPanelWidth) * std::size_t(y / kPageRows) + std::size_t(x);
}

uint8_t pageMask(int y)
{
    return uint8_t(1u << (y % kPageRows));
}

}   // namespace

bool PreviewPixel(const LcdPreviewBitmap& bmp, int x, int y)
{
    return onPanel(x, y) && (bmp[previewIndex(x, y)] & previewMask(x)) != 0;
}

void SetPreviewPixel(LcdPreviewBitmap& bmp, int x, int y)
{
    if (onPanel(x, y))
        bmp[previewIndex(x, y)] |= previewMask(x);
}

bool PagePixel(const LcdPageImage& img, int x, int y)
{
    return onPanel(x, y) && (img[pageIndex(x, y)] & pageMask(y)) != 0;
}

void SetPagePixel(LcdPageImage& img, int x, int y)
{
    if (onPanel(x, y))
        img[pageIndex(x, y)] |= pageMask(y);
}

LcdPageImage PreviewToPageImage(const LcdPreviewBitmap& bmp)
{
    LcdPageImage img{};
    for (int y = 0; y < kPanelHeight; ++y)
        for (int x = 0; x < kPanelWidth; ++x)
            if (PreviewPixel(bmp, x, y))
                SetPagePixel(img, x, y);
    return img;
}

void PageImageToPreview(const LcdPageImage& img, LcdPreviewBitmap& bmp)
{
    for (int y = 0; y < kPanelHeight; ++y)
        for (int x = 0; x < kPanelWidth; ++x)
            if (PagePixel(img, x, y))
                SetPreviewPixel(bmp, x, y);
}

std::string FormatPixelDump(const LcdPreviewBitmap& bmp)
{
    std::string out;
    out.reserve(kPanelHeight * (kPreviewStride * 8 + 2));
    for (int y = 0; y < kPanelHeight; ++y) {
        for (std::size_t k = 0; k < kPreviewStride; ++k) {
            const uint8_t byte = bmp[kPreviewStride * std::size_t(y) + k];
            for (int bit = 7; bit >= 0; --bit)
                out.push_back((byte >> bit) & 1 ? '1' : '0');
        }
        out += "\r\n";
    }
    return out;
}

}   // namespace orvane::panelo
