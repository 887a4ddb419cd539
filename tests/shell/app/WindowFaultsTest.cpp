// The main window on an emulated keyboard that misbehaves as its fault plan says: reads whose
// command failed, a keyboard that stops answering, and what the user then sees and saves.

#include "model/ConfigImage.h"
#include "emulator/Emulator.h"
#include "emulator/FaultPlan.h"
#include "platform/hid/Trace.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"
#include "tests/support/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

using namespace orvane;
using namespace orvane::shell;
namespace img = link::image;

namespace {

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

class WindowFaults : public ::testing::Test, protected test::EmulatedMainWindow {
protected:
    void SetUp() override
    {
        hid::EmulatorState state = hid::factoryState();
        state.image = keyboardImage();
        writeFile(statePath(), hid::encodeState(state));
        // keymap.bin from an earlier run on this keyboard: it holds what the keyboard holds.
        QByteArray keymap(int(link::kKeymapFileSize), '\0');
        std::copy(state.image.begin(), state.image.end(), keymap.begin());
        writeFile(dir.filePath("keymap.bin"), keymap);

        ASSERT_NO_FATAL_FAILURE(connectKeyboard({.trace = true, .stateFile = true}));
    }

    void TearDown() override { closeWindow(); }

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

    void start() { ASSERT_TRUE(EmulatedMainWindow::start()); }

    void click(int x, int y) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void save() { click(950, 620); }

    // Does `action` (a click that starts a link operation), then runs the window's event loop
    // until `done` holds or `limit` passes, clicking the Light section's header now and then:
    // each click must fold or unfold it at once. Returns how long it took from the action on;
    // `longestStall` is the longest time the loop did not turn, the action included.
    template <typename Action, typename Pred>
    std::chrono::milliseconds answerClicksUntil(Action action, Pred done,
                                                std::chrono::seconds limit = std::chrono::seconds(10))
    {
        using Clock = std::chrono::steady_clock;
        const Clock::time_point start = Clock::now();
        action();
        Clock::time_point last = start, lastClick = start;
        longestStall = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
        while (!done() && Clock::now() - start < limit) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            const Clock::time_point now = Clock::now();
            longestStall = std::max(longestStall, std::chrono::duration_cast<std::chrono::milliseconds>(now - last));
            if (now - lastClick > std::chrono::milliseconds(50)) {
                const bool collapsed = window->panel().lightCollapsed();
                click(100, 118);
                ++clicks;
                EXPECT_NE(window->panel().lightCollapsed(), collapsed) << "a click was not answered";
                lastClick = Clock::now();
            }
            last = Clock::now();
        }
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    }
    bool asked(const QString& caption) const
    {
        for (const ui::ScriptedUserDialogs::Question& q : dialogs.asked())
            if (q.caption == caption)
                return true;
        return false;
    }
    std::chrono::milliseconds longestStall{};
    int clicks = 0;

    // Command reports sent since the trace was last cleared.
    std::vector<std::string> sent() const
    {
        std::vector<std::string> out;
        std::ifstream in(tracePath().toStdString());
        for (std::string line; std::getline(in, line);)
            if (const std::size_t at = line.find(" SF "); at != std::string::npos)
                out.push_back(line.substr(at + 4));
        return out;
    }
    void clearTrace() const { QFile(tracePath()).resize(0); }
};

