// The profile panel offscreen: placement, list, buttons and hit rectangles, context menu, every
// message in both languages, rename in place, Escape and Enter, and screenshots.

#include "ui/CTransparentListBox.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "profile/ui/CConfigureDlg.h"
#include "tests/support/AccessibleItems.h"
#include "tests/support/ProgramFolder.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

using namespace orvane;
using namespace orvane::profile;
using namespace orvane::profile::ui;
using orvane::ui::MessageButtons;
using orvane::ui::MessageResult;
using orvane::ui::ScriptedUserDialogs;
namespace fs = std::filesystem;

namespace {

class RecordingSleeper final : public link::Sleeper {
public:
    void sleep(int ms) override { pauses.push_back(ms); }
    void yield() override {}
    std::vector<int> pauses;
};

QString skinFolder(bool chinese)
{
    return orvane::test::programFolder() + (chinese ? "png/chinese/" : "png/english/");
}

QStringList listLines(macro::CTransparentListBox& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.lineText(i);
    return out;
}

class Panel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(orvane::test::skinImagesBuilt({"png/english/Config/Config.png", "png/chinese/Config/Config.png"}));
        folder = root / "Configure";
        fs::create_directories(folder);
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
    }
    void TearDown() override
    {
        dlg.reset();
        EXPECT_EQ(dialogs.pendingAnswers(), 0u);
    }
    void make(bool chinese = false)
    {
        images = std::make_unique<orvane::ui::SkinImages>(skinFolder(chinese));
        dlg = std::make_unique<CConfigureDlg>(ConfigureEnvironment{
            store, dialogs, *images, chinese ? model::Language::Chinese : model::Language::English,
            QString::fromStdString(folder.string() + "/"), QString::fromStdString(root.string()), sleeper});
        dlg->prepare(QRect(100, 200, 1000, 650));
    }
    void profiles(std::initializer_list<const char*> names, std::size_t size = kProfileFileSize)
    {
        for (const char* n : names)
            std::ofstream(folder / (std::string(n) + ".bin"), std::ios::binary) << std::string(size, '\x11');
    }
    std::size_t sizeOf(const char* name) const { return fs::file_size(folder / (std::string(name) + ".bin")); }
    const ScriptedUserDialogs::Question& lastQuestion() const { return dialogs.asked().back(); }
    void click(int x, int y) { QTest::mouseClick(dlg.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void select(const QString& name)
    {
        const int row = listLines(dlg->list()).indexOf(name);
        ASSERT_GE(row, 0) << name.toStdString();
        dlg->list().setCurrentRow(row);
    }
    void renameSelected(const QString& text)
    {
        macro::CTransparentListBox& list = dlg->list();
        ASSERT_TRUE(list.beginEdit(list.visualItemRect(list.currentItem()).center()));
        list.editor()->setText(text);
        list.endEdit(true);
    }

    orvane::test::TempFolder temp{"profile-panel"};
    fs::path root = temp.path(), folder;
    link::ConfigStore store;
    ScriptedUserDialogs dialogs;
    RecordingSleeper sleeper;
    std::unique_ptr<orvane::ui::SkinImages> images;
    std::unique_ptr<CConfigureDlg> dlg;
};

TEST_F(Panel, OpensBesideTheMainWindowWithTheFolderSorted)
{
    profiles({"zeta", "Alpha", "beta"});
    make();
    EXPECT_EQ(dlg->pos(), QPoint(99, 199));
    EXPECT_EQ(dlg->size(), images->size("Config/Config.png"));
    EXPECT_EQ(dlg->list().geometry(), QRect(1, 34, 260, 540));
    EXPECT_EQ(dlg->list().editMode(), macro::CTransparentListBox::FileNamesOverParent);
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"Alpha", "beta", "zeta"}));
    EXPECT_EQ(dlg->selectedLine(), -1);
    // Every opening rebuilds from the folder.
    profiles({"gamma"});
    dlg->prepare(QRect(0, 0, 10, 10));
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"Alpha", "beta", "gamma", "zeta"}));
    EXPECT_EQ(dlg->pos(), QPoint(-1, -1));
}

