#pragma once
// The key cap legends of the keyboard picture and the rule that sizes them: every legend lies
// inside its cap's top face with a margin, and the legends of more than one character on one
// row of one key cluster (macro keys, main block, navigation keys, keypad) share one face and
// size: the largest that lets all of them fit.

#include <QFont>
#include <QRectF>
#include <QString>

#include <cstddef>

namespace orvane::skins {

inline constexpr qreal kLegendMargin = 1;   // between a legend and the edge of the cap's top face

// The legend of a key (index of KeyLayoutTable); "\n" would split two lines.
QString keyLegend(std::size_t key);
// The cap of a key in picture coordinates, and its top face, where the legend is drawn centred.
QRectF keyCap(std::size_t key);
QRectF legendFace(std::size_t key);
// The key's cluster: 0 macro keys, 1 main block, 2 navigation keys, 3 keypad (and media keys).
int legendCluster(std::size_t key);
// The font the legend is drawn with.
QFont legendFont(std::size_t key);

}   // namespace orvane::skins
