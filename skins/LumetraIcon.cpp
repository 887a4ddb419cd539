// orvane-icongen OUTPUT_ROOT: draws the LCD program's application icon at the hicolor sizes into
// OUTPUT_ROOT/icons/Lumetra-<size>.png, in the suite's palette (the main program's icons come
// from the skin generator). The picture: a key cap carrying a small LCD strip whose lit pixels
// spell a short dotted line, as the keyboard's 132 x 32 display would show it.

#include "platform/ui/Palette.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <array>
#include <cstdio>

namespace {

constexpr std::array<int, 8> kIconSizes{16, 22, 24, 32, 48, 64, 128, 256};

// Lit pixels of the LCD strip, 11 columns by 5 rows ("Aa" and a cursor in a 5-row font).
constexpr std::array<const char*, 5> kLcdPixels{
    ".#.......#.", "#.#..##..#.", "###.#.#..#.", "#.#.#.#..#.", "#.#..##..#.",
};

QColor c(QRgb v, int alpha = 255)
{
    return orvane::skins::Palette::c(v, alpha);
}

void drawCap(QPainter& p, const QRectF& sq)
{
    const auto& pal = orvane::skins::palette();
    const qreal s = sq.width();
    QLinearGradient g(sq.topLeft(), sq.bottomLeft());
    g.setColorAt(0, c(pal.keyCapTop).lighter(120));
    g.setColorAt(1, c(pal.keyCap).darker(130));
    p.setPen(QPen(c(pal.fieldEdge), std::max<qreal>(1, s / 48)));
    p.setBrush(g);
    p.drawRoundedRect(sq.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04), s * 0.2, s * 0.2);
}

void drawLcd(QPainter& p, const QRectF& sq)
{
    const auto& pal = orvane::skins::palette();
    const qreal s = sq.width();
    const QRectF lcd(sq.left() + s * 0.14, sq.top() + s * 0.30, s * 0.72, s * 0.40);
    p.setPen(QPen(c(pal.accent), std::max<qreal>(1, s / 40)));
    p.setBrush(c(pal.field));
    p.drawRoundedRect(lcd, s * 0.05, s * 0.05);
    const int cols = int(std::char_traits<char>::length(kLcdPixels[0]));
    const int rows = int(kLcdPixels.size());
    const qreal cell = std::min(lcd.width() * 0.84 / cols, lcd.height() * 0.70 / rows);
    const QPointF origin(lcd.center().x() - cell * cols / 2, lcd.center().y() - cell * rows / 2);
    p.setPen(Qt::NoPen);
    p.setBrush(c(pal.accentBright));
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x)
            if (kLcdPixels[std::size_t(y)][x] == '#')
                p.drawRect(QRectF(origin.x() + x * cell, origin.y() + y * cell, cell * 0.9, cell * 0.9));
}

QImage paintIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF sq(0, 0, size, size);
    drawCap(p, sq);
    drawLcd(p, sq);
    return img;
}

}   // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-icongen OUTPUT_ROOT\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/icons");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "orvane-icongen: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    for (int size : kIconSizes) {
        const QString path = folder + QStringLiteral("/Lumetra-%1.png").arg(size);
        if (!paintIcon(size).save(path)) {
            std::fprintf(stderr, "orvane-icongen: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
