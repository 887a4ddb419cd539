// The splash picture, the logo of the main window and the application icons.

#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>

namespace orvane::skins {
namespace {

constexpr QSize kSplashSize{520, 300};
constexpr QSize kLogoSize{240, 64};   // at (19,35) in the main window, inside its 242 × 70 strip
constexpr std::array<int, 8> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

// The product name set as a word mark: "QX410" in white, "ORVANE" spaced in the accent.
void drawWordMark(QPainter& p, const SkinContext& ctx, const QRectF& r, int bigPx)
{
    QFont big = ctx.latinFont(bigPx, QFont::Bold);
    big.setItalic(true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, bigPx * 0.04);
    QFont small = ctx.latinFont(std::max(9, bigPx * 2 / 5), QFont::DemiBold);
    small.setLetterSpacing(QFont::AbsoluteSpacing, bigPx * 0.22);
    const QRectF top(r.left(), r.top(), r.width(), r.height() * 0.64);
    const QRectF bottom(r.left(), top.bottom(), r.width(), r.height() - top.height());
    p.setFont(big);
    p.setPen(col(ctx.palette().text));
    p.drawText(top, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("QX410"));
    p.setFont(small);
    p.setPen(col(ctx.palette().accentBright));
    p.drawText(bottom, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("ORVANE"));
}

void paintLogo(SkinContext& ctx)
{
    QImage img = ctx.newImage(kLogoSize.width(), kLogoSize.height());
    QPainter p;
    beginPainter(p, img);
    drawEmblem(p, QRectF(4, 6, 52, 52));
    drawWordMark(p, ctx, QRectF(66, 6, 170, 52), 30);
    p.end();
    ctx.save(QStringLiteral("logo.png"), img);
}

void paintSplashBackground(QPainter& p, const Palette& pal, const QRect& r)
{
    drawWindowBackground(p, r, 10);
    // A crimson glow rising from the lower right, and fine diagonal lines, as on a lit keyboard.
    QRadialGradient glow(QPointF(r.width() * 0.82, r.height() * 1.05), r.width() * 0.7);
    glow.setColorAt(0, col(pal.accent, 120));
    glow.setColorAt(0.45, col(pal.accent, 30));
    glow.setColorAt(1, col(pal.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(QRectF(r).adjusted(1, 1, -1, -1), 10, 10);
    p.setPen(QPen(col(pal.text, 10), 1));
    for (int x = -r.height(); x < r.width(); x += 14)
        p.drawLine(QPointF(x, r.height() - 1), QPointF(x + r.height(), 1));
    p.setPen(QPen(col(pal.accent), 2));
    p.drawLine(QPointF(40, r.height() - 64), QPointF(r.width() - 40, r.height() - 64));
}

void paintSplash(SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kSplashSize.width(), kSplashSize.height());
    QPainter p;
    beginPainter(p, img);
    paintSplashBackground(p, pal, SkinContext::logicalRect(img));
    drawEmblem(p, QRectF(40, 62, 120, 120));
    drawWordMark(p, ctx, QRectF(180, 70, 320, 104), 60);
    p.setFont(ctx.font(15));
    p.setPen(col(pal.textDim));
    p.drawText(QRectF(182, 180, 320, 24), Qt::AlignLeft | Qt::AlignVCenter,
               ctx.text("Gaming Keyboard Configuration", "游戏键盘设置程序"));
    p.setFont(ctx.font(13));
    p.setPen(col(pal.textFaint));
    p.drawText(QRectF(40, kSplashSize.height() - 56, kSplashSize.width() - 80, 40), Qt::AlignLeft | Qt::AlignVCenter,
               ctx.text("Loading…", "正在加载…"));
    p.drawText(QRectF(40, kSplashSize.height() - 56, kSplashSize.width() - 80, 40), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Ver 1.1"));
    p.end();
    ctx.save(QStringLiteral("SplashScreen.png"), img);
}

void paintIcons(SkinContext& ctx)
{
    for (int size : kIconSizes) {
        QImage img = ctx.newImage(size, size);
        QPainter p;
        beginPainter(p, img);
        drawEmblem(p, QRectF(0, 0, size, size));
        p.end();
        ctx.saveShared(QStringLiteral("icons/QX410-Orvane-%1.png").arg(size), img);
    }
}

void paintBranding(SkinContext& ctx)
{
    paintLogo(ctx);
    paintSplash(ctx);
    paintIcons(ctx);
}

}   // namespace
}   // namespace orvane::skins

ORVANE_SKIN_PAINTER(splash, orvane::skins::paintBranding);
