// The LCD window to assistive technology and to the keyboard alone: the accessible tree in both
// languages, buttons pressed through their accessible action, Tab order, the focus mark, Escape.
#include "panelo/app/panelodlg.h"
#include "platform/ui/Palette.h"
#include "tests/panelo/app/PaneloFixture.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace orvane::panelo;
using namespace orvane::panelo::test;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}

void press(QWidget* control)
{
    QAccessibleInterface* iface = accessible(control);
    ASSERT_NE(iface->actionInterface(), nullptr);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

QString nameOf(QWidget* control)
{
    return accessible(control)->text(QAccessible::Name);
}

struct Node {
    QAccessible::Role role;
    QString name;
    bool operator==(const Node&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Node& n)
{
    return out << "(role " << int(n.role) << ", \"" << n.name.toStdString() << "\")";
}

// What a screen reader lists: the window's visible children.
std::vector<Node> visibleTree(QWidget* window)
{
    std::vector<Node> nodes;
    QAccessibleInterface* root = accessible(window);
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (!child->state().invisible)
            nodes.push_back({child->role(), child->text(QAccessible::Name)});
    }
    return nodes;
}

class PaneloAccess : public PaneloFixture {
protected:
    std::unique_ptr<CPaneloDlg> startActive()
    {
        auto dialog = start();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    static int accentPixels(QWidget* control)
    {
        const QImage image = control->grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == orvane::skins::palette().accent;
        return n;
    }
};

TEST_F(PaneloAccess, TreeListsEveryControlInReadingOrderWithItsRoleAndNameInTheWindowsLanguage)
{
    using R = QAccessible::Role;
    struct Row {
        R role;
        const char16_t* english;
        const char16_t* chinese;
    };
    const Row rows[] = {
        {R::PushButton, u"Web site", u"官方网站"},
        {R::PushButton, u"Minimise", u"最小化"},
        {R::PushButton, u"Close", u"关闭"},
        {R::Graphic, u"LCD preview: KAVIR", u"LCD 预览：KAVIR"},
        {R::StaticText, u"Display font: 黑体, 24", u"显示的字体：黑体, 24"},
        {R::PushButton, u"Change Font...", u"修改字体..."},
        {R::EditableText, u"Display text", u"显示的文字"},
        {R::PushButton, u"Auto Adjust", u"自动调整"},
        {R::StaticText, u"Version: V0.8", u"版本：V0.8"},
        {R::PushButton, u"Default logo", u"默认标志"},
        {R::PushButton, u"Download", u"下载"},
    };
    for (const bool chinese : {false, true}) {
        SCOPED_TRACE(chinese ? "chinese" : "english");
        setLanguage(chinese ? "chinese" : "english");
        auto dialog = start();
        std::vector<Node> expected;
        for (const Row& row : rows)
            expected.push_back({row.role, QString::fromUtf16(chinese ? row.chinese : row.english)});
        EXPECT_EQ(visibleTree(dialog.get()), expected);
        EXPECT_EQ(nameOf(dialog.get()), "Lumetra");

        // Buttons are pressed; what only shows something has no press and is not "unavailable".
        QAccessibleInterface* root = accessible(dialog.get());
        for (int i = 0; i < root->childCount(); ++i) {
            QAccessibleInterface* child = root->child(i);
            if (child->state().invisible)
                continue;
            const QStringList actions =
                child->actionInterface() ? child->actionInterface()->actionNames() : QStringList();
            const bool pushButton = child->role() == R::PushButton;
            EXPECT_EQ(actions.contains(QAccessibleActionInterface::pressAction()), pushButton)
                << child->text(QAccessible::Name).toStdString();
            EXPECT_FALSE(child->state().disabled) << child->text(QAccessible::Name).toStdString();
            EXPECT_EQ(child->state().focusable, child->role() != R::Graphic && child->role() != R::StaticText)
                << child->text(QAccessible::Name).toStdString();
        }
    }
}

// The announcement of each new name (a NameChanged event) needs a platform with accessibility,
// which the offscreen one is not: the AT-SPI check (lumetra_atspi.py) waits for it on the bus.
TEST_F(PaneloAccess, PreviewNameFollowsTheTextTypedThroughTheTextInterface)
{
    setLanguage("chinese");
    auto dialog = start();
    QWidget* preview = dialog->Control(IDC_PREVIEW);
    QAccessibleEditableTextInterface* edit = accessible(dialog->TextBox())->editableTextInterface();
    ASSERT_NE(edit, nullptr);
    edit->replaceText(0, int(dialog->TextBox()->text().size()), "QX");
    EXPECT_EQ(dialog->TextBox()->text(), "QX");
    EXPECT_EQ(nameOf(preview), QString::fromUtf16(u"LCD 预览：QX"));
    dialog->TextBox()->clear();
    EXPECT_EQ(nameOf(preview), QString::fromUtf16(u"LCD 预览：空白"));
}

// Each button pressed through its accessible action does what its click does.
TEST_F(PaneloAccess, ButtonsPressedThroughTheirActionDoWhatAClickDoes)
{
    struct Case {
        int id;
        std::function<void(CPaneloDlg&)> check;
    };
    const std::vector<Case> cases = {
        {IDC_AUTO_BTN,
         [](CPaneloDlg& d) {
             EXPECT_TRUE(
                 QTest::qWaitFor([&] { return PointSize(d.Renderer()->logFont(), d.Renderer()->dpiY()) != 24; }));
             // The label names the new size.
             const QString size = QString::number(PointSize(d.Renderer()->logFont(), d.Renderer()->dpiY()));
             EXPECT_TRUE(nameOf(d.Control(IDC_FONT_INFO)).endsWith(", " + size))
                 << nameOf(d.Control(IDC_FONT_INFO)).toStdString();
         }},
        {IDC_DOWN_BTN,
         [this](CPaneloDlg& d) {
             EXPECT_TRUE(QTest::qWaitFor([&] { return emulator->lcdMode() == 1; }));
             const LcdPageImage sent = PreviewToPageImage(d.Renderer()->previewBitmap());
             EXPECT_TRUE(std::equal(sent.begin(), sent.end(), emulator->lcdPage().begin()));
         }},
        {IDC_DEFAULT_BTN,
         [this](CPaneloDlg&) { EXPECT_TRUE(QTest::qWaitFor([&] { return emulator->lcdMode() == 0; })); }},
        {IDC_LOGO,
         [this](CPaneloDlg&) { EXPECT_TRUE(QTest::qWaitFor([&] { return opened == QStringList{kMakerWebSite}; })); }},
        {IDC_FONT_BTN,
         [this](CPaneloDlg& d) {
             EXPECT_TRUE(QTest::qWaitFor([&] { return d.FontLabel()->text() == "DejaVu Sans, 9"; }));
             EXPECT_EQ(nameOf(d.Control(IDC_FONT_INFO)), "Display font: DejaVu Sans, 9");
         }},
        {IDC_CLOSE,
         [](CPaneloDlg& d) {
             EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }));
             EXPECT_EQ(d.result(), QDialog::Rejected);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        auto dialog = start();
        dialog->TextBox()->setText("QX410 LCD");
        if (c.id == IDC_DEFAULT_BTN) {
            dialogs.answerMessage(orvane::ui::MessageResult::Ok);
            dialog->Button(IDC_DOWN_BTN)->click();
            ASSERT_EQ(emulator->lcdMode(), 1);
        }
        if (c.id == IDC_DOWN_BTN || c.id == IDC_DEFAULT_BTN)
            dialogs.answerMessage(orvane::ui::MessageResult::Ok);
        if (c.id == IDC_FONT_BTN) {
            QFont font("DejaVu Sans");
            font.setPointSize(9);
            dialogs.answerFont(font);
        }
        press(dialog->Control(c.id));
        c.check(*dialog);
    }
}

TEST_F(PaneloAccess, DisabledButtonOffersNoPressAndIgnoresOne)
{
    auto dialog = start();
    CPngButton* fit = dialog->Button(IDC_AUTO_BTN);
    fit->setEnabled(false);
    dialog->TextBox()->setText("QX410 LCD");
    QAccessibleInterface* iface = accessible(fit);
    EXPECT_FALSE(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    EXPECT_TRUE(iface->state().disabled);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTest::qWait(200);
    EXPECT_EQ(PointSize(dialog->Renderer()->logFont(), dialog->Renderer()->dpiY()), 24);
}

TEST_F(PaneloAccess, TabAndShiftTabGoThroughEveryControlInReadingOrder)
{
    auto dialog = startActive();
    ASSERT_EQ(QApplication::focusWidget(), dialog->TextBox());
    const std::vector<int> forward = {IDC_AUTO_BTN, IDC_DEFAULT_BTN, IDC_DOWN_BTN,  IDC_LOGO,    IDC_MINIMIZE,
                                      IDC_CLOSE,    IDC_FONT_BTN,    IDC_DISP_TEXT, IDC_AUTO_BTN};
    for (int id : forward) {
        key(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), dialog->Control(id)) << id;
    }
    for (auto it = forward.rbegin() + 1; it != forward.rend(); ++it) {
        key(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), dialog->Control(*it)) << *it;
    }

    // No push button the tree lists is left out of the round.
    QAccessibleInterface* root = accessible(dialog.get());
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* child = root->child(i);
        if (child->role() != QAccessible::PushButton && child->role() != QAccessible::EditableText)
            continue;
        const int id = child->object()->objectName().toInt();
        EXPECT_NE(std::find(forward.begin(), forward.end(), id), forward.end())
            << child->text(QAccessible::Name).toStdString();
    }
}

