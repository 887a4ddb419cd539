#include "skins/Draw.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace orvane::skins {

namespace {

const Palette& pal()
{
    return palette();
}
QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

}   // namespace

void beginPainter(QPainter& p, QImage& image)
{
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

void drawWindowBackground(QPainter& p, const QRect& r, int radius)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, col(pal().window).lighter(118));
    g.setColorAt(0.35, col(pal().window));
    g.setColorAt(1, col(pal().window).darker(115));
    p.setPen(QPen(col(pal().windowEdge), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void drawSectionHeader(QPainter& p, const QRect& r, bool open, bool chevron)
{
    const QRectF f = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(f.topLeft(), f.bottomLeft());
    g.setColorAt(0, col(pal().headerHigh));
    g.setColorAt(1, col(pal().header));
    p.setPen(QPen(col(pal().panelEdge), 1));
    p.setBrush(g);
    p.drawRoundedRect(f, 3, 3);
    // Light line along the top edge, as on a raised strip.
    p.setPen(QPen(col(pal().text, 28), 1));
    p.drawLine(QPointF(f.left() + 3, f.top() + 1), QPointF(f.right() - 3, f.top() + 1));
    // Accent mark at the left: full when open, dim when closed.
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal().accent, open ? 255 : 150));
    p.drawRoundedRect(QRectF(f.left() + 2, f.top() + 4, 3, f.height() - 8), 1.5, 1.5);
    if (!chevron)
        return;
    const qreal s = f.height() - 8;
    drawGlyph(p, QRectF(f.right() - s - 6, f.top() + 4, s, s), open ? Glyph::ChevronDown : Glyph::ChevronRight,
              col(open ? pal().accentBright : pal().textDim));
}

void drawPanelBody(QPainter& p, const QRect& r)
{
    const QRectF f = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(f.topLeft(), f.bottomLeft());
    g.setColorAt(0, col(pal().panel).darker(110));
    g.setColorAt(1, col(pal().panel));
    p.setPen(QPen(col(pal().panelEdge, 170), 1));
    p.setBrush(g);
    p.drawRoundedRect(f, 3, 3);
}

void drawField(QPainter& p, const QRectF& r, qreal radius)
{
    const QRectF f = r.adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(col(pal().fieldEdge), 1));
    p.setBrush(col(pal().field));
    p.drawRoundedRect(f, radius, radius);
    p.setPen(QPen(col(0, 120), 1));
    p.drawLine(QPointF(f.left() + radius, f.top() + 1), QPointF(f.right() - radius, f.top() + 1));
}

void drawButton(QPainter& p, const QRectF& r, ButtonState state, qreal radius)
{
    const bool hover = state == ButtonState::Hover;
    const QRectF f = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(f.topLeft(), f.bottomLeft());
    if (hover) {
        g.setColorAt(0, col(pal().accentBright));
        g.setColorAt(0.5, col(pal().accent));
        g.setColorAt(1, col(pal().accent).darker(140));
    } else {
        g.setColorAt(0, col(pal().headerHigh).lighter(110));
        g.setColorAt(1, col(pal().header).darker(115));
    }
    p.setPen(QPen(hover ? col(pal().accentBright) : col(pal().fieldEdge), 1));
    p.setBrush(g);
    p.drawRoundedRect(f, radius, radius);
    p.setPen(QPen(col(pal().text, hover ? 70 : 30), 1));
    p.drawLine(QPointF(f.left() + radius, f.top() + 1), QPointF(f.right() - radius, f.top() + 1));
}

void drawRadio(QPainter& p, const QRectF& r, bool chosen)
{
    const QRectF f = r.adjusted(0.75, 0.75, -0.75, -0.75);
    p.setPen(QPen(chosen ? col(pal().accentBright) : col(pal().textFaint), 1.5));
    p.setBrush(col(pal().field));
    p.drawEllipse(f);
    if (chosen) {
        p.setPen(Qt::NoPen);
        QRadialGradient g(f.center(), f.width() / 2);
        g.setColorAt(0, col(pal().accentBright));
        g.setColorAt(1, col(pal().accent));
        p.setBrush(g);
        const qreal inset = f.width() * 0.27;
        p.drawEllipse(f.adjusted(inset, inset, -inset, -inset));
    }
}

void drawGlyph(QPainter& p, const QRectF& r, Glyph glyph, const QColor& colour)
{
    const qreal w = r.width(), h = r.height();
    const QPointF o = r.topLeft();
    auto pt = [&](qreal x, qreal y) { return o + QPointF(x * w, y * h); };
    QPainterPath path;
    switch (glyph) {
    case Glyph::Up:
        path.moveTo(pt(0.5, 0.15));
        path.lineTo(pt(0.9, 0.8));
        path.lineTo(pt(0.1, 0.8));
        break;
    case Glyph::Down:
        path.moveTo(pt(0.1, 0.2));
        path.lineTo(pt(0.9, 0.2));
        path.lineTo(pt(0.5, 0.85));
        break;
    case Glyph::Left:
        path.moveTo(pt(0.15, 0.5));
        path.lineTo(pt(0.8, 0.1));
        path.lineTo(pt(0.8, 0.9));
        break;
    case Glyph::Right:
        path.moveTo(pt(0.2, 0.1));
        path.lineTo(pt(0.85, 0.5));
        path.lineTo(pt(0.2, 0.9));
        break;
    case Glyph::ChevronDown:
    case Glyph::ChevronRight: {
        QPainterPath c;
        if (glyph == Glyph::ChevronDown) {
            c.moveTo(pt(0.2, 0.35));
            c.lineTo(pt(0.5, 0.68));
            c.lineTo(pt(0.8, 0.35));
        } else {
            c.moveTo(pt(0.35, 0.2));
            c.lineTo(pt(0.68, 0.5));
            c.lineTo(pt(0.35, 0.8));
        }
        p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(c);
        return;
    }
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
}

void drawCentredText(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& colour)
{
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void drawEmblem(QPainter& p, const QRectF& r)
{
    const qreal s = std::min(r.width(), r.height());
    const QRectF sq(r.center().x() - s / 2, r.center().y() - s / 2, s, s);
    // Key cap: rounded square with a lighter top face.
    QLinearGradient g(sq.topLeft(), sq.bottomLeft());
    g.setColorAt(0, col(pal().keyCapTop).lighter(120));
    g.setColorAt(1, col(pal().keyCap).darker(130));
    p.setPen(QPen(col(pal().fieldEdge), std::max<qreal>(1, s / 48)));
    p.setBrush(g);
    p.drawRoundedRect(sq.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04), s * 0.2, s * 0.2);
    const QRectF top = sq.adjusted(s * 0.17, s * 0.13, -s * 0.17, -s * 0.25);
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal().keyCapTop));
    p.drawRoundedRect(top, s * 0.12, s * 0.12);
    // Accent slash across the cap, the suite's mark.
    QPainterPath slash;
    slash.moveTo(sq.left() + s * 0.30, sq.top() + s * 0.70);
    slash.lineTo(sq.left() + s * 0.52, sq.top() + s * 0.22);
    slash.lineTo(sq.left() + s * 0.70, sq.top() + s * 0.22);
    slash.lineTo(sq.left() + s * 0.48, sq.top() + s * 0.70);
    slash.closeSubpath();
    QLinearGradient a(sq.topLeft(), sq.bottomRight());
    a.setColorAt(0, col(pal().accentBright));
    a.setColorAt(1, col(pal().accent));
    p.setBrush(a);
    p.drawPath(slash);
}

}   // namespace orvane::skins