TEST(PanelLayout, HitRectanglesAreInclusiveAndInOrder)
{
    struct Case {
        int x, y, command;
    };
    for (const Case& c :
         {Case{248, 11, kCmdClose}, Case{262, 24, kCmdClose}, Case{247, 11, kCmdNone}, Case{262, 25, kCmdNone},
          Case{14, 576, kCmdNew}, Case{79, 624, kCmdNew}, Case{80, 600, kCmdNone}, Case{14, 575, kCmdNone},
          Case{184, 576, kCmdDelete}, Case{249, 624, kCmdDelete}, Case{250, 600, kCmdNone}, Case{130, 40, kCmdNone}})
        EXPECT_EQ(hitTest(c.x, c.y), c.command) << c.x << "," << c.y;
}

TEST_F(Panel, NewButtonCreatesAndCloseButtonEndsWithOk)
{
    profiles({"Profile_1", "Profile_3"});
    make();
    click(40, 600);
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"Profile_1", "Profile_2", "Profile_3"}));
    EXPECT_EQ(sizeOf("Profile_2"), 10056u);
    click(130, 600);   // between the buttons: nothing
    EXPECT_EQ(dlg->list().count(), 3);
    click(255, 17);
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

TEST_F(Panel, EscapeClosesAsTheCloseButtonAndEnterDoesNothing)
{
    profiles({"a"});
    make();
    dlg->show();
    QTest::keyClick(dlg.get(), Qt::Key_Return);
    EXPECT_TRUE(dlg->isVisible());
    dlg->list().setFocus();
    QTest::keyClick(&dlg->list(), Qt::Key_Escape);   // from the list too
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

// ---- Screen readers and the keyboard ---------------------------------------------------------

using Item = orvane::test::AccessibleItem;

TEST_F(Panel, ScreenReadersSeeTheListWithItsProfilesAndTheButtonsInBothLanguages)
{
    profiles({"Work", "Game"});
    using R = QAccessible::Role;
    for (bool chinese : {false, true}) {
        make(chinese);
        QAccessibleInterface* w = QAccessible::queryAccessibleInterface(dlg.get());
        const std::vector<Item> items = orvane::test::accessibleChildren(w);
        const std::vector<Item> expected = chinese
            ? std::vector<Item>{{R::List, "配置"},
                                {R::PushButton, "关闭"},
                                {R::PushButton, "新建"},
                                {R::PushButton, "删除"}}
            : std::vector<Item>{
                  {R::List, "Profile"}, {R::PushButton, "Close"}, {R::PushButton, "New"}, {R::PushButton, "Delete"}};
        EXPECT_EQ(items, expected);
        EXPECT_EQ(w->text(QAccessible::Name), chinese ? "配置" : "Profile");
        QAccessibleInterface* list = w->child(0);
        ASSERT_EQ(list->childCount(), 2);
        EXPECT_EQ(list->child(0)->text(QAccessible::Name), "Game");
        EXPECT_EQ(w->child(2)->rect().topLeft(), dlg->mapToGlobal(QPoint(14, 576)));
    }
}

TEST_F(Panel, AccessiblePressesRunTheButtonsCommands)
{
    profiles({"Profile_1"});
    make();
    dlg->show();
    const auto press = [&](const char* id) {
        dlg->access().accessibleControl(id)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };
    press("new");
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"Profile_1", "Profile_2"}));
    select("Profile_1");
    dialogs.answerMessage(MessageResult::Ok);
    press("delete");
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"Profile_2"}));
    press("close");
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