TEST_F(PaneloAccess, FocusMarkInTheAccentOnlyWhenTheFocusCameByKeyboard)
{
    auto dialog = startActive();
    CPngButton* download = dialog->Button(IDC_DOWN_BTN);
    CPngButton* fit = dialog->Button(IDC_AUTO_BTN);
    EXPECT_EQ(accentPixels(download), 0);

    // A click presses the button and leaves the focus, and the look, as they were.
    dialogs.answerMessage(orvane::ui::MessageResult::Ok);
    QTest::mouseClick(download, Qt::LeftButton);
    EXPECT_EQ(emulator->lcdMode(), 1);
    EXPECT_EQ(QApplication::focusWidget(), dialog->TextBox());
    EXPECT_EQ(accentPixels(download), 0);

    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), fit);
    EXPECT_TRUE(fit->FocusMarkShown());
    EXPECT_GT(accentPixels(fit), 2 * (fit->width() + fit->height()));
    key(Qt::Key_Tab);
    EXPECT_FALSE(fit->FocusMarkShown());
    EXPECT_EQ(accentPixels(fit), 0);

    // The focus given by the program (or a mouse) shows no mark.
    download->setFocus(Qt::MouseFocusReason);
    EXPECT_TRUE(download->hasFocus());
    EXPECT_FALSE(download->FocusMarkShown());
    EXPECT_EQ(accentPixels(download), 0);
}

// Space and Enter press the focused button as a click does.
TEST_F(PaneloAccess, SpaceAndEnterPressTheFocusedButton)
{
    for (const Qt::Key pressKey : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter}) {
        SCOPED_TRACE(pressKey);
        auto dialog = startActive();
        dialog->TextBox()->setText("QX410 LCD");
        key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), dialog->Control(IDC_AUTO_BTN));
        key(pressKey);
        EXPECT_NE(PointSize(dialog->Renderer()->logFont(), dialog->Renderer()->dpiY()), 24);
        EXPECT_TRUE(dialog->isVisible()) << "Enter on a button must not end the window";
    }
}

TEST_F(PaneloAccess, EscapeClosesTheWindowAsTheCloseButtonDoesFromAnyControl)
{
    for (const int from : {IDC_DISP_TEXT, IDC_DOWN_BTN}) {
        SCOPED_TRACE(from);
        auto dialog = startActive();
        dialog->Control(from)->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Escape);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog->isVisible(); }, 1000));
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_TRUE(dialog->Background().isNull());
    }
}

}   // namespace
