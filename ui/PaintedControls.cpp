#include "ui/PaintedControls.h"

#include "platform/ui/Palette.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace orvane::ui {

namespace {

// Real child widgets that a painted control stands in for stay out of the accessible tree.
constexpr const char* kReplacedProperty = "orvanePaintedReplaced";

std::function<void(const QAccessibleEvent&)>& eventObserver()
{
    static std::function<void(const QAccessibleEvent&)> observer;
    return observer;
}

// To assistive technology (Qt drops it when none listens), and to a test's observer.
void send(QAccessibleEvent& event)
{
    if (eventObserver())
        eventObserver()(event);
    QAccessible::updateAccessibility(&event);
}

}   // namespace

void PaintedAccess::observeEvents(std::function<void(const QAccessibleEvent&)> observer)
{
    eventObserver() = std::move(observer);
}

// ---- One painted control, as assistive technology sees it -------------------------------------

class PaintedControlAccessible final : public QAccessibleInterface,
                                       public QAccessibleActionInterface,
                                       public QAccessibleValueInterface {
public:
    PaintedControlAccessible(PaintedAccess& access, QString id) : access_(&access), id_(std::move(id)) {}

    const PaintedControl* control() const { return access_ ? access_->find(id_) : nullptr; }

    bool isValid() const override { return control() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return access_ ? access_->window_.window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return access_ ? QAccessible::queryAccessibleInterface(&access_->window_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        const PaintedControl* c = control();
        if (!c)
            return {};
        switch (t) {
        case QAccessible::Name: return c->name;
        case QAccessible::Description: return c->description;
        case QAccessible::Value: return c->valueText;
        default: return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        const PaintedControl* c = control();
        if (!c)
            return {};
        return QRect(access_->window_.mapToGlobal(c->rect.topLeft()), c->rect.size());
    }
    QAccessible::Role role() const override
    {
        const PaintedControl* c = control();
        return c ? c->role : QAccessible::NoRole;
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        const PaintedControl* c = control();
        if (!c) {
            s.invalid = true;
            return s;
        }
        s.focusable = !c->disabled && (c->tabStop || !c->group.isEmpty());
        s.focused = access_->focusedId_ == c->id && access_->window_.hasFocus();
        s.disabled = c->disabled;
        s.checkable = c->checkable;
        s.checked = c->checked;
        s.expandable = c->expandable;
        s.expanded = c->expandable && c->expanded;
        s.collapsed = c->expandable && !c->expanded;
        s.invisible = !access_->window_.isVisible();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType type) override
    {
        const PaintedControl* c = control();
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::ValueInterface && c && c->value)
            return static_cast<QAccessibleValueInterface*>(this);
        return nullptr;
    }

    // Actions: press for what can be pressed; a slider steps up and down.
    QStringList actionNames() const override
    {
        const PaintedControl* c = control();
        if (!c || c->disabled)
            return {};
        if (c->value && c->setValue)
            return {increaseAction(), decreaseAction()};
        if (c->press)
            return {c->checkable ? toggleAction() : pressAction()};
        return {};
    }
    void doAction(const QString& name) override
    {
        const PaintedControl* c = control();
        if (!c || c->disabled)
            return;
        // The press may make this control go away, and this object with it (the window refreshes
        // its controls): nothing of this object is used after it.
        const QPointer<PaintedAccess> access = access_;
        if (c->value && c->setValue && (name == increaseAction() || name == decreaseAction())) {
            const std::function<void(int)> set = c->setValue;
            const int next = *c->value + (name == increaseAction() ? c->step : -c->step);
            set(std::clamp(next, c->minimum, c->maximum));
        } else if (c->press && (name == pressAction() || name == toggleAction())) {
            const std::function<void()> press = c->press;   // the press may rebuild the controls
            press();
        }
        if (access)
            access->refresh();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    QVariant currentValue() const override
    {
        const PaintedControl* c = control();
        return c && c->value ? QVariant(*c->value) : QVariant();
    }
    void setCurrentValue(const QVariant& value) override
    {
        const PaintedControl* c = control();
        if (!c || !c->setValue || c->disabled)
            return;
        const QPointer<PaintedAccess> access = access_;   // as in doAction
        const std::function<void(int)> set = c->setValue;
        set(std::clamp(value.toInt(), c->minimum, c->maximum));
        if (access)
            access->refresh();
    }
    QVariant maximumValue() const override
    {
        const PaintedControl* c = control();
        return c ? QVariant(c->maximum) : QVariant();
    }
    QVariant minimumValue() const override
    {
        const PaintedControl* c = control();
        return c ? QVariant(c->minimum) : QVariant();
    }
    QVariant minimumStepSize() const override
    {
        const PaintedControl* c = control();
        return c ? QVariant(c->step) : QVariant();
    }

private:
    QPointer<PaintedAccess> access_;
    QString id_;
};

// ---- The window: its real children, then the painted controls ---------------------------------

class PaintedWindowAccessible final : public QAccessibleWidget {
public:
    PaintedWindowAccessible(QWidget* window, QAccessible::Role role) : QAccessibleWidget(window, role) {}

    PaintedAccess* access() const { return PaintedAccess::of(widget()); }

    int childCount() const override { return int(realChildren().size() + painted().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const std::vector<QAccessibleInterface*> real = realChildren();
        if (index >= 0 && index < int(real.size()))
            return real[std::size_t(index)];
        const std::vector<int> p = painted();
        index -= int(real.size());
        if (index < 0 || index >= int(p.size()))
            return nullptr;
        return access()->childInterface(p[std::size_t(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (int i = 0, n = childCount(); i < n; ++i)
            if (this->child(i) == child)
                return i;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        if (QAccessibleInterface* real = QAccessibleWidget::childAt(x, y))
            if (!(real->object() && real->object()->property(kReplacedProperty).toBool()))
                return real;
        PaintedAccess* a = access();
        if (!a)
            return nullptr;
        const QPoint local = widget()->mapFromGlobal(QPoint(x, y));
        // The last painted control is drawn on top (an open list over the sliders).
        const std::vector<int> p = painted();
        for (auto it = p.rbegin(); it != p.rend(); ++it)
            if (a->controls()[std::size_t(*it)].rect.contains(local))
                return a->childInterface(*it);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        PaintedAccess* a = access();
        if (a && widget()->hasFocus())
            if (const int i = a->indexOf(a->focusedId()); i >= 0 && !a->controls()[std::size_t(i)].widget)
                return a->childInterface(i);
        return QAccessibleWidget::focusChild();
    }

private:
    std::vector<QAccessibleInterface*> realChildren() const
    {
        std::vector<QAccessibleInterface*> out;
        for (int i = 0, n = QAccessibleWidget::childCount(); i < n; ++i) {
            QAccessibleInterface* c = QAccessibleWidget::child(i);
            if (c && !(c->object() && c->object()->property(kReplacedProperty).toBool()))
                out.push_back(c);
        }
        return out;
    }
    // Indexes of the controls that have no widget of their own.
    std::vector<int> painted() const
    {
        std::vector<int> out;
        if (PaintedAccess* a = access())
            for (std::size_t i = 0; i < a->controls().size(); ++i)
                if (!a->controls()[i].widget)
                    out.push_back(int(i));
        return out;
    }
};

// ---- PaintedAccess ------------------------------------------------------------------------------

PaintedAccess::PaintedAccess(QWidget& window, Source source)
    : QObject(&window), window_(window), source_(std::move(source))
{
    setObjectName(QStringLiteral("paintedAccess"));
    installFactory();
}

PaintedAccess::~PaintedAccess()
{
    dropInterfaces(true);
}

void PaintedAccess::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString&, QObject* object) -> QAccessibleInterface* {
            if (!object || !object->isWidgetType() || !of(object))
                return nullptr;
            QWidget* w = static_cast<QWidget*>(object);
            return new PaintedWindowAccessible(w, w->isWindow() ? QAccessible::Window : QAccessible::Client);
        });
        return true;
    }();
    (void)installed;
}

PaintedAccess* PaintedAccess::of(QObject* window)
{
    return window ? window->findChild<PaintedAccess*>(QStringLiteral("paintedAccess"), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void PaintedAccess::markReplaced(QWidget& child)
{
    child.setProperty(kReplacedProperty, true);
    child.setFocusPolicy(Qt::NoFocus);
}

const std::vector<PaintedControl>& PaintedAccess::controls() const
{
    if (controls_.empty())
        const_cast<PaintedAccess*>(this)->read();
    return controls_;
}

void PaintedAccess::read()
{
    controls_ = source_();
    for (const PaintedControl& c : controls_)
        if (c.widget)
            c.widget->setProperty(kReplacedProperty, false);
}

const PaintedControl* PaintedAccess::find(const QString& id) const
{
    const int i = indexOf(id);
    return i < 0 ? nullptr : &controls()[std::size_t(i)];
}

int PaintedAccess::indexOf(const QString& id) const
{
    if (id.isEmpty())
        return -1;
    const std::vector<PaintedControl>& cs = controls();
    for (std::size_t i = 0; i < cs.size(); ++i)
        if (cs[i].id == id)
            return int(i);
    return -1;
}

const PaintedControl* PaintedAccess::focused() const
{
    return find(focusedId_);
}

QAccessibleInterface* PaintedAccess::childInterface(int index)
{
    const PaintedControl& c = controls()[std::size_t(index)];
    if (c.widget)
        return QAccessible::queryAccessibleInterface(c.widget);
    auto it = interfaces_.find(c.id);
    if (it == interfaces_.end()) {
        auto* iface = new PaintedControlAccessible(*this, c.id);
        QAccessible::registerAccessibleInterface(iface);
        it = interfaces_.emplace(c.id, iface).first;
    }
    return it->second;
}

QAccessibleInterface* PaintedAccess::accessibleControl(const QString& id)
{
    const int i = indexOf(id);
    return i < 0 ? nullptr : childInterface(i);
}

void PaintedAccess::dropInterfaces(bool all)
{
    for (auto it = interfaces_.begin(); it != interfaces_.end();) {
        if (all || indexOf(it->first) < 0) {
            if (!all) {
                QAccessibleEvent gone(it->second, QAccessible::ObjectDestroyed);
                send(gone);
            }
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(it->second));
            it = interfaces_.erase(it);
        } else {
            ++it;
        }
    }
}

bool PaintedAccess::focus(const QString& id, bool fromKeyboard)
{
    const PaintedControl* c = find(id);
    if (!c)
        return false;
    focusedId_ = id;
    if (!c->group.isEmpty())
        lastInGroup_[c->group] = id;
    if (c->widget) {
        markShown_ = false;
        c->widget->setFocus(fromKeyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
    } else {
        markShown_ = fromKeyboard;
        if (!window_.hasFocus())
            window_.setFocus(fromKeyboard ? Qt::TabFocusReason : Qt::OtherFocusReason);
        announceFocus();
    }
    window_.update();
    return true;
}

void PaintedAccess::hideMark()
{
    if (markShown_) {
        markShown_ = false;
        window_.update();
    }
}

void PaintedAccess::announceFocus()
{
    const int i = indexOf(focusedId_);
    if (i < 0 || controls()[std::size_t(i)].widget)
        return;
    QAccessibleEvent event(childInterface(i), QAccessible::Focus);
    send(event);
}

bool PaintedAccess::moveFocus(bool forward)
{
    read();
    // The stops in order: every Tab stop that is not in a group, and each group once, where it
    // first appears, at the control last focused in it (else its checked one, else its first).
    std::vector<QString> stops;
    std::vector<QString> groupsSeen;
    for (const PaintedControl& c : controls_) {
        if (c.disabled || !c.tabStop)
            continue;
        if (c.group.isEmpty()) {
            stops.push_back(c.id);
            continue;
        }
        if (std::find(groupsSeen.begin(), groupsSeen.end(), c.group) != groupsSeen.end())
            continue;
        groupsSeen.push_back(c.group);
        QString pick;
        if (auto it = lastInGroup_.find(c.group); it != lastInGroup_.end() && find(it->second))
            pick = it->second;
        for (const PaintedControl& m : controls_)
            if (pick.isEmpty() && m.group == c.group && m.checked && !m.disabled)
                pick = m.id;
        stops.push_back(pick.isEmpty() ? c.id : pick);
    }
    if (stops.empty())
        return false;
    // Where the focus is now: the painted control, or the real widget that has it.
    QString current = focusedId_;
    if (QWidget* f = window_.focusWidget(); f && f != &window_)
        for (const PaintedControl& c : controls_)
            if (c.widget && (c.widget == f || c.widget->isAncestorOf(f)))
                current = c.id;
    const PaintedControl* now = find(current);
    int at = -1;
    if (now) {
        for (std::size_t i = 0; i < stops.size(); ++i) {
            const PaintedControl* s = find(stops[i]);
            if (stops[i] == current || (!now->group.isEmpty() && s && s->group == now->group))
                at = int(i);
        }
    }
    const int n = int(stops.size());
    const int next = at < 0 ? (forward ? 0 : n - 1) : (at + (forward ? 1 : n - 1)) % n;
    return focus(stops[std::size_t(next)], true);
}

bool PaintedAccess::moveInGroup(int key)
{
    const PaintedControl* now = focused();
    if (!now || now->group.isEmpty())
        return false;
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    const int dir = (key == Qt::Key_Down || key == Qt::Key_Right) ? 1 : -1;
    const PaintedControl* best = nullptr;
    long bestScore = LONG_MAX;
    for (const PaintedControl& c : controls_) {
        if (c.group != now->group || c.id == now->id || c.disabled)
            continue;
        long score = 0;
        if (vertical) {
            // The nearest row in that direction, then the key nearest below or above the centre.
            const int rows = (c.row - now->row) * dir;
            if (rows <= 0)
                continue;
            score = long(rows) * 100000 + std::abs(c.rect.center().x() - now->rect.center().x());
        } else {
            const int columns = (c.column - now->column) * dir;
            if (c.row != now->row || columns <= 0)
                continue;
            score = columns;
        }
        if (score < bestScore) {
            bestScore = score;
            best = &c;
        }
    }
    if (!best)
        return true;   // at the edge: the key is used, the focus stays
    return focus(best->id, true);
}

bool PaintedAccess::handleKey(QKeyEvent& event)
{
    const int key = event.key();
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return moveFocus(key == Qt::Key_Tab && !(event.modifiers() & Qt::ShiftModifier));
    // A real child with the keyboard focus passes up the keys it leaves alone (a text box's
    // Enter): they are not for the painted control that had the focus before it.
    if (QWidget* f = window_.focusWidget(); f && f != &window_)
        return false;
    read();
    const PaintedControl* c = focused();
    if (!c || c->widget)
        return false;
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (c->press && !c->disabled) {
            markShown_ = true;
            const std::function<void()> press = c->press;
            press();
            refresh();
        }
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (c->value && c->setValue && !c->disabled) {
            const int big = std::max(c->step, (c->maximum - c->minimum) / 10);
            int v = *c->value;
            if (key == Qt::Key_Right || key == Qt::Key_Up)
                v += c->step;
            else if (key == Qt::Key_Left || key == Qt::Key_Down)
                v -= c->step;
            else if (key == Qt::Key_PageUp)
                v += big;
            else if (key == Qt::Key_PageDown)
                v -= big;
            else
                v = key == Qt::Key_Home ? c->minimum : c->maximum;
            const std::function<void(int)> set = c->setValue;
            set(std::clamp(v, c->minimum, c->maximum));
            markShown_ = true;
            refresh();
            return true;
        }
        if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)
            return moveInGroup(key);
        return false;
    default: return false;
    }
}

void PaintedAccess::paintFocus(QPainter& painter) const
{
    const PaintedControl* c = markShown() ? focused() : nullptr;
    if (!c || c->widget || !window_.hasFocus())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(skins::palette().c(skins::palette().accent));
    pen.setWidthF(2.0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(c->rect).adjusted(-1.5, -1.5, 1.5, 1.5), 3, 3);
    painter.restore();
}

void PaintedAccess::refresh()
{
    const std::vector<PaintedControl> before = controls_;
    read();
    // Only controls something asked about have an accessible object, and only those are told of.
    for (const PaintedControl& old : before) {
        const int i = indexOf(old.id);
        if (i < 0 || !interfaces_.count(old.id))
            continue;
        const PaintedControl& now = controls_[std::size_t(i)];
        QAccessibleInterface* iface = interfaces_[old.id];
        if (now.name != old.name) {
            QAccessibleEvent e(iface, QAccessible::NameChanged);
            send(e);
        }
        if (now.value != old.value || now.valueText != old.valueText) {
            QAccessibleValueChangeEvent e(iface, now.value ? QVariant(*now.value) : QVariant(now.valueText));
            send(e);
        }
        QAccessible::State changed;
        changed.checked = now.checked != old.checked;
        changed.disabled = now.disabled != old.disabled;
        changed.expanded = now.expanded != old.expanded;
        if (changed.checked || changed.disabled || changed.expanded) {
            QAccessibleStateChangeEvent e(iface, changed);
            send(e);
        }
    }
    dropInterfaces(false);
    // A focused control that went away (its section closed): the focus goes to the stop before
    // the window's first control that is still there, else nowhere.
    if (!focusedId_.isEmpty() && indexOf(focusedId_) < 0) {
        focusedId_.clear();
        markShown_ = false;
    }
    window_.update();
}

}   // namespace orvane::ui