TEST_F(Panel, KeyboardOnlySavesAndLoadsAProfileThroughTheListsMenu)
{
    profiles({"Mine"}, kProfileImageSize);
    std::ofstream(root / "other.bin", std::ios::binary) << std::string(kProfileFileSize, '\x42');
    make();
    dlg->show();
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        // The panel's focus widget: after a menu the offscreen platform may leave no window active.
        QWidget* target = dlg->focusWidget() ? dlg->focusWidget() : dlg.get();
        QTest::keyClick(target, k, m);
    };
    ASSERT_TRUE(dlg->list().hasFocus()) << "the panel opens with the focus in the list";
    // The Tab order: the close button, the list, New, Delete, round again.
    QStringList order;
    for (int i = 0; i < 4; ++i) {
        key(Qt::Key_Tab);
        order << (dlg->list().hasFocus() ? QStringLiteral("profiles") : dlg->access().focusedId());
        if (i == 0) {
            EXPECT_TRUE(dlg->access().markShown());
        }
    }
    EXPECT_EQ(order, (QStringList{"new", "delete", "close", "profiles"}));
    key(Qt::Key_Space);   // the line the list's cursor is on
    ASSERT_EQ(dlg->selectedLine(), 0);
    // The menu opens at the line, and its own keys choose: Save is the third entry, Load the fourth.
    const auto choose = [&](int entry) {
        QTimer::singleShot(0, [entry] {
            QWidget* menu = QApplication::activePopupWidget();
            ASSERT_NE(menu, nullptr);
            for (int i = 0; i < entry; ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
    };
    store.image()[100] = 0xAB;
    dialogs.answerSaveFile(QString());
    choose(3);
    key(Qt::Key_Menu);
    std::ifstream in(folder / "Mine.bin", std::ios::binary);
    in.seekg(100);
    EXPECT_EQ(in.get(), 0xAB);
    dialogs.answerOpenFile(QString::fromStdString((root / "other.bin").string()));
    choose(4);
    key(Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(store.image()[100], 0x42);
    key(Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(Panel, WithSixProfilesNewShowsItsMessageWhileCopyIsSilent)
{
    profiles({"a", "b", "c", "d", "e", "f"});
    make();
    select("a");
    dlg->runCommand(kCmdCopy);
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
    dialogs.answerMessage(MessageResult::Ok);
    dlg->runCommand(kCmdNew);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(lastQuestion().text, "Only Create Six Profile mostly\n");
    EXPECT_EQ(lastQuestion().caption, "Profile");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
}

struct MessageCase {
    const char* label;
    int command;
    int profiles;   // how many profiles the folder holds (nothing selected)
    bool chinese;
    const char* text;
    const char* caption;
};

class PanelMessages : public Panel, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(PanelMessages, WithoutASelection)
{
    const MessageCase& c = GetParam();
    for (int i = 0; i < c.profiles; ++i)
        profiles({std::string(1, char('a' + i)).c_str()});
    make(c.chinese);
    dialogs.answerMessage(MessageResult::Ok);
    dlg->runCommand(c.command);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(lastQuestion().text, QString::fromUtf8(c.text));
    EXPECT_EQ(lastQuestion().caption, QString::fromUtf8(c.caption));
    EXPECT_EQ(lastQuestion().buttons, MessageButtons::Ok);
    EXPECT_EQ(dlg->list().count(), c.profiles);
}

INSTANTIATE_TEST_SUITE_P(
    Both, PanelMessages,
    ::testing::Values(MessageCase{"SaveEnglish", kCmdSave, 2, false, "Please select a profile to Save\n", "Profile"},
                      MessageCase{"SaveChinese", kCmdSave, 2, true, "请选择一个配置存储", "配置管理"},
                      MessageCase{"LoadEnglish", kCmdLoad, 2, false, "Please select a profile to Open\n", "Profile"},
                      MessageCase{"LoadChinese", kCmdLoad, 2, true, "请选择一个配置打开", "配置管理"},
                      MessageCase{"CopyEnglish", kCmdCopy, 2, false, "Please select a profile to copy\n", "Profile"},
                      MessageCase{"CopyChinese", kCmdCopy, 2, true, "请选择一个配置拷贝", "配置管理"},
                      MessageCase{"DeleteEnglish", kCmdDelete, 2, false, "Please select a profile to delete\n",
                                  "Profile"},
                      MessageCase{"DeleteChinese", kCmdDelete, 2, true, "请选择一个配置删除", "配置管理"},
                      MessageCase{"KeepEnglish", kCmdDelete, 1, false, "Please keep a profile\n", "Profile"},
                      MessageCase{"KeepChinese", kCmdDelete, 1, true, "请至少保留一个配置文件", "配置管理"},
                      MessageCase{"SixChinese", kCmdNew, 6, true, "最多可以存储6个配置\n", "配置管理"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(Panel, DeleteWithOneProfileShowsTheKeepMessageEvenWhenSelected)
{
    profiles({"only"});
    make();
    select("only");
    dialogs.answerMessage(MessageResult::Ok);
    dlg->runCommand(kCmdDelete);
    EXPECT_EQ(lastQuestion().text, "Please keep a profile\n");
    EXPECT_TRUE(fs::exists(folder / "only.bin"));
}

TEST_F(Panel, DeleteAsksAndOnlyOkDeletes)
{
    profiles({"one", "two"});
    make(true);
    select("one");
    dialogs.answerMessage(MessageResult::Cancel);
    dlg->runCommand(kCmdDelete);
    EXPECT_EQ(lastQuestion().text, "删除当前配置文件吗");
    EXPECT_EQ(lastQuestion().caption, "配置管理");
    EXPECT_EQ(lastQuestion().buttons, MessageButtons::OkCancel);
    EXPECT_TRUE(fs::exists(folder / "one.bin"));
    EXPECT_EQ(dlg->selectedLine(), -1);   // rebuilt from the folder
    select("one");
    dialogs.answerMessage(MessageResult::Ok);
    dlg->runCommand(kCmdDelete);
    EXPECT_FALSE(fs::exists(folder / "one.bin"));
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"two"}));
}

TEST_F(Panel, DeleteConfirmationInEnglish)
{
    profiles({"one", "two"});
    make();
    select("two");
    dialogs.answerMessage(MessageResult::Ok);
    click(200, 600);
    EXPECT_EQ(lastQuestion().text, "Delete current profile ?");
    EXPECT_EQ(lastQuestion().caption, "Profile");
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"one"}));
}

TEST_F(Panel, SaveWithTheDialogCancelledStillWritesTheSelectedProfile)
{
    profiles({"Mine"}, kProfileImageSize);
    make();
    store.image()[100] = 0xAB;
    select("Mine");
    dialogs.answerSaveFile(QString());
    dlg->runCommand(kCmdSave);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(lastQuestion().file.filters, "bin Files(*.bin)");
    EXPECT_EQ(lastQuestion().file.defaultSuffix, "bin");
    EXPECT_EQ(lastQuestion().file.fileName, "*.bin");
    EXPECT_EQ(lastQuestion().file.startFolder.toStdString(), root.string());
    EXPECT_EQ(sizeOf("Mine"), 206916u);
    std::ifstream in(folder / "Mine.bin", std::ios::binary);
    in.seekg(100);
    EXPECT_EQ(in.get(), 0xAB);
    EXPECT_EQ(dlg->selectedLine(), 0);   // no rescan
}

TEST_F(Panel, LoadFromTheChosenFileIntoTheLiveConfigurationAndTheProfile)
{
    profiles({"Target"}, kProfileImageSize);
    std::ofstream(root / "other.bin", std::ios::binary) << std::string(kProfileFileSize, '\x42');
    make();
    select("Target");
    dialogs.answerOpenFile(QString::fromStdString((root / "other.bin").string()));
    dlg->runCommand(kCmdLoad);
    EXPECT_EQ(lastQuestion().file.fileName, "*.bin");
    EXPECT_EQ(store.image()[0], 0x42);
    EXPECT_EQ(store.image()[link::kConfigImageSize - 1], 0x42);
    EXPECT_EQ(store.extTable()[254][771], 0x42);
    EXPECT_EQ(sizeOf("Target"), 206916u);
}

TEST_F(Panel, LoadOfAFileThatIsNoProfileIsRefusedWithAMessageInBothLanguages)
{
    std::ofstream(root / "MacroDefine.bin", std::ios::binary) << std::string(169860, '\x42');
    for (bool chinese : {false, true}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        profiles({"Target"}, kProfileImageSize);
        make(chinese);
        select("Target");
        const link::ConfigImage before = store.image();
        dialogs.answerOpenFile(QString::fromStdString((root / "MacroDefine.bin").string()));
        dialogs.answerMessage(MessageResult::Ok);
        dlg->runCommand(kCmdLoad);
        EXPECT_EQ(lastQuestion().text,
                  chinese ? QString::fromUtf8("此文件不是配置文件：配置文件的大小为 10,056 或 206,916 字节。\n")
                          : QString("This file is not a profile: a profile file has 10,056 or 206,916 bytes.\n"));
        EXPECT_EQ(lastQuestion().caption, chinese ? QString::fromUtf8("配置管理") : QString("Profile"));
        EXPECT_EQ(store.image(), before);
        EXPECT_EQ(sizeOf("Target"), kProfileImageSize);
    }
}

TEST_F(Panel, RenameInPlaceMovesTheFile)
{
    profiles({"Old", "Zed"});
    make();
    select("Old");
    renameSelected("New.bin");
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"New", "Zed"}));
    EXPECT_TRUE(fs::exists(folder / "New.bin"));
    EXPECT_FALSE(fs::exists(folder / "Old.bin"));
    EXPECT_EQ(sleeper.pauses, (std::vector<int>{100, 200, 300}));
    EXPECT_TRUE(dialogs.asked().empty());
}

