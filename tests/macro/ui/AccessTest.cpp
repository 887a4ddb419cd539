// The macro manager for screen readers and the keyboard (offscreen, through QAccessible): the
// controls' roles and names in both languages, the event lines read as their icons show them,
// states and the events that announce them, presses through the accessible actions, the Tab
// order, Escape as Cancel, keys taken by a recording, and a macro edited and committed with keys
// alone.

// GCC 12 takes the answer queue's variant, inlined here, for read before it is set (it is not).
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include "tests/macro/ManagerFixture.h"

#include "hook/KeyTranslation.h"
#include "hook/Vantrel.h"
#include "macro/ui/CMacroRecordDlg.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "tests/support/AccessibleItems.h"
#include "tests/support/ProgramFolder.h"
#include "tests/support/QtKeysHook.h"
#include "ui/CTransparentListBox.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace macrotest;
using orvane::ui::MessageResult;
using orvane::ui::ScriptedUserDialogs;

namespace {

constexpr uint8_t vkA = 0x41, vkB = 0x42;

using Item = orvane::test::AccessibleItem;

// A macro "Keys": A pressed, 30 ms, A released.
MacroRecord keysMacro(const orvane::keymap::KeyNameTable& names)
{
    MacroRecord r = named(u"Keys");
    EventBytes device{}, key{};
    device[0] = key[0] = 0x01;   // pressed after 1 ms: no delay line
    device[2] = key[2] = 0x80 | 30;
    device[1] = device[3] = names.usage(vkA);
    key[1] = key[3] = vkA;
    setEvents(r, device, key);
    return r;
}

struct Access : ::testing::Test {
    orvane::keymap::KeyNameTable names = orvane::keymap::BuildKeyNameTable();
    MacroStore store;
    orvane::test::QtKeysHook hook{true};   // presses and releases, as the recorder takes them
    ManualClock clock;
    ScriptedUserDialogs dialogs;
    std::unique_ptr<orvane::ui::SkinImages> images;
    std::unique_ptr<CMacroRecordDlg> dlg;

