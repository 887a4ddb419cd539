#include "panelo/img/pngbutton.h"

#include "platform/ui/Palette.h"

#include <QAccessibleWidget>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QKeyEvent>
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

namespace {

// The button as assistive technology sees it: its role, its accessible name (else its text), and
// for a push button the press action and the pressed state.
class PngButtonAccessible : public QAccessibleWidget {
public:
    explicit PngButtonAccessible(CPngButton* button) : QAccessibleWidget(button, button->AccessibleRole()) {}

    QAccessible::Role role() const override { return button()->AccessibleRole(); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        if (isPushButton())
            s.pressed = button()->isDown();
        else
            s.disabled = false;   // disabled only so that the mouse passes it by
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (isPushButton() && widget()->isEnabled())
            names.prepend(pressAction());
        return names;
    }

    void doAction(const QString& action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // Later, as a click: the caller (a screen reader over the bus) gets its answer before
        // whatever the click starts, a message box for instance, runs its own loop.
        if (isPushButton() && widget()->isEnabled())
            button()->animateClick();
    }

    QStringList keyBindingsForAction(const QString& action) const override
    {
        if (action == pressAction() && isPushButton())
            return {QStringLiteral("Space")};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    CPngButton* button() const { return static_cast<CPngButton*>(widget()); }
    bool isPushButton() const { return button()->AccessibleRole() == QAccessible::PushButton; }
};

QAccessibleInterface* pngButtonAccessible(const QString& className, QObject* object)
{
    if (className != QLatin1String(CPngButton::staticMetaObject.className()))
        return nullptr;
    auto* button = qobject_cast<CPngButton*>(object);
    return button ? new PngButtonAccessible(button) : nullptr;
}

void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(pngButtonAccessible);
        return true;
    }();
    (void)installed;
}

}   // namespace

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
    setFocusPolicy(Qt::TabFocus);
    m_focusMarkColour = skins::Palette::c(skins::palette().accent);
    installAccessibleFactory();
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

void CPngButton::SetFocusMarkColour(const QColor& colour)
{
    m_focusMarkColour = colour;
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
    if (FocusMarkShown())
        drawFocusMark(painter);
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

void CPngButton::drawFocusMark(QPainter& painter)
{
    constexpr qreal kWidth = 2;
    painter.setClipping(false);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_focusMarkColour, kWidth));
    painter.setBrush(Qt::NoBrush);
    const QRectF r = QRectF(rect()).adjusted(kWidth / 2, kWidth / 2, -kWidth / 2, -kWidth / 2);
    const qreal radius = std::min<qreal>(4, std::min(r.width(), r.height()) / 4);
    painter.drawRoundedRect(r, radius, radius);
}

void CPngButton::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);   // Space presses and releases, as on any button
}

void CPngButton::focusInEvent(QFocusEvent* event)
{
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason: m_focusByKeyboard = true; break;
    case Qt::ActiveWindowFocusReason:
    case Qt::PopupFocusReason: break;   // the focus comes back as it went
    default: m_focusByKeyboard = false; break;
    }
    QAbstractButton::focusInEvent(event);
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
