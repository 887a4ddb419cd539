// The firmware rule and the companions: which versions offer the updater, the prompt's texts,
// what OK and Cancel start, and the paths the help menu's rows start, all through the seam.

#include "platform/ui/UserDialogs.h"
#include "shell/app/Companions.h"
#include "shell/app/Firmware.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::shell;

namespace {

class RecordingStarter final : public CompanionStarter {
public:
    bool startProgram(const QString& program) override
    {
        started->push_back(program);
        return *works;
    }
    bool openUrl(const QString& url) override
    {
        opened->push_back(url);
        return *works;
    }
    std::shared_ptr<bool> works = std::make_shared<bool>(true);
    std::shared_ptr<QStringList> started = std::make_shared<QStringList>();
    std::shared_ptr<QStringList> opened = std::make_shared<QStringList>();
};

platform::FirmwareVersion v(uint8_t major, uint8_t minor)
{
    return {major, minor};
}

struct RuleCase {
    platform::FirmwareVersion shipped, keyboard;
    bool offered;
};

class FirmwareRule : public ::testing::TestWithParam<RuleCase> {};

TEST_P(FirmwareRule, OffersOnlyANewerShippedVersion)
{
    const RuleCase& c = GetParam();
    EXPECT_EQ(firmwareUpdateOffered(c.keyboard, c.shipped), c.offered)
        << "VER.bin " << int(c.shipped.major) << '.' << int(c.shipped.minor) << " against keyboard "
        << int(c.keyboard.major) << '.' << int(c.keyboard.minor);
}

INSTANTIATE_TEST_SUITE_P(Versions, FirmwareRule,
                         ::testing::Values(RuleCase{v(1, 2), v(1, 1), true},    // newer minor
                                           RuleCase{v(1, 2), v(1, 2), false},   // the same
                                           RuleCase{v(1, 2), v(2, 0), false},   // keyboard's major newer
                                           RuleCase{v(2, 0), v(1, 9), true},    // major decides first
                                           RuleCase{v(1, 9), v(2, 0), false},
                                           RuleCase{v(0, 0), v(1, 1), false},   // no VER.bin
                                           RuleCase{v(0, 0), v(0, 0), false},   // no VER.bin, no answer
                                           RuleCase{v(0, 1), v(0, 0), true},    // keyboard never answered
                                           RuleCase{v(1, 0), v(0, 0), true}));

class CompanionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
    }
    void TearDown() override { EXPECT_EQ(dialogs.pendingAnswers(), 0u); }

    std::unique_ptr<Companions> make(bool chinese = false, const QString& folder = QStringLiteral("/opt/qx410/"))
    {
        auto s = std::make_unique<RecordingStarter>();
        started = s->started;
        opened = s->opened;
        works = s->works;
        return createCompanions({dialogs, folder, chinese}, std::move(s));
    }

    ui::ScriptedUserDialogs dialogs;
    std::shared_ptr<QStringList> started, opened;
    std::shared_ptr<bool> works;
};

TEST_F(CompanionsTest, OkStartsTheUpdaterFromTheInstallFolder)
{
    auto companions = make();
    dialogs.answerMessage(ui::MessageResult::Ok);
    companions->checkFirmware(nullptr, v(1, 1), v(1, 2));
    ASSERT_EQ(dialogs.asked().size(), 1u);
    const auto& q = dialogs.asked()[0];
    EXPECT_EQ(q.text, QString::fromUtf8("Update new firmware\xEF\xBC\x9F"));
    EXPECT_EQ(q.text.back(), QChar(0xFF1F));
    EXPECT_EQ(q.caption, QStringLiteral("Firmware Update"));
    EXPECT_EQ(q.buttons, ui::MessageButtons::OkCancel);
    EXPECT_EQ(*started, QStringList{QStringLiteral("/opt/qx410/QX410-Orvane_Update")});
    EXPECT_TRUE(opened->isEmpty());
}

TEST_F(CompanionsTest, CancelStartsNothingAndTheNextReadAsksAgain)
{
    auto companions = make(true);
    dialogs.answerMessage(ui::MessageResult::Cancel);
    companions->checkFirmware(nullptr, v(0, 0), v(1, 2));
    EXPECT_TRUE(started->isEmpty());
    dialogs.answerMessage(ui::MessageResult::Cancel);
    companions->checkFirmware(nullptr, v(0, 0), v(1, 2));
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[1].text, QString::fromUtf8("更新到新的固件吗？"));
    EXPECT_EQ(dialogs.asked()[1].caption, QString::fromUtf8("固件更新"));
    EXPECT_TRUE(started->isEmpty());
}

TEST_F(CompanionsTest, NoPromptWhenTheKeyboardIsUpToDate)
{
    auto companions = make();
    companions->checkFirmware(nullptr, v(1, 2), v(1, 2));
    companions->checkFirmware(nullptr, v(1, 1), v(0, 0));
    EXPECT_TRUE(dialogs.asked().empty());
    EXPECT_TRUE(started->isEmpty());
}

