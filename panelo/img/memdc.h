#pragma once
// The state surfaces of a skinned window. Each holds one whole-window state image at its origin,
// one image pixel per device pixel, on a surface of the window's client size plus a margin, so
// that a button's redraw is a single rectangle copy and nothing is decoded or scaled while the
// program runs. (Qt paints through its own back buffer, so no separate off-screen context is
// kept around the copy.)

#include <QImage>
#include <QPixmap>
#include <QSize>

namespace orvane::panelo {

// The surfaces reach 100 pixels beyond the client area to the right and downwards.
inline constexpr int kSurfaceMargin = 100;

// A surface of `clientSize` + (100, 100) with `image` drawn unscaled at (0, 0); the rest is
// transparent.
QPixmap RenderStateSurface(const QImage& image, const QSize& clientSize);

}   // namespace orvane::panelo
