// The macro manager's images (png/<language>/MacroManagement/): the background with its two list
// panels, the list background the lists copy their lines' backdrop from, the record, checkbox and
// push-button faces, and the three event icons of the event list.
//
// The lists sit at (20,80) and (150,80), 113 x 275, and take their backdrop from ListBack.png at
// its point (7,22); so the background carries the same panel at (13,58) and (143,58), and a list's
// lines blend into the window.

#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QPainterPath>

namespace orvane::skins {
namespace {

constexpr QSize kWindowSize{410, 440};
constexpr QSize kListBackSize{127, 305};
constexpr QPoint kMacroPanelAt{13, 58};
constexpr QPoint kEventPanelAt{143, 58};
constexpr QRect kOptionsPanel{280, 58, 118, 296};
constexpr QRectF kLoopField{294.5, 329.5, 87, 21};
constexpr QSize kRecordSize{89, 24};
constexpr QSize kPaneSize{14, 14};
constexpr QSize kPushSize{57, 24};
constexpr QSize kArrowSize{10, 14};
constexpr QSize kClockSize{14, 14};
constexpr int kPanelRadius = 9;
constexpr int kCaptionStrip = 22;   // the panel's top strip holds its caption

QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

// A dark grey panel with curved corners; its caption strip is a shade lighter.
void drawListPanel(QPainter& p, const QRect& r)
{
    const Palette& pal = palette();
    QPainterPath shape;
    shape.addRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), kPanelRadius, kPanelRadius);
    p.fillPath(shape, col(pal.panel));
    p.save();
    p.setClipPath(shape);
    QLinearGradient strip(r.topLeft(), QPoint(r.left(), r.top() + kCaptionStrip));
    strip.setColorAt(0, col(pal.headerHigh));
    strip.setColorAt(1, col(pal.header));
    p.fillRect(QRect(r.left(), r.top(), r.width(), kCaptionStrip - 2), strip);
    p.fillRect(QRect(r.left() + 6, r.top() + kCaptionStrip - 2, 3, 1), col(pal.accent));
    p.fillRect(QRect(r.left(), r.top() + kCaptionStrip - 2, r.width(), 1), col(pal.panelEdge));
    p.restore();
    p.setPen(QPen(col(pal.panelEdge), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);
}

QImage listBack(const SkinContext& ctx)
{
    QImage img = ctx.newImage(kListBackSize.width(), kListBackSize.height());
    img.fill(col(palette().window));
    QPainter p;
    beginPainter(p, img);
    drawListPanel(p, QRect(QPoint(0, 0), kListBackSize));
    return img;
}

QImage background(const SkinContext& ctx)
{
    QImage img = ctx.newImage(kWindowSize.width(), kWindowSize.height());
    QPainter p;
    beginPainter(p, img);
    drawWindowBackground(p, QRect(QPoint(0, 0), kWindowSize));
    const Palette& pal = palette();
    // Title strip with the accent underline.
    QLinearGradient title(0, 0, 0, 36);
    title.setColorAt(0, col(pal.headerHigh));
    title.setColorAt(1, col(pal.window));
    p.fillRect(QRect(1, 1, kWindowSize.width() - 2, 35), title);
    p.fillRect(QRect(16, 33, 120, 2), col(pal.accent));
    p.end();
    // The lists' backdrop exactly as ListBack.png has it.
    const QImage back = listBack(ctx);
    beginPainter(p, img);
    p.drawImage(kMacroPanelAt, back);
    p.drawImage(kEventPanelAt, back);
    drawListPanel(p, kOptionsPanel);
    // Separators between the option groups.
    p.fillRect(QRect(kOptionsPanel.left() + 8, 140, kOptionsPanel.width() - 16, 1), col(pal.panelEdge));
    p.fillRect(QRect(kOptionsPanel.left() + 8, 290, kOptionsPanel.width() - 16, 1), col(pal.panelEdge));
    drawField(p, kLoopField);
    // Footer rule above OK / Cancel.
    p.fillRect(QRect(12, 396, kWindowSize.width() - 24, 1), col(pal.windowEdge));
    return img;
}

QImage pushFace(const SkinContext& ctx, QSize size, ButtonState state, bool accentMark)
{
    QImage img = ctx.newImage(size.width(), size.height());
    QPainter p;
    beginPainter(p, img);
    drawButton(p, QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), state);
    if (accentMark) {   // a small lamp at the right end of the record button
        const QColor lamp = col(state == ButtonState::Hover ? palette().accentBright : palette().accent);
        p.setPen(Qt::NoPen);
        p.setBrush(lamp);
        p.drawEllipse(QPointF(size.width() - 8, size.height() / 2.0), 3, 3);
    }
    return img;
}

