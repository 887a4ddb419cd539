// Bitmaps of the owner-drawn function tree: 131 (background tile, 10 x 14), 133 (collapsed
// glyph) and 134 (expanded glyph), 9 x 9 each. The glyphs are pixel art, drawn without
// antialiasing so the 1 px lines stay crisp at their native size.

#include "skins/SkinContext.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

using orvane::skins::Palette;
using orvane::skins::SkinContext;

constexpr int kGlyphSize = 9;
constexpr QSize kBackgroundSize{10, 14};

QImage glyph(const SkinContext& ctx, bool expanded)
{
    if (ctx.scale() > 1) {
        // Pixel art: the plain glyph with every pixel doubled stays exactly as sharp.
        QImage img = glyph(SkinContext(ctx.language(), {}, 1), expanded)
                         .scaled(kGlyphSize * ctx.scale(), kGlyphSize * ctx.scale(), Qt::IgnoreAspectRatio,
                                 Qt::FastTransformation);
        img.setDevicePixelRatio(ctx.scale());
        return img;
    }
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kGlyphSize, kGlyphSize);
    QPainter p(&img);
    p.setPen(Palette::c(pal.textDim));
    p.setBrush(Palette::c(pal.keyLegend));
    p.drawRect(0, 0, kGlyphSize - 1, kGlyphSize - 1);
    p.setPen(Palette::c(pal.field));
    p.drawLine(2, 4, 6, 4);
    if (!expanded)
        p.drawLine(4, 2, 4, 6);
    return img;
}

QImage background(const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kBackgroundSize.width(), kBackgroundSize.height());
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, kBackgroundSize.height());
    g.setColorAt(0, Palette::c(pal.panel));
    g.setColorAt(1, Palette::c(pal.window));
    p.fillRect(SkinContext::logicalRect(img), g);
    p.setPen(Palette::c(pal.panelEdge, 90));
    p.drawLine(0, kBackgroundSize.height() - 1, kBackgroundSize.width() - 1, kBackgroundSize.height() - 1);
    return img;
}

void paintTreeBitmaps(SkinContext& ctx)
{
    ctx.save(QStringLiteral("bitmap131.png"), background(ctx));
    ctx.save(QStringLiteral("bitmap133.png"), glyph(ctx, false));
    ctx.save(QStringLiteral("bitmap134.png"), glyph(ctx, true));
}

}   // namespace

ORVANE_SKIN_PAINTER(tree_bitmaps, paintTreeBitmaps);
