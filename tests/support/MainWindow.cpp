#include "tests/support/MainWindow.h"

#include <QCoreApplication>

namespace orvane::test {

void EmulatedMainWindow::connectKeyboard(Keyboard keyboard)
{
    ASSERT_TRUE(dir.isValid()) << "no temporary folder";
    ASSERT_TRUE(skinImagesBuilt({"png/english/main.png", "png/chinese/main.png"}));
    std::string error;
    if (keyboard.stateFile) {
        emulator = hid::Emulator::withStateFile(statePath().toStdString(), error);
        ASSERT_TRUE(emulator) << error;
    } else {
        emulator = hid::Emulator::create();
    }
    std::unique_ptr<hid::Backend> inner = std::make_unique<hid::EmulatorBackend>(emulator);
    if (keyboard.trace) {
        sink = hid::TraceSink::open(tracePath().toStdString(), error);
        ASSERT_TRUE(sink) << error;
        backend = std::make_unique<hid::TraceBackend>(std::move(inner), sink);
    } else {
        backend = std::move(inner);
    }
    dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
}

shell::ShellContext EmulatedMainWindow::context(model::Language language)
{
    return shell::ShellContext{.backend = *backend,
                               .dialogs = dialogs,
                               .sleeper = sleeper,
                               .launcher = *launcherInUse,
                               .installFolder = programFolder(),
                               .dataFolder = dir.path() + u'/',
                               .verBinPath = dir.filePath(QStringLiteral("VER.bin")),
                               .language = language,
                               .showSplash = false,
                               .useTray = false,
                               .hotplugDelays = {0, 0, 0}};
}

bool EmulatedMainWindow::start(const shell::ShellContext& ctx, const std::function<void(shell::CVelkorDlg&)>& before)
{
    window = std::make_unique<shell::CVelkorDlg>(ctx);
    if (before)
        before(*window);
    const bool shown = window->initialise();
    if (shown)
        window->show();
    window->keyboardLink().WaitForStartupRead();
    QCoreApplication::processEvents();
    return shown;
}

void EmulatedMainWindow::closeWindow()
{
    window.reset();
    EXPECT_EQ(dialogs.pendingAnswers(), 0u) << "scripted answers left unused";
}

}   // namespace orvane::test
