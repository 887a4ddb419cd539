// The key map panel's artwork (Custom/): the background with its caption strip, tab row, content
// panel and bottom bar; the tab faces and the strip under them with its cursor; the close, Default,
// Cancel and Save faces; the check box (also the Advance radios); the Advance rows' background,
// path field and browse button. The panel draws every caption itself, so only the browse button
// carries a baked label.

#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QPainterPath>

namespace {

using namespace orvane::skins;

constexpr QSize kPanelSize{325, 276};
constexpr QSize kCloseSize{16, 16};
constexpr QSize kTabSize{81, 26};
constexpr QSize kStripSize{325, 6};
constexpr QSize kCursorSize{10, 6};
constexpr QSize kCheckSize{10, 10};
constexpr QSize kBottomButtonSize{42, 23};
constexpr QRect kAdvanceBack{15, 66, 290, 116};
constexpr QSize kPathFieldSize{158, 15};
constexpr QSize kBrowseSize{46, 15};
constexpr int kCaptionHeight = 28;
constexpr QRect kContentPanel{8, 58, 301, 180};
constexpr int kBottomBarTop = 240;

QColor col(QRgb v, int alpha = 255)
{
    return Palette::c(v, alpha);
}

QImage background(const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kPanelSize.width(), kPanelSize.height());
    QPainter p;
    beginPainter(p, img);
    drawWindowBackground(p, SkinContext::logicalRect(img), 0);
    QLinearGradient cap(0, 0, 0, kCaptionHeight);
    cap.setColorAt(0, col(pal.headerHigh));
    cap.setColorAt(1, col(pal.header));
    p.fillRect(QRect(1, 1, SkinContext::logicalSize(img).width() - 2, kCaptionHeight - 1), cap);
    p.fillRect(QRect(1, kCaptionHeight, SkinContext::logicalSize(img).width() - 2, 1), col(pal.accent));
    drawPanelBody(p, kContentPanel);
    p.fillRect(QRect(1, kBottomBarTop, SkinContext::logicalSize(img).width() - 2, 1), col(pal.panelEdge));
    QLinearGradient bar(0, kBottomBarTop, 0, SkinContext::logicalSize(img).height());
    bar.setColorAt(0, col(pal.panel));
    bar.setColorAt(1, col(pal.window));
    p.fillRect(QRect(1, kBottomBarTop + 1, SkinContext::logicalSize(img).width() - 2,
                     SkinContext::logicalSize(img).height() - kBottomBarTop - 2),
               bar);
    return img;
}

QImage closeButton(const SkinContext& ctx, bool over)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kCloseSize.width(), kCloseSize.height());
    QPainter p;
    beginPainter(p, img);
    p.setPen(Qt::NoPen);
    p.setBrush(over ? col(pal.accent) : col(pal.header));
    p.drawRoundedRect(QRectF(SkinContext::logicalRect(img)).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(QPen(over ? col(pal.text) : col(pal.textDim), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    return img;
}

QImage tabFace(const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kTabSize.width(), kTabSize.height());
    QPainter p;
    beginPainter(p, img);
    QLinearGradient g(0, 0, 0, SkinContext::logicalSize(img).height());
    g.setColorAt(0, col(pal.headerHigh));
    g.setColorAt(1, col(pal.header).darker(120));
    p.fillRect(SkinContext::logicalRect(img), g);
    p.fillRect(QRect(SkinContext::logicalSize(img).width() - 1, 4, 1, SkinContext::logicalSize(img).height() - 8),
               col(pal.panelEdge));
    p.fillRect(QRect(0, SkinContext::logicalSize(img).height() - 1, SkinContext::logicalSize(img).width(), 1),
               col(pal.panelEdge));
    return img;
}

QImage strip(const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kStripSize.width(), kStripSize.height());
    QPainter p;
    beginPainter(p, img);
    p.fillRect(SkinContext::logicalRect(img), col(pal.window));
    p.fillRect(QRect(0, SkinContext::logicalSize(img).height() - 1, SkinContext::logicalSize(img).width(), 1),
               col(pal.panelEdge));
    return img;
}

QImage cursor(const SkinContext& ctx)
{
    QImage img = ctx.newImage(kCursorSize.width(), kCursorSize.height());
    QPainter p;
    beginPainter(p, img);
    QPainterPath tri;
    tri.moveTo(0, 0);
    tri.lineTo(kCursorSize.width(), 0);
    tri.lineTo(kCursorSize.width() / 2.0, kCursorSize.height());
    tri.closeSubpath();
    p.fillPath(tri, col(ctx.palette().accent));
    return img;
}

