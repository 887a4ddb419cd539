#pragma once
// The two pixel layouts of the 132 x 32 one-bit LCD panel.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane::panelo {

inline constexpr int kPanelWidth = 132;
inline constexpr int kPanelHeight = 32;

// Preview layout: 32 rows of 17 bytes, top row first; in a row byte k holds
// columns 8k..8k+7, most significant bit leftmost. Columns 132..135 are padding
// and stay 0.
inline constexpr std::size_t kPreviewStride = 17;
inline constexpr std::size_t kPreviewBytes = kPreviewStride * kPanelHeight;
static_assert(kPreviewBytes == 544);
using LcdPreviewBitmap = std::array<uint8_t, kPreviewBytes>;

// Keyboard layout: four pages of 8 rows; byte 132*p + x holds column x of page
// p, bit b (least significant first) is row 8p + b.
inline constexpr int kPageRows = 8;
inline constexpr int kPageCount = kPanelHeight / kPageRows;
inline constexpr std::size_t kPageImageBytes = std::size_t(kPanelWidth) * kPageCount;
static_assert(kPageImageBytes == 528);
using LcdPageImage = std::array<uint8_t, kPageImageBytes>;

// Pixel helpers; coordinates outside the panel read as dark and are not written.
bool PreviewPixel(const LcdPreviewBitmap& bmp, int x, int y);
void SetPreviewPixel(LcdPreviewBitmap& bmp, int x, int y);
bool PagePixel(const LcdPageImage& img, int x, int y);
void SetPagePixel(LcdPageImage& img, int x, int y);

LcdPageImage PreviewToPageImage(const LcdPreviewBitmap& bmp);
// Sets in `bmp` every pixel lit in `img`; the caller clears `bmp` first.
void PageImageToPreview(const LcdPageImage& img, LcdPreviewBitmap& bmp);

// The pixel dump: 32 lines of the 136 bits of each row ("0"/"1", most
// significant bit first), each followed by "\r\n".
std::string FormatPixelDump(const LcdPreviewBitmap& bmp);

}   // namespace orvane::panelo
