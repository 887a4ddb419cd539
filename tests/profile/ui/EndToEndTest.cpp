// The profile panel from the main window on the emulated keyboard: a profile saved, the configuration
// changed on the keyboard, the profile loaded, and the main Save sends the loaded configuration; the
// window refreshes after the panel however it closed.

#include "ui/CTransparentListBox.h"
#include "emulator/Emulator.h"
#include "platform/ui/UserDialogs.h"
#include "profile/ui/CConfigureDlg.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"

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

class NoSleeper final : public link::Sleeper {
public:
    void sleep(int) override {}
    void yield() override {}
};

class NoLauncher final : public Launcher {
public:
    void openPath(const QString&) override {}
    void startProgram(const QString&, const QString&) override {}
};

QString binFolder() { return qEnvironmentVariable("ORVANE_BIN_DIR") + u'/'; }

class ProfileEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(binFolder() + "png/english/Config/Config.png") ||
            !QFile::exists(binFolder() + "png/english/main.png"))
            GTEST_SKIP() << "the skin images are not built";
        QDir(dir.path()).mkpath("Configure");
        emulator = hid::Emulator::create();
        backend = std::make_unique<hid::EmulatorBackend>(emulator);
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
        ShellContext ctx{.backend = *backend,
                         .dialogs = dialogs,
                         .sleeper = sleeper,
                         .launcher = launcher,
                         .installFolder = binFolder(),
                         .dataFolder = dir.path() + u'/',
                         .verBinPath = dir.filePath("VER.bin"),
                         .language = platform::Language::English,
                         .showSplash = false,
                         .useTray = false,
                         .hotplugDelays = {0, 0, 0}};
        window = std::make_unique<CVelkorDlg>(ctx);
        if (window->initialise())
            window->show();
        window->keyboardLink().WaitForStartupRead();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        window.reset();
        EXPECT_EQ(dialogs.pendingAnswers(), 0u);
    }
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

    QTemporaryDir dir;
    std::shared_ptr<hid::Emulator> emulator;
    std::unique_ptr<hid::Backend> backend;
    ui::ScriptedUserDialogs dialogs;
    NoSleeper sleeper;
    NoLauncher launcher;
    std::unique_ptr<CVelkorDlg> window;
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

// However the panel closes, the window takes up what it loaded (sliders, keymap.bin).
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
            EXPECT_EQ(panel.result(), escape ? QDialog::Rejected : QDialog::Accepted);
            return panel.result();
        });
        EXPECT_EQ(window->slider(controls::kBrightnessSliderId).value(), escape ? 20 : 30);
        QFile keymap(dir.filePath("keymap.bin"));
        ASSERT_TRUE(keymap.open(QIODevice::ReadOnly));
        EXPECT_EQ(uint8_t(keymap.readAll()[int(img::kBrightness)]), escape ? 20 : 30);
    }
}

} // namespace
