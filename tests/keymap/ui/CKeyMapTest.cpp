// CKeyMap offscreen: the controls and their placing, the tree and macro list, hook keys and
// swallowed typing, Enter and Esc, the choosers through the dialog seam, dragging, a scripted
// modal run, and screenshots of every tab in both languages.

#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/ui/CKeyMap.h"
#include "keymap/ui/VividTree.h"
#include "hook/Vantrel.h"
#include "platform/ui/FramedText.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "tests/support/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::keymap;

namespace {

constexpr QPoint kSave{284, 257}, kDisable{24, 255};
constexpr int kTabY = 44;
constexpr int kTabX[] = {40, 121, 202, 283};
QPoint browse(int row)
{
    return {279, 75 + 30 * row};
}

class ScriptedHook final : public platform::KeyHook {
public:
    bool answer = true;
    int installs = 0, removes = 0;
    bool install(int mode) override
    {
        ++installs;
        lastMode = mode;
        return answer;
    }
    void remove() override { ++removes; }
    int lastMode = -1;
};

using orvane::test::programFolder;

class CKeyMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            orvane::test::skinImagesBuilt({"png/english/Custom/Custom_BK.png", "png/chinese/Custom/Custom_BK.png"}));
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
        resetRecords(records);
        macros.assign(macro::kMacroRecordCount, macro::MacroRecord{});
        macro::setRecordName(macros[0], u"Combo");
        macro::setRecordName(macros[1], u"Build");
        macro::setRecordName(macros[3], u"after a gap");   // not listed: the list ends at the first empty name
    }
    void TearDown() override { EXPECT_EQ(dialogs.pendingAnswers(), 0u); }

    void make(Language lang = Language::English)
    {
        images = std::make_unique<ui::SkinImages>(programFolder() +
                                                  (lang == Language::Chinese ? "png/chinese/" : "png/english/"));
        panel = std::make_unique<CKeyMap>(KeyMapEnvironment{names, *images, dialogs, lang, data.path() + u'/', hook});
    }
    void open(std::size_t key = kKey, bool enabled = true)
    {
        panel->prepare({uint8_t(key), KeyLayoutTable[key].vk, &records[key], enabled, &macros});
    }
    void click(QPoint p) { QTest::mouseClick(panel.get(), Qt::LeftButton, {}, p); }
    void tab(int t) { click({kTabX[t], kTabY}); }
    void hookKey(uint8_t vk)
    {
        KeyHookEvent e(vk, false);
        QApplication::sendEvent(panel.get(), &e);
    }

    static constexpr std::size_t kKey = 30;
    KeyNameTable names = BuildKeyNameTable();
    link::KeyExtTable records{};
    macro::MacroStore::Records macros;
    QTemporaryDir data;
    ui::ScriptedUserDialogs dialogs;
    ScriptedHook hook;
    std::unique_ptr<ui::SkinImages> images;
    std::unique_ptr<CKeyMap> panel;
};

TEST_F(CKeyMapTest, ControlsPlacedAndShownPerTab)
{
    make();
    open();
    EXPECT_EQ(panel->size(), images->size("Custom/Custom_BK.png"));
    EXPECT_EQ(panel->tree().geometry(), QRect(10, 60, 295, 160));
    EXPECT_EQ(panel->singleBox().geometry(), QRect(20, 89, 280, 15));
    EXPECT_EQ(panel->combineBox().geometry(), QRect(20, 139, 280, 15));
    EXPECT_EQ(panel->macroList().geometry(), QRect(20, 79, 280, 150));
    EXPECT_EQ(panel->singleBox().palette().color(QPalette::Base), QColor(109, 109, 109));
    const struct {
        int tab;
        bool single, list, tree;
    } cases[] = {{kTabMacro, false, true, false},
                 {kTabBasic, false, false, true},
                 {kTabAdvance, false, false, false},
                 {kTabSingleCombine, true, false, false}};
    for (const auto& c : cases) {
        tab(c.tab);
        EXPECT_EQ(panel->state().tab(), c.tab);
        EXPECT_EQ(!panel->singleBox().isHidden(), c.single) << c.tab;
        EXPECT_EQ(!panel->combineBox().isHidden(), c.single) << c.tab;
        EXPECT_EQ(!panel->macroList().isHidden(), c.list) << c.tab;
        EXPECT_EQ(!panel->tree().isHidden(), c.tree) << c.tab;
    }
    ASSERT_EQ(panel->macroList().count(), 2);
    EXPECT_EQ(panel->macroList().item(1)->text(), QStringLiteral("Build"));
    // Beyond the 32 macro blocks nothing is offered.
    for (std::size_t i = 0; i < 40; ++i)
        macro::setRecordName(macros[i], u"m" + std::u16string(1, char16_t(u'A' + i)));
    open();
    EXPECT_EQ(panel->macroList().count(), 32);
}

