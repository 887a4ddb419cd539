// The main window on an emulated keyboard that misbehaves as its fault plan says: reads whose
// command failed, a keyboard that stops answering, and what the user then sees and saves.

#include "link/ConfigImage.h"
#include "platform/hid/Emulator.h"
#include "platform/hid/FaultPlan.h"
#include "platform/hid/Trace.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

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

QString binFolder()
{
    const QByteArray bin = qgetenv("ORVANE_BIN_DIR");
    return bin.isEmpty() ? QString() : QString::fromLocal8Bit(bin) + u'/';
}

// What the keyboard holds: something else than the factory state in every answered field, so
// that an answer stored in the wrong place shows.
link::ConfigImage keyboardImage()
{
    link::ConfigImage im = hid::factoryImage();
    im[img::kEffect] = 3;
    im[img::kSpeed] = 7;
    im[img::kBrightness] = 20;
    im[img::kColour] = 2;
    im[img::kDirection] = 4;
    for (std::size_t i = 0; i < img::kColourCount; ++i)
        for (std::size_t c = 0; c < img::kColourEntrySize; ++c)
            im[img::colourEntry(i) + c] = uint8_t(0x10 * (i + 1) + c);
    im[img::kGameMode] = 1;
    im[img::kReportRate] = 2;
    im[img::kResponseTime] = 5;
    return im;
}

class WindowFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (binFolder().isEmpty() || !QFile::exists(binFolder() + "png/english/main.png"))
            GTEST_SKIP() << "the skin images are not built";
        hid::EmulatorState state = hid::factoryState();
        state.image = keyboardImage();
        writeFile(dir.filePath("keyboard.state"), hid::encodeState(state));
        // keymap.bin from an earlier run on this keyboard: it holds what the keyboard holds.
        QByteArray keymap(int(link::kKeymapFileSize), '\0');
        std::copy(state.image.begin(), state.image.end(), keymap.begin());
        writeFile(dir.filePath("keymap.bin"), keymap);

        std::string error;
        emulator = hid::Emulator::withStateFile(dir.filePath("keyboard.state").toStdString(), error);
        ASSERT_TRUE(emulator) << error;
        sink = hid::TraceSink::open(dir.filePath("trace.txt").toStdString(), error);
        ASSERT_TRUE(sink) << error;
        backend = std::make_unique<hid::TraceBackend>(std::make_unique<hid::EmulatorBackend>(emulator), sink);
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
    }

    void TearDown() override
    {
        window.reset();
        EXPECT_EQ(dialogs.pendingAnswers(), 0u);
    }

    template <typename Bytes>
    static void writeFile(const QString& path, const Bytes& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }

    void plan(const char* faults)
    {
        std::string error;
        std::optional<hid::FaultPlan> p = hid::FaultPlan::parse(faults, error);
        ASSERT_TRUE(p) << error;
        emulator->setFaultPlan(std::move(*p));
    }

    void start()
    {
        ShellContext ctx{.backend = *backend,
                         .dialogs = dialogs,
                         .sleeper = sleeper,
                         .launcher = launcher,
                         .installFolder = binFolder(),
                         .dataFolder = dir.path() + u'/',
                         .verBinPath = dir.filePath("VER.bin"),
                         .showSplash = false,
                         .useTray = false,
                         .hotplugDelays = {0, 0, 0}};
        window = std::make_unique<CVelkorDlg>(ctx);
        ASSERT_TRUE(window->initialise());
        window->show();
        window->keyboardLink().WaitForStartupRead();
        QCoreApplication::processEvents();
    }

    void click(int x, int y) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void save() { click(950, 620); }

    // Command reports sent since the trace was last cleared.
    std::vector<std::string> sent() const
    {
        std::vector<std::string> out;
        std::ifstream in(dir.filePath("trace.txt").toStdString());
        for (std::string line; std::getline(in, line);)
            if (const std::size_t at = line.find(" SF "); at != std::string::npos)
                out.push_back(line.substr(at + 4));
        return out;
    }
    void clearTrace() const { QFile(dir.filePath("trace.txt")).resize(0); }

    QTemporaryDir dir;
    std::shared_ptr<hid::Emulator> emulator;
    std::shared_ptr<hid::TraceSink> sink;
    std::unique_ptr<hid::Backend> backend;
    ui::ScriptedUserDialogs dialogs;
    NoSleeper sleeper;
    NoLauncher launcher;
    std::unique_ptr<CVelkorDlg> window;
};

// Set-features of the start-up read-all, counted from 1: SetGameModeOne, GetDeviceInfo,
// GetLighting, ReadColour 0..6, GetGameMode, GetReportRate, GetResponseTime.
TEST_F(WindowFaults, AFailedCommandOfAnAnsweredReadLeavesTheImageAndSaveSendsOnlyTheEdit)
{
    const std::pair<const char*, const char*> cases[] = {
        {"sf-fail@3", "GetLighting"},      {"sf-fail@4", "ReadColour 0"},      {"sf-fail@10", "ReadColour 6"},
        {"sf-fail@11", "GetGameMode"},     {"sf-fail@12", "GetReportRate"},    {"sf-fail@13", "GetResponseTime"},
    };
    for (const auto& [faults, read] : cases) {
        SCOPED_TRACE(read);
        TearDown();
        SetUp();
        plan(faults);
        start();
        const link::ConfigImage keyboard = keyboardImage();
        for (std::size_t i = 0; i < link::kConfigImageSize; ++i)
            ASSERT_EQ(window->store().image()[i], keyboard[i]) << "image byte " << i;

        window->slider(controls::kBrightnessSliderId).setValue(33);   // the user's one edit
        clearTrace();
        save();
        window->keyboardLink().WaitForStartupRead();
        EXPECT_EQ(sent(), std::vector<std::string>{"00 08 02 03 03 21 02 04 c8"}) << "the end report alone";
        link::ConfigImage expected = keyboard;
        expected[img::kBrightness] = 33;
        EXPECT_EQ(emulator->image(), expected);
    }
}

} // namespace
