// The profile panel's images (png/<language>/Config/): the background with the list's panel, the close
// button and the faces of the New and Delete buttons.
//
// The panel places its list at (1,34), 260 x 540, and draws it over its own background (the list's
// edit mode 3), so the background carries the list's recessed panel; the buttons stand at (13,575) and
// (183,575) with their captions drawn by the program at y 578, so their faces keep the top 20 pixels
// free of artwork and carry their glyph below.

#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QPainterPath>

namespace orvane::skins {
namespace {

constexpr QSize kWindowSize{264, 632};
constexpr QRect kListPanel{1, 32, 262, 540};
constexpr QSize kCloseSize{16, 16};
constexpr QSize kButtonSize{67, 50};
constexpr int kTitleStrip = 30;
constexpr int kCaptionBand = 20;   // the program's caption sits in the top of a button face

QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

QImage background(const SkinContext& ctx)
{
    const Palette& pal = palette();
    QImage img = ctx.newImage(kWindowSize.width(), kWindowSize.height());
    QPainter p;
    beginPainter(p, img);
    drawWindowBackground(p, QRect(QPoint(0, 0), kWindowSize));
    QLinearGradient title(0, 0, 0, kTitleStrip);
    title.setColorAt(0, col(pal.headerHigh));
    title.setColorAt(1, col(pal.window));
    p.fillRect(QRect(1, 1, kWindowSize.width() - 2, kTitleStrip - 1), title);
    p.fillRect(QRect(10, 27, 64, 2), col(pal.accent));
    // The list's panel: a recessed field.
    const QRectF list = QRectF(kListPanel).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient body(list.topLeft(), list.bottomLeft());
    body.setColorAt(0, col(pal.field));
    body.setColorAt(1, col(pal.panel).darker(120));
    p.setPen(QPen(col(pal.fieldEdge), 1));
    p.setBrush(body);
    p.drawRoundedRect(list, 3, 3);
    p.setPen(QPen(col(0, 120), 1));
    p.drawLine(QPointF(list.left() + 3, list.top() + 1), QPointF(list.right() - 3, list.top() + 1));
    // Footer: a dim well under each button.
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal.panel));
    p.drawRoundedRect(QRectF(11.5, 573.5, kButtonSize.width() + 4, kButtonSize.height() + 4), 5, 5);
    p.drawRoundedRect(QRectF(181.5, 573.5, kButtonSize.width() + 4, kButtonSize.height() + 4), 5, 5);
    return img;
}

QImage closeButton(const SkinContext& ctx)
{
    const Palette& pal = palette();
    QImage img = ctx.newImage(kCloseSize.width(), kCloseSize.height());
    QPainter p;
    beginPainter(p, img);
    p.setPen(QPen(col(pal.fieldEdge), 1));
    p.setBrush(col(pal.header));
    p.drawRoundedRect(QRectF(0.5, 0.5, kCloseSize.width() - 1, kCloseSize.height() - 1), 3, 3);
    p.setPen(QPen(col(pal.accentBright), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    return img;
}

enum class FaceGlyph { Plus, Bin };

void drawBinGlyph(QPainter& p, const QPointF& c, const QColor& colour)
{
    p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(c.x() - 8, c.y() - 7), QPointF(c.x() + 8, c.y() - 7));
    p.drawLine(QPointF(c.x() - 3, c.y() - 9.5), QPointF(c.x() + 3, c.y() - 9.5));
    QPainterPath can;
    can.moveTo(c.x() - 6, c.y() - 4);
    can.lineTo(c.x() - 5, c.y() + 8);
    can.lineTo(c.x() + 5, c.y() + 8);
    can.lineTo(c.x() + 6, c.y() - 4);
    p.drawPath(can);
    p.drawLine(QPointF(c.x() - 2, c.y() - 1), QPointF(c.x() - 2, c.y() + 5));
    p.drawLine(QPointF(c.x() + 2, c.y() - 1), QPointF(c.x() + 2, c.y() + 5));
}

QImage buttonFace(const SkinContext& ctx, FaceGlyph glyph)
{
    const Palette& pal = palette();
    QImage img = ctx.newImage(kButtonSize.width(), kButtonSize.height());
    QPainter p;
    beginPainter(p, img);
    drawButton(p, QRectF(0.5, 0.5, kButtonSize.width() - 1, kButtonSize.height() - 1), ButtonState::Normal, 5);
    p.fillRect(QRectF(8, kCaptionBand + 1, kButtonSize.width() - 16, 1), col(pal.panelEdge));
    const QPointF centre(kButtonSize.width() / 2.0, kCaptionBand + (kButtonSize.height() - kCaptionBand) / 2.0 + 1);
    if (glyph == FaceGlyph::Plus) {
        p.setPen(QPen(col(pal.accent), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre + QPointF(-8, 0), centre + QPointF(8, 0));
        p.drawLine(centre + QPointF(0, -8), centre + QPointF(0, 8));
    } else {
        drawBinGlyph(p, centre + QPointF(0, 1), col(pal.accent));
    }
    return img;
}

void paintProfilePanel(SkinContext& ctx)
{
    const QString dir = QStringLiteral("Config/");
    ctx.save(dir + "Config.png", background(ctx));
    ctx.save(dir + "button-close-normal.png", closeButton(ctx));
    ctx.save(dir + "New.png", buttonFace(ctx, FaceGlyph::Plus));
    ctx.save(dir + "Delete.png", buttonFace(ctx, FaceGlyph::Bin));
}

}   // namespace
}   // namespace orvane::skins

ORVANE_SKIN_PAINTER(profile_panel, orvane::skins::paintProfilePanel);
