#pragma once
// CPngButton: a skinned button that draws nothing of its own. It copies the part of a
// whole-window state surface that lies under it, choosing the surface by its state, and can draw
// its text on top. A button without surfaces draws nothing at all (the window may paint there).
// It takes the focus by Tab only (a click leaves the focus where it is, as it always did), is
// pressed by Space or Enter while it has it, and then wears a focus mark, drawn only when the
// focus came by keyboard, so a mouse user never sees one. To assistive technology it is a push
// button, or the image or label it stands for (SetAccessibleRole).

#include <QAbstractButton>
#include <QAccessible>
#include <QColor>
#include <QPixmap>
#include <QTimer>

#include <array>

namespace orvane::panelo {

enum class SurfaceState { Normal = 0, Over = 1, Down = 2, Disabled = 3, Fifth = 4 };

// First match wins: disabled, then pressed, then hover, else normal.
SurfaceState ChooseSurfaceState(bool enabled, bool pressed, bool hover);

// The five surfaces a button draws from; the button does not own them.
struct StateSurfaces {
    const QPixmap* normal = nullptr;
    const QPixmap* over = nullptr;
    const QPixmap* down = nullptr;
    const QPixmap* disabled = nullptr;
    const QPixmap* fifth = nullptr;
};

struct TextInsets {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

class CPngButton : public QAbstractButton {
    Q_OBJECT
public:
    // The hover image shows this long after the mouse comes onto the button.
    static constexpr int kHoverDelayMs = 1;

    explicit CPngButton(QWidget* parent = nullptr);

    // `offset` is where the button's top-left corner lies in the surfaces. Clears the hover,
    // tracking and pressed state and redraws at once (whatever `redraw` says).
    void SetStateSurfaces(QPoint offset, const StateSurfaces& surfaces, bool redraw = true);
    // `alignment` places the single text line in the text rectangle.
    void SetTextStyle(bool showText, int pointSize, const QString& faceName, const QColor& colour,
                      Qt::Alignment alignment);
    // Added to the left, right, top and bottom edges of the client rectangle before the text is
    // drawn (a positive left or top moves that edge right or down).
    void SetTextInsets(const TextInsets& insets);

    // A button that only shows something (a picture drawn by the window, a line of text) is an
    // image or a label to assistive technology, with no press action and no disabled state.
    void SetAccessibleRole(QAccessible::Role role) { m_accessibleRole = role; }
    QAccessible::Role AccessibleRole() const { return m_accessibleRole; }
    void SetFocusMarkColour(const QColor& colour);
    // The mark is drawn: the button has the focus and it came by Tab or Shift+Tab.
    bool FocusMarkShown() const { return hasFocus() && m_focusByKeyboard; }

    SurfaceState CurrentState() const;
    // The surface the last paint copied from; null before the first paint or without surfaces.
    const QPixmap* LastDrawn() const { return m_lastDrawn; }
    bool IsHovered() const { return m_hover; }
    QPoint SourceOffset() const { return m_offset; }
    // The font the text is drawn with (the point size converted at this widget's vertical dpi).
    QFont TextFont() const;
    QRect TextRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    const QPixmap* surfaceFor(SurfaceState state) const;
    void drawText(QPainter& painter);
    void drawFocusMark(QPainter& painter);

    StateSurfaces m_surfaces;
    const QPixmap* m_lastDrawn = nullptr;
    bool m_hover = false;
    bool m_tracking = false;
    QPoint m_offset;
    bool m_showText = false;
    int m_pointSize = 8;
    QString m_faceName = QStringLiteral("Tahoma");
    QColor m_textColour = Qt::black;
    Qt::Alignment m_alignment = Qt::AlignCenter;
    TextInsets m_insets;
    QTimer m_hoverTimer;
    QAccessible::Role m_accessibleRole = QAccessible::PushButton;
    QColor m_focusMarkColour;
    bool m_focusByKeyboard = false;
};

// a*b/c with a 64-bit intermediate, rounded to the nearest integer, halves away from zero.
int MulDivRound(int a, int b, int c);

}   // namespace orvane::panelo