QImage pane(const SkinContext& ctx, bool ticked)
{
    QImage img = ctx.newImage(kPaneSize.width(), kPaneSize.height());
    QPainter p;
    beginPainter(p, img);
    drawField(p, QRectF(0.5, 0.5, kPaneSize.width() - 1, kPaneSize.height() - 1), 2);
    if (ticked) {
        QPen pen(col(palette().accentBright), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.setPen(pen);
        const QPointF tick[] = {{3.2, 7.2}, {6.0, 10.0}, {11.0, 3.8}};
        p.drawPolyline(tick, 3);
    }
    return img;
}

QImage arrow(const SkinContext& ctx, bool down)
{
    QImage img = ctx.newImage(kArrowSize.width(), kArrowSize.height());
    QPainter p;
    beginPainter(p, img);
    p.setPen(Qt::NoPen);
    p.setBrush(col(palette().accent));
    QPolygonF shape;
    if (down)
        shape << QPointF(3, 1) << QPointF(7, 1) << QPointF(7, 7) << QPointF(10, 7) << QPointF(5, 13) << QPointF(0, 7)
              << QPointF(3, 7);
    else
        shape << QPointF(5, 1) << QPointF(10, 7) << QPointF(7, 7) << QPointF(7, 13) << QPointF(3, 13) << QPointF(3, 7)
              << QPointF(0, 7);
    p.drawPolygon(shape);
    return img;
}

QImage clock(const SkinContext& ctx)
{
    QImage img = ctx.newImage(kClockSize.width(), kClockSize.height());
    QPainter p;
    beginPainter(p, img);
    const QColor cyan(0, 220, 235);
    p.setPen(QPen(cyan, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.3, 1.3, 11.4, 11.4));
    p.setPen(QPen(cyan, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 7), QPointF(7, 3.6));
    p.drawLine(QPointF(7, 7), QPointF(9.6, 8.6));
    return img;
}

void paintMacroManager(SkinContext& ctx)
{
    const QString dir = QStringLiteral("MacroManagement/");
    ctx.save(dir + "MacroManagement.png", background(ctx));
    ctx.save(dir + "ListBack.png", listBack(ctx));
    ctx.save(dir + "Record-normal.png", pushFace(ctx, kRecordSize, ButtonState::Normal, false));
    ctx.save(dir + "Record-over.png", pushFace(ctx, kRecordSize, ButtonState::Hover, false));
    ctx.save(dir + "button-new-normal.png", pushFace(ctx, kPushSize, ButtonState::Normal, false));
    ctx.save(dir + "button-new-over.png", pushFace(ctx, kPushSize, ButtonState::Hover, false));
    ctx.save(dir + "Pane.png", pane(ctx, false));
    ctx.save(dir + "PaneMakingTick.png", pane(ctx, true));
    ctx.save(dir + "EventDown.png", arrow(ctx, true));
    ctx.save(dir + "EventUp.png", arrow(ctx, false));
    ctx.save(dir + "EventDelay.png", clock(ctx));
}

}   // namespace
}   // namespace orvane::skins

ORVANE_SKIN_PAINTER(macro_manager, orvane::skins::paintMacroManager);
