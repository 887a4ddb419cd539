#include "panelo/img/memdc.h"

#include <QPainter>

namespace orvane::panelo {

QPixmap RenderStateSurface(const QImage& image, const QSize& clientSize)
{
    // At the image's device-pixel ratio: a double image gives a double surface, copied pixel for pixel.
    const qreal scale = image.devicePixelRatio();
    QImage surface((clientSize + QSize(kSurfaceMargin, kSurfaceMargin)) * scale, QImage::Format_ARGB32_Premultiplied);
    surface.setDevicePixelRatio(scale);
    surface.fill(Qt::transparent);
    QPainter painter(&surface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(QPointF(0, 0), image.deviceIndependentSize()), image, QRectF(image.rect()));
    painter.end();
    return QPixmap::fromImage(surface);
}

}   // namespace orvane::panelo