// Every text the panel paints lies inside its frame (QFontMetrics of the font it was drawn in),
// on every tab, in both languages, with a path shown and with an empty macro list.
TEST_F(CKeyMapTest, EveryPaintedTextFitsItsFrame)
{
    for (Language lang : {Language::English, Language::Chinese}) {
        make(lang);
        for (bool noMacros : {false, true}) {
            if (noMacros)
                macros.assign(macro::kMacroRecordCount, macro::MacroRecord{});
            open(108);
            for (int t : {kTabSingleCombine, kTabMacro, kTabBasic, kTabAdvance}) {
                tab(t);
                if (t == kTabAdvance) {
                    dialogs.answerFolder(data.path());
                    click(browse(3));
                }
                (void)panel->grab();
                const auto& texts = panel->paintedTexts();
                EXPECT_GE(texts.size(), 8u);
                for (const ui::FramedText& text : texts) {
                    const QRect m = ui::measuredRect(text);
                    EXPECT_TRUE(ui::fitsItsFrame(text))
                        << "tab " << t << ": \"" << text.text.toStdString() << "\" at " << text.font.pixelSize()
                        << " px measures " << m.x() << ',' << m.y() << ' ' << m.width() << 'x' << m.height()
                        << " in the room " << text.room().x() << ',' << text.room().y() << ' ' << text.room().width()
                        << 'x' << text.room().height();
                    EXPECT_TRUE(panel->rect().contains(text.frame));
                }
            }
        }
    }
}

// The macro keys read M1..M5 after "Current Key:", the Macro tab says where macros are made
// when there are none, in both languages.
TEST_F(CKeyMapTest, MacroKeyNameAndEmptyMacroTabHint)
{
    const auto drawn = [&](const QString& start) {
        (void)panel->grab();
        for (const ui::FramedText& t : panel->paintedTexts())
            if (t.text.startsWith(start))
                return t.text;
        return QString();
    };
    for (Language lang : {Language::English, Language::Chinese}) {
        const bool zh = lang == Language::Chinese;
        make(lang);
        for (std::size_t key = 108; key <= 112; ++key) {
            open(key);
            EXPECT_EQ(drawn(zh ? QStringLiteral("当前按键:") : QStringLiteral("Current Key:")),
                      (zh ? QStringLiteral("当前按键:M%1") : QStringLiteral("Current Key:M%1")).arg(key - 107));
        }
        macros.assign(macro::kMacroRecordCount, macro::MacroRecord{});
        open();
        tab(kTabMacro);
        const QString hint = zh
            ? QStringLiteral("还没有宏。请在主窗口的宏管理器中创建宏。")
            : QStringLiteral("No macros yet. Macros are made in Macro Management on the main window.");
        EXPECT_EQ(drawn(hint), hint);
        EXPECT_TRUE(panel->macroList().isHidden()) << "no blank box over the hint";
        macro::setRecordName(macros[0], u"Combo");
        open();
        tab(kTabMacro);
        EXPECT_TRUE(drawn(hint).isEmpty());
        EXPECT_FALSE(panel->macroList().isHidden());
        macros.assign(macro::kMacroRecordCount, macro::MacroRecord{});
    }
}

