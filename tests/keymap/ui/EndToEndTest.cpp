// The whole road of a key assignment on the emulated keyboard: a click on a key of the main
// window opens the real key map panel (its modal run scripted: hook keys, clicks, chooser
// answers), the window applies the result, the main Save uploads it, and the keyboard's key map
// (emulator memory, state file, HID trace) holds it; a host-action key pressed on the keyboard
// opens its path through the launcher seam.

#include "hook/Vantrel.h"
#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/logic/KeyCodes.h"
#include "keymap/ui/CKeyMap.h"
#include "keymap/ui/VividTree.h"
#include "emulator/Emulator.h"
#include "platform/hid/Trace.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorApp.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"
#include "usecases/MainPanel.h"

#include "tests/support/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

using namespace orvane;
using namespace orvane::shell;
using keymap::CKeyMap;
using keymap::KeyCodeCell;
namespace img = link::image;

namespace {

constexpr QPoint kPanelSave{284, 257}, kPanelDisable{24, 255};
constexpr int kTabY = 44;
constexpr int kTabX[] = {40, 121, 202, 283};
constexpr QPoint kMainSave{950, 620};
constexpr uint8_t vkB = 0x42, vkLCtrl = 0xA2, vkLAlt = 0xA4, vkDelete = 0x2E;

using PanelScript = std::function<void(CKeyMap&)>;

class KeymapEndToEnd : public ::testing::Test, protected orvane::test::EmulatedMainWindow {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(orvane::test::skinImagesBuilt({"png/english/Custom/Custom_BK.png"}));
        // The hook reads this empty folder: installed, and only the keys a test sends arrive.
        qputenv("VANTREL_INPUT_DIR", dir.filePath("input").toLocal8Bit());
        QDir(dir.path()).mkdir("input");
        launcherInUse = &launcher;
        ASSERT_NO_FATAL_FAILURE(connectKeyboard({.trace = true, .stateFile = true}));
    }

    void TearDown() override
    {
        closeWindow();
        qunsetenv("VANTREL_INPUT_DIR");
    }

    void start() { ASSERT_TRUE(EmulatedMainWindow::start()); }

    // Clicks key k of the keyboard picture; the panel's modal run is `script`.
    void assignKey(std::size_t k, const PanelScript& script)
    {
        dialogs.answerPanel([script](QDialog& d) {
            auto* panel = dynamic_cast<CKeyMap*>(&d);
            EXPECT_NE(panel, nullptr);
            EXPECT_TRUE(panel && panel->hooked());
            if (panel)
                script(*panel);
            return d.result();
        });
        const auto& r = keymap::KeyLayoutTable[k].rect;
        QTest::mouseClick(window.get(), Qt::LeftButton, {},
                          QPoint(kKeyboardLeft + (r.left + r.right) / 2, kKeyboardTop + (r.top + r.bottom) / 2));
    }
    void saveToKeyboard()
    {
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, kMainSave);
        window->keyboardLink().WaitForIdle();   // the upload runs on the link thread
    }

    static void click(CKeyMap& p, QPoint at) { QTest::mouseClick(&p, Qt::LeftButton, {}, at); }
    static void tab(CKeyMap& p, int t) { click(p, {kTabX[t], kTabY}); }
    static void hookKey(CKeyMap& p, uint8_t vk)
    {
        KeyHookEvent e(vk, false);
        QApplication::sendEvent(&p, &e);
    }
    static void focus(QWidget& box)
    {
        QFocusEvent e(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(&box, &e);
    }

    // The keyboard's memory as its state file holds it.
    link::ConfigImage stateFileImage() const
    {
        link::ConfigImage image{};
        std::ifstream in(statePath().toStdString(), std::ios::binary);
        in.read(reinterpret_cast<char*>(image.data()), std::streamsize(image.size()));
        return image;
    }
    int keymapUploads() const
    {
        std::ifstream in(tracePath().toStdString());
        int n = 0;
        for (std::string line; std::getline(in, line);)
            if (line.find("emulator:cmd SF 00 0d ") != std::string::npos)
                ++n;
        return n;
    }
    void expectOnKeyboard(std::size_t k, const KeyCodeCell& cell)
    {
        EXPECT_EQ(keymap::keyCell(emulator->image(), k), cell);
        EXPECT_EQ(keymap::keyCell(stateFileImage(), k), cell);
    }

    orvane::test::RecordingLauncher launcher;
    keymap::KeyNameTable names = keymap::BuildKeyNameTable();
};

