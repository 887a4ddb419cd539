#pragma once
// Screen readers and the keyboard for windows that paint their own controls.
//
// The skinned windows draw their buttons, sliders, lists and the keyboard picture from images and
// test clicks against rectangles, so to Qt they are one blank surface. A window describes what it
// paints as a list of PaintedControl (built fresh from its state whenever asked) and gives it to a
// PaintedAccess, which then
//   - shows every control to assistive technology (AT-SPI through Qt's bridge) as an accessible
//     child of the window, with its role, name, states, value and press action;
//   - moves a keyboard focus through them: Tab / Shift+Tab from stop to stop in the list's order,
//     the arrows within a group (a list's rows, a radio pair, the keyboard picture by row and
//     column) and along a slider, Space / Enter press;
//   - draws the focus mark in the palette's accent colour while the focus came from the keyboard
//     (a mouse user never sees it);
//   - tells assistive technology when the focus moves and when a name, value or state changes.
//
// The window forwards its key presses (handleKey) and Tab (focusNextPrevChild) and calls
// refresh() after its state changed (one diff of the controls, so it is cheap to call often).

#include <QAccessible>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QKeyEvent;
class QPainter;
class QWidget;

namespace orvane::ui {

struct PaintedControl {
    QString id;   // stable while the control exists: the focus and the accessible object follow it
    QAccessible::Role role = QAccessible::Button;
    QString name;
    QString description;
    QRect rect;   // in the window's coordinates
    bool checkable = false;
    bool checked = false;
    bool disabled = false;
    bool expandable = false;   // a section header: expanded while its section is open
    bool expanded = false;
    // Whether Tab stops here. A group is one stop (its first control, or the one last focused).
    bool tabStop = true;
    // Controls with the same non-empty group are moved through with the arrows; row and column
    // place them (a list: row only; a radio pair: column only).
    QString group;
    int row = 0;
    int column = 0;
    // Sliders: the value, its range and the text the window shows for it.
    std::optional<int> value;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    QString valueText;
    std::function<void()> press;         // Space, Enter and the accessible press action
    std::function<void(int)> setValue;   // sliders: the arrows and assistive technology
    // A real child widget in the Tab order (a text box, a list): the focus goes to the widget
    // itself, and assistive technology sees the widget's own accessible object.
    QPointer<QWidget> widget;
};

class PaintedAccess : public QObject {
    Q_OBJECT
public:
    using Source = std::function<std::vector<PaintedControl>()>;
    // `window` paints the controls `source` describes; the access lives as long as the window
    // (it is the window's child).
    PaintedAccess(QWidget& window, Source source);
    ~PaintedAccess() override;

    // The controls as the window describes them now.
    const std::vector<PaintedControl>& controls() const;
    // The control with the keyboard focus (null when none).
    const PaintedControl* focused() const;
    QString focusedId() const { return focusedId_; }
    // Whether the focus mark is drawn (the focus came from the keyboard).
    bool markShown() const { return markShown_ && focused() != nullptr; }
    // Puts the keyboard focus on a control (false when there is none with this id).
    bool focus(const QString& id, bool fromKeyboard = true);
    // The mouse was used: the mark goes until the keyboard moves the focus again.
    void hideMark();

    // Tab / Shift+Tab: the next or previous stop; false when there is none (the window keeps Tab).
    bool moveFocus(bool forward);
    // Arrows, Space, Enter and Tab; true when the key was used. Other keys (Escape included) are
    // the window's.
    bool handleKey(QKeyEvent& event);
    // Draws the focus mark around the focused control (call last in the window's paint).
    void paintFocus(QPainter& painter) const;

    // The window's state changed: reads the controls again and tells assistive technology what
    // changed (names, values, states; a focused control that went away passes the focus on).
    void refresh();

    // The accessible object of a control (tests; null when there is no such control).
    QAccessibleInterface* accessibleControl(const QString& id);
    int indexOf(const QString& id) const;

    // Installs, once per process, the factory that gives every window with a PaintedAccess its
    // accessible children.
    static void installFactory();
    static PaintedAccess* of(QObject* window);
    // A real child widget that a painted control stands for (a slider the window draws itself):
    // it leaves the accessible tree and never takes the focus.
    static void markReplaced(QWidget& child);
    // Every event sent to assistive technology also goes to `observer` (tests: Qt delivers events
    // only where a platform bridge is active, which the offscreen platform has not).
    static void observeEvents(std::function<void(const QAccessibleEvent&)> observer);

private:
    friend class PaintedWindowAccessible;
    friend class PaintedControlAccessible;
    void read();
    const PaintedControl* find(const QString& id) const;
    bool moveInGroup(int key);
    void announceFocus();
    QAccessibleInterface* childInterface(int index);
    void dropInterfaces(bool all);

    QWidget& window_;
    Source source_;
    std::vector<PaintedControl> controls_;
    QString focusedId_;
    bool markShown_ = false;
    std::map<QString, QString> lastInGroup_;                // group -> id of the control focused last in it
    std::map<QString, QAccessibleInterface*> interfaces_;   // registered with QAccessible
};

}   // namespace orvane::ui
