// The key map panel for screen readers and the keyboard (offscreen, through QAccessible): its
// controls' roles, names and states in both languages, presses through the accessible actions,
// the Tab order of every tab, Escape as the close button, and the assignment of F5 to Q with
// keys alone, the key capture taking every key until its keys are up.

#include "hook/KeyTranslation.h"
#include "hook/Vantrel.h"
#include "keymap/logic/Assignment.h"
#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/ui/CKeyMap.h"
#include "keymap/ui/VividTree.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "tests/support/AccessibleItems.h"
#include "tests/support/ProgramFolder.h"
#include "tests/support/QtKeysHook.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::keymap;

namespace {

constexpr std::size_t kQ = 42;   // the key Q of the picture
constexpr uint8_t vkF5 = 0x74;

using Item = test::AccessibleItem;
using test::QtKeysHook;

class KeyMapAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            orvane::test::skinImagesBuilt({"png/english/Custom/Custom_BK.png", "png/chinese/Custom/Custom_BK.png"}));
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
        resetRecords(records);
        const auto block = factoryKeyCodeBlock();
        std::copy(block.begin(), block.end(), image.begin() + link::image::kKeyCodeBlock);
        std::fill_n(image.begin() + link::image::kKeyEnable, link::image::kKeyEnableSize, 0xFF);
        macros.assign(macro::kMacroRecordCount, macro::MacroRecord{});
        macro::setRecordName(macros[0], u"Combo");
        macro::setRecordName(macros[1], u"Build");
    }
    void TearDown() override
    {
        EXPECT_EQ(dialogs.pendingAnswers(), 0u);
        if (panel)
            panel->hide();
    }

    // The panel for Q, shown and active, opened with the keyboard or the mouse.
    void open(bool byKeyboard, Language lang = Language::English)
    {
        images = std::make_unique<ui::SkinImages>(programFolder() +
                                                  (lang == Language::Chinese ? "png/chinese/" : "png/english/"));
        panel = std::make_unique<CKeyMap>(KeyMapEnvironment{names, *images, dialogs, lang, data.path() + u'/', hook});
        hook.window = panel.get();
        panel->prepare({uint8_t(kQ), KeyLayoutTable[kQ].vk, &records[kQ], true, &macros, byKeyboard});
        panel->show();
        panel->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    }
    QAccessibleInterface* window() { return QAccessible::queryAccessibleInterface(panel.get()); }
    // Without the widgets of the other tabs.
    std::vector<Item> tree() { return test::accessibleChildren(window(), true); }
    QAccessibleInterface* control(const QString& id) { return panel->access().accessibleControl(id); }
    void press(const QString& id)
    {
        QAccessibleInterface* c = control(id);
        ASSERT_NE(c, nullptr) << id.toStdString();
        c->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    // A key to the focused widget, and what the hook reports of it.
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : panel.get();
        QTest::keyClick(target, Qt::Key(k), m);
        QCoreApplication::processEvents();
    }
    // Where the focus is: the painted control's id, or the widget's control id.
    QString focus()
    {
        QWidget* f = QApplication::focusWidget();
        if (f && f != panel.get())
            for (const ui::PaintedControl& c : panel->access().controls())
                if (c.widget == f)
                    return c.id;
        return panel->access().focusedId();
    }
    KeyCodeCell appliedCell(const PendingAssignment& p)
    {
        ModifiedMarks marks{};
        uint8_t selected = uint8_t(kQ), enabled = 1;
        AssignmentContext ctx{image, records, marks, selected, enabled, Language::English, macros, names};
        EXPECT_EQ(ApplyAssignment(p, ctx), ApplyResult::Applied);
        return keyCell(image, kQ);
    }
    static QString programFolder() { return orvane::test::programFolder(); }

    KeyNameTable names = BuildKeyNameTable();
    link::KeyExtTable records{};
    link::ConfigImage image{};
    macro::MacroStore::Records macros;
    QTemporaryDir data;
    ui::ScriptedUserDialogs dialogs;
    QtKeysHook hook;
    std::unique_ptr<ui::SkinImages> images;
    std::unique_ptr<CKeyMap> panel;
};