// Set-features of the start-up read-all, counted from 1: SetGameModeOne, GetDeviceInfo,
// GetLighting, ReadColour 0..6, GetGameMode, GetReportRate, GetResponseTime.
TEST_F(WindowFaults, AFailedCommandOfAnAnsweredReadLeavesTheImageAndSaveSendsOnlyTheEdit)
{
    const std::pair<const char*, const char*> cases[] = {
        {"sf-fail@3", "GetLighting"},  {"sf-fail@4", "ReadColour 0"},   {"sf-fail@10", "ReadColour 6"},
        {"sf-fail@11", "GetGameMode"}, {"sf-fail@12", "GetReportRate"}, {"sf-fail@13", "GetResponseTime"},
    };
    for (const auto& [faults, read] : cases) {
        SCOPED_TRACE(read);
        TearDown();
        SetUp();
        plan(faults);
        const std::size_t asked = dialogs.asked().size();
        dialogs.answerMessage(ui::MessageResult::Ok);   // the read-all stops there and says so
        start();
        ASSERT_EQ(dialogs.asked().size(), asked + 1);
        EXPECT_EQ(dialogs.asked().back().caption, QStringLiteral("QX410-Orvane"));
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

// The window thread may be busy for a moment (a paint, a click) but never waits out a time-out
// of the link: that is at least half a second.
constexpr std::chrono::milliseconds kNoLinkWait{450};
constexpr std::chrono::seconds kGiveUp{2};
const QString kReadCaption = QStringLiteral("QX410-Orvane");
const QString kSaveCaption = QStringLiteral("Save");
const QString kFactoryCaption = QStringLiteral("Factory Setting");

// A keyboard that sends no bulk input reports and no acknowledgements.
constexpr char kSilent[] = "read-stall@1x*,no-ack@1x*";

TEST_F(WindowFaults, SilentKeyboardAtStartUpIsGivenUpOnWhileTheWindowAnswers)
{
    plan(kSilent);
    dialogs.answerMessage(ui::MessageResult::Ok);
    window = std::make_unique<CVelkorDlg>(context());
    ASSERT_TRUE(window->initialise());
    window->show();
    const auto took = answerClicksUntil([] {}, [&] { return asked(kReadCaption); });
    ASSERT_TRUE(asked(kReadCaption)) << "the start-up read did not give up";
    EXPECT_LT(took, kGiveUp);
    EXPECT_LT(longestStall, kNoLinkWait);
    EXPECT_GT(clicks, 0);
    // What keymap.bin held stays in the window and in the shadow: nothing was confirmed.
    EXPECT_EQ(window->store().image(), keyboardImage());
    EXPECT_EQ(window->store().shadowImage(), keyboardImage());
}

TEST_F(WindowFaults, SaveRightAfterStartOnASilentKeyboardGivesUpWithinTwoSeconds)
{
    plan(kSilent);
    dialogs.answerMessage(ui::MessageResult::Ok);   // the start-up read
    dialogs.answerMessage(ui::MessageResult::Ok);   // the Save
    window = std::make_unique<CVelkorDlg>(context());
    ASSERT_TRUE(window->initialise());
    window->show();
    window->store().image()[img::macroBlock(3)] = 7;   // an area the read never reaches
    const auto took = answerClicksUntil([&] { save(); }, [&] { return asked(kSaveCaption); });
    ASSERT_TRUE(asked(kSaveCaption)) << "Save did not give up";
    EXPECT_LT(took, kGiveUp);
    EXPECT_LT(longestStall, kNoLinkWait);
    EXPECT_EQ(window->store().shadowImage()[img::macroBlock(3)], 0) << "nothing was confirmed";
    EXPECT_EQ(window->store().image()[img::macroBlock(3)], 7) << "the edit is kept for the next Save";
}

TEST_F(WindowFaults, SaveWithoutAcknowledgementsKeepsTheWindowAnswering)
{
    plan("no-ack@1x*");
    start();
    window->store().image()[img::kResponseTime] = 9;
    dialogs.answerMessage(ui::MessageResult::Ok);
    const auto took = answerClicksUntil([&] { save(); }, [&] { return asked(kSaveCaption); });
    ASSERT_TRUE(asked(kSaveCaption));
    EXPECT_LT(took, kGiveUp);
    EXPECT_LT(longestStall, kNoLinkWait);
    EXPECT_EQ(window->store().shadowImage()[img::kResponseTime], 5);
    EXPECT_EQ(window->store().image()[img::kResponseTime], 9) << "the edit is kept for the next Save";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The start-up read takes 145 bulk input reports; every later one stalls.
constexpr char kStallAfterStartUp[] = "read-stall@146x*";

TEST_F(WindowFaults, FactoryResetWhoseReadBackStallsGivesUpWhileTheWindowAnswers)
{
    plan(kStallAfterStartUp);
    start();
    dialogs.answerMessage(ui::MessageResult::Ok);   // "Confirm to return Factory Setting?"
    dialogs.answerMessage(ui::MessageResult::Ok);   // the failure
    const auto took = answerClicksUntil([&] { click(820, 620); }, [&] { return dialogs.asked().size() == 2; });
    ASSERT_EQ(dialogs.asked().size(), 2u) << "the factory reset did not give up";
    EXPECT_EQ(dialogs.asked()[1].caption, kFactoryCaption);
    EXPECT_LT(took, kGiveUp);
    EXPECT_LT(longestStall, kNoLinkWait);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowFaults, ArrivalRefreshThatStallsGivesUpWhileTheWindowAnswers)
{
    plan(kStallAfterStartUp);
    start();
    dialogs.answerMessage(ui::MessageResult::Ok);
    answerClicksUntil(
        [&] { emulator->unplug(); },
        [&] { return !window->keyboardLink().commandOpen() && !window->keyboardLink().hotplugPending(); });
    ASSERT_FALSE(window->keyboardLink().commandOpen());
    const auto took = answerClicksUntil([&] { emulator->replug(); }, [&] { return asked(kReadCaption); });
    ASSERT_TRUE(asked(kReadCaption)) << "the refresh did not give up";
    EXPECT_LT(took, kGiveUp);
    EXPECT_LT(longestStall, kNoLinkWait);
    EXPECT_TRUE(window->keyboardLink().commandOpen());
}

}   // namespace
