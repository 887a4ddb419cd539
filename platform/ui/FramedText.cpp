#include "platform/ui/FramedText.h"

#include <QFontMetrics>
#include <QPainter>

namespace orvane::ui {

void drawFramed(QPainter& p, const FramedText& t, std::vector<FramedText>* record)
{
    p.setFont(t.font);
    p.drawText(t.room(), t.flags, t.text);
    if (record)
        record->push_back(t);
}

namespace {

// The text's line box as laid out in its room, and its ink (horizontally: a glyph's bearing or
// overhang may reach past the advance widths).
QRect laidOut(const FramedText& t)
{
    return QFontMetrics(t.font).boundingRect(t.room(), t.flags, t.text);
}

QRect ink(const FramedText& t)
{
    const QRect box = laidOut(t);
    if (!(t.flags & Qt::TextSingleLine))
        return box;   // wrapped lines: their line boxes
    const QRect glyphs = QFontMetrics(t.font).boundingRect(t.text);
    return QRect(box.left() + glyphs.left(), box.top(), glyphs.width(), box.height());
}

}   // namespace

QRect measuredRect(const FramedText& t)
{
    return laidOut(t).united(ink(t));
}

QFont shrunkToFit(QFont font, const QString& text, const QRect& frame, int flags, int minimumPx)
{
    while (font.pixelSize() > minimumPx && !fitsItsFrame({frame, text, font, flags}))
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

bool fitsItsFrame(const FramedText& t)
{
    // The line box keeps the margin; ink may reach into it, never past the frame.
    return t.room().contains(laidOut(t)) && t.frame.contains(ink(t));
}

}   // namespace orvane::ui
