// The profile panel from the main window on the emulated keyboard: a profile saved, the configuration
// changed on the keyboard, the profile loaded, and the main Save sends the loaded configuration; the
// window refreshes after the panel however it closed.

#include "ui/CTransparentListBox.h"
#include "emulator/Emulator.h"
#include "platform/ui/UserDialogs.h"
#include "profile/ui/CConfigureDlg.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"
#include "tests/support/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::shell;
namespace img = link::image;

namespace {

class ProfileEndToEnd : public ::testing::Test, protected orvane::test::EmulatedMainWindow {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(orvane::test::skinImagesBuilt({"png/english/Config/Config.png"}));
        QDir(dir.path()).mkpath("Configure");
        ASSERT_NO_FATAL_FAILURE(connectKeyboard({.trace = false}));
        start();
    }
    void TearDown() override { closeWindow(); }
    void click(int x, int y) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    // Opens the panel with the Profile button; `script` acts in it before it closes.
    void runPanel(const std::function<int(profile::ui::CConfigureDlg&)>& script)
    {
        dialogs.answerPanel([&](QDialog& d) { return script(static_cast<profile::ui::CConfigureDlg&>(d)); });
        const Rect r = window->panel().buttons()[cmd::kProfile].rect;
        click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        QTest::qWait(120);   // the window refreshes 50 ms after the panel closed
    }
    void saveToKeyboard()
    {
        click(950, 620);
        window->keyboardLink().WaitForIdle();   // the upload runs on the link thread
    }
};

TEST_F(ProfileEndToEnd, SavedProfileLoadedBackReachesTheKeyboard)
{
    const QString exported = dir.filePath("exported.bin");
    const link::ConfigImage factory = window->store().image();
    runPanel([&](profile::ui::CConfigureDlg& panel) {
        panel.runCommand(profile::ui::kCmdNew);
        panel.list().setCurrentRow(0);
        dialogs.answerSaveFile(exported);
        panel.runCommand(profile::ui::kCmdSave);
        return int(QDialog::Accepted);
    });
    ASSERT_EQ(QFile(exported).size(), 206916);
    EXPECT_EQ(QFile(dir.filePath("Configure/Profile_1.bin")).size(), 206916);

    // The configuration changes and reaches the keyboard.
    window->store().image()[img::kEffect] = 3;
    window->store().image()[img::kGameMode] = 1;
    saveToKeyboard();
    ASSERT_EQ(emulator->image()[img::kEffect], 3);

    runPanel([&](profile::ui::CConfigureDlg& panel) {
        panel.list().setCurrentRow(0);
        dialogs.answerOpenFile(exported);
        panel.runCommand(profile::ui::kCmdLoad);
        QTest::keyClick(&panel, Qt::Key_Escape);
        return panel.result();
    });
    EXPECT_EQ(window->store().image()[img::kEffect], factory[img::kEffect]);
    saveToKeyboard();
    EXPECT_EQ(emulator->image()[img::kEffect], factory[img::kEffect]);
    EXPECT_EQ(emulator->image()[img::kGameMode], factory[img::kGameMode]);
    EXPECT_EQ(window->store().image(), window->store().shadowImage());
}

// Escape or the close button: the panel ends the same way, and the window takes up what it
// loaded (sliders, keymap.bin).
TEST_F(ProfileEndToEnd, EscapeRefreshesTheMainWindowLikeTheCloseButton)
{
    for (const bool escape : {true, false}) {
        link::ConfigImage image = window->store().image();
        image[img::kBrightness] = escape ? 20 : 30;
        QFile f(dir.filePath(escape ? "bright20.bin" : "bright30.bin"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(reinterpret_cast<const char*>(image.data()), qint64(image.size()));
        f.close();
        runPanel([&](profile::ui::CConfigureDlg& panel) {
            if (panel.list().count() == 0)
                panel.runCommand(profile::ui::kCmdNew);
            panel.list().setCurrentRow(0);
            dialogs.answerOpenFile(f.fileName());
            panel.runCommand(profile::ui::kCmdLoad);
            if (escape)
                QTest::keyClick(&panel, Qt::Key_Escape);
            else
                QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(255, 17));
            EXPECT_EQ(panel.result(), QDialog::Accepted) << "Escape ends the panel as its close button does";
            return panel.result();
        });
        EXPECT_EQ(window->slider(controls::kBrightnessSliderId).value(), escape ? 20 : 30);
        QFile keymap(dir.filePath("keymap.bin"));
        ASSERT_TRUE(keymap.open(QIODevice::ReadOnly));
        EXPECT_EQ(uint8_t(keymap.readAll()[int(img::kBrightness)]), escape ? 20 : 30);
    }
}

}   // namespace
