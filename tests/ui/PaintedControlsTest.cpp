// Painted controls for screen readers and the keyboard, on a small window that paints two
// buttons, a two-row group of keys, a slider and holds one real text box.

#include "ui/PaintedControls.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using orvane::ui::PaintedAccess;
using orvane::ui::PaintedControl;

namespace {

class Painted : public QWidget {
public:
    Painted()
    {
        resize(300, 200);
        setFocusPolicy(Qt::StrongFocus);
        box->setGeometry(10, 170, 100, 20);
    }
    int saves = 0;
    int level = 5;
    bool open = true;
    QString pressedKey;
    QLineEdit* box = new QLineEdit(this);
    PaintedAccess access{*this, [this] { return controls(); }};

    std::vector<PaintedControl> controls()
    {
        std::vector<PaintedControl> out;
        out.push_back({.id = "save", .name = "Save", .rect = {10, 10, 50, 20}, .press = [this] { ++saves; }});
        out.push_back({.id = "light",
                       .name = "Light",
                       .rect = {70, 10, 50, 20},
                       .expandable = true,
                       .expanded = open,
                       .press = [this] { open = !open; }});
        if (open) {
            const char* names[2][3] = {{"Q", "W", "E"}, {"A", "S", "D"}};
            for (int r = 0; r < 2; ++r)
                for (int c = 0; c < 3; ++c) {
                    const QString name = names[r][c];
                    out.push_back({.id = "key:" + name,
                                   .name = name,
                                   .rect = {10 + c * 30 + r * 8, 40 + r * 30, 28, 28},
                                   .group = "keys",
                                   .row = r,
                                   .column = c,
                                   .press = [this, name] {
                                       pressedKey = name;
                                       if (name == "D") {   // D folds the section it is in
                                           open = false;
                                           access.refresh();
                                       }
                                   }});
                }
        }
        out.push_back({.id = "brightness",
                       .role = QAccessible::Slider,
                       .name = "Brightness",
                       .rect = {10, 110, 200, 20},
                       .value = level,
                       .minimum = 0,
                       .maximum = 50,
                       .valueText = QString::number(level),
                       .setValue = [this](int v) { level = v; }});
        out.push_back({.id = "text", .role = QAccessible::EditableText, .name = "Text", .widget = box});
        return out;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        access.paintFocus(p);
    }
    bool focusNextPrevChild(bool next) override { return access.moveFocus(next); }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!access.handleKey(*e))
            QWidget::keyPressEvent(e);
    }
};

struct PaintedControlsTest : ::testing::Test {
    Painted window;
    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QTest::keyClick(target, Qt::Key(k), m);
    }
    QAccessibleInterface* child(const QString& name)
    {
        QAccessibleInterface* w = QAccessible::queryAccessibleInterface(&window);
        for (int i = 0; i < w->childCount(); ++i)
            if (w->child(i)->text(QAccessible::Name) == name)
                return w->child(i);
        return nullptr;
    }
};

TEST_F(PaintedControlsTest, TheTreeHasEveryControlWithRoleNameStateAndValue)
{
    QAccessibleInterface* w = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->childCount(), 10);   // the text box once, as itself
    QStringList names;
    for (int i = 0; i < w->childCount(); ++i) {
        names << w->child(i)->text(QAccessible::Name);
        EXPECT_EQ(w->indexOfChild(w->child(i)), i);
        EXPECT_EQ(w->child(i)->parent(), w);
    }
    EXPECT_TRUE(names.contains("Save") && names.contains("Q") && names.contains("Brightness"));
    QAccessibleInterface* light = child("Light");
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(light->state().expanded);
    QAccessibleInterface* slider = child("Brightness");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->role(), QAccessible::Slider);
    EXPECT_EQ(slider->valueInterface()->currentValue().toInt(), 5);
    EXPECT_EQ(slider->valueInterface()->maximumValue().toInt(), 50);
    EXPECT_EQ(slider->rect(), QRect(window.mapToGlobal(QPoint(10, 110)), QSize(200, 20)));
    EXPECT_EQ(w->childAt(window.mapToGlobal(QPoint(15, 45)).x(), window.mapToGlobal(QPoint(15, 45)).y()), child("Q"));
}

TEST_F(PaintedControlsTest, ActionsPressAndSetValuesAndTheTreeFollows)
{
    child("Save")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(window.saves, 1);
    child("Brightness")->valueInterface()->setCurrentValue(70);
    EXPECT_EQ(window.level, 50) << "held within the range";
    child("Brightness")->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(window.level, 49);
    child("Light")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(window.open);
    child("Light")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    // A press whose control goes away with it (its accessible object too, while it acts).
    child("D")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(window.pressedKey, "D");
    EXPECT_FALSE(window.open);
    EXPECT_EQ(child("Q"), nullptr) << "the keys of a closed section leave the tree";
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->childCount(), 4);
}