TEST_F(CKeyMapTest, TreeInCatalogueOrderWithTheRecordsFunctionSelected)
{
    records[kKey][extrec::kCategory] = acFunction;
    setRecordCode(records[kKey], findFunctionByName(u"粘贴", Language::Chinese)->cell);
    make(Language::Chinese);
    open();
    VividTree& tree = panel->tree();
    QStringList top;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        top << tree.topLevelItem(i)->text(0);
    EXPECT_EQ(top,
              (QStringList{"搜索", "运行", "多媒体", "快捷健", "Windows", "我的电脑", "任务管理器", "浏览器-主页",
                           "关闭窗口"}));
    EXPECT_EQ(tree.topLevelItem(2)->childCount(), 8);
    EXPECT_EQ(tree.topLevelItem(3)->childCount(), 7);
    EXPECT_EQ(tree.topLevelItem(4)->childCount(), 2);
    ASSERT_NE(tree.currentItem(), nullptr);
    EXPECT_EQ(tree.currentItem()->text(0), QStringLiteral("粘贴"));
    EXPECT_TRUE(tree.topLevelItem(3)->isExpanded());
    EXPECT_FALSE(tree.topLevelItem(2)->isExpanded());
    // Saving on the selected leaf: no message, OK.
    click(kSave);
    EXPECT_EQ(panel->result(), QDialog::Accepted);
    EXPECT_EQ(panel->state().pending().functionName, u"粘贴");
}

TEST_F(CKeyMapTest, GroupNodeSaveShowsTheMessageAndStaysOpen)
{
    make(Language::Chinese);
    open();
    tab(kTabBasic);
    panel->tree().setCurrentItem(panel->tree().topLevelItem(2));   // 多媒体
    dialogs.answerMessage(ui::MessageResult::Ok);
    panel->setResult(-1);
    click(kSave);
    EXPECT_EQ(panel->result(), -1);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text, QStringLiteral("请选择子项"));
}

TEST_F(CKeyMapTest, HookKeysFillTheBoxesAndTypingIsSwallowed)
{
    make();
    open();
    EXPECT_TRUE(panel->hooked());
    EXPECT_EQ(hook.lastMode, 0);
    hookKey(0x74);   // F5
    EXPECT_EQ(panel->singleBox().text(), QString::fromStdU16String(names.name(0x74)));
    QTest::keyClick(&panel->singleBox(), Qt::Key_X);
    EXPECT_EQ(panel->singleBox().text(), QString::fromStdU16String(names.name(0x74)));
    click(kSave);
    EXPECT_EQ(panel->result(), QDialog::Accepted);
    EXPECT_EQ(hook.removes, 1);
    EXPECT_FALSE(panel->hooked());
    hookKey(0x41);   // after the hook is gone nothing is taken
    EXPECT_EQ(panel->state().pending().keys[0], 0x74);
}

TEST_F(CKeyMapTest, WithoutTheHookTypingWorksEnterDoesNotCloseAndEscapeClosesAsTheCloseButton)
{
    hook.answer = false;
    make();
    open();
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    panel->singleBox().setFocus();
    QTest::keyClick(&panel->singleBox(), Qt::Key_X);
    EXPECT_EQ(panel->singleBox().text(), QStringLiteral("x"));
    for (QWidget* target : {static_cast<QWidget*>(&panel->singleBox()), static_cast<QWidget*>(panel.get())})
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(target, key);
    EXPECT_TRUE(panel->isVisible());
    hookKey(0x41);   // no hook: no capture
    EXPECT_EQ(panel->state().pending().keys[0], 0);
    QTest::keyClick(&panel->singleBox(), Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(panel->result(), QDialog::Rejected);
}

TEST_F(CKeyMapTest, FileChoosersUseTheFiltersAndStartInProfile)
{
    make();
    open();
    EXPECT_EQ(panel->startFolder(), QDir::homePath());
    ASSERT_TRUE(QDir(data.path()).mkdir("Profile"));
    EXPECT_EQ(panel->startFolder(), data.path() + "/Profile");
    const QString song = data.filePath("Profile/song.mp3");
    QFile(song).open(QIODevice::WriteOnly);
    tab(kTabAdvance);
    dialogs.answerOpenFile(data.filePath("missing.mp3"));   // not an existing file: nothing chosen
    dialogs.answerOpenFile(song);
    click(browse(0));
    EXPECT_EQ(panel->state().pending().category, acNothing);
    click(browse(0));
    EXPECT_EQ(panel->state().pending().category, acPlaySound);
    EXPECT_EQ(panel->state().pending().path, song.toStdU16String());
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[1].file.filters, QStringLiteral("mp3 Files(*.mp3);;All files (*)"));
    EXPECT_EQ(dialogs.asked()[1].file.defaultSuffix, QStringLiteral("mp3"));
    EXPECT_EQ(dialogs.asked()[1].file.startFolder, data.path() + "/Profile");
}