QImage checkBox(const SkinContext& ctx, bool ticked)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kCheckSize.width(), kCheckSize.height());
    QPainter p;
    beginPainter(p, img);
    p.setPen(QPen(ticked ? col(pal.accentBright) : col(pal.textDim), 1));
    p.setBrush(col(pal.field));
    p.drawRect(QRectF(0.5, 0.5, kCheckSize.width() - 1, kCheckSize.height() - 1));
    if (ticked) {
        p.setPen(QPen(col(pal.accentBright), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{{2.2, 5.0}, {4.2, 7.2}, {7.8, 2.6}});
    }
    return img;
}

QImage bottomButton(const SkinContext& ctx, bool save, bool over)
{
    QImage img = ctx.newImage(kBottomButtonSize.width(), kBottomButtonSize.height());
    QPainter p;
    beginPainter(p, img);
    drawButton(p, SkinContext::logicalRect(img), over || save ? ButtonState::Hover : ButtonState::Normal);
    if (save && !over) {   // Save keeps the accent at rest, a shade darker
        p.fillRect(SkinContext::logicalRect(img).adjusted(1, 1, -1, -1), QColor(0, 0, 0, 70));
    }
    return img;
}

QImage advanceBack(const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kAdvanceBack.width(), kAdvanceBack.height());
    QPainter p;
    beginPainter(p, img);
    p.setPen(QPen(col(pal.panelEdge), 1));
    p.setBrush(col(pal.panel).darker(108));
    p.drawRoundedRect(QRectF(SkinContext::logicalRect(img)).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    // Separators between the four rows (rows start 30 px apart, 2 px below the top).
    for (int k = 1; k < 4; ++k)
        p.fillRect(QRect(8, 30 * k - 2, SkinContext::logicalSize(img).width() - 16, 1), col(pal.panelEdge, 120));
    return img;
}

QImage pathField(const SkinContext& ctx)
{
    QImage img = ctx.newImage(kPathFieldSize.width(), kPathFieldSize.height());
    QPainter p;
    beginPainter(p, img);
    drawField(p, SkinContext::logicalRect(img), 2);
    return img;
}

QImage browseButton(const SkinContext& ctx, bool over)
{
    QImage img = ctx.newImage(kBrowseSize.width(), kBrowseSize.height());
    QPainter p;
    beginPainter(p, img);
    drawButton(p, SkinContext::logicalRect(img), over ? ButtonState::Hover : ButtonState::Normal, 3);
    drawCentredText(p, SkinContext::logicalRect(img), ctx.text("Browse", "浏览"), ctx.font(10),
                    col(ctx.palette().text));
    return img;
}

void paintKeymapPanel(SkinContext& ctx)
{
    ctx.save(QStringLiteral("Custom/Custom_BK.png"), background(ctx));
    ctx.save(QStringLiteral("Custom/button-close-normal.png"), closeButton(ctx, false));
    ctx.save(QStringLiteral("Custom/button-close-over.png"), closeButton(ctx, true));
    ctx.save(QStringLiteral("Custom/large_button.png"), tabFace(ctx));
    ctx.save(QStringLiteral("Custom/single_combine_option.png"), strip(ctx));
    ctx.save(QStringLiteral("Custom/cursor.png"), cursor(ctx));
    // The check box and the Advance radios are one file each ("disable.png" is "Disable.png").
    ctx.save(QStringLiteral("Custom/Disable.png"), checkBox(ctx, false));
    ctx.save(QStringLiteral("Custom/Enable.png"), checkBox(ctx, true));
    ctx.save(QStringLiteral("Custom/button-cancel-normal.png"), bottomButton(ctx, false, false));
    ctx.save(QStringLiteral("Custom/button-cancel-over.png"), bottomButton(ctx, false, true));
    ctx.save(QStringLiteral("Custom/button-save-normal.png"), bottomButton(ctx, true, false));
    ctx.save(QStringLiteral("Custom/button-save-over.png"), bottomButton(ctx, true, true));
    ctx.save(QStringLiteral("Custom/Macro_BK.png"), advanceBack(ctx));
    ctx.save(QStringLiteral("Custom/Advanced.png"), pathField(ctx));
    ctx.save(QStringLiteral("Custom/view.png"), browseButton(ctx, false));
    ctx.save(QStringLiteral("Custom/view02.png"), browseButton(ctx, true));
}

}   // namespace

ORVANE_SKIN_PAINTER(keymap_panel, paintKeymapPanel);
