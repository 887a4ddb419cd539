// The LCD program's window (500 x 320) in its three looks: normal, with the large buttons and the
// title marks highlighted (over), and with them pressed (down). The program packs these into its
// embedded skin (JPEG states, BMP mask, INI). Control rectangles come from the skin's own table,
// so the artwork lies exactly under the program's controls.

#include "panelo/img/SkinLayout.h"
#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace orvane::skins {
namespace {

using panelo::FindSkinControl;

enum class Look { Normal, Over, Down };

constexpr QRect kWindow{0, 0, panelo::kSkinWidth, panelo::kSkinHeight};
constexpr int kHeaderBottom = 72;
// The LCD panel as the program places it inside the preview frame (132 x 32, centred).
constexpr QRect kPanel{184, 103, 132, 32};
constexpr int kBezel = 8;

QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

QRect rectOf(std::string_view key)
{
    const panelo::SkinControl* c = FindSkinControl(key);
    return c ? QRect(c->x, c->y, c->w, c->h) : QRect();
}

void paintBackground(QPainter& p, const Palette& pal)
{
    p.fillRect(kWindow, col(pal.window));
    drawWindowBackground(p, kWindow, 0);
    // Header: a raised strip with an accent rule that fades out to the right.
    QLinearGradient g(0, 0, 0, kHeaderBottom);
    g.setColorAt(0, col(pal.headerHigh, 170));
    g.setColorAt(1, col(pal.header, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(QRectF(1, 1, kWindow.width() - 2, kHeaderBottom - 1));
    QLinearGradient a(0, 0, kWindow.width(), 0);
    a.setColorAt(0, col(pal.accent));
    a.setColorAt(0.6, col(pal.accent, 80));
    a.setColorAt(1, col(pal.accent, 0));
    p.setBrush(a);
    p.drawRect(QRectF(1, kHeaderBottom, kWindow.width() - 2, 1.5));
}

void paintLogo(QPainter& p, const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    const QRect r = rectOf("CONTROL_LOGO");
    drawEmblem(p, QRectF(r.left() + 2, r.top() + 3, 44, 44));
    p.setFont(ctx.latinFont(25, QFont::Black));
    p.setPen(col(pal.text));
    p.drawText(QRectF(r.left() + 54, r.top() + 2, r.width() - 54, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("LUMETRA"));
    p.setFont(ctx.font(11));
    p.setPen(col(pal.textDim));
    p.drawText(QRectF(r.left() + 55, r.top() + 31, r.width() - 55, 16), Qt::AlignLeft | Qt::AlignVCenter,
               ctx.text("QX410-Orvane LCD", "QX410-Orvane 液晶屏"));
}

void paintTitleMark(QPainter& p, const Palette& pal, const QRect& r, bool close, Look look)
{
    const QRectF f = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
    const QColor face = look == Look::Normal ? col(pal.header)
        : look == Look::Over                 ? col(pal.accent)
                                             : col(pal.accent).darker(150);
    p.setPen(QPen(look == Look::Normal ? col(pal.panelEdge) : col(pal.accentBright), 1));
    p.setBrush(face);
    p.drawRoundedRect(f, 3, 3);
    p.setPen(QPen(look == Look::Normal ? col(pal.textDim) : col(pal.text), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = f.center() + (look == Look::Down ? QPointF(0.5, 0.5) : QPointF());
    if (close) {
        p.drawLine(c + QPointF(-3.5, -3.5), c + QPointF(3.5, 3.5));
        p.drawLine(c + QPointF(-3.5, 3.5), c + QPointF(3.5, -3.5));
    } else {
        p.drawLine(c + QPointF(-4, 2.5), c + QPointF(4, 2.5));
    }
}

void paintPreviewFrame(QPainter& p, const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    const QRect frame = rectOf("CONTROL_PREVIEW");
    drawPanelBody(p, frame);
    // Title in the frame's top-left corner, after a short accent mark.
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal.accent));
    p.drawRoundedRect(QRectF(frame.left() + 8, frame.top() + 8, 3, 13), 1.5, 1.5);
    p.setFont(ctx.font(13, QFont::DemiBold));
    p.setPen(col(pal.text));
    p.drawText(QRectF(frame.left() + 16, frame.top() + 5, 120, 19), Qt::AlignLeft | Qt::AlignVCenter,
               ctx.text("Preview", "预览"));
    // The LCD glass: a recessed bezel around the 132 x 32 panel, with a faint glow of its backlight.
    const QRectF bezel = QRectF(kPanel).adjusted(-kBezel, -kBezel, kBezel, kBezel);
    QRadialGradient glow(bezel.center(), bezel.width() * 0.75);
    glow.setColorAt(0, QColor(242, 152, 113, 40));
    glow.setColorAt(1, QColor(242, 152, 113, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(bezel.center(), bezel.width() * 0.8, bezel.height() * 0.9);
    drawField(p, bezel, 5);
    p.fillRect(QRectF(kPanel).adjusted(-2, -2, 2, 2), QColor(40, 40, 40));
    p.fillRect(kPanel, QColor(64, 64, 64));
}

void paintLabelledField(QPainter& p, const SkinContext& ctx, std::string_view key, const QString& label)
{
    const QRect field = rectOf(key);
    drawField(p, field, 3);
    p.setFont(ctx.font(13));
    p.setPen(col(ctx.palette().textDim));
    p.drawText(QRectF(36, field.top(), field.left() - 44, field.height()), Qt::AlignRight | Qt::AlignVCenter, label);
}

void paintPressedButton(QPainter& p, const Palette& pal, const QRectF& r)
{
    const QRectF f = r.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient g(f.topLeft(), f.bottomLeft());
    g.setColorAt(0, col(pal.accent).darker(170));
    g.setColorAt(1, col(pal.accent).darker(120));
    p.setPen(QPen(col(pal.accent), 1));
    p.setBrush(g);
    p.drawRoundedRect(f, 4, 4);
    // Inner shadow along the top edge: the face sits lower than the frame.
    p.setPen(QPen(col(0, 110), 2));
    p.drawLine(QPointF(f.left() + 4, f.top() + 1.5), QPointF(f.right() - 4, f.top() + 1.5));
}

void paintButton(QPainter& p, const SkinContext& ctx, std::string_view key, const QString& caption, Look look)
{
    const QRect r = rectOf(key);
    if (look == Look::Down)
        paintPressedButton(p, ctx.palette(), r);
    else
        drawButton(p, r, look == Look::Over ? ButtonState::Hover : ButtonState::Normal, 4);
    const QPointF shift = look == Look::Down ? QPointF(1, 1) : QPointF();
    drawCentredText(p, QRectF(r).translated(shift), caption, ctx.font(13, QFont::DemiBold),
                    col(look == Look::Normal ? ctx.palette().keyLegend : ctx.palette().text));
}

void paintVersion(QPainter& p, const SkinContext& ctx)
{
    const QRect r = rectOf("CONTROL_VER_INFO");
    p.setFont(ctx.font(12));
    p.setPen(col(ctx.palette().textFaint));
    p.drawText(QRectF(r).adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               ctx.text("Version: V0.8", "版本：V0.8"));
}

QImage paintWindow(const SkinContext& ctx, Look look)
{
    QImage image = ctx.newOpaqueImage(kWindow.size(), col(ctx.palette().window));
    QPainter p;
    beginPainter(p, image);
    paintBackground(p, ctx.palette());
    paintLogo(p, ctx);
    paintTitleMark(p, ctx.palette(), rectOf("CONTROL_MINIMIZE"), false, look);
    paintTitleMark(p, ctx.palette(), rectOf("CONTROL_MAXIMIZE"), true, look);
    paintPreviewFrame(p, ctx);
    paintLabelledField(p, ctx, "CONTROL_FONT_INFO", ctx.text("Display font:", "显示的字体："));
    paintLabelledField(p, ctx, "CONTROL_DISP_TEXT", ctx.text("Display text:", "显示的文字："));
    paintButton(p, ctx, "CONTROL_FONT_BTN", ctx.text("Change Font...", "修改字体..."), look);
    paintButton(p, ctx, "CONTROL_AUTO_BTN", ctx.text("Auto Adjust", "自动调整"), look);
    paintButton(p, ctx, "CONTROL_DEFAULT_BTN", ctx.text("Default", "默认"), look);
    paintButton(p, ctx, "CONTROL_DOWN_BTN", ctx.text("Download", "下载"), look);
    paintVersion(p, ctx);
    p.end();
    return image;
}

void paintLumetra(SkinContext& ctx)
{
    const QImage normal = paintWindow(ctx, Look::Normal);
    ctx.save(QStringLiteral("Lumetra/normal.png"), normal);
    ctx.save(QStringLiteral("Lumetra/over.png"), paintWindow(ctx, Look::Over));
    ctx.save(QStringLiteral("Lumetra/down.png"), paintWindow(ctx, Look::Down));
    ctx.save(QStringLiteral("Lumetra/disable.png"), normal);
}

}   // namespace
}   // namespace orvane::skins

ORVANE_SKIN_PAINTER(lumetra, orvane::skins::paintLumetra);
