// The main window's frame: background (main.png), title buttons, bottom buttons, the Profile
// button and the help menu. Captions of buttons are drawn by the program, never baked in.

#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace orvane::skins {
namespace {

// Sizes implied by the window's layout: title buttons are hit at 17 × 16, bottom buttons drawn at
// y 600 and hit at y 605..635 (58 wide), the help menu spans x 830..996 with rows 25 px apart.
constexpr QSize kMainSize{1000, 645};
constexpr QSize kTitleButtonSize{17, 16};
constexpr QSize kBottomButtonSize{58, 36};
constexpr int kBottomButtonFaceTop = 5;   // face starts where the hit rectangle starts
constexpr QSize kConfigSize{75, 33};      // drawn at (17,603), hit at (19,605)..(89,633)
constexpr QSize kHelpSize{167, 102};      // drawn at (830,22)
constexpr QRect kKeyboardStage{311, 122, 636, 256};
constexpr QRect kLeftColumn{13, 104, 254, 488};

QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

void paintTitleStrip(QPainter& p, const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QLinearGradient g(0, 0, 0, 32);
    g.setColorAt(0, col(pal.headerHigh, 150));
    g.setColorAt(1, col(pal.header, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    QPainterPath top;
    top.addRoundedRect(QRectF(1, 1, kMainSize.width() - 2, 40), 6, 6);
    QPainterPath clip;
    clip.addRect(QRectF(1, 1, kMainSize.width() - 2, 31));
    p.drawPath(top.intersected(clip));
    // Accent rule under the strip, fading out towards the right.
    QLinearGradient a(0, 0, kMainSize.width(), 0);
    a.setColorAt(0, col(pal.accent));
    a.setColorAt(0.55, col(pal.accent, 90));
    a.setColorAt(1, col(pal.accent, 0));
    p.setBrush(a);
    p.drawRect(QRectF(1, 31, kMainSize.width() - 2, 1.5));
    p.setFont(ctx.latinFont(11, QFont::DemiBold));
    p.setPen(col(pal.textFaint));
    p.drawText(QRectF(300, 6, 400, 18), Qt::AlignCenter, QStringLiteral("QX410-Orvane"));
}

void paintLeftColumn(QPainter& p, const Palette& pal)
{
    p.setPen(QPen(col(pal.windowEdge, 160), 1));
    p.setBrush(col(pal.field, 110));
    p.drawRoundedRect(QRectF(kLeftColumn).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
}

void paintKeyboardStage(QPainter& p, const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    const QRectF stage(kKeyboardStage);
    // Soft crimson floor glow under the keyboard, and a faint perspective grid on the floor.
    QRadialGradient glow(QPointF(stage.center().x(), stage.bottom() + 40), stage.width() * 0.55);
    glow.setColorAt(0, col(pal.accent, 70));
    glow.setColorAt(0.5, col(pal.accent, 18));
    glow.setColorAt(1, col(pal.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(stage.center().x(), stage.bottom() + 40), stage.width() * 0.58, 150);
    const qreal horizon = stage.bottom() + 24, floor = 588;
    p.setPen(QPen(col(pal.text, 12), 1));
    for (int i = -10; i <= 10; ++i) {
        const qreal x = stage.center().x() + i * 32;
        p.drawLine(QPointF(stage.center().x() + i * 12, horizon), QPointF(x + i * 18, floor));
    }
    for (qreal y = horizon, step = 8; y < floor; y += step, step *= 1.35)
        p.drawLine(QPointF(stage.left() - 10, y), QPointF(stage.right() + 10, y));
    p.setFont(ctx.latinFont(40, QFont::Black));
    p.setPen(col(pal.text, 6));
    p.drawText(QRectF(stage.left(), 44, stage.width(), 60), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("QX410 GAMING KEYBOARD"));
}

void paintBottomRow(QPainter& p, const Palette& pal)
{
    p.setPen(QPen(col(pal.windowEdge), 1));
    p.drawLine(QPointF(13, 596.5), QPointF(kMainSize.width() - 14, 596.5));
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal.header, 70));
    p.drawRect(QRectF(1, 597, kMainSize.width() - 2, kMainSize.height() - 603));
}

void paintMain(SkinContext& ctx)
{
    QImage img = ctx.newImage(kMainSize.width(), kMainSize.height());
    QPainter p;
    beginPainter(p, img);
    drawWindowBackground(p, SkinContext::logicalRect(img));
    paintTitleStrip(p, ctx);
    paintLeftColumn(p, ctx.palette());
    paintKeyboardStage(p, ctx);
    paintBottomRow(p, ctx.palette());
    p.end();
    ctx.save(QStringLiteral("main.png"), img);
}

enum class TitleButton { Help, Minimise, Close };

void drawTitleGlyph(QPainter& p, TitleButton which, const QRectF& r, const QColor& c)
{
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF m = r.center();
    switch (which) {
    case TitleButton::Help: {
        QPainterPath q;
        q.moveTo(m + QPointF(-2.6, -2.2));
        q.cubicTo(m + QPointF(-2.6, -5.4), m + QPointF(2.8, -5.4), m + QPointF(2.8, -2.2));
        q.cubicTo(m + QPointF(2.8, -0.4), m + QPointF(0, 0), m + QPointF(0, 1.8));
        p.drawPath(q);
        p.drawPoint(m + QPointF(0, 4.2));
        break;
    }
    case TitleButton::Minimise: p.drawLine(m + QPointF(-3.5, 3), m + QPointF(3.5, 3)); break;
    case TitleButton::Close:
        p.drawLine(m + QPointF(-3.2, -3.2), m + QPointF(3.2, 3.2));
        p.drawLine(m + QPointF(3.2, -3.2), m + QPointF(-3.2, 3.2));
        break;
    }
}

void paintTitleButton(SkinContext& ctx, TitleButton which, const char* stem)
{
    const Palette& pal = ctx.palette();
    for (bool over : {false, true}) {
        QImage img = ctx.newImage(kTitleButtonSize.width(), kTitleButtonSize.height());
        QPainter p;
        beginPainter(p, img);
        const QRectF r = QRectF(SkinContext::logicalRect(img)).adjusted(0.5, 0.5, -0.5, -0.5);
        const bool closeHover = over && which == TitleButton::Close;
        p.setPen(QPen(over ? col(closeHover ? pal.accentBright : pal.fieldEdge) : col(pal.windowEdge), 1));
        p.setBrush(over ? col(closeHover ? pal.accent : pal.headerHigh) : col(pal.header, 120));
        p.drawRoundedRect(r, 3, 3);
        drawTitleGlyph(p, which, r, over ? col(pal.text) : col(pal.textDim));
        p.end();
        ctx.save(QStringLiteral("button-%1-%2.png")
                     .arg(QLatin1String(stem), over ? QLatin1String("over") : QLatin1String("normal")),
                 img);
    }
}

void paintBottomButtons(SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    for (const char* stem : {"cancel", "save"}) {
        const bool save = stem[0] == 's';
        for (bool over : {false, true}) {
            QImage img = ctx.newImage(kBottomButtonSize.width(), kBottomButtonSize.height());
            QPainter p;
            beginPainter(p, img);
            const QRectF face(0, kBottomButtonFaceTop, SkinContext::logicalSize(img).width(),
                              SkinContext::logicalSize(img).height() - kBottomButtonFaceTop);
            if (over) {
                // Glow above the face, part of the image so the hover state reads at a glance.
                QRadialGradient g(face.center(), face.width() * 0.7);
                g.setColorAt(0, col(pal.accent, 90));
                g.setColorAt(1, col(pal.accent, 0));
                p.setPen(Qt::NoPen);
                p.setBrush(g);
                p.drawRect(SkinContext::logicalRect(img));
            }
            drawButton(p, face, over ? ButtonState::Hover : ButtonState::Normal);
            if (save && !over) {   // the Save button carries the accent even at rest
                p.setPen(Qt::NoPen);
                p.setBrush(col(pal.accent));
                p.drawRoundedRect(QRectF(face.left() + 4, face.bottom() - 3, face.width() - 8, 2), 1, 1);
            }
            p.end();
            ctx.save(QStringLiteral("button-%1-%2.png")
                         .arg(QLatin1String(stem), over ? QLatin1String("over") : QLatin1String("normal")),
                     img);
        }
    }
}

// Profile button: a face with a stacked-layers icon left of where the program writes "Profile".
void paintConfig(SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kConfigSize.width(), kConfigSize.height());
    QPainter p;
    beginPainter(p, img);
    drawButton(p, QRectF(2, 2, 71, 29), ButtonState::Normal);
    p.setPen(QPen(col(pal.accentBright), 1.3));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 10 + i * 5;
        QPainterPath layer;
        layer.moveTo(9, y + 2);
        layer.lineTo(17, y - 1);
        layer.lineTo(25, y + 2);
        layer.lineTo(17, y + 5);
        layer.closeSubpath();
        p.setBrush(i == 0 ? col(pal.accent) : col(pal.field));
        p.drawPath(layer);
    }
    p.end();
    ctx.save(QStringLiteral("Config.png"), img);
}

void paintHelpWindow(SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kHelpSize.width(), kHelpSize.height());
    QPainter p;
    beginPainter(p, img);
    p.setPen(QPen(col(pal.fieldEdge), 1));
    p.setBrush(col(pal.panel, 250));
    p.drawRoundedRect(QRectF(SkinContext::logicalRect(img)).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal.accent));
    p.drawRect(QRectF(1, 1, SkinContext::logicalSize(img).width() - 2, 2));
    // Row separators between the four rows (rows start at y 3, 28, 53, 78 of the image).
    p.setPen(QPen(col(pal.windowEdge), 1));
    for (int row = 1; row < 4; ++row)
        p.drawLine(QPointF(10, 1.5 + row * 25), QPointF(SkinContext::logicalSize(img).width() - 10, 1.5 + row * 25));
    // Bullets left of the row texts (texts start at x 20 of the image).
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal.accent));
    for (int row = 0; row < 3; ++row)
        p.drawEllipse(QPointF(11, 13 + row * 25), 2, 2);
    p.end();
    ctx.save(QStringLiteral("HelpWindow.png"), img);
}

void paintMainWindow(SkinContext& ctx)
{
    paintMain(ctx);
    paintTitleButton(ctx, TitleButton::Help, "help");
    paintTitleButton(ctx, TitleButton::Minimise, "min");
    paintTitleButton(ctx, TitleButton::Close, "close");
    paintBottomButtons(ctx);
    paintConfig(ctx);
    paintHelpWindow(ctx);
}

}   // namespace
}   // namespace orvane::skins

ORVANE_SKIN_PAINTER(main_window, orvane::skins::paintMainWindow);
