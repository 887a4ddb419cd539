#include "tests/macro/ManagerFixture.h"

#include "hook/Vantrel.h"
#include "macro/ui/CMacroRecordDlg.h"
#include "ui/CTransparentListBox.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "tests/support/ProgramFolder.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

using namespace macrotest;
using orvane::ui::MessageResult;
using orvane::ui::ScriptedUserDialogs;

namespace {

QString skinFolder(bool chinese)
{
    return orvane::test::programFolder() + (chinese ? "png/chinese/" : "png/english/");
}

QStringList listLines(const CTransparentListBox* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->lineText(i);
    return out;
}

QStringList toQt(const std::vector<std::u16string>& lines)
{
    QStringList out;
    for (const std::u16string& l : lines)
        out << QString::fromStdU16String(l);
    return out;
}

struct Panel : ::testing::Test {
    orvane::keymap::KeyNameTable names = orvane::keymap::BuildKeyNameTable();
    MacroStore store;
    ScriptedHook hook;
    ManualClock clock;
    ScriptedUserDialogs dialogs;
    bool chinese = false;
    std::unique_ptr<orvane::ui::SkinImages> images;
    std::unique_ptr<CMacroRecordDlg> dlg;

    void SetUp() override
    {
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
    }
    void make(bool zh = false)
    {
        chinese = zh;
        images = std::make_unique<orvane::ui::SkinImages>(skinFolder(zh));
        dlg = std::make_unique<CMacroRecordDlg>(store, names, dialogs, *images, zh, nullptr, &hook, &clock);
    }
    void key(uint8_t vk, bool release, uint64_t afterMs = 0)
    {
        clock.advanceMs(afterMs);
        KeyHookEvent e(vk, release);
        QApplication::sendEvent(dlg.get(), &e);
    }
    // New, Record Delay on, Start Recording, A B typed with pauses, Stop Recording.
    void recordSample()
    {
        dlg->clickButton(kBtnNew);
        dlg->clickButton(kBtnRecordDelay);
        dlg->clickButton(kBtnRecord);
        key(0x41, false);
        key(0x41, true, 90);
        key(0x42, false, 300);
        key(0x42, true, 45);
        key(0xA0, false, 20);
        key(0x31, false, 12);
        key(0x31, true, 80);
        key(0xA0, true, 15);
        dlg->clickButton(kBtnRecord);
    }
    const QString& lastMessage() const { return dialogs.asked().back().text; }
};

}   // namespace

TEST_F(Panel, OpeningShowsTheSavedMacros)
{
    store.saved()[0] = named(u"first");
    store.saved()[1] = named(u"second");
    setLoopCount(store.saved()[0], 3);
    setRecordDelay(store.saved()[0], true);
    make();
    dlg->initDialog();
    EXPECT_EQ(listLines(dlg->macroList()), (QStringList{"first", "second"}));
    EXPECT_EQ(dlg->macroList()->currentRow(), 0);
    EXPECT_EQ(dlg->loopBox()->text(), QStringLiteral("3"));
    EXPECT_TRUE(dlg->loopBox()->isEnabled());
    EXPECT_TRUE(dlg->manager().recordDelays());
    EXPECT_EQ(dlg->macroList()->editMode(), CTransparentListBox::FreeText);
    EXPECT_EQ(dlg->eventList()->editMode(), CTransparentListBox::DelayValues);
    EXPECT_EQ(dlg->loopBox()->maxLength(), 3);
    if (images->has(kMacroBackground)) {
        EXPECT_EQ(dlg->size(), images->size(kMacroBackground));
    }
    // Choosing the second macro shows its options.
    dlg->macroList()->setCurrentRow(1);
    EXPECT_EQ(dlg->manager().selectedMacro(), 1);
    EXPECT_FALSE(dlg->loopBox()->isEnabled());
    EXPECT_FALSE(dlg->manager().recordDelays());
}

TEST_F(Panel, RecordingFromHookEventsFillsTheEventList)
{
    make();
    dlg->initDialog();
    dlg->clickButton(kBtnNew);
    EXPECT_EQ(listLines(dlg->macroList()), (QStringList{"Macro_001"}));
    EXPECT_EQ(dlg->recordCaption(), QStringLiteral("Start Recording"));
    dlg->clickButton(kBtnRecord);
    EXPECT_EQ(dlg->recordCaption(), QStringLiteral("Stop Recording"));
    key(0x41, false);
    key(0x41, true, 10);
    EXPECT_EQ(dlg->eventList()->count(), 2);
    EXPECT_EQ(dlg->eventList()->currentRow(), 1);   // the last line is selected
    dlg->clickButton(kBtnRecord);
    EXPECT_FALSE(hook.installed);
    key(0x42, false);
    EXPECT_EQ(dlg->eventList()->count(), 2);
}

