#include "panelo/img/pngbutton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace orvane::panelo {

int MulDivRound(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * b;
    const int64_t half = (c < 0 ? -int64_t(c) : int64_t(c)) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -int64_t(c) : int64_t(c));
    return static_cast<int>(negative ? -magnitude : magnitude);
}

SurfaceState ChooseSurfaceState(bool enabled, bool pressed, bool hover)
{
    if (!enabled)
        return SurfaceState::Disabled;
    if (pressed)
        return SurfaceState::Down;
    if (hover)
        return SurfaceState::Over;
    return SurfaceState::Normal;
}

CPngButton::CPngButton(QWidget* parent) : QAbstractButton(parent)
{
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverDelayMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] {
        m_hover = true;
        update();
    });
    // Only the parent's painting shows where the button has nothing to copy.
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void CPngButton::SetStateSurfaces(QPoint offset, const StateSurfaces& surfaces, bool)
{
    m_offset = offset;
    m_surfaces = surfaces;
    m_hover = false;
    m_tracking = false;
    m_hoverTimer.stop();
    setDown(false);
    repaint();
}

void CPngButton::SetTextStyle(bool showText, int pointSize, const QString& faceName, const QColor& colour,
                              Qt::Alignment alignment)
{
    m_showText = showText;
    m_pointSize = pointSize;
    m_faceName = faceName;
    m_textColour = colour;
    m_alignment = alignment;
    update();
}

void CPngButton::SetTextInsets(const TextInsets& insets)
{
    m_insets = insets;
    update();
}

SurfaceState CPngButton::CurrentState() const
{
    return ChooseSurfaceState(isEnabled(), isDown(), m_hover);
}

const QPixmap* CPngButton::surfaceFor(SurfaceState state) const
{
    switch (state) {
    case SurfaceState::Normal: return m_surfaces.normal;
    case SurfaceState::Over: return m_surfaces.over;
    case SurfaceState::Down: return m_surfaces.down;
    case SurfaceState::Disabled: return m_surfaces.disabled;
    case SurfaceState::Fifth: return m_surfaces.fifth;
    }
    return nullptr;
}

QFont CPngButton::TextFont() const
{
    QFont font(m_faceName);
    font.setPixelSize(std::max(1, MulDivRound(m_pointSize, logicalDpiY(), 72)));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QRect CPngButton::TextRect() const
{
    return rect().adjusted(m_insets.left, m_insets.top, m_insets.right, m_insets.bottom);
}

void CPngButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap* surface = surfaceFor(CurrentState());
    if (surface) {
        const qreal scale = surface->devicePixelRatio();   // the source rectangle is in the surface's pixels
        painter.drawPixmap(QRectF(QPointF(0, 0), QSizeF(size())), *surface,
                           QRectF(QPointF(m_offset) * scale, QSizeF(size()) * scale));
        m_lastDrawn = surface;
    }
    if (m_showText)
        drawText(painter);
}

void CPngButton::drawText(QPainter& painter)
{
    constexpr int kMaxTextUnits = 259;
    const QRect area = TextRect();
    painter.setFont(TextFont());
    painter.setPen(m_textColour);
    painter.setClipRect(area);
    painter.drawText(area, int(m_alignment) | Qt::TextSingleLine, text().left(kMaxTextUnits));
}

void CPngButton::enterEvent(QEnterEvent* event)
{
    if (!m_tracking) {
        m_tracking = true;
        m_hoverTimer.start();
    }
    QAbstractButton::enterEvent(event);
}

void CPngButton::leaveEvent(QEvent* event)
{
    m_tracking = false;
    m_hover = false;
    m_hoverTimer.stop();
    update();
    QAbstractButton::leaveEvent(event);
}

void CPngButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a quick double click is an ordinary press, so it makes a second click.
    mousePressEvent(event);
}

}   // namespace orvane::panelo