TEST_F(CKeyMapTest, FolderChooserStartsWhereTheFileChoosersStartNotInTheWorkingFolder)
{
    make();
    open();
    tab(kTabAdvance);
    dialogs.answerFolder(QString());
    click(browse(3));
    ASSERT_TRUE(QDir(data.path()).mkdir("Profile"));
    dialogs.answerFolder(QString());
    dialogs.answerOpenFile(QString());
    click(browse(3));
    click(browse(0));
    ASSERT_EQ(dialogs.asked().size(), 3u);
    EXPECT_EQ(dialogs.asked()[0].file.startFolder, QDir::homePath());
    EXPECT_EQ(dialogs.asked()[1].file.startFolder, data.path() + "/Profile");
    EXPECT_EQ(dialogs.asked()[1].file.startFolder, dialogs.asked()[2].file.startFolder);
}

TEST_F(CKeyMapTest, ProgramChooserTakesOnlyExecutables)
{
    make(Language::Chinese);
    open();
    tab(kTabAdvance);
    const QString text = data.filePath("readme.exe"), program = data.filePath("tool");
    QFile(text).open(QIODevice::WriteOnly);
    QFile(program).open(QIODevice::WriteOnly);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dialogs.answerOpenFile(text);
    dialogs.answerMessage(ui::MessageResult::Ok);
    dialogs.answerOpenFile(program);
    click(browse(1));
    EXPECT_EQ(panel->state().launchKind(), kLaunchNone);
    click(browse(1));
    EXPECT_EQ(panel->state().pending().category, acStartup);
    EXPECT_EQ(panel->state().pending().path, program.toStdU16String());
    EXPECT_EQ(dialogs.asked()[0].file.filters, QStringLiteral("exe Files(*.exe);;All files (*)"));
    EXPECT_EQ(dialogs.asked()[1].text, QStringLiteral("请选择程序文件"));
}

TEST_F(CKeyMapTest, FolderBrowserRefusesWhatIsNotAFolder)
{
    make();
    open();
    tab(kTabAdvance);
    dialogs.answerFolder(QString());   // cancelled: no message
    dialogs.answerFolder(data.filePath("no such folder"));
    dialogs.answerMessage(ui::MessageResult::Ok);
    dialogs.answerFolder(data.path());
    click(browse(3));
    click(browse(3));
    EXPECT_EQ(panel->state().launchKind(), kLaunchNone);
    click(browse(3));
    EXPECT_EQ(panel->state().pending().category, acOpenFolder);
    EXPECT_EQ(panel->state().pending().path, QDir::cleanPath(data.path()).toStdU16String());
    EXPECT_EQ(dialogs.asked()[0].caption, QStringLiteral("modification path"));
    EXPECT_EQ(dialogs.asked()[2].text, QStringLiteral("Please select a folder\n"));
}

TEST_F(CKeyMapTest, TooLongAPathIsRefusedInBothLanguages)
{
    for (Language lang : {Language::English, Language::Chinese}) {
        make(lang);
        open();
        tab(kTabAdvance);
        QString deep = data.path();
        while (deep.size() <= 255)
            deep += QStringLiteral("/abcdefghijklmnopqrstuvwxyz");
        ASSERT_TRUE(QDir().mkpath(deep));
        dialogs.answerFolder(deep);
        dialogs.answerMessage(ui::MessageResult::Ok);
        click(browse(3));
        EXPECT_EQ(panel->state().launchKind(), kLaunchNone);
        EXPECT_TRUE(panel->state().pending().path.empty());
        EXPECT_EQ(dialogs.asked().back().text,
                  lang == Language::Chinese ? QStringLiteral("路径太长（最多 255 个字符）。")
                                            : QStringLiteral("The path is too long (at most 255 characters)."));
    }
}