TEST_F(CompanionsTest, HelpRowsStartTheirCompanions)
{
    auto companions = make();
    companions->openWebPage(nullptr);
    companions->startUpdater(nullptr);
    companions->startLcdTool(nullptr);
    EXPECT_EQ(*started,
              (QStringList{QStringLiteral("/opt/qx410/QX410-Orvane_Update"), QStringLiteral("/opt/qx410/Lumetra")}));
    ASSERT_EQ(opened->size(), 1);
    const QUrl url(opened->front());
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QStringLiteral("https"));
    // The help menu's first row shows this host name.
    EXPECT_EQ(url.host(), QStringLiteral("www.qx410-orvane.example"));
    EXPECT_TRUE(dialogs.asked().empty());
}

// A row whose companion cannot be started says so, in the window's language: a program that is
// not in the install folder, one that is there but does not start, or no browser.
TEST_F(CompanionsTest, HelpRowsThatCannotStartSayWhatIsMissing)
{
    QTemporaryDir install;
    const QString folder = install.path() + u'/';
    QFile lumetra(folder + QStringLiteral("Lumetra"));   // present, but it cannot be started
    ASSERT_TRUE(lumetra.open(QIODevice::WriteOnly));
    lumetra.close();
    struct Case {
        bool chinese;
        void (Companions::*row)(QWidget*);
        QString text;
    };
    const QString updater = folder + QStringLiteral("QX410-Orvane_Update"), lcd = folder + QStringLiteral("Lumetra");
    const QString page = QString::fromLatin1(kMakerWebPage);
    const Case cases[] = {
        {false, &Companions::startUpdater,
         QStringLiteral("The firmware updater is not in the program folder:\n") + updater},
        {true, &Companions::startUpdater, QString::fromUtf8("程序文件夹中没有驱动更新程序：\n") + updater},
        {false, &Companions::startLcdTool, QStringLiteral("The LCD program could not be started:\n") + lcd},
        {true, &Companions::startLcdTool, QString::fromUtf8("LCD 设置程序无法启动：\n") + lcd},
        {false, &Companions::openWebPage,
         QStringLiteral("No web browser could be opened for %1. Install or choose a default browser.").arg(page)},
        {true, &Companions::openWebPage,
         QString::fromUtf8("没有可以打开网页 %1 的浏览器。请安装或设置默认浏览器。").arg(page)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        auto companions = make(c.chinese, folder);
        *works = false;
        dialogs.answerMessage(ui::MessageResult::Ok);
        const std::size_t before = dialogs.asked().size();
        ((*companions).*c.row)(nullptr);
        ASSERT_EQ(dialogs.asked().size(), before + 1);
        EXPECT_EQ(dialogs.asked().back().text, c.text);
        EXPECT_EQ(dialogs.asked().back().caption, QStringLiteral("QX410-Orvane"));
        EXPECT_EQ(dialogs.asked().back().icon, ui::MessageIcon::Warning);
    }
    // A companion that starts says nothing.
    auto companions = make(false, folder);
    const std::size_t before = dialogs.asked().size();
    companions->startLcdTool(nullptr);
    EXPECT_EQ(dialogs.asked().size(), before);
}

// A message box runs a nested event loop: a second keyboard read arriving while the prompt waits
// must not open a second prompt over it.
class ReenteringDialogs final : public ui::UserDialogs {
public:
    ui::MessageResult message(QWidget*, const QString&, const QString&, ui::MessageButtons, ui::MessageIcon) override
    {
        ++asked;
        if (reenter)
            std::exchange(reenter, nullptr)();
        return ui::MessageResult::Ok;
    }
    QString openFile(QWidget*, const ui::FileRequest&) override { return {}; }
    QString saveFile(QWidget*, const ui::FileRequest&) override { return {}; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return {}; }
    int runModal(QDialog&) override { return 0; }
    std::function<void()> reenter;
    int asked = 0;
};

TEST(CompanionsPrompt, ASecondReadDuringThePromptDoesNotStackAnother)
{
    ReenteringDialogs dialogs;
    auto s = std::make_unique<RecordingStarter>();
    auto started = s->started;
    auto companions = createCompanions({dialogs, QStringLiteral("/x/"), false}, std::move(s));
    dialogs.reenter = [&] { companions->checkFirmware(nullptr, v(1, 1), v(1, 2)); };
    companions->checkFirmware(nullptr, v(1, 1), v(1, 2));
    EXPECT_EQ(dialogs.asked, 1);
    EXPECT_EQ(started->size(), 1);
    // Once answered, the next read asks again.
    companions->checkFirmware(nullptr, v(1, 1), v(1, 2));
    EXPECT_EQ(dialogs.asked, 2);
}

}   // namespace
