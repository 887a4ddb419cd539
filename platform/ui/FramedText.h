#pragma once
// Texts that skinned windows paint into frames of their artwork (a header strip, a button face, a
// list row). Each is drawn inside its frame less a margin, with its alignment, and can be
// recorded with the font it was drawn in, so that a test can measure every text a window's
// painting table draws against the frame it belongs to.

#include <QFont>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;

namespace orvane::ui {

inline constexpr int kTextMarginX = 3;   // between a text and the left/right edge of its frame
inline constexpr int kTextMarginY = 0;   // frames of one text line are as high as the line

struct FramedText {
    QRect frame;   // the artwork's frame the text belongs to
    QString text;
    QFont font;      // the font it was drawn with
    int flags = 0;   // Qt alignment and text flags
    // The room inside the frame the text is laid out in.
    QRect room() const { return frame.adjusted(kTextMarginX, kTextMarginY, -kTextMarginX, -kTextMarginY); }
};

// Draws t.text with t.font into t.room() and appends t to `record` when given.
void drawFramed(QPainter& p, const FramedText& t, std::vector<FramedText>* record = nullptr);

// `font` made smaller, a pixel at a time down to `minimumPx`, until `text` fits `frame`'s room.
QFont shrunkToFit(QFont font, const QString& text, const QRect& frame, int flags, int minimumPx = 8);

// Where the text lies when drawn (QFontMetrics of its font: its line box in the room and its
// glyphs' ink on a single line), and whether it fits: the line box inside the room, the ink
// inside the frame.
QRect measuredRect(const FramedText& t);
bool fitsItsFrame(const FramedText& t);

}   // namespace orvane::ui
