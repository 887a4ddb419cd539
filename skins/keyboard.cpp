// The keyboard picture kb_BK.png and its highlighted twin kb_hl.png, drawn from the key
// rectangles of KeyLayoutTable so that the picture and the hit test always agree.

#include "model/KeyTables.h"
#include "skins/Draw.h"
#include "skins/KeyLegends.h"
#include "skins/SkinContext.h"

#include <QLinearGradient>

namespace orvane::skins {
namespace {

using orvane::keymap::KeyLayoutTable;

constexpr QSize kPictureSize{636, 256};   // drawn at (311,122); keys span x 4..628, y 84..246
constexpr QRectF kCase{1, 34, 634, 220};
constexpr QRectF kLcd{440, 44, 146, 34};   // the keyboard's 132 × 32 LCD with its bezel

QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

void drawCase(QPainter& p, const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QLinearGradient g(kCase.topLeft(), kCase.bottomLeft());
    g.setColorAt(0, col(pal.keyCase).lighter(135));
    g.setColorAt(1, col(pal.keyCase));
    p.setPen(QPen(col(pal.windowEdge), 1));
    p.setBrush(g);
    p.drawRoundedRect(kCase.adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    // Accent light bar along the front edge.
    p.setPen(Qt::NoPen);
    QLinearGradient a(kCase.left(), 0, kCase.right(), 0);
    a.setColorAt(0, col(pal.accent, 0));
    a.setColorAt(0.5, col(pal.accent, 220));
    a.setColorAt(1, col(pal.accent, 0));
    p.setBrush(a);
    p.drawRect(QRectF(kCase.left() + 20, kCase.bottom() - 4, kCase.width() - 40, 1.5));
    // Brand and LCD in the top band.
    p.setFont(ctx.latinFont(15, QFont::Bold));
    p.setPen(col(pal.textDim));
    p.drawText(QRectF(40, 46, 200, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QX410"));
    p.setPen(QPen(col(pal.fieldEdge), 1));
    p.setBrush(col(0x05060a));
    p.drawRoundedRect(kLcd.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setFont(ctx.latinFont(14, QFont::Bold));
    p.setPen(col(qRgb(120, 200, 255)));
    p.drawText(kLcd, Qt::AlignCenter, QStringLiteral("ORVANE"));
    // Three indicator lights right of the LCD.
    for (int i = 0; i < 3; ++i) {
        p.setPen(Qt::NoPen);
        p.setBrush(col(i == 0 ? pal.accent : pal.keyCap));
        p.drawEllipse(QPointF(600 + i * 10, 61), 2.5, 2.5);
    }
}

void drawKey(QPainter& p, const SkinContext& ctx, std::size_t index, bool lit)
{
    const Palette& pal = ctx.palette();
    const QRectF r = keyCap(index);
    if (lit) {   // glow spilling from under the cap
        p.setPen(Qt::NoPen);
        p.setBrush(col(pal.accent, 90));
        p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), 4, 4);
    }
    p.setPen(QPen(lit ? col(pal.accentBright) : col(0x000000, 200), 1));
    p.setBrush(col(lit ? pal.keyLitCap : pal.keyCap));
    p.drawRoundedRect(r, 3, 3);
    const QRectF top = legendFace(index);
    QLinearGradient g(top.topLeft(), top.bottomLeft());
    g.setColorAt(0, col(lit ? pal.keyLitTop : pal.keyCapTop).lighter(112));
    g.setColorAt(1, col(lit ? pal.keyLitTop : pal.keyCapTop));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(top, 2.5, 2.5);
    const QString legend = keyLegend(index);
    p.setFont(legendFont(index));
    p.setPen(col(lit ? pal.keyLitLegend : pal.keyLegend));
    p.drawText(top, Qt::AlignCenter, legend);
}

QImage keyboard(const SkinContext& ctx, bool lit)
{
    QImage img = ctx.newImage(kPictureSize.width(), kPictureSize.height());
    QPainter p;
    beginPainter(p, img);
    drawCase(p, ctx);
    for (std::size_t k = 0; k < KeyLayoutTable.size(); ++k)
        drawKey(p, ctx, k, lit);
    p.end();
    return img;
}

void paintKeyboard(SkinContext& ctx)
{
    ctx.save(QStringLiteral("kb_BK.png"), keyboard(ctx, false));
    ctx.save(QStringLiteral("kb_hl.png"), keyboard(ctx, true));
}

}   // namespace
}   // namespace orvane::skins

ORVANE_SKIN_PAINTER(keyboard, orvane::skins::paintKeyboard);