TEST_F(CKeyMapTest, DraggedByAnySpotOutsideTheButtons)
{
    make();
    open();
    panel->move(100, 100);
    panel->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.get()));
    const QPoint start = panel->pos();
    const QPoint at(150, 10), global = panel->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(panel.get(), &press);
    QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 20), global + QPoint(30, 20), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(panel.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, at + QPoint(30, 20), global + QPoint(30, 20), Qt::LeftButton,
                        Qt::NoButton, {});
    QApplication::sendEvent(panel.get(), &release);
    EXPECT_EQ(panel->pos(), start + QPoint(30, 20));
    EXPECT_EQ(panel->result(), 0);   // the release after a drag is no click
    panel->hide();
}

TEST_F(CKeyMapTest, RunReturnsThePendingAssignmentAndRemovesTheHook)
{
    make();
    dialogs.answerPanel([&](QDialog& d) {
        EXPECT_EQ(&d, panel.get());
        hookKey(0x42);
        click(kDisable);
        click(kSave);
        return d.result();
    });
    PendingAssignment result;
    uint8_t enabled = 1;
    ASSERT_TRUE(
        panel->run(nullptr, {uint8_t(kKey), KeyLayoutTable[kKey].vk, &records[kKey], true, &macros}, result, enabled));
    EXPECT_EQ(result.category, acSingle);
    EXPECT_EQ(result.keys[0], 0x42);
    EXPECT_EQ(result.keyCount, 1);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(hook.installs, 1);
    EXPECT_EQ(hook.removes, 1);
    dialogs.answerPanel(QDialog::Rejected);
    EXPECT_FALSE(
        panel->run(nullptr, {uint8_t(kKey), KeyLayoutTable[kKey].vk, &records[kKey], true, &macros}, result, enabled));
    EXPECT_EQ(hook.removes, 2);
}

// Every tab in both languages, painted; written to $ORVANE_KEYMAP_SHOTS when set.
TEST_F(CKeyMapTest, EveryTabPaintsInBothLanguages)
{
    const QString shots = qEnvironmentVariable("ORVANE_KEYMAP_SHOTS");
    const char* tabNames[] = {"single", "macro", "basic", "advance"};
    for (Language lang : {Language::English, Language::Chinese}) {
        records[kKey][extrec::kCategory] = acCombine;
        records[kKey][extrec::kKeys] = 0xA2;
        records[kKey][extrec::kKeys + 1] = 0x43;
        records[kKey][extrec::kKeyCount] = 2;
        make(lang);
        open();
        QImage previous;
        for (int t : {kTabSingleCombine, kTabMacro, kTabBasic, kTabAdvance}) {
            tab(t);
            if (t == kTabMacro)
                panel->macroList().setCurrentRow(1);
            if (t == kTabBasic)
                panel->tree().topLevelItem(2)->setExpanded(true);
            if (t == kTabAdvance) {
                QDir(data.path()).mkpath("Profile/Notes");
                const QString notes = data.filePath("Profile/Notes/shopping list.txt");
                QFile(notes).open(QIODevice::WriteOnly);
                dialogs.answerOpenFile(notes);
                click(browse(2));   // Open File chosen: shown as ".." and its last component
                QMouseEvent hover(QEvent::MouseMove, browse(1), panel->mapToGlobal(browse(1)), Qt::NoButton,
                                  Qt::NoButton, {});
                QApplication::sendEvent(panel.get(), &hover);   // row 1's browse button lit
            }
            const QImage shot = panel->grab().toImage();
            ASSERT_FALSE(shot.isNull());
            EXPECT_NE(shot, previous) << tabNames[t];
            previous = shot;
            if (!shots.isEmpty())
                shot.save(QStringLiteral("%1/keymap-%2-%3.png")
                              .arg(shots, lang == Language::Chinese ? "chinese" : "english", tabNames[t]));
        }
    }
}

}   // namespace
