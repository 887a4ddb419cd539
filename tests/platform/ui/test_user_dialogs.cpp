#include "platform/ui/UserDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvane::ui;

namespace {

struct Scripted : ::testing::Test {
    ScriptedUserDialogs dialogs;
    std::vector<QString> failures;
    void SetUp() override
    {
        dialogs.setFailureHandler([this](const QString& what) { failures.push_back(what); });
    }
};

TEST_F(Scripted, AnswersInOrderAndRecordsEveryQuestion)
{
    dialogs.answerMessage(MessageResult::Cancel);
    dialogs.answerOpenFile("/tmp/a.wav");
    dialogs.answerSaveFile("/tmp/p.bin");
    dialogs.answerFolder("/home/u");
    dialogs.answerFont(QFont("Arial", 20));

    EXPECT_EQ(dialogs.message(nullptr, "Confirm?", "Factory Setting", MessageButtons::OkCancel, MessageIcon::Question),
              MessageResult::Cancel);
    EXPECT_EQ(dialogs.openFile(nullptr, {"Open", "/tmp", "Sound (*.wav)", "wav"}), "/tmp/a.wav");
    EXPECT_EQ(dialogs.saveFile(nullptr, {"Save", "/tmp", "*.bin", "bin"}), "/tmp/p.bin");
    EXPECT_EQ(dialogs.chooseFolder(nullptr, "Pick", "/home"), "/home/u");
    const auto font = dialogs.chooseFont(nullptr, QFont("Liberation Sans", 9));
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->pointSize(), 20);

    const auto& q = dialogs.asked();
    ASSERT_EQ(q.size(), 5u);
    EXPECT_EQ(q[0].kind, ScriptedUserDialogs::Kind::Message);
    EXPECT_EQ(q[0].text, "Confirm?");
    EXPECT_EQ(q[0].caption, "Factory Setting");
    EXPECT_EQ(q[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(q[1].file.filters, "Sound (*.wav)");
    EXPECT_EQ(q[1].file.defaultSuffix, "wav");
    EXPECT_EQ(q[3].caption, "Pick");
    EXPECT_EQ(q[4].font.family(), "Liberation Sans");
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(dialogs.pendingAnswers(), 0u);
}

TEST_F(Scripted, UnexpectedQuestionFailsLoudlyAndAnswersSafely)
{
    EXPECT_EQ(dialogs.message(nullptr, "Update new firmware？", "Firmware Update", MessageButtons::OkCancel,
                              MessageIcon::None),
              MessageResult::Cancel);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(failures[0].contains("Firmware Update"));

    dialogs.answerFolder("/x");   // an answer of another kind is not used for a file question
    EXPECT_TRUE(dialogs.openFile(nullptr, {}).isEmpty());
    EXPECT_EQ(failures.size(), 2u);
    EXPECT_EQ(dialogs.pendingAnswers(), 1u);
    EXPECT_FALSE(dialogs.chooseFont(nullptr, QFont()).has_value());
    EXPECT_EQ(failures.size(), 3u);
}

TEST_F(Scripted, PanelScriptFillsThePanelWithoutRunningIt)
{
    QDialog panel;
    panel.setWindowTitle("Profile");
    panel.setObjectName("CConfigureDlg");
    auto* edit = new QLineEdit(&panel);
    dialogs.answerPanel([edit](QDialog&) {
        edit->setText("Game");
        return int(QDialog::Accepted);
    });
    dialogs.answerPanel(QDialog::Rejected);
    EXPECT_EQ(dialogs.runModal(panel), QDialog::Accepted);
    EXPECT_EQ(edit->text(), "Game");
    EXPECT_EQ(panel.result(), QDialog::Accepted);
    EXPECT_EQ(dialogs.runModal(panel), QDialog::Rejected);
    EXPECT_FALSE(panel.isVisible());
    ASSERT_EQ(dialogs.asked().size(), 2u);
    EXPECT_EQ(dialogs.asked()[0].caption, "Profile");
    EXPECT_EQ(dialogs.asked()[0].objectName, "CConfigureDlg");
    EXPECT_EQ(dialogs.runModal(panel), QDialog::Rejected);   // nothing queued: reported, rejected
    EXPECT_EQ(failures.size(), 1u);
}

}   // namespace

namespace {

// The real file dialogs start in the requested folder with the requested text in the file name box.
TEST(QtDialogs, FileDialogsStartWithTheRequestedFileName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtUserDialogs dialogs;
    const FileRequest request{QString(), dir.path(), QStringLiteral("bin Files(*.bin)"), QStringLiteral("bin"),
                              QStringLiteral("*.bin")};
    for (bool open : {true, false}) {
        QString shownName, shownFolder;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            if (auto* edit = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                shownName = edit->text();
            shownFolder = d->directory().absolutePath();
            d->reject();
        });
        const QString chosen = open ? dialogs.openFile(nullptr, request) : dialogs.saveFile(nullptr, request);
        EXPECT_TRUE(chosen.isEmpty());
        EXPECT_EQ(shownName, QStringLiteral("*.bin")) << open;
        EXPECT_EQ(shownFolder, QDir(dir.path()).absolutePath()) << open;
    }
}

}   // namespace
