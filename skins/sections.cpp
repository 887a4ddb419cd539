// The accordion of the main window's left column: section headers and open panels, list items,
// radios, direction buttons, slider tracks and thumbs. Section images sit at x 19; positions in
// comments are window coordinates, converted to image coordinates by subtracting the image's origin.

#include "skins/Draw.h"
#include "skins/SkinContext.h"

#include <QConicalGradient>
#include <QLinearGradient>

#include <array>

namespace orvane::skins {
namespace {

constexpr int kColumnWidth = 242;   // headers span x 19..260
constexpr int kHeaderHeight = 20;
constexpr QSize kLightOpenSize{kColumnWidth, 200};   // at (19,130); the macro bar follows at y 335
constexpr int kFreqTop = 115;                        // freq.png is drawn at (19,245) = 115 px into the panel
constexpr QSize kMacroBarSize{kColumnWidth, 48};
constexpr QSize kMacroButtonSize{241, 19};             // hit (19,y+10)..(259,y+28)
constexpr QSize kGameOpenSize{kColumnWidth, 52};       // radios at g+33
constexpr QSize kResponseOpenSize{kColumnWidth, 68};   // item box at e+28; next header at e+75
constexpr QSize kReportOpenSize{kColumnWidth, 52};     // slider at f+23
constexpr QSize kItemSize{221, 16};                    // (28,158)..(248,173)
constexpr QSize kRadioSize{12, 12};
constexpr QSize kDirectionSize{36, 16};   // (29,197)..(64,212)
constexpr QSize kTrackSize{220, 12};      // bitmaps 139/140: the slider control's size
constexpr QSize kThumbSize{15, 14};
constexpr QSize kScaleSize{218, 23};                                                  // 1.png, (28,258)..(245,280)
constexpr QSize kRateLabelsSize{213, 10};                                             // 125Hz.png, (35,534)..(247,543)
constexpr int kSwatchLeft = 9, kSwatchTop = 93, kSwatchStep = 25, kSwatchSize = 21;   // (28+25k, 223)
constexpr int kThumbTravel = kTrackSize.width() - kThumbSize.width();

// The lighting colours 1..7 of the keyboard; colour 8 cycles through all of them.
constexpr std::array<QRgb, 7> kLightColours{qRgb(235, 30, 40), qRgb(255, 128, 0), qRgb(255, 220, 0), qRgb(40, 210, 70),
                                            qRgb(0, 210, 230), qRgb(30, 90, 255), qRgb(160, 60, 230)};
constexpr std::array<const char*, 4> kReportRates{"125Hz", "250Hz", "500Hz", "1000Hz"};

QColor col(QRgb v, int a = 255)
{
    return Palette::c(v, a);
}

QImage headerImage(const SkinContext& ctx, int height, bool open, bool chevron = true)
{
    QImage img = ctx.newImage(kColumnWidth, height);
    QPainter p;
    beginPainter(p, img);
    if (height > kHeaderHeight)
        drawPanelBody(p, QRect(0, kHeaderHeight - 4, kColumnWidth, height - kHeaderHeight + 4));
    drawSectionHeader(p, QRect(0, 0, kColumnWidth, kHeaderHeight), open, chevron);
    p.end();
    return img;
}

void paintHeaders(SkinContext& ctx)
{
    ctx.save(QStringLiteral("itemBK.png"), headerImage(ctx, kHeaderHeight, false));
    ctx.save(QStringLiteral("light_BK.png"), headerImage(ctx, kHeaderHeight, true));
    ctx.save(QStringLiteral("responsetime_close.png"), headerImage(ctx, kHeaderHeight, false));
    ctx.save(QStringLiteral("reportrate_Close.png"), headerImage(ctx, kHeaderHeight, false));
}

// The keyboard's eight colours as a legend, not as buttons: flat chips without a raised edge,
// inset in their 21 px cells so that the program's mark of the current colour fits around one.
void drawSwatches(QPainter& p)
{
    for (int k = 0; k < 8; ++k) {
        const QRectF r(kSwatchLeft + kSwatchStep * k + 3.5, kSwatchTop + 3.5, kSwatchSize - 7, kSwatchSize - 7);
        p.setPen(QPen(col(palette().window), 1));
        if (k < 7) {
            p.setBrush(col(kLightColours[k]));
        } else {
            QConicalGradient g(r.center(), 90);
            for (int i = 0; i <= 7; ++i)
                g.setColorAt(i / 7.0, col(kLightColours[i % 7]));
            p.setBrush(g);
        }
        p.drawRoundedRect(r, 2, 2);
    }
}

// Thin rule between the groups of an open panel.
void drawRule(QPainter& p, qreal y)
{
    p.setPen(QPen(col(palette().panelEdge, 150), 1));
    p.drawLine(QPointF(9, y + 0.5), QPointF(kColumnWidth - 10, y + 0.5));
}

// Ticks under a slider: one per step, in image coordinates of the slider's left edge.
void drawTicks(QPainter& p, qreal left, qreal y, int steps)
{
    p.setPen(QPen(col(palette().textFaint), 1));
    for (int i = 0; i <= steps; ++i) {
        const qreal x = left + kThumbSize.width() / 2.0 + qreal(kThumbTravel) * i / steps;
        p.drawLine(QPointF(x, y), QPointF(x, y + 2));
    }
}

// The open Light panel; with speed, the lower part that freq.png carries.
QImage lightPanel(const SkinContext& ctx, bool withSpeed)
{
    QImage img = ctx.newImage(kLightOpenSize.width(), kLightOpenSize.height());
    QPainter p;
    beginPainter(p, img);
    drawPanelBody(p, QRect(0, -4, kLightOpenSize.width(), kLightOpenSize.height() + 4));
    drawSwatches(p);
    drawRule(p, 88);
    drawRule(p, 118);
    drawTicks(p, 9, 142, 10);   // brightness 0..50 in steps of five
    if (withSpeed) {
        drawRule(p, 158);
        drawTicks(p, 9, 185, 9);
    }
    p.end();
    return img;
}

void paintLightPanels(SkinContext& ctx)
{
    ctx.save(QStringLiteral("LEDEffect_open.png"), lightPanel(ctx, false));
    const QImage full = lightPanel(ctx, true);
    ctx.save(QStringLiteral("freq.png"),
             SkinContext::copy(full, QRect(0, kFreqTop, kColumnWidth, kLightOpenSize.height() - kFreqTop)));
}

void paintMacroBar(SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage bar = ctx.newImage(kMacroBarSize.width(), kMacroBarSize.height());
    QPainter p;
    beginPainter(p, bar);
    drawPanelBody(p, QRect(0, 4, kMacroBarSize.width(), kMacroBarSize.height() - 8));
    p.end();
    ctx.save(QStringLiteral("MacroManagementBK.png"), bar);

    QImage button = ctx.newImage(kMacroButtonSize.width(), kMacroButtonSize.height());
    beginPainter(p, button);
    drawButton(p, QRectF(SkinContext::logicalRect(button)), ButtonState::Normal, 3);
    // A record dot at the left, where the caption does not reach.
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal.accent));
    p.drawEllipse(QPointF(11, kMacroButtonSize.height() / 2.0), 3.5, 3.5);
    drawGlyph(p, QRectF(kMacroButtonSize.width() - 16, 5, 9, 9), Glyph::ChevronRight, col(pal.textDim));
    p.end();
    ctx.save(QStringLiteral("macroButton3.png"), button);
}