    void SetUp() override
    {
        ASSERT_TRUE(orvane::test::skinImagesBuilt(
            {"png/english/MacroManagement/MacroManagement.png", "png/chinese/MacroManagement/MacroManagement.png"}));
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
    }
    void TearDown() override
    {
        orvane::ui::PaintedAccess::observeEvents({});
        EXPECT_EQ(dialogs.pendingAnswers(), 0u);
        if (dlg)
            dlg->hide();
    }
    // The panel opened from the saved store, shown and active.
    void open(bool chinese = false)
    {
        if (dlg)
            dlg->hide();
        images = std::make_unique<orvane::ui::SkinImages>(orvane::test::programFolder() +
                                                          (chinese ? "png/chinese/" : "png/english/"));
        dlg = std::make_unique<CMacroRecordDlg>(store, names, dialogs, *images, chinese, nullptr, &hook, &clock);
        hook.window = dlg.get();
        dlg->initDialog();
        dlg->show();
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    QAccessibleInterface* window() { return QAccessible::queryAccessibleInterface(dlg.get()); }
    std::vector<Item> tree() { return orvane::test::accessibleChildren(window()); }
    QAccessibleInterface* control(const char* id) { return dlg->access().accessibleControl(QString::fromLatin1(id)); }
    void press(const char* id)
    {
        QAccessibleInterface* c = control(id);
        ASSERT_NE(c, nullptr) << id;
        ASSERT_FALSE(c->actionInterface()->actionNames().isEmpty()) << id;
        c->actionInterface()->doAction(c->actionInterface()->actionNames().front());
    }
    // A key to whatever has the focus in the panel, and the hook's reports of it delivered.
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QWidget* target = dlg->focusWidget() ? dlg->focusWidget() : dlg.get();
        QTest::keyClick(target, k, m);
        QCoreApplication::processEvents();
    }
    void type(const QString& text)
    {
        QTest::keyClicks(dlg->focusWidget(), text);
        QCoreApplication::processEvents();
    }
    // Where the panel's keyboard focus is: a painted control's id or a real control's (after a
    // menu the offscreen platform may leave no window active, so the panel's own focus widget).
    QString focusedAt()
    {
        QWidget* f = dlg->focusWidget();
        if (f == dlg->macroList())
            return QStringLiteral("macros");
        if (f == dlg->eventList())
            return QStringLiteral("events");
        if (f == dlg->loopBox())
            return QStringLiteral("loops");
        return f == dlg.get() ? dlg->access().focusedId() : QStringLiteral("elsewhere");
    }
    // Opens the context menu with the menu key and chooses its entry-th line (1 = the first) with
    // Enter, whose release, as on a real keyboard, comes after the menu has gone.
    void chooseInMenu(int entry)
    {
        QTimer::singleShot(0, [entry] {
            QWidget* menu = QApplication::activePopupWidget();
            ASSERT_NE(menu, nullptr);
            for (int i = 0; i < entry; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyPress(menu, Qt::Key_Return);
        });
        QTest::keyPress(dlg->focusWidget(), Qt::Key_Menu);
        QTest::keyRelease(dlg->focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        // A real platform gives the panel back its activation when the popup goes; offscreen not.
        dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    }
    QStringList lineNames(QAccessibleInterface* list)
    {
        QStringList out;
        for (int i = 0; i < list->childCount(); ++i)
            out << list->child(i)->text(QAccessible::Name);
        return out;
    }
};

}   // namespace

TEST_F(Access, ScreenReadersSeeEveryControlAndTheEventLinesAsTheirIconsShowThemInBothLanguages)
{
    store.saved()[0] = keysMacro(names);
    store.saved()[1] = named(u"Other");
    using R = QAccessible::Role;
    struct Case {
        bool chinese;
        std::vector<Item> tree;
        QStringList events;
    };
    const Case cases[] = {
        {false,
         {{R::List, "Macros"},
          {R::List, "Events"},
          {R::EditableText, "Loop count"},
          {R::PushButton, "New"},
          {R::PushButton, "Delete"},
          {R::PushButton, "Start Recording"},
          {R::CheckBox, "Record Delay between keystrokes"},
          {R::CheckBox, "Number of Loops"},
          {R::PushButton, "OK"},
          {R::PushButton, "Cancel"}},
         {"A pressed", "Delay 30 ms", "A released"}},
        {true,
         {{R::List, "宏"},
          {R::List, "事件"},
          {R::EditableText, "循环计数"},
          {R::PushButton, "新建"},
          {R::PushButton, "删除"},
          {R::PushButton, "开始录制"},
          {R::CheckBox, "记录按键动作间的延迟"},
          {R::CheckBox, "循环次数"},
          {R::PushButton, "确定"},
          {R::PushButton, "取消"}},
         {"A 压下", "延迟 30 ms", "A 释放"}},
    };
    for (const Case& c : cases) {
        ASSERT_NO_FATAL_FAILURE(open(c.chinese));
        EXPECT_EQ(tree(), c.tree) << (c.chinese ? "Chinese" : "English");
        EXPECT_EQ(window()->text(QAccessible::Name), c.chinese ? "宏管理器" : "Macro Manager");
        EXPECT_EQ(lineNames(window()->child(0)), (QStringList{"Keys", "Other"}));
        EXPECT_EQ(lineNames(window()->child(1)), c.events);
        // The painted controls lie where they are drawn: the Delete button's hit rectangle.
        EXPECT_EQ(control("delete")->rect(), QRect(dlg->mapToGlobal(QPoint(80, 368)), QSize(57, 24)));
        // Lines put in by an edit are read as they are shown (the offscreen platform sends the
        // list's own model events nowhere, so its cached cells are not asked again).
        dlg->eventList()->setCurrentRow(1);
        dlg->onCommand(kCmdDelete);
        QStringList spoken;
        for (int i = 0; i < dlg->eventList()->count(); ++i)
            spoken << dlg->eventList()->item(i)->data(Qt::AccessibleTextRole).toString();
        EXPECT_EQ(spoken, QStringList{c.events[0]} << c.events[2]);
        store.saved()[0] = keysMacro(names);
    }
}

TEST_F(Access, StatesFollowThePanelAndChangesAreAnnounced)
{
    std::vector<std::pair<QAccessible::Event, QString>> events;
    orvane::ui::PaintedAccess::observeEvents([&](const QAccessibleEvent& e) {
        if (QAccessibleInterface* i = e.accessibleInterface())
            events.push_back({e.type(), i->text(QAccessible::Name)});
    });
    store.saved()[0] = keysMacro(names);
    ASSERT_NO_FATAL_FAILURE(open());
    EXPECT_FALSE(control("useLoops")->state().checked);
    EXPECT_TRUE(control("useLoops")->state().checkable);
    EXPECT_TRUE(window()->child(2)->state().disabled) << "the loop box is off until Number of Loops is ticked";
    control("record");   // asked about: from now on it is told of
    press("useLoops");
    EXPECT_TRUE(control("useLoops")->state().checked);
    EXPECT_TRUE(dlg->loopBox()->isEnabled());
    press("recordDelay");
    EXPECT_TRUE(control("recordDelay")->state().checked);
    EXPECT_TRUE(dlg->manager().recordDelays());
    const auto announced = [&](QAccessible::Event type, const QString& name) {
        return std::find(events.begin(), events.end(), std::pair{type, name}) != events.end();
    };
    EXPECT_TRUE(announced(QAccessible::StateChanged, "Number of Loops"));
    EXPECT_TRUE(announced(QAccessible::StateChanged, "Record Delay between keystrokes"));

    press("record");
    EXPECT_EQ(control("record")->text(QAccessible::Name), "Stop Recording");
    EXPECT_TRUE(announced(QAccessible::NameChanged, "Stop Recording"));
    // A sequence with no room left says so where the panel paints "Macro full".
    for (int i = 0; i < 60 && !dlg->manager().sequenceFull(); ++i) {
        KeyHookEvent down(uint8_t(0x41 + i % 26), false), up(uint8_t(0x41 + i % 26), true);
        QApplication::sendEvent(dlg.get(), &down);
        QApplication::sendEvent(dlg.get(), &up);
    }
    ASSERT_TRUE(dlg->manager().sequenceFull());
    ASSERT_NE(control("full"), nullptr);
    EXPECT_EQ(control("full")->text(QAccessible::Name), "Macro full");
    EXPECT_EQ(control("full")->role(), QAccessible::StaticText);
    press("record");
    EXPECT_EQ(control("full"), nullptr);

    // With 32 macros New does nothing: it says it is off.
    for (std::size_t i = 0; i < kMaxMacrosInUse; ++i)
        store.saved()[i] = named(defaultMacroName(int(i) + 1));
    ASSERT_NO_FATAL_FAILURE(open());
    EXPECT_TRUE(control("new")->state().disabled);
    EXPECT_TRUE(control("new")->actionInterface()->actionNames().isEmpty());
    dialogs.answerMessage(MessageResult::Ok);
    press("delete");
    EXPECT_FALSE(control("new")->state().disabled);
}

TEST_F(Access, AccessiblePressesDoWhatTheClicksDo)
{
    const auto saved = store.saved();
    ASSERT_NO_FATAL_FAILURE(open());
    press("new");
    press("new");
    EXPECT_EQ(dlg->manager().macroNames(), (std::vector<std::u16string>{u"Macro_001", u"Macro_002"}));
    dialogs.answerMessage(MessageResult::Cancel);   // the confirmation: kept
    press("delete");
    EXPECT_EQ(dlg->macroList()->count(), 2);
    dialogs.answerMessage(MessageResult::Ok);
    press("delete");
    EXPECT_EQ(dlg->manager().macroNames(), std::vector<std::u16string>{u"Macro_001"});
    press("record");
    EXPECT_TRUE(hook.installed);
    for (bool release : {false, true}) {
        KeyHookEvent e(vkB, release);
        QApplication::sendEvent(dlg.get(), &e);
    }
    press("record");
    EXPECT_FALSE(hook.installed);
    EXPECT_EQ(dlg->eventList()->count(), 2);
    press("cancel");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_EQ(store.saved(), saved);

    ASSERT_NO_FATAL_FAILURE(open());
    press("new");
    press("useLoops");
    dlg->loopBox()->setText("9");
    press("ok");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(recordName(store.saved()[0]), u"Macro_001");
    EXPECT_EQ(loopCount(store.saved()[0]), 9);
}

TEST_F(Access, TabWalksEveryControlInReadingOrderAndTheMarkIsTheKeyboardsOnly)
{
    store.saved()[0] = keysMacro(names);
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_EQ(focusedAt(), "macros") << "the panel opens with the focus in the macro list";
    const auto walk = [&](Qt::Key k, int n) {
        QStringList order;
        for (int i = 0; i < n; ++i) {
            key(k);
            order << focusedAt();
        }
        return order;
    };
    // The loop box is off: Tab passes it.
    EXPECT_EQ(walk(Qt::Key_Tab, 9),
              (QStringList{"new", "delete", "events", "record", "recordDelay", "useLoops", "ok", "cancel", "macros"}));
    EXPECT_EQ(walk(Qt::Key_Backtab, 2), (QStringList{"cancel", "ok"}));
    key(Qt::Key_Backtab);
    EXPECT_TRUE(dlg->access().markShown());
    key(Qt::Key_Space);
    EXPECT_TRUE(dlg->manager().useLoops());
    EXPECT_EQ(walk(Qt::Key_Tab, 2), (QStringList{"loops", "ok"}));

    // The mouse hides the mark; the panel then looks as it always did.
    const QImage marked = dlg->grab().toImage();
    QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, QPoint(250, 30));
    EXPECT_FALSE(dlg->access().markShown());
    const QImage unmarked = dlg->grab().toImage();
    EXPECT_NE(marked, unmarked);
    dlg->access().focus(QStringLiteral("ok"), false);
    EXPECT_EQ(dlg->grab().toImage(), unmarked);
}

TEST_F(Access, EscapeCancelsAsCancelDoesFromAnyControlButNotWhileRecording)
{
    const auto saved = store.saved();
    for (const char* from : {"panel", "macros", "loops"}) {
        ASSERT_NO_FATAL_FAILURE(open());
        press("new");
        press("useLoops");
        if (QByteArray(from) == "macros")
            dlg->macroList()->setFocus();
        else if (QByteArray(from) == "loops")
            dlg->loopBox()->setFocus();
        else
            dlg->setFocus();
        key(Qt::Key_Escape);
        EXPECT_FALSE(dlg->isVisible()) << from;
        EXPECT_EQ(dlg->result(), QDialog::Rejected) << from;
        EXPECT_EQ(store.saved(), saved) << from;
    }

    // Recording: Escape, Tab, Space and Enter are keys of the macro; none works the panel.
    ASSERT_NO_FATAL_FAILURE(open());
    press("new");
    dlg->access().focus(QStringLiteral("record"));
    key(Qt::Key_Space);
    ASSERT_TRUE(dlg->manager().recording());
    for (Qt::Key k : {Qt::Key_Escape, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Return})
        key(k);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(dlg->manager().recording());
    EXPECT_EQ(QApplication::focusWidget(), dlg.get());
    // Four keys, each pressed and released; the release of the Space that started the recording
    // is none of them.
    EXPECT_EQ(dlg->eventList()->count(), 8);
    EXPECT_EQ(dlg->eventList()->lineText(0), QString::fromStdU16String(keyLineText(names, 0x1B, false)));
}

TEST_F(Access, KeyboardOnlyANewMacroIsNamedAKeyInsertedADelayEditedLoopsSetAndOk)
{
    store.saved()[0] = keysMacro(names);
    ASSERT_NO_FATAL_FAILURE(open());
    ASSERT_EQ(focusedAt(), "macros");
    // New, then back to the list to name it.
    key(Qt::Key_Tab);
    key(Qt::Key_Space);
    ASSERT_EQ(dlg->macroList()->count(), 2);
    key(Qt::Key_Backtab);
    ASSERT_EQ(focusedAt(), "macros");
    key(Qt::Key_F2);
    ASSERT_NE(dlg->macroList()->editor(), nullptr);
    type("Launch");
    key(Qt::Key_Return);
    EXPECT_EQ(dlg->macroList()->lineText(1), "Launch");
    // "Keys": after its first line, B is inserted from the event list's menu.
    key(Qt::Key_Up);
    ASSERT_EQ(dlg->manager().selectedMacro(), 0);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    ASSERT_EQ(focusedAt(), "events");
    ASSERT_EQ(dlg->manager().selectedLine(), 0) << "the list's cursor starts on its first line";
    ASSERT_NO_FATAL_FAILURE(chooseInMenu(2));   // Insert After
    ASSERT_TRUE(dlg->manager().insertMode());
    key(Qt::Key_B);   // taken by the insert, which ends at its release
    EXPECT_FALSE(dlg->manager().insertMode());
    EXPECT_EQ(focusedAt(), "events") << "the focus goes back where the insert began";
    const auto dn = [&](uint8_t vk) { return keyLineText(names, vk, false); };
    const auto up = [&](uint8_t vk) { return keyLineText(names, vk, true); };
    EXPECT_EQ(dlg->manager().eventLines(), (std::vector<std::u16string>{dn(vkA), dn(vkB), up(vkB), u"30 ms", up(vkA)}));
    // The 30 ms delay edited to 120.
    key(Qt::Key_Down);
    ASSERT_EQ(dlg->manager().selectedLine(), 3);
    key(Qt::Key_F2);
    ASSERT_NE(dlg->eventList()->editor(), nullptr);
    type("120");
    key(Qt::Key_Return);
    EXPECT_EQ(dlg->eventList()->lineText(3), "120 ms");
    // Number of Loops ticked, 4 loops, OK.
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    ASSERT_EQ(focusedAt(), "useLoops");
    key(Qt::Key_Space);
    key(Qt::Key_Tab);
    ASSERT_EQ(focusedAt(), "loops");
    type("4");
    key(Qt::Key_Tab);
    ASSERT_EQ(focusedAt(), "ok");
    key(Qt::Key_Return);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);

    EXPECT_EQ(recordName(store.saved()[0]), u"Keys");
    EXPECT_EQ(recordName(store.saved()[1]), u"Launch");
    EXPECT_EQ(loopCount(store.saved()[0]), 4);
    const EventBytes k = keyEvents(store.saved()[0]);
    EXPECT_EQ((std::vector<uint8_t>{k[1], k[3], k[5], k[7]}), (std::vector<uint8_t>{vkA, vkB, vkB, vkA}));
    EXPECT_EQ(eventLines(loadEvents(store.saved()[0]), names),
              (std::vector<std::u16string>{dn(vkA), dn(vkB), up(vkB), u"120 ms", up(vkA)}));
}
