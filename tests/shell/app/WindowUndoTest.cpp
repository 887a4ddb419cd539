// Undo and redo in the main window: the keys (also where a slider has the focus), a slider drag
// as one step, the about-menu strip's menu naming the steps in the window's language, and the
// painted state following each step.

#include "profile/ProfileFolder.h"
#include "profile/ui/CConfigureDlg.h"
#include "shell/app/CVelkorDlg.h"
#include "ui/CTransparentListBox.h"
#include "tests/support/MainWindow.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::shell;
namespace img = link::image;

namespace {

class WindowUndoTest : public ::testing::Test, protected test::EmulatedMainWindow {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(connectKeyboard()); }
    void TearDown() override { closeWindow(); }

    controls::CBitSlider& brightness() { return window->slider(controls::kBrightnessSliderId); }
    // A drag of the brightness slider over `values`.
    void drag(std::initializer_list<int> values)
    {
        brightness().setSliderDown(true);
        for (int v : values)
            brightness().setValue(v);
        brightness().setSliderDown(false);
    }
    void key(QWidget* to, Qt::Key k, Qt::KeyboardModifiers mods) { QTest::keyClick(to, k, mods); }
    QStringList menuTexts()
    {
        const std::unique_ptr<QMenu> menu = window->buildAboutMenu();
        QStringList texts;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << (a->isEnabled() ? QString() : QStringLiteral("-")) + a->text();
        return texts;
    }
};

TEST_F(WindowUndoTest, KeysUndoAndRedoADragAsOneStepAndTheSlidersFollow)
{
    start();
    const uint8_t start = window->store().image()[img::kBrightness];
    drag({40, 30, 20, 10});
    ASSERT_EQ(window->store().image()[img::kBrightness], 10);
    brightness().setValue(11);   // a key or page step: a step of its own
    EXPECT_EQ(window->session().history().stack().count(), 2);

    key(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->store().image()[img::kBrightness], 10);
    key(&brightness(), Qt::Key_Z, Qt::ControlModifier);   // the slider passes it on
    EXPECT_EQ(window->store().image()[img::kBrightness], start);
    EXPECT_EQ(brightness().value(), start) << "the slider shows the restored level";
    EXPECT_EQ(window->session().history().stack().count(), 2) << "following the image recorded nothing";

    key(window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(brightness().value(), 10);
    key(window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(brightness().value(), 11);
    EXPECT_EQ(window->store().image()[img::kBrightness], 11);
    key(window.get(), Qt::Key_Y, Qt::ControlModifier);   // nothing left to redo
    EXPECT_EQ(window->store().image()[img::kBrightness], 11);
}

TEST_F(WindowUndoTest, MenuNamesTheStepsInTheWindowsLanguageAndActs)
{
    for (const model::Language language : {model::Language::English, model::Language::Chinese}) {
        SCOPED_TRACE(int(language));
        const bool chinese = language == model::Language::Chinese;
        start(language);
        EXPECT_EQ(menuTexts().mid(0, 2), chinese ? (QStringList{"-撤销", "-重做"}) : (QStringList{"-Undo", "-Redo"}));
        const uint8_t game = window->store().image()[img::kGameMode];
        window->panel().runStateCommand(game ? usecases::cmd::kGameOff : usecases::cmd::kGameOn);
        EXPECT_EQ(menuTexts().mid(0, 2),
                  chinese ? (QStringList{"撤销 游戏模式", "-重做"}) : (QStringList{"Undo Game Mode", "-Redo"}));
        {
            const std::unique_ptr<QMenu> menu = window->buildAboutMenu();
            menu->actions()[0]->trigger();
        }
        EXPECT_EQ(window->store().image()[img::kGameMode], game);
        EXPECT_EQ(menuTexts().mid(0, 2),
                  chinese ? (QStringList{"-撤销", "重做 游戏模式"}) : (QStringList{"-Undo", "Redo Game Mode"}));
        {
            const std::unique_ptr<QMenu> menu = window->buildAboutMenu();
            menu->actions()[1]->trigger();
        }
        EXPECT_NE(window->store().image()[img::kGameMode], game);
        closeWindow();
    }
}

// The profile panel loads through the session: each load is a step of its own.
TEST_F(WindowUndoTest, EachProfileTheProfilePanelLoadsIsAStep)
{
    start();
    const QString configure = dir.filePath(QStringLiteral("Configure"));
    ASSERT_TRUE(QDir().mkpath(configure));
    link::ConfigImage first = window->store().image();
    first[img::kEffect] = 52;
    first[img::kBrightness] = 9;
    link::ConfigImage second = first;
    second[img::kGameMode] ^= 1;
    const std::string firstPath = dir.filePath(QStringLiteral("first.bin")).toStdString();
    const std::string secondPath = dir.filePath(QStringLiteral("second.bin")).toStdString();
    ASSERT_TRUE(profile::writeProfile(firstPath, first, window->store().extTable()));
    ASSERT_TRUE(profile::writeProfile(secondPath, second, window->store().extTable()));
    ASSERT_TRUE(profile::writeProfile((configure + QStringLiteral("/Target.bin")).toStdString(), first,
                                      window->store().extTable()));
    const link::ConfigImage before = window->store().image();

    profile::ui::CConfigureDlg panel({window->store(), dialogs, window->images(), model::Language::English,
                                      configure + QLatin1Char('/'), dir.path(), sleeper,
                                      [this](profile::ProfileFolder& folder, int line, const std::string& from) {
                                          return window->session().loadProfile(folder, line, from);
                                      }},
                                     window.get());
    panel.prepare(window->geometry());
    for (const std::string& path : {firstPath, secondPath}) {
        panel.list().setCurrentRow(0);
        dialogs.answerOpenFile(QString::fromStdString(path));
        panel.runCommand(profile::ui::kCmdLoad);
    }
    EXPECT_EQ(window->store().image(), second);
    EXPECT_EQ(menuTexts().mid(0, 1), QStringList{"Undo Profile Load"});
    window->undoEdit();
    EXPECT_EQ(window->store().image(), first);
    EXPECT_EQ(brightness().value(), 9);
    window->undoEdit();
    EXPECT_EQ(window->store().image(), before);
}

}   // namespace