void paintGameMode(SkinContext& ctx)
{
    // No chevron: the Win Lock caption (130 px right of Game Mode's) runs to the right edge.
    QImage closed = headerImage(ctx, kHeaderHeight, false, false);
    QImage open = headerImage(ctx, kGameOpenSize.height(), true, false);
    for (QImage* img : {&closed, &open}) {
        // Divider between the Game Mode and Win Lock halves (Win Lock's caption starts 130 px right).
        QPainter p;
        beginPainter(p, *img);
        p.setPen(QPen(col(palette().panelEdge), 1));
        p.drawLine(QPointF(128.5, 4), QPointF(128.5, SkinContext::logicalSize(*img).height() - 4));
        p.end();
    }
    ctx.save(QStringLiteral("gamemode_Close.png"), closed);
    ctx.save(QStringLiteral("gamemode_open.png"), open);
}

void paintResponseAndRate(SkinContext& ctx)
{
    ctx.save(QStringLiteral("responsetime_open.png"), headerImage(ctx, kResponseOpenSize.height(), true));

    QImage rate = headerImage(ctx, kReportOpenSize.height(), true);
    QPainter p;
    beginPainter(p, rate);
    drawTicks(p, 9, 36, 3);
    p.setFont(ctx.latinFont(11));
    p.setPen(col(ctx.palette().textDim));
    for (int i = 0; i < 4; ++i) {
        const qreal centre = 9 + kThumbSize.width() / 2.0 + qreal(kThumbTravel) * i / 3;
        const qreal left = std::clamp(centre - 24, 2.0, kColumnWidth - 50.0);
        p.drawText(QRectF(left, 38, 48, 12), Qt::AlignCenter, QLatin1String(kReportRates[i]));
    }
    p.end();
    ctx.save(QStringLiteral("reportrate_Open.png"), rate);

    QImage labels = ctx.newImage(kRateLabelsSize.width(), kRateLabelsSize.height());
    beginPainter(p, labels);
    p.setFont(ctx.latinFont(9));
    p.setPen(col(ctx.palette().textDim));
    for (int i = 0; i < 4; ++i) {
        const qreal centre = 8 + qreal(kRateLabelsSize.width() - 16) * i / 3;
        p.drawText(QRectF(std::clamp(centre - 20, 0.0, kRateLabelsSize.width() - 40.0), 0, 40, 10), Qt::AlignCenter,
                   QLatin1String(kReportRates[i]));
    }
    p.end();
    ctx.save(QStringLiteral("125Hz.png"), labels);
}