TEST_F(KeyMapAccessTest, RolesAndNamesInBothLanguages)
{
    using R = QAccessible::Role;
    struct Case {
        Language language;
        QString title;
        std::vector<Item> items;
    } cases[] = {
        {Language::English,
         "Current Key:Q",
         {{R::EditableText, "Single"},
          {R::EditableText, "Combine"},
          {R::PushButton, "Close"},
          {R::PageTab, "Single/Combine"},
          {R::PageTab, "Macro"},
          {R::PageTab, "Basic"},
          {R::PageTab, "Advance"},
          {R::CheckBox, "Disable"},
          {R::PushButton, "Default"},
          {R::PushButton, "Cancel"},
          {R::PushButton, "Save"}}},
        {Language::Chinese,
         "当前按键:Q",
         {{R::EditableText, "单键"},
          {R::EditableText, "组合键"},
          {R::PushButton, "关闭"},
          {R::PageTab, "单键/组合键"},
          {R::PageTab, "宏"},
          {R::PageTab, "基本功能"},
          {R::PageTab, "高级功能"},
          {R::CheckBox, "禁用按钮"},
          {R::PushButton, "初始值"},
          {R::PushButton, "取消"},
          {R::PushButton, "保存"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        resetRecords(records);   // the Advance tab, entered below, changes the record
        open(false, c.language);
        EXPECT_EQ(window()->text(QAccessible::Name), c.title);
        EXPECT_EQ(tree(), c.items) << "the real boxes first (the window's children), then what it paints";
        EXPECT_TRUE(control("tab:0")->state().checked);
        EXPECT_FALSE(control("tab:2")->state().checked);
        EXPECT_TRUE(control("tab:2")->state().focusable);
        EXPECT_FALSE(control("disable")->state().checked);
        EXPECT_EQ(control("save")->rect().center(), panel->mapToGlobal(QPoint(284, 257)));
        EXPECT_EQ(control("single"), QAccessible::queryAccessibleInterface(&panel->singleBox()));
        // Each tab's own controls.
        press("tab:1");
        EXPECT_TRUE(control("tab:1")->state().checked);
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&panel->macroList());
        EXPECT_EQ(list->role(), R::List);
        EXPECT_EQ(list->text(QAccessible::Name), c.language == Language::English ? "Macro" : "宏");
        ASSERT_EQ(list->childCount(), 2);
        EXPECT_EQ(list->child(1)->text(QAccessible::Name), "Build");
        press("tab:2");
        QAccessibleInterface* functions = QAccessible::queryAccessibleInterface(&panel->tree());
        EXPECT_EQ(functions->role(), R::Tree);
        EXPECT_EQ(functions->text(QAccessible::Name), c.language == Language::English ? "Basic" : "基本功能");
        press("tab:3");
        ASSERT_NE(control("launch:1"), nullptr);
        EXPECT_EQ(control("launch:1")->role(), R::RadioButton);
        EXPECT_EQ(control("launch:1")->text(QAccessible::Name),
                  c.language == Language::English ? "Startup" : "启动程序");
        EXPECT_EQ(control("browse:3")->text(QAccessible::Name),
                  c.language == Language::English ? "Open Folder: Browse" : "打开目录: 浏览");
        EXPECT_EQ(panel->access().indexOf("single"), -1) << "the boxes of another tab are not described";
        panel->hide();
    }
}

TEST_F(KeyMapAccessTest, PressesDoWhatClicksDoAndChangesAreAnnounced)
{
    open(false);
    std::vector<std::pair<QAccessible::Event, QString>> events;
    ui::PaintedAccess::observeEvents([&](const QAccessibleEvent& e) {
        QAccessibleInterface* i = e.accessibleInterface();
        events.emplace_back(e.type(), i ? i->text(QAccessible::Name) : QString());
    });
    // F5 for Q: the Single box captures it, Save through its accessible action.
    QTest::mouseClick(&panel->singleBox(), Qt::LeftButton);
    KeyHookEvent f5(vkF5, false);
    QApplication::sendEvent(panel.get(), &f5);
    EXPECT_EQ(panel->singleBox().text().trimmed(), "F5");
    (void)control("disable");
    press("disable");
    EXPECT_TRUE(control("disable")->state().checked);
    press("disable");
    press("save");
    ui::PaintedAccess::observeEvents(nullptr);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->result(), QDialog::Accepted);
    EXPECT_EQ(appliedCell(panel->state().pending()), (KeyCodeCell{kcKeys, 0, 0x3E, 0}));
    EXPECT_NE(std::find(events.begin(), events.end(), std::make_pair(QAccessible::StateChanged, QString("Disable"))),
              events.end());

    // A function from the tree: the Basic tab through its action, the tree's own selection.
    open(false);
    press("tab:2");
    EXPECT_EQ(panel->state().tab(), kTabBasic);
    const QList<QTreeWidgetItem*> mute = panel->tree().findItems("Mute", Qt::MatchRecursive);
    ASSERT_EQ(mute.size(), 1);
    panel->tree().setCurrentItem(mute.front());
    press("save");
    EXPECT_EQ(panel->result(), QDialog::Accepted);
    EXPECT_EQ(panel->state().pending().functionName, u"Mute");
}

TEST_F(KeyMapAccessTest, TabReachesEveryControlOfEachTabInReadingOrder)
{
    open(true);
    EXPECT_EQ(focus(), "tab:0") << "opened from the keyboard, the focus is on the current tab";
    EXPECT_TRUE(panel->access().markShown());
    struct Case {
        int tab;
        QStringList stops;   // from the tab on
    } cases[] = {
        {kTabSingleCombine, {"single", "combine", "disable", "default", "cancel", "save", "close", "tab:0"}},
        {kTabMacro, {"macros", "disable", "default", "cancel", "save", "close", "tab:1"}},
        {kTabBasic, {"functions", "disable", "default", "cancel", "save", "close", "tab:2"}},
        {kTabAdvance,
         {"launch:0", "browse:0", "browse:1", "browse:2", "browse:3", "disable", "default", "cancel", "save", "close",
          "tab:3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        // Right and left move along the tabs; Space opens one.
        while (focus() != QStringLiteral("tab:%1").arg(c.tab))
            key(Qt::Key_Right);
        key(Qt::Key_Space);
        EXPECT_EQ(panel->state().tab(), c.tab);
        if (focus() != QStringLiteral("tab:%1").arg(c.tab))   // a tab that puts the focus into its box
            key(Qt::Key_Backtab);
        QStringList seen;
        for (int i = 0; i < c.stops.size(); ++i) {
            key(Qt::Key_Tab);
            seen << focus();
        }
        EXPECT_EQ(seen, c.stops);
        key(Qt::Key_Backtab);
        EXPECT_EQ(focus(), "close");
        key(Qt::Key_Tab);
    }
}

TEST_F(KeyMapAccessTest, EscapeClosesAsTheCloseButtonFromEveryPlaceThatIsNotCapturing)
{
    const link::KeyExtRecord before = records[kQ];
    for (const char* from : {"close-button", "tab", "single", "functions"}) {
        SCOPED_TRACE(from);
        open(true);
        if (QString(from) == "close-button") {
            press("close");
        } else {
            if (QString(from) == "single")
                key(Qt::Key_Tab);
            if (QString(from) == "functions") {
                key(Qt::Key_Right);
                key(Qt::Key_Right);
                key(Qt::Key_Space);
                key(Qt::Key_Tab);
                ASSERT_TRUE(panel->tree().hasFocus());
                key(Qt::Key_Down);   // the tree takes its arrows
                EXPECT_EQ(panel->tree().currentItem(), panel->tree().topLevelItem(1));
            }
            key(Qt::Key_Escape);
        }
        EXPECT_FALSE(panel->isVisible());
        EXPECT_EQ(panel->result(), QDialog::Rejected);
        EXPECT_EQ(records[kQ], before) << "closing keeps the key's record";
    }
}

TEST_F(KeyMapAccessTest, KeyboardOnlyAssignsF5ToQ)
{
    open(true);
    key(Qt::Key_Tab);
    ASSERT_TRUE(panel->singleBox().hasFocus());
    key(Qt::Key_F5);
    EXPECT_EQ(panel->singleBox().text(), "") << "a box reached with Tab waits for Space or Enter";
    key(Qt::Key_Space);
    EXPECT_TRUE(panel->capture().capturing());
    key(Qt::Key_F5);
    EXPECT_EQ(panel->singleBox().text().trimmed(), "F5");
    EXPECT_FALSE(panel->capture().capturing()) << "the capture ends when its key is up";
    for (int i = 0; i < 5; ++i)
        key(Qt::Key_Tab);
    ASSERT_EQ(focus(), "save");
    key(Qt::Key_Return);
    EXPECT_EQ(panel->result(), QDialog::Accepted);
    EXPECT_EQ(appliedCell(panel->state().pending()), (KeyCodeCell{kcKeys, 0, 0x3E, 0}));
}

TEST_F(KeyMapAccessTest, ACaptureTakesEveryKeyUntilItsKeysAreUp)
{
    open(true);
    key(Qt::Key_Tab);
    for (int k : {Qt::Key_Tab, Qt::Key_Escape, Qt::Key_Left, Qt::Key_Return}) {
        key(Qt::Key_Enter);   // a new capture
        ASSERT_TRUE(panel->capture().capturing());
        key(k);
        EXPECT_TRUE(panel->isVisible());
        EXPECT_TRUE(panel->singleBox().hasFocus());
        EXPECT_EQ(panel->state().pending().keys[0], hook::vkFromQtKey(k, false));
    }
    // A chord in the Combine box: held together, one capture of three keys.
    key(Qt::Key_Tab);
    ASSERT_TRUE(panel->combineBox().hasFocus());
    key(Qt::Key_Space);
    QWidget* box = &panel->combineBox();
    for (Qt::Key k : {Qt::Key_Control, Qt::Key_Alt, Qt::Key_Delete}) {
        QTest::keyPress(box, k);
        QCoreApplication::processEvents();
    }
    QTest::keyRelease(box, Qt::Key_Delete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel->capture().capturing()) << "keys are still held";
    QTest::keyRelease(box, Qt::Key_Alt);
    QTest::keyRelease(box, Qt::Key_Control);
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel->capture().capturing());
    EXPECT_EQ(panel->state().pending().keyCount, 3);
    key(Qt::Key_Tab);
    EXPECT_EQ(focus(), "disable");
}

}   // namespace
