#pragma once
// The one palette of the suite's artwork: a dark graphite surface with a single crimson accent.
// Every painter of the generator takes its colours from here, so all windows match; widgets that
// paint fills of their own (list rows, captions) use the same values.

#include <QColor>
#include <QRgb>

namespace orvane::skins {

struct Palette {
    // Surfaces, darkest to lightest.
    QRgb window = qRgb(16, 17, 21);       // window background
    QRgb windowEdge = qRgb(46, 49, 58);   // 1 px outline of windows
    QRgb panel = qRgb(27, 29, 35);        // open section bodies
    QRgb panelEdge = qRgb(52, 56, 66);
    QRgb header = qRgb(38, 41, 49);       // section headers, buttons
    QRgb headerHigh = qRgb(54, 58, 69);   // top of a header gradient
    QRgb field = qRgb(12, 13, 16);        // recessed boxes, slider grooves
    QRgb fieldEdge = qRgb(64, 68, 80);
    // The accent and its shades.
    QRgb accent = qRgb(226, 36, 48);          // crimson: selection, lit keys, focus marks
    QRgb accentBright = qRgb(255, 92, 100);   // hover
    QRgb accentDark = qRgb(80, 0, 0);         // highlighted list row (the program fills it with this)
    QRgb listRow = qRgb(59, 59, 59);          // ordinary list row
    // Text.
    QRgb text = qRgb(255, 255, 255);      // captions (the program draws them in white)
    QRgb textDim = qRgb(150, 155, 168);   // secondary labels baked into images
    QRgb textFaint = qRgb(96, 101, 114);
    // Keyboard picture.
    QRgb keyCase = qRgb(22, 23, 28);
    QRgb keyCap = qRgb(44, 47, 56);
    QRgb keyCapTop = qRgb(58, 62, 73);
    QRgb keyLegend = qRgb(206, 210, 220);
    QRgb keyLitCap = qRgb(120, 18, 26);
    QRgb keyLitTop = qRgb(196, 34, 46);
    QRgb keyLitLegend = qRgb(255, 255, 255);

    static QColor c(QRgb v, int alpha = 255)
    {
        QColor q = QColor::fromRgb(v);
        q.setAlpha(alpha);
        return q;
    }
};

inline const Palette& palette()
{
    static const Palette p;
    return p;
}

}   // namespace orvane::skins
