#pragma once
// Drawing helpers shared by the painters: the few shapes that make up the suite's look
// (window frame, section header, panel body, push button, recessed field, radio, glyph arrows).
// Painters use them so that every image of every window has the same edges and gradients.

#include "platform/ui/Palette.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

namespace orvane::skins {

enum class Glyph { Up, Down, Left, Right, ChevronDown, ChevronRight };
enum class ButtonState { Normal, Hover };

// A QPainter on the image with antialiasing and smooth scaling on.
void beginPainter(QPainter& p, QImage& image);

// Window background: near-black with a faint vertical gradient and a 1 px outline.
void drawWindowBackground(QPainter& p, const QRect& r, int radius = 6);
// Section header strip (20 px high in the main window) with an accent mark at its left and a
// chevron at its right showing whether the section is open.
void drawSectionHeader(QPainter& p, const QRect& r, bool open, bool chevron = true);
// Body of an open section (below its header).
void drawPanelBody(QPainter& p, const QRect& r);
// Recessed field (combo boxes, grooves).
void drawField(QPainter& p, const QRectF& r, qreal radius = 3);
// Push button face.
void drawButton(QPainter& p, const QRectF& r, ButtonState state, qreal radius = 4);
// Small radio: hollow ring, or ring with an accent dot when chosen.
void drawRadio(QPainter& p, const QRectF& r, bool chosen);
// A filled arrow/chevron glyph centred in r.
void drawGlyph(QPainter& p, const QRectF& r, Glyph glyph, const QColor& colour);
// Text centred in r (no baking of captions the program draws itself: only labels of artwork).
void drawCentredText(QPainter& p, const QRectF& r, const QString& text, const QFont& font, const QColor& colour);
// The suite's emblem (a stylised key cap with an accent slash), used by the logo, splash and icon.
void drawEmblem(QPainter& p, const QRectF& r);

}   // namespace orvane::skins
