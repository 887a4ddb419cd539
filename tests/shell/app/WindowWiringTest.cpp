// The main window's use of the companions on the emulated keyboard, offscreen: the firmware
// prompt after the start-up read and after an arrival but never after the profile panel, and
// the help menu's three rows.

#include "emulator/Emulator.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Companions.h"
#include "shell/app/Launcher.h"
#include "tests/support/MainWindow.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::shell;

namespace {

class NoLauncher final : public Launcher {
public:
    void openPath(const QString&) override { ADD_FAILURE() << "a host action was opened"; }
    void startProgram(const QString&, const QString&) override { ADD_FAILURE() << "a host action was started"; }
};

struct Started {
    QStringList programs, urls;
    bool works = true;   // what the starter answers
};

class RecordingStarter final : public CompanionStarter {
public:
    explicit RecordingStarter(Started& s) : s_(s) {}
    bool startProgram(const QString& program) override
    {
        s_.programs.push_back(program);
        return s_.works;
    }
    bool openUrl(const QString& url) override
    {
        s_.urls.push_back(url);
        return s_.works;
    }

private:
    Started& s_;
};

// Records what the window asks of its companions.
class RecordingCompanions final : public Companions {
public:
    struct Check {
        platform::FirmwareVersion keyboard, shipped;
    };
    explicit RecordingCompanions(std::vector<Check>& checks) : checks_(checks) {}
    void checkFirmware(QWidget*, platform::FirmwareVersion keyboard, platform::FirmwareVersion shipped) override
    {
        checks_.push_back({keyboard, shipped});
    }

private:
    std::vector<Check>& checks_;
};

QString binFolder()
{
    return test::programFolder();
}

class WiringTest : public ::testing::Test, protected test::EmulatedMainWindow {
protected:
    void SetUp() override
    {
        launcherInUse = &launcher;
        ASSERT_NO_FATAL_FAILURE(connectKeyboard({.trace = false}));   // firmware 1.1
        writeVerBin("VER: 1.2\n\n\n\n");
    }

    void TearDown() override { closeWindow(); }

    void writeVerBin(const QByteArray& bytes)
    {
        QFile f(dir.filePath("VER.bin"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // `companions` replaces the window's own before the start-up read; nullptr keeps a
    // DesktopCompanions whose starter records.
    void start(std::unique_ptr<Companions> companions = nullptr)
    {
        if (!companions)
            companions = createCompanions({dialogs, binFolder(), false}, std::make_unique<RecordingStarter>(started));
        ASSERT_TRUE(
            EmulatedMainWindow::start(context(), [&](CVelkorDlg& w) { w.setCompanions(std::move(companions)); }));
    }

    void click(int x, int y) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, y)); }

    NoLauncher launcher;
    Started started;
};

TEST_F(WiringTest, StartupReadOffersTheUpdateAndOkStartsTheUpdater)
{
    dialogs.answerMessage(ui::MessageResult::Ok);
    start();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text, QString::fromUtf8("Update new firmware？"));
    EXPECT_EQ(dialogs.asked()[0].caption, QStringLiteral("Firmware Update"));
    EXPECT_EQ(started.programs, QStringList{binFolder() + QStringLiteral("QX410-Orvane_Update")});
    EXPECT_TRUE(started.urls.isEmpty());
}

TEST_F(WiringTest, ChecksAfterKeyboardReadsButNeverAfterTheProfilePanel)
{
    std::vector<RecordingCompanions::Check> checks;
    start(std::make_unique<RecordingCompanions>(checks));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].keyboard, (platform::FirmwareVersion{1, 1}));
    EXPECT_EQ(checks[0].shipped, (platform::FirmwareVersion{1, 2}));

    window->configurationLoaded(1);   // what the profile panel sends
    EXPECT_EQ(checks.size(), 1u);

    emulator->unplug();
    emulator->replug();
    for (int i = 0; i < 500 && checks.size() < 2; ++i)
        QTest::qWait(10);
    ASSERT_GE(checks.size(), 2u) << "no check after the keyboard arrived again";
    EXPECT_EQ(checks.back().keyboard, (platform::FirmwareVersion{1, 1}));
}

TEST_F(WiringTest, CancelStartsNothing)
{
    dialogs.answerMessage(ui::MessageResult::Cancel);
    start();
    EXPECT_EQ(dialogs.asked().size(), 1u);
    EXPECT_TRUE(started.programs.isEmpty());
}

TEST_F(WiringTest, WithoutVerBinNoPrompt)
{
    QFile::remove(dir.filePath("VER.bin"));
    start();
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_TRUE(started.programs.isEmpty());
}

TEST_F(WiringTest, HelpMenuRowsStartTheCompanions)
{
    writeVerBin("VER: 1.1\n\n\n\n");   // up to date: no prompt
    start();
    constexpr QPoint kHelpButton{944, 12};
    for (int row = 0; row < 3; ++row) {
        click(kHelpButton.x(), kHelpButton.y());
        ASSERT_TRUE(window->panel().helpMenuOpen()) << "row " << row;
        click(900, 22 + 25 * row + 12);
    }
    EXPECT_EQ(started.urls, QStringList{QString::fromLatin1(kMakerWebPage)});
    EXPECT_EQ(
        started.programs,
        (QStringList{binFolder() + QStringLiteral("QX410-Orvane_Update"), binFolder() + QStringLiteral("Lumetra")}));
    EXPECT_TRUE(dialogs.asked().empty());
}

TEST_F(WiringTest, HelpMenuRowThatCannotStartSaysWhatIsMissing)
{
    writeVerBin("VER: 1.1\n\n\n\n");
    started.works = false;
    start();
    dialogs.answerMessage(ui::MessageResult::Ok);
    click(944, 12);
    click(900, 22 + 25 * 1 + 12);   // Update Firmware
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text,
              QStringLiteral("The firmware updater is not in the program folder:\n") + binFolder() +
                  QStringLiteral("QX410-Orvane_Update"));
    EXPECT_EQ(dialogs.asked()[0].caption, QStringLiteral("QX410-Orvane"));
    EXPECT_TRUE(window->isVisible());
}

}   // namespace