TEST_F(Panel, RenameOntoAnotherNameIsRefusedAndTheListRebuilt)
{
    profiles({"Alpha", "Beta"});
    make();
    select("Alpha");
    renameSelected("Beta");
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(sleeper.pauses, (std::vector<int>{300}));
    EXPECT_TRUE(dialogs.asked().empty());
}

TEST_F(Panel, UnsafeRenameShowsItsMessageInBothLanguages)
{
    for (bool chinese : {false, true}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        profiles({"Keep"});
        make(chinese);
        select("Keep");
        dialogs.answerMessage(MessageResult::Ok);
        renameSelected("../Keep");
        EXPECT_EQ(lastQuestion().text,
                  chinese ? QString::fromUtf8("配置名称不能为空、不能是“.”或“..”，也不能包含“/”。\n")
                          : QString("A profile name cannot be empty, \".\" or \"..\", and cannot contain \"/\".\n"));
        EXPECT_EQ(listLines(dlg->list()), (QStringList{"Keep"}));
        EXPECT_FALSE(fs::exists(root / "Keep.bin"));
    }
}

// Names whose file name fits in 255 bytes work (they failed while the temporary name was the file
// name with more after it); longer ones, and a copy whose name would be longer, get their message.
TEST_F(Panel, LongProfileNamesWorkUpTo255BytesAndLongerOnesAreRefusedWithAMessage)
{
    std::string cjk83, cjk85;
    for (int i = 0; i < 85; ++i)
        (i < 83 ? cjk83 : cjk85) += "\xE9\x85\x8D";   // 配
    cjk85 = cjk83 + cjk85;
    const std::string long242(242, 'n');
    for (bool chinese : {false, true}) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        profiles({"Keep"});
        make(chinese);
        const QString tooLong = chinese ? QString::fromUtf8("配置名称太长：配置文件名最多 255 个字节。\n")
                                        : QString("The profile name is too long: a profile's file name can have "
                                                  "at most 255 bytes.\n");
        const std::size_t askedBefore = dialogs.asked().size();
        select("Keep");
        renameSelected(QString::fromStdString(long242));
        ASSERT_EQ(dialogs.asked().size(), askedBefore) << dialogs.asked().back().text.toStdString();
        EXPECT_TRUE(fs::exists(folder / (long242 + ".bin")));
        select(QString::fromStdString(long242));
        renameSelected(QString::fromUtf8(cjk83.c_str()));
        ASSERT_EQ(dialogs.asked().size(), askedBefore) << dialogs.asked().back().text.toStdString();
        EXPECT_TRUE(fs::exists(folder / (cjk83 + ".bin")));

        select(QString::fromUtf8(cjk83.c_str()));
        dialogs.answerMessage(MessageResult::Ok);
        renameSelected(QString::fromUtf8(cjk85.c_str()));
        EXPECT_EQ(lastQuestion().text, tooLong);
        EXPECT_EQ(listLines(dlg->list()), (QStringList{QString::fromUtf8(cjk83.c_str())}));

        // "Copy of ? " + 242 characters + ".bin" is 256 bytes; the Chinese prefix is shorter.
        select(QString::fromUtf8(cjk83.c_str()));
        renameSelected(QString::fromStdString(long242));
        select(QString::fromStdString(long242));
        if (!chinese)
            dialogs.answerMessage(MessageResult::Ok);
        const std::size_t asked = dialogs.asked().size();
        dlg->runCommand(kCmdCopy);
        if (chinese) {
            EXPECT_EQ(dialogs.asked().size(), asked);
            EXPECT_EQ(dlg->list().count(), 2);
        } else {
            ASSERT_EQ(dialogs.asked().size(), asked + 1);
            EXPECT_EQ(lastQuestion().text, tooLong);
            EXPECT_EQ(dlg->list().count(), 1);
        }
        std::size_t entries = 0;
        for (const auto& e : fs::directory_iterator(folder))
            entries += e.path().filename().string().rfind(".orvane-", 0) == 0 ? 100 : 1;
        EXPECT_EQ(entries, chinese ? 2u : 1u) << "no temporary file may be left behind";
    }
}

