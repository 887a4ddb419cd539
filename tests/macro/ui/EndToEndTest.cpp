// A macro recorded in the macro manager, assigned to macro key 1 and saved, through the main window
// on the emulated keyboard: the HID trace, the emulator's state file and MacroDefine.bin.

#include "tests/macro/ManagerFixture.h"

#include "hook/Vantrel.h"
#include "keymap/logic/KeyCodes.h"
#include "emulator/Emulator.h"
#include "platform/hid/Trace.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"
#include "usecases/MainPanel.h"
#include "shell/app/Panels.h"
#include "macro/ui/CMacroRecordDlg.h"
#include "ui/CTransparentListBox.h"
#include "tests/support/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

using namespace macrotest;
namespace shell = orvane::shell;
namespace hid = orvane::hid;
namespace img = orvane::link::image;

namespace {

constexpr int kMacroKey1 = 108;

// The real macro manager panel on the window's store with a scripted hook and clock; the key map
// panel gives the clicked key macro 0.
class Panels final : public shell::PanelHost {
public:
    Panels(shell::CVelkorDlg& window, ScriptedHook& hook, ManualClock& clock, orvane::ui::UserDialogs& dialogs)
        : m_dlg(window.macros(), m_names, dialogs, window.images(), false, &window, &hook, &clock)
    {}
    bool runMacroManager(QWidget*) override { return m_dlg.run(); }
    bool runKeyMap(QWidget*, const shell::KeyMapRequest& r, orvane::keymap::PendingAssignment& p,
                   uint8_t& enabled) override
    {
        keyMapKey = r.key;
        p.category = orvane::keymap::acMacro;
        p.macroIndex = 0;
        enabled = 1;
        return true;
    }
    CMacroRecordDlg& dialog() { return m_dlg; }
    int keyMapKey = -1;

private:
    orvane::keymap::KeyNameTable m_names = orvane::keymap::BuildKeyNameTable();
    CMacroRecordDlg m_dlg;
};

struct EndToEnd : ::testing::Test, orvane::test::EmulatedMainWindow {
    ScriptedHook hook;
    ManualClock clock;
    Panels* panels = nullptr;

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void SetUp() override
    {
        ASSERT_TRUE(orvane::test::skinImagesBuilt({"png/english/MacroManagement/MacroManagement.png"}));
        ASSERT_NO_FATAL_FAILURE(connectKeyboard({.trace = true, .stateFile = true}));
        ASSERT_TRUE(start(context(), [this](shell::CVelkorDlg& w) {
            auto host = std::make_unique<Panels>(w, hook, clock, dialogs);
            panels = host.get();
            w.setPanelHost(std::move(host));
        }));
    }
    void TearDown() override { closeWindow(); }

    void click(int x, int y) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void key(uint8_t vk, bool release)
    {
        clock.advanceMs(40);
        KeyHookEvent e(vk, release);
        QApplication::sendEvent(&panels->dialog(), &e);
    }
    std::vector<std::string> sent(const std::string& prefix) const
    {
        std::vector<std::string> out;
        std::ifstream in(path("trace.txt").toStdString());
        for (std::string line; std::getline(in, line);) {
            const std::string rest = line.substr(line.find(' ') + 1);
            if (rest.rfind("emulator:cmd " + prefix, 0) == 0)
                out.push_back(rest);
        }
        return out;
    }
};

}   // namespace

TEST_F(EndToEnd, ARecordedMacroOnMacroKey1ReachesTheKeyboard)
{
    dialogs.answerPanel([this](QDialog&) {
        CMacroRecordDlg& d = panels->dialog();
        d.clickButton(kBtnNew);
        d.clickButton(kBtnRecord);
        key(0x41, false);
        key(0x41, true);
        key(0x42, false);
        key(0x42, true);
        d.clickButton(kBtnRecord);
        d.clickButton(kBtnUseLoops);
        d.loopBox()->setText(QStringLiteral("12"));
        d.clickButton(kBtnOk);
        return d.result();
    });
    click(100, window->panel().macroBarY() + 15);
    ASSERT_EQ(dialogs.pendingAnswers(), 0u) << "the macro manager did not open";

    QFile macroFile(path("MacroDefine.bin"));
    ASSERT_TRUE(macroFile.open(QIODevice::ReadOnly));
    const QByteArray stored = macroFile.readAll();
    ASSERT_EQ(stored.size(), qsizetype(kMacroStoreSize));
    MacroRecord r{};
    std::copy_n(reinterpret_cast<const uint8_t*>(stored.data()), rec::kSize, r.begin());
    EXPECT_EQ(recordName(r), u"Macro_001");
    EXPECT_EQ(loopCount(r), 12);

    const auto names = orvane::keymap::BuildKeyNameTable();
    const uint8_t a = names.usage(0x41), b = names.usage(0x42);
    std::array<uint8_t, 192> block{};
    block[0] = 0;
    block[1] = 12;
    const uint8_t events[] = {0x01, a, 0x81, a, 0x01, b, 0x81, b};
    std::copy(std::begin(events), std::end(events), block.begin() + 2);

    const auto& r1 = orvane::keymap::KeyLayoutTable[kMacroKey1].rect;
    click(shell::kKeyboardLeft + (r1.left + r1.right) / 2, shell::kKeyboardTop + (r1.top + r1.bottom) / 2);
    EXPECT_EQ(panels->keyMapKey, kMacroKey1);
    QFile::resize(path("trace.txt"), 0);
    click(950, 620);   // Save
    window->keyboardLink().WaitForIdle();
    const std::vector<std::string> writes = sent("SF 00 11 ");
    ASSERT_EQ(writes.size(), 1u);
    const auto& kb = emulator->image();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), kb.begin() + img::kMacroBlocks));

    QFile state(statePath());
    ASSERT_TRUE(state.open(QIODevice::ReadOnly));
    const QByteArray s = state.readAll();
    ASSERT_GE(s.size(), qsizetype(img::kMacroBlocks + 192));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), reinterpret_cast<const uint8_t*>(s.data()) + img::kMacroBlocks));
}