TEST_F(KeymapEndToEnd, AnotherKeyAndACombinationReachTheKeyMap)
{
    start();
    assignKey(20, [](CKeyMap& p) {
        hookKey(p, vkB);
        click(p, kPanelSave);
    });
    assignKey(21, [](CKeyMap& p) {
        focus(p.combineBox());
        for (uint8_t vk : {vkLCtrl, vkLAlt, vkDelete})
            hookKey(p, vk);
        click(p, kPanelSave);
    });
    EXPECT_EQ(keymapUploads(), 0);   // nothing is sent before Save
    saveToKeyboard();
    EXPECT_EQ(keymapUploads(), 1);
    expectOnKeyboard(20, {keymap::kcKeys, 0, names.usage(vkB), 0});
    expectOnKeyboard(21, {keymap::kcKeys, names.usage(vkLCtrl), names.usage(vkLAlt), names.usage(vkDelete)});
    const link::KeyExtRecord& combo = window->store().extTable()[21];
    EXPECT_EQ(keymap::recordCategory(combo), keymap::acCombine);
    EXPECT_EQ(keymap::recordKeyCount(combo), 3);
}

TEST_F(KeymapEndToEnd, MediaFunctionAndMacroReachTheKeyMap)
{
    macro::MacroStore store;
    macro::setRecordName(store.saved()[0], u"Greeting");
    ASSERT_TRUE(store.save(dir.filePath("MacroDefine.bin").toStdString()));
    start();
    assignKey(22, [](CKeyMap& p) {
        tab(p, keymap::kTabBasic);
        const auto found = p.tree().findItems(QStringLiteral("Mute"), Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1);
        p.tree().setCurrentItem(found[0]);
        click(p, kPanelSave);
    });
    assignKey(23, [](CKeyMap& p) {
        tab(p, keymap::kTabMacro);
        ASSERT_EQ(p.macroList().count(), 1);
        p.macroList().setCurrentRow(0);
        click(p, kPanelSave);
    });
    saveToKeyboard();
    expectOnKeyboard(22, keymap::findFunctionByName(u"Mute", keymap::Language::English)->cell);
    expectOnKeyboard(23, {keymap::kcMacro, 1, 0, 0});
    // The macro's block went with it.
    EXPECT_EQ(emulator->image()[img::kMacroBlocks], window->store().image()[img::kMacroBlocks]);
}

TEST_F(KeymapEndToEnd, ProgramKeyReachesTheKeyboardAndItsPressStartsTheProgram)
{
    const QString program = dir.filePath("tools/launch me");
    QDir(dir.path()).mkdir("tools");
    QFile(program).open(QIODevice::WriteOnly);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString notes = dir.filePath("notes.txt");
    QFile(notes).open(QIODevice::WriteOnly);
    start();
    assignKey(30, [&](CKeyMap& p) {
        dialogs.answerOpenFile(program);
        tab(p, keymap::kTabAdvance);
        click(p, {279, 75 + 30});   // Startup's browse button
        click(p, kPanelSave);
    });
    assignKey(31, [&](CKeyMap& p) {
        dialogs.answerOpenFile(notes);
        tab(p, keymap::kTabAdvance);
        click(p, {279, 75 + 60});   // Open File
        click(p, kPanelSave);
    });
    saveToKeyboard();
    const uint8_t vk30 = keymap::KeyLayoutTable[30].vk, vk31 = keymap::KeyLayoutTable[31].vk;
    expectOnKeyboard(30, {keymap::kcHostAction, 0, vk30, 0});
    expectOnKeyboard(31, {keymap::kcHostAction, 0, vk31, 0});
    emulator->pressHostActionKey(vk30);
    emulator->pressHostActionKey(vk31);
    for (int i = 0; i < 200 && (launcher.started.isEmpty() || launcher.opened.isEmpty()); ++i)
        QTest::qWait(5);
    EXPECT_EQ(launcher.started, QStringList{program + " in " + dir.filePath("tools")});
    EXPECT_EQ(launcher.opened, QStringList{notes});
}

TEST_F(KeymapEndToEnd, DisabledKeyClearsItsEnableBitAndDefaultRestoresIt)
{
    start();
    assignKey(40, [](CKeyMap& p) {
        click(p, kPanelDisable);
        click(p, kPanelSave);
    });
    saveToKeyboard();
    EXPECT_FALSE(keymap::keyEnabled(emulator->image(), 40));
    EXPECT_FALSE(keymap::keyEnabled(stateFileImage(), 40));
    EXPECT_TRUE(keymap::keyEnabled(emulator->image(), 41));
    assignKey(40, [](CKeyMap& p) {
        EXPECT_TRUE(p.state().disabled());   // the box opens ticked
        click(p, {176, 257});                // Default
    });
    saveToKeyboard();
    EXPECT_TRUE(keymap::keyEnabled(emulator->image(), 40));
}

TEST_F(KeymapEndToEnd, CancelChangesNothingOnTheKeyboard)
{
    start();
    const link::ConfigImage before = emulator->image();
    assignKey(20, [](CKeyMap& p) {
        hookKey(p, vkB);
        click(p, {230, 257});   // Cancel
    });
    saveToKeyboard();
    EXPECT_EQ(emulator->image(), before);
    EXPECT_EQ(keymapUploads(), 0);
}

}   // namespace
