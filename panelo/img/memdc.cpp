#include "panelo/img/memdc.h"

#include <QPainter>

namespace orvane::panelo {

QPixmap RenderStateSurface(const QImage& image, const QSize& clientSize)
{
    QImage surface(clientSize + QSize(kSurfaceMargin, kSurfaceMargin), QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::transparent);
    QPainter painter(&surface);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect sameSize(QPoint(0, 0), image.size());
    painter.drawImage(sameSize, image, sameSize);
    painter.end();
    return QPixmap::fromImage(surface);
}

} // namespace orvane::panelo
