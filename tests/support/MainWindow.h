#pragma once
// The main window on the emulated keyboard, offscreen, started as the program starts it: a fresh
// data folder, the build's skins, every user dialog scripted (an unexpected one fails the test),
// the link's pauses and the hot-plug waits skipped. A test fixture derives from it beside
// ::testing::Test and reaches the parts by name.

#include "emulator/Emulator.h"
#include "platform/hid/Trace.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"
#include "tests/support/NoSleeper.h"
#include "tests/support/ProgramFolder.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace orvane::test {

// Opens nothing.
class NoLauncher final : public shell::Launcher {
public:
    void openPath(const QString&) override {}
    void startProgram(const QString&, const QString&) override {}
};

// Records what it was asked to open and start ("<program> in <folder>").
class RecordingLauncher final : public shell::Launcher {
public:
    void openPath(const QString& path) override { opened.push_back(path); }
    void startProgram(const QString& program, const QString& folder) override
    {
        started.push_back(program + QStringLiteral(" in ") + folder);
    }
    QStringList opened, started;
};

class EmulatedMainWindow {
protected:
    struct Keyboard {
        bool trace = true;        // every transfer is traced to trace.txt in the data folder
        bool stateFile = false;   // the keyboard's memory lives in keyboard.state there
    };
    // The emulated keyboard and the backend the window will use; call it before start().
    void connectKeyboard(Keyboard keyboard);
    void connectKeyboard() { connectKeyboard(Keyboard{}); }

    // The window's context: the data folder and VER.bin in `dir`, no splash, no tray.
    shell::ShellContext context(model::Language language = model::Language::English);
    // Creates the window, lets `before` set it up (panel host, companions), initialises it, shows
    // it when it says so, and waits for the start-up read. Returns what initialise() answered.
    bool start(const shell::ShellContext& ctx, const std::function<void(shell::CVelkorDlg&)>& before = {});
    bool start(model::Language language = model::Language::English) { return start(context(language)); }
    // Closes the window; every scripted answer must have been used.
    void closeWindow();

    QString statePath() const { return dir.filePath(QStringLiteral("keyboard.state")); }
    QString tracePath() const { return dir.filePath(QStringLiteral("trace.txt")); }

    QTemporaryDir dir;
    std::shared_ptr<hid::Emulator> emulator;
    std::shared_ptr<hid::TraceSink> sink;
    std::unique_ptr<hid::Backend> backend;
    ui::ScriptedUserDialogs dialogs;
    NoSleeper sleeper;
    NoLauncher noLauncher;
    shell::Launcher* launcherInUse = &noLauncher;   // what the context hands the window
    std::unique_ptr<shell::CVelkorDlg> window;
};

}   // namespace orvane::test