TEST_F(EndToEnd, CancelAfterRecordingChangesNoFileStoreOrImage)
{
    QFile macroFile(path("MacroDefine.bin"));
    ASSERT_TRUE(macroFile.open(QIODevice::ReadOnly));
    const QByteArray fileBefore = macroFile.readAll();
    macroFile.close();
    const auto savedBefore = window->macros().saved();
    const orvane::link::ConfigImage imageBefore = window->store().image();
    dialogs.answerPanel([this](QDialog&) {
        CMacroRecordDlg& d = panels->dialog();
        d.clickButton(kBtnNew);
        d.clickButton(kBtnRecord);
        key(0x41, false);
        key(0x41, true);
        d.loopBox()->setText(QStringLiteral("0"));
        EXPECT_EQ(d.loopBox()->text(), QStringLiteral("1"));   // 0 becomes 1
        d.clickButton(kBtnCancel);
        return d.result();
    });
    click(100, window->panel().macroBarY() + 15);
    ASSERT_EQ(dialogs.pendingAnswers(), 0u);
    EXPECT_FALSE(hook.installed);
    ASSERT_TRUE(macroFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(macroFile.readAll(), fileBefore);
    EXPECT_EQ(window->macros().saved(), savedBefore);
    EXPECT_EQ(window->store().image(), imageBefore);
}

TEST_F(EndToEnd, DeletedLastMacroStopsPlayingOnTheKeyboardAfterSave)
{
    const auto names = orvane::keymap::BuildKeyNameTable();
    const auto stateBlock = [this](std::size_t n) {
        QFile state(statePath());
        EXPECT_TRUE(state.open(QIODevice::ReadOnly));
        const QByteArray s = state.readAll();
        const std::size_t at = img::macroBlock(n);
        std::array<uint8_t, 192> b{};
        if (s.size() >= qsizetype(at + b.size()))
            std::copy_n(reinterpret_cast<const uint8_t*>(s.data()) + at, b.size(), b.begin());
        return b;
    };
    // Two recorded macros, the second one with 7 loops, saved to the keyboard.
    dialogs.answerPanel([this](QDialog&) {
        CMacroRecordDlg& d = panels->dialog();
        for (uint8_t vk : {uint8_t(0x41), uint8_t(0x42)}) {
            d.clickButton(kBtnNew);
            d.clickButton(kBtnRecord);
            key(vk, false);
            key(vk, true);
            d.clickButton(kBtnRecord);
        }
        d.clickButton(kBtnUseLoops);
        d.loopBox()->setText(QStringLiteral("7"));
        d.clickButton(kBtnOk);
        return d.result();
    });
    click(100, window->panel().macroBarY() + 15);
    ASSERT_EQ(dialogs.pendingAnswers(), 0u) << "the macro manager did not open";
    click(950, 620);   // Save
    window->keyboardLink().WaitForIdle();
    const std::array<uint8_t, 192> played = stateBlock(1);
    ASSERT_EQ(played[1], 7);
    ASSERT_EQ(played[3], names.usage(0x42));

    // Macro_002 deleted, OK, Save: block 1 is empty and plays once.
    dialogs.answerPanel([this](QDialog&) {
        CMacroRecordDlg& d = panels->dialog();
        d.macroList()->setCurrentRow(1);
        EXPECT_EQ(d.manager().selectedMacro(), 1);
        d.clickButton(kBtnDelete);
        d.clickButton(kBtnOk);
        return d.result();
    });
    dialogs.answerMessage(orvane::ui::MessageResult::Ok);   // "Confirm to delete?"
    click(100, window->panel().macroBarY() + 15);
    ASSERT_EQ(dialogs.pendingAnswers(), 0u);
    click(950, 620);   // Save
    window->keyboardLink().WaitForIdle();
    std::array<uint8_t, 192> empty{};
    empty[1] = 1;
    EXPECT_EQ(stateBlock(1), empty);
    EXPECT_EQ(stateBlock(0)[3], names.usage(0x41));
}
