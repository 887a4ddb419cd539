// The keyboard picture kb_BK.png and its highlighted twin kb_hl.png, drawn from the key
// rectangles of KeyLayoutTable so that the picture and the hit test always agree.

#include "keymap/KeyTables.h"
#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QLinearGradient>

#include <array>

namespace orvane::skins {
namespace {

using orvane::keymap::KeyLayoutTable;
using orvane::keymap::KeyRect;

constexpr QSize kPictureSize{636, 256};   // drawn at (311,122); keys span x 4..628, y 84..246
constexpr QRectF kCase{1, 34, 634, 220};
constexpr QRectF kLcd{440, 44, 146, 34};  // the keyboard's 132 × 32 LCD with its bezel

// Key cap legends by key index (the order of KeyLayoutTable); "\n" splits two lines.
// clang-format off
constexpr std::array<const char*, orvane::keymap::kKeyCount> kLegends{
    "Esc", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12",
    "PrtSc", "ScrLk", "Pause", "Vol-", "Media", "Play", "Vol+",
    "`", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", "Backspace",
    "Ins", "Home", "PgUp", "Num", "/", "*", "-",
    "Tab", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "\\",
    "Del", "End", "PgDn", "7", "8", "9", "+",
    "Caps", "A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "Enter", "4", "5", "6",
    "Shift", "Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "Shift", "\u2191", "1", "2", "3", "Enter",
    "Ctrl", "Win", "Alt", "", "Alt", "Fn", "Menu", "Ctrl", "\u2190", "\u2193", "\u2192", "0", ".",
    "M1", "M2", "M3", "M4", "M5",
};
// clang-format on

QColor col(QRgb v, int a = 255) { return Palette::c(v, a); }

QRectF keyRect(const KeyRect& r)
{
    return QRectF(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1);
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

QFont legendFont(const SkinContext& ctx, const QString& legend, qreal width)
{
    int px = 9;
    if (legend.size() <= 1)
        px = 12;
    else if (legend.size() <= 3 || width > 40)
        px = 10;
    else if (legend.size() >= 5)
        px = 8;
    return ctx.latinFont(px, legend.size() <= 1 ? QFont::DemiBold : QFont::Normal);
}

void drawKey(QPainter& p, const SkinContext& ctx, std::size_t index, bool lit)
{
    const Palette& pal = ctx.palette();
    const QRectF r = keyRect(KeyLayoutTable[index].rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (lit) {   // glow spilling from under the cap
        p.setPen(Qt::NoPen);
        p.setBrush(col(pal.accent, 90));
        p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), 4, 4);
    }
    p.setPen(QPen(lit ? col(pal.accentBright) : col(0x000000, 200), 1));
    p.setBrush(col(lit ? pal.keyLitCap : pal.keyCap));
    p.drawRoundedRect(r, 3, 3);
    const QRectF top = r.adjusted(2, 1.5, -2, -3.5);
    QLinearGradient g(top.topLeft(), top.bottomLeft());
    g.setColorAt(0, col(lit ? pal.keyLitTop : pal.keyCapTop).lighter(112));
    g.setColorAt(1, col(lit ? pal.keyLitTop : pal.keyCapTop));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(top, 2.5, 2.5);
    const QString legend = QString::fromUtf8(kLegends[index]);
    p.setFont(legendFont(ctx, legend, r.width()));
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

} // namespace
} // namespace orvane::skins

ORVANE_SKIN_PAINTER(keyboard, orvane::skins::paintKeyboard);