TEST_F(Panel, TransparentCornersOfTheBackgroundAreNoPartOfTheWindow)
{
    make();
    const QImage back = images->image("Config/Config.png").convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(qAlpha(back.pixel(0, 0)), 0) << "the background has no transparent corner";
    for (const QPoint& corner : {QPoint(0, 0), QPoint(back.width() - 1, 0), QPoint(0, back.height() - 1),
                                 QPoint(back.width() - 1, back.height() - 1)})
        EXPECT_FALSE(dlg->mask().contains(corner)) << corner.x() << "," << corner.y();
    EXPECT_TRUE(dlg->mask().contains(QPoint(back.width() / 2, back.height() / 2)));
    EXPECT_TRUE(dlg->mask().contains(QPoint(130, 300)));   // under the list
}

TEST_F(Panel, ContextMenuLabelsAndARightClickRunsTheChosenCommand)
{
    for (bool chinese : {false, true}) {
        make(chinese);
        std::unique_ptr<QMenu> menu = dlg->buildContextMenu();
        QStringList labels;
        QList<int> commands;
        for (QAction* a : menu->actions()) {
            labels << a->text();
            commands << a->data().toInt();
        }
        EXPECT_EQ(labels,
                  chinese ? QStringList({"新建", "复制", "保存", "加载", "删除"})
                          : QStringList({"New", "Copy", "Save", "Load", "Delete"}));
        EXPECT_EQ(commands, (QList<int>{32785, 32817, 32786, 32787, 32788}));
    }
    make();
    QPoint shownAt;
    dlg->setMenuExec([&](QMenu& m, const QPoint& at) {
        shownAt = at;
        return m.actions().at(0);   // New
    });
    dlg->show();
    const QPoint inList(50, 100);
    QTest::mouseClick(dlg->list().viewport(), Qt::RightButton, {}, inList);
    EXPECT_EQ(shownAt, dlg->list().viewport()->mapToGlobal(inList));
    EXPECT_EQ(listLines(dlg->list()), (QStringList{"Profile_1"}));
}

TEST_F(Panel, ScreenshotsInBothLanguages)
{
    profiles({"Profile_1", "Game", "Work"});
    const orvane::test::TempFolder shots("profile-shots");
    for (bool chinese : {false, true}) {
        make(chinese);
        dlg->show();
        select("Game");
        QApplication::processEvents();
        const QImage shot = dlg->grab().toImage();
        EXPECT_EQ(shot.size(), images->size("Config/Config.png"));
        const QString path = QString::fromStdString(shots.file(chinese ? "panel-chinese.png" : "panel-english.png"));
        EXPECT_TRUE(shot.save(path));
        // The selected line is drawn in cyan over the list's panel.
        bool cyan = false;
        const QRect line = dlg->list().visualItemRect(dlg->list().currentItem()).translated(1, 34);
        for (int y = line.top(); y <= line.bottom() && !cyan; ++y)
            for (int x = line.left(); x < line.left() + 60 && !cyan; ++x)
                cyan = shot.pixelColor(x, y) == QColor(0, 255, 255);
        EXPECT_TRUE(cyan);
    }
}

}   // namespace