TEST_F(Panel, MessagesInBothLanguages)
{
    for (bool zh : {false, true}) {
        make(zh);
        dlg->initDialog();
        dialogs.answerMessage(MessageResult::Ok);
        dlg->clickButton(kBtnRecord);
        EXPECT_EQ(lastMessage(),
                  zh ? QString::fromUtf8("请选择一个宏指令文件录制\n")
                     : QStringLiteral("Please select a Macro file to record \n"));
        EXPECT_EQ(dialogs.asked().back().caption, zh ? QString::fromUtf8("宏管理器") : QStringLiteral("Macro Manager"));
        dialogs.answerMessage(MessageResult::Ok);   // the confirmation
        dialogs.answerMessage(MessageResult::Ok);   // nothing selected
        dlg->clickButton(kBtnDelete);
        ASSERT_GE(dialogs.asked().size(), 2u);
        const auto& confirm = dialogs.asked()[dialogs.asked().size() - 2];
        EXPECT_EQ(confirm.text, zh ? QString::fromUtf8("确认删除吗？") : QStringLiteral("Confirm to delete?"));
        EXPECT_EQ(confirm.buttons, orvane::ui::MessageButtons::OkCancel);
        EXPECT_EQ(lastMessage(),
                  zh ? QString::fromUtf8("请选择一个宏指令文件删除\n")
                     : QStringLiteral("Please select a Macro file to delete\n"));
    }
}

TEST_F(Panel, DeleteAsksFirst)
{
    store.saved()[0] = named(u"keep");
    make();
    dlg->initDialog();
    dialogs.answerMessage(MessageResult::Cancel);
    dlg->clickButton(kBtnDelete);
    EXPECT_EQ(dlg->macroList()->count(), 1);
    dialogs.answerMessage(MessageResult::Ok);
    dlg->clickButton(kBtnDelete);
    EXPECT_EQ(dlg->macroList()->count(), 0);
    EXPECT_EQ(dlg->manager().selectedMacro(), -1);
}

TEST_F(Panel, ARenameToATakenNameIsRefusedWithAMessage)
{
    store.saved()[0] = named(u"alpha");
    store.saved()[1] = named(u"beta");
    make();
    dlg->initDialog();
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    CTransparentListBox* list = dlg->macroList();
    list->setCurrentRow(1);
    ASSERT_TRUE(list->beginEdit(list->visualItemRect(list->item(1)).center()));
    list->editor()->setText("alpha");
    dialogs.answerMessage(MessageResult::Ok);
    QTest::keyClick(list->editor(), Qt::Key_Return);
    EXPECT_EQ(lastMessage(), QStringLiteral("Another macro already has this name.\n"));
    EXPECT_EQ(list->lineText(1), QStringLiteral("beta"));
    EXPECT_TRUE(dlg->isVisible());   // Enter in the editor does not close the panel
    ASSERT_TRUE(list->beginEdit(list->visualItemRect(list->item(1)).center()));
    list->editor()->setText("gamma");
    QTest::keyClick(list->editor(), Qt::Key_Return);
    QTest::qWait(150);   // the rename timer
    EXPECT_EQ(recordName(store.working()[1]), u"gamma");
    dlg->hide();
}

TEST_F(Panel, ARenameOver254CharactersGetsItsOwnMessageInBothLanguages)
{
    for (bool zh : {false, true}) {
        store.saved()[0] = named(u"alpha");
        make(zh);
        dlg->initDialog();
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        CTransparentListBox* list = dlg->macroList();
        list->setCurrentRow(0);
        ASSERT_TRUE(list->beginEdit(list->visualItemRect(list->item(0)).center()));
        list->editor()->setText(QString(255, u'x'));
        dialogs.answerMessage(MessageResult::Ok);
        QTest::keyClick(list->editor(), Qt::Key_Return);
        EXPECT_EQ(lastMessage(),
                  zh ? QString::fromUtf8("宏名称不能超过254个字符\n")
                     : QStringLiteral("The macro name cannot be longer than 254 characters.\n"));
        EXPECT_EQ(list->lineText(0), QStringLiteral("alpha"));
        dlg->hide();
    }
}