void paintItemAndRadios(SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage item = ctx.newImage(kItemSize.width(), kItemSize.height());
    QPainter p;
    beginPainter(p, item);
    drawField(p, QRectF(SkinContext::logicalRect(item)));
    p.setPen(QPen(col(pal.fieldEdge), 1));
    p.drawLine(QPointF(kItemSize.width() - 17.5, 3), QPointF(kItemSize.width() - 17.5, kItemSize.height() - 3));
    drawGlyph(p, QRectF(kItemSize.width() - 14, 3.5, 10, 9), Glyph::ChevronDown, col(pal.accentBright));
    p.end();
    ctx.save(QStringLiteral("Light_Item.png"), item);

    for (bool chosen : {false, true}) {
        QImage radio = ctx.newImage(kRadioSize.width(), kRadioSize.height());
        beginPainter(p, radio);
        drawRadio(p, QRectF(SkinContext::logicalRect(radio)), chosen);
        p.end();
        ctx.save(chosen ? QStringLiteral("Enable.png") : QStringLiteral("Disable.png"), radio);
    }
}

void paintDirections(SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    struct Direction {
        const char* letter;
        Glyph glyph;
    };
    constexpr std::array<Direction, 4> kDirections{
        {{"T", Glyph::Up}, {"B", Glyph::Down}, {"L", Glyph::Left}, {"R", Glyph::Right}}};
    for (const Direction& d : kDirections) {
        for (bool enabled : {false, true}) {
            QImage img = ctx.newImage(kDirectionSize.width(), kDirectionSize.height());
            QPainter p;
            beginPainter(p, img);
            drawButton(p, QRectF(SkinContext::logicalRect(img)), enabled ? ButtonState::Hover : ButtonState::Normal, 3);
            drawGlyph(p, QRectF(12, 2, 12, 12), d.glyph, enabled ? col(pal.text) : col(pal.textDim));
            p.end();
            ctx.save(QStringLiteral("Direction-%1-%2.png")
                         .arg(QLatin1String(d.letter), enabled ? QLatin1String("Enable") : QLatin1String("Disable")),
                     img);
        }
    }
}

QImage track(const SkinContext& ctx, bool filled)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kTrackSize.width(), kTrackSize.height());
    QPainter p;
    beginPainter(p, img);
    const QRectF groove(1, 4, kTrackSize.width() - 2, 5);
    p.setPen(QPen(filled ? col(pal.accentDark).lighter(160) : col(pal.fieldEdge), 1));
    if (filled) {
        QLinearGradient g(groove.topLeft(), groove.topRight());
        g.setColorAt(0, col(pal.accent).darker(150));
        g.setColorAt(1, col(pal.accentBright));
        p.setBrush(g);
    } else {
        p.setBrush(col(pal.field));
    }
    p.drawRoundedRect(groove, 2.5, 2.5);
    p.end();
    return img;
}

QImage thumb(const SkinContext& ctx)
{
    const Palette& pal = ctx.palette();
    QImage img = ctx.newImage(kThumbSize.width(), kThumbSize.height());
    QPainter p;
    beginPainter(p, img);
    const QRectF r(1, 0.5, kThumbSize.width() - 2, kThumbSize.height() - 1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, col(0xffffff));
    g.setColorAt(1, col(pal.keyLegend).darker(125));
    p.setPen(QPen(col(pal.accent), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(r, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(col(pal.accent));
    p.drawRoundedRect(QRectF(kThumbSize.width() / 2.0 - 1, 3.5, 2, kThumbSize.height() - 7), 1, 1);
    p.end();
    return img;
}

// 1.png: a brightness ramp behind the brightness slider's place (the table names it; never hit).
QImage brightnessScale(const SkinContext& ctx)
{
    QImage img = ctx.newImage(kScaleSize.width(), kScaleSize.height());
    QPainter p;
    beginPainter(p, img);
    QLinearGradient g(0, 0, kScaleSize.width(), 0);
    g.setColorAt(0, col(ctx.palette().field));
    g.setColorAt(1, col(ctx.palette().accent, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0, kScaleSize.height() - 4, kScaleSize.width(), 3), 1.5, 1.5);
    p.end();
    return img;
}

void paintSliderParts(SkinContext& ctx)
{
    ctx.save(QStringLiteral("bitmap139.png"), track(ctx, false));   // right of the thumb
    ctx.save(QStringLiteral("bitmap140.png"), track(ctx, true));    // left of the thumb
    ctx.save(QStringLiteral("bitmap141.png"), thumb(ctx));          // the (hidden) thumb window
    ctx.save(QStringLiteral("Thumb.png"), thumb(ctx));
    ctx.save(QStringLiteral("1.png"), brightnessScale(ctx));
}

void paintSections(SkinContext& ctx)
{
    paintHeaders(ctx);
    paintLightPanels(ctx);
    paintMacroBar(ctx);
    paintGameMode(ctx);
    paintResponseAndRate(ctx);
    paintItemAndRadios(ctx);
    paintDirections(ctx);
    paintSliderParts(ctx);
}

}   // namespace
}   // namespace orvane::skins

ORVANE_SKIN_PAINTER(sections, orvane::skins::paintSections);