TEST_F(PaintedControlsTest, TabStopsGroupsArrowsAndKeys)
{
    key(Qt::Key_Tab);
    EXPECT_EQ(window.access.focusedId(), "save");
    EXPECT_TRUE(window.access.markShown());
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    EXPECT_EQ(window.access.focusedId(), "key:Q") << "the keys are one stop";
    key(Qt::Key_Right);
    key(Qt::Key_Down);
    EXPECT_EQ(window.access.focusedId(), "key:S") << "down goes to the nearest key of the next row";
    key(Qt::Key_Down);
    EXPECT_EQ(window.access.focusedId(), "key:S") << "the edge keeps the focus";
    key(Qt::Key_Space);
    EXPECT_EQ(window.pressedKey, "S");
    key(Qt::Key_Tab);
    EXPECT_EQ(window.access.focusedId(), "brightness");
    key(Qt::Key_Right);
    key(Qt::Key_End);
    key(Qt::Key_Left);
    EXPECT_EQ(window.level, 49);
    key(Qt::Key_Tab);
    EXPECT_TRUE(window.box->hasFocus()) << "the real text box takes its turn";
    EXPECT_FALSE(window.access.markShown());
    key(Qt::Key_Tab);
    EXPECT_EQ(window.access.focusedId(), "save") << "round again";
    key(Qt::Key_Backtab);
    EXPECT_TRUE(window.box->hasFocus());
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    EXPECT_EQ(window.access.focusedId(), "key:S") << "a group is entered where it was left";
    key(Qt::Key_Return);
    EXPECT_EQ(window.pressedKey, "S");
    // The mouse puts the focus into the text box: its Enter, which it passes up, presses nothing.
    window.access.focus("save");
    window.box->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(window.box, Qt::Key_Return);
    EXPECT_EQ(window.saves, 0);
}

TEST_F(PaintedControlsTest, TheMarkIsDrawnInTheAccentOnlyForTheKeyboard)
{
    const auto markPixel = [&] { return window.grab().toImage().pixelColor(9, 20); };
    const QColor none = markPixel();
    window.access.focus("save", false);
    EXPECT_EQ(markPixel(), none) << "a focus the mouse gave shows nothing";
    window.access.focus("save", true);
    const QColor marked = markPixel();
    EXPECT_NE(marked, none);
    EXPECT_GT(marked.red(), 3 * marked.green());
    window.access.hideMark();
    EXPECT_EQ(markPixel(), none);
}

TEST_F(PaintedControlsTest, AReplacedChildLeavesTheTreeAndNeverTakesTheFocus)
{
    auto* real = new QSlider(Qt::Horizontal, &window);   // what the painted Brightness stands for
    real->setGeometry(10, 110, 200, 20);
    real->show();
    QAccessibleInterface* w = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(w->childCount(), 11);
    PaintedAccess::markReplaced(*real);
    EXPECT_EQ(w->childCount(), 10);
    const QPoint inside = window.mapToGlobal(QPoint(20, 115));
    EXPECT_EQ(w->childAt(inside.x(), inside.y()), child("Brightness"));
    QTest::mouseClick(real, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_FALSE(real->hasFocus()) << "a click moves it and leaves the focus where it was";
}

TEST_F(PaintedControlsTest, ChangesAreAnnounced)
{
    std::vector<std::pair<QAccessible::Event, QString>> events;
    PaintedAccess::observeEvents([&](const QAccessibleEvent& e) {
        QAccessibleInterface* i = e.accessibleInterface();
        events.emplace_back(e.type(), i ? i->text(QAccessible::Name) : QString());
    });
    QAccessibleInterface* slider = child("Brightness");
    ASSERT_NE(slider, nullptr);
    (void)child("Light");
    window.level = 20;
    window.open = false;
    window.access.refresh();
    window.access.focus("save");
    PaintedAccess::observeEvents(nullptr);
    const auto has = [&](QAccessible::Event t, const QString& name) {
        return std::find(events.begin(), events.end(), std::make_pair(t, name)) != events.end();
    };
    EXPECT_TRUE(has(QAccessible::ValueChanged, "Brightness"));
    EXPECT_TRUE(has(QAccessible::StateChanged, "Light"));
    EXPECT_TRUE(has(QAccessible::Focus, "Save"));
}

}   // namespace