TEST_F(Panel, ContextMenuLabelsAndCommands)
{
    make(true);
    dlg->initDialog();
    std::unique_ptr<QMenu> menu = dlg->buildContextMenu();
    QStringList labels;
    for (QAction* a : menu->actions())
        labels << a->text();
    EXPECT_EQ(
        labels,
        (QStringList{QString::fromUtf8("在之前开始录入"), QString::fromUtf8("在之后开始录入"),
                     QString::fromUtf8("插入鼠标按键"), QString::fromUtf8("插入延迟"), QString::fromUtf8("删除")}));
    QMenu* middle = menu->actions()[2]->menu()->actions()[2]->menu();
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(middle->title(), QString::fromUtf8("中健"));
    EXPECT_EQ(middle->actions()[2]->data().toInt(), kCmdMiddleClick);

    recordSample();
    const int before = dlg->eventList()->count();
    dlg->eventList()->setCurrentRow(0);
    dlg->onCommand(kCmdRightClick);
    EXPECT_EQ(dlg->eventList()->count(), before + 2);
    EXPECT_EQ(dlg->eventList()->lineText(1), QStringLiteral("MsRB dn"));
    EXPECT_EQ(dlg->eventList()->lineText(2), QStringLiteral("MsRB up"));
    dialogs.answerMessage(MessageResult::Ok);
    dlg->eventList()->setCurrentRow(3);   // a delay line
    dlg->onCommand(kCmdInsertDelay);
    EXPECT_EQ(lastMessage(), QString::fromUtf8("请编辑当前延时\n"));
}

TEST_F(Panel, OkCommitsAndCancelLeavesTheSavedStore)
{
    make();
    const auto saved = store.saved();
    dialogs.answerPanel([this](QDialog&) {
        recordSample();
        dlg->clickButton(kBtnCancel);
        return dlg->result();
    });
    EXPECT_FALSE(dlg->run());
    EXPECT_EQ(store.saved(), saved);
    EXPECT_FALSE(hook.installed);

    dialogs.answerPanel([this](QDialog&) {
        recordSample();
        dlg->clickButton(kBtnUseLoops);
        dlg->loopBox()->setText("7");
        dlg->clickButton(kBtnOk);
        return dlg->result();
    });
    EXPECT_TRUE(dlg->run());
    EXPECT_EQ(recordName(store.saved()[0]), u"Macro_001");
    EXPECT_EQ(loopCount(store.saved()[0]), 7);
    EXPECT_EQ(keyEvents(store.saved()[0])[1], 0x41);
    EXPECT_TRUE(recordDelay(store.saved()[0]));
}

TEST_F(Panel, EnterDoesNotCloseAndHoverFollowsTheMouse)
{
    make();
    dlg->initDialog();
    dlg->show();
    QTest::keyClick(dlg.get(), Qt::Key_Return);
    EXPECT_TRUE(dlg->isVisible());
    QTest::mouseMove(dlg.get(), QPoint(30, 380));
    EXPECT_EQ(dlg->hoverButton(), kBtnNew);
    QTest::mouseMove(dlg.get(), QPoint(375, 175));   // the tick box has no hover image
    EXPECT_EQ(dlg->hoverButton(), -1);
    QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, QPoint(30, 380));
    EXPECT_EQ(dlg->macroList()->count(), 1);   // New by its hit rectangle
    dlg->hide();
}

TEST_F(Panel, DraggedByTheBackgroundUntilTheRelease)
{
    make();
    dlg->initDialog();
    dlg->move(100, 100);
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    const auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(local), QPointF(dlg->mapToGlobal(local)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(dlg.get(), &e);
    };
    // The offscreen platform has no system move: the panel follows the mouse itself.
    const QPoint start = dlg->pos();
    const QPoint at(250, 30);
    send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, at + QPoint(2, 1), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, at + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(dlg->pos(), start + QPoint(30, 20));
    send(QEvent::MouseButtonRelease, at + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
    const QPoint moved = dlg->pos();
    send(QEvent::MouseMove, at + QPoint(60, 40), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(dlg->pos(), moved);
    dlg->hide();
}

TEST_F(Panel, ScreenshotsInBothLanguages)
{
    const orvane::test::TempFolder shots("macroui-shots");
    for (bool zh : {false, true}) {
        make(zh);
        ASSERT_TRUE(images->has(kMacroBackground)) << "the build draws the skins";
        dlg->initDialog();
        recordSample();
        dlg->eventList()->setCurrentRow(2);
        const QImage shot = dlg->grab().toImage();
        EXPECT_EQ(shot.size(), images->size(kMacroBackground));
        EXPECT_TRUE(shot.save(QString::fromStdString(shots.file(zh ? "panel-chinese.png" : "panel-english.png"))));
    }
}

TEST_F(Panel, RecordingKeepsTabAndTypeAheadFromSelectingAnotherMacro)
{
    store.saved()[0] = named(u"Keys");
    make();
    dlg->initDialog();
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    dlg->clickButton(kBtnNew);
    dlg->macroList()->setFocus();
    dlg->clickButton(kBtnRecord);
    ASSERT_TRUE(dlg->manager().recording());
    EXPECT_EQ(QApplication::focusWidget(), dlg.get());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dlg.get());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K);
    QTest::mouseClick(dlg->macroList()->viewport(), Qt::LeftButton, {},
                      dlg->macroList()->visualItemRect(dlg->macroList()->item(0)).center());
    EXPECT_EQ(dlg->manager().selectedMacro(), 1);
    EXPECT_EQ(dlg->macroList()->currentRow(), 1);
    EXPECT_EQ(QApplication::focusWidget(), dlg.get());
    for (QWidget* w : {static_cast<QWidget*>(dlg->macroList()), static_cast<QWidget*>(dlg->eventList()),
                       static_cast<QWidget*>(dlg->loopBox())})
        EXPECT_EQ(w->focusPolicy(), Qt::NoFocus) << w->objectName().toStdString();
    dlg->clickButton(kBtnRecord);
    EXPECT_EQ(dlg->macroList()->focusPolicy(), Qt::StrongFocus);
    dlg->macroList()->setCurrentRow(0);
    EXPECT_EQ(dlg->manager().selectedMacro(), 0);
    dlg->hide();
}

TEST_F(Panel, ARefusedDelayEditShowsTheStoredDelayNotTheTypedOne)
{
    // 95 short events fill all 190 bytes; line 1 is the 50 ms delay of the first release. 300 ms
    // needs a long event, two bytes more: "Macro full", nothing changes.
    MacroRecord r = named(u"Full");
    EventBytes device{}, key{};
    for (std::size_t e = 0; e < 95; ++e) {
        const bool release = e % 2 == 1;
        device[2 * e] = key[2 * e] = uint8_t((release ? 0x80 : 0x00) | (e == 1 ? 50 : 1));
        device[2 * e + 1] = names.usage(0x41);
        key[2 * e + 1] = 0x41;
    }
    setEvents(r, device, key);
    store.saved()[0] = r;
    make();
    dlg->initDialog();
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    CTransparentListBox* list = dlg->eventList();
    ASSERT_EQ(list->lineText(1), QStringLiteral("50 ms"));
    list->setCurrentRow(1);
    ASSERT_TRUE(list->beginEdit(list->visualItemRect(list->item(1)).center()));
    list->editor()->selectAll();
    QTest::keyClicks(list->editor(), QStringLiteral("300"));
    dialogs.answerMessage(MessageResult::Ok);
    QTest::keyClick(list->editor(), Qt::Key_Return);
    EXPECT_EQ(lastMessage(), QStringLiteral("The macro is full: no more events fit.\n"));
    EXPECT_EQ(list->lineText(1), QStringLiteral("50 ms"));
    EXPECT_EQ(listLines(list), toQt(dlg->manager().eventLines()));
    EXPECT_EQ(deviceEvents(store.working()[0]), device);
    // An edit that fits shows its value.
    list->setCurrentRow(1);
    ASSERT_TRUE(list->beginEdit(list->visualItemRect(list->item(1)).center()));
    list->editor()->selectAll();
    QTest::keyClicks(list->editor(), QStringLiteral("90"));
    QTest::keyClick(list->editor(), Qt::Key_Return);
    EXPECT_EQ(list->lineText(1), QStringLiteral("90 ms"));
    EXPECT_EQ(deviceEvents(store.working()[0])[2], 0x80 | 90);
    dlg->hide();
}

TEST_F(Panel, TransparentCornersAreNoPartOfTheWindowAndHoverEndsWhenTheMouseLeavesTheButton)
{
    make();
    ASSERT_TRUE(images->has(kMacroBackground)) << "the build draws the skins";
    dlg->initDialog();
    dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg.get()));
    const QImage back = images->image(kMacroBackground).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(qAlpha(back.pixel(0, 0)), 0) << "the background has no transparent corner";
    EXPECT_FALSE(dlg->mask().isEmpty());
    for (const QPoint& corner : {QPoint(0, 0), QPoint(back.width() - 1, 0), QPoint(0, back.height() - 1),
                                 QPoint(back.width() - 1, back.height() - 1)})
        EXPECT_FALSE(dlg->mask().contains(corner)) << corner.x() << "," << corner.y();
    EXPECT_TRUE(dlg->mask().contains(QPoint(back.width() / 2, back.height() / 2)));

    // Off the Record button straight into the macro list, and into the event list.
    for (CTransparentListBox* list : {dlg->macroList(), dlg->eventList()}) {
        QTest::mouseMove(dlg.get(), QPoint(330, 112));
        ASSERT_EQ(dlg->hoverButton(), kBtnRecord);
        QTest::mouseMove(list->viewport(), QPoint(20, 20));
        EXPECT_EQ(dlg->hoverButton(), -1) << list->objectName().toStdString();
    }
    dlg->hide();
}
