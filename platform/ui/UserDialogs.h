#pragma once
// Every modal interaction of the programs goes through UserDialogs: the program uses
// QtUserDialogs, tests use ScriptedUserDialogs, which answers from a queue, records every
// question with its texts, and fails loudly on a question it was not given an answer for
// (so no test ever blocks on a dialog).

#include <QFont>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

class QDialog;
class QWidget;

namespace orvane::ui {

enum class MessageButtons { Ok, OkCancel };
enum class MessageIcon { None, Information, Warning, Critical, Question };
enum class MessageResult { Ok, Cancel };

struct FileRequest {
    QString caption;
    QString startFolder;
    QString filters;         // Qt filter string, e.g. "Profiles (*.bin);;All files (*)"
    QString defaultSuffix;   // without the dot; added when the user types a name without one
    QString fileName = {};   // what the file name box starts with, e.g. "*.bin"; empty: nothing
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual MessageResult message(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons,
                                  MessageIcon icon) = 0;
    // The chosen path, or empty when cancelled.
    virtual QString openFile(QWidget* owner, const FileRequest& request) = 0;
    virtual QString saveFile(QWidget* owner, const FileRequest& request) = 0;
    // Opens in `startFolder` (the home folder when empty or missing).
    virtual QString chooseFolder(QWidget* owner, const QString& title, const QString& startFolder) = 0;
    virtual std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) = 0;
    // Runs a panel modally and returns its result code (QDialog::Accepted / Rejected or done(n)).
    virtual int runModal(QDialog& dialog) = 0;
};

class QtUserDialogs final : public UserDialogs {
public:
    MessageResult message(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon) override;
    QString openFile(QWidget* owner, const FileRequest& request) override;
    QString saveFile(QWidget* owner, const FileRequest& request) override;
    QString chooseFolder(QWidget* owner, const QString& title, const QString& startFolder) override;
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override;
    int runModal(QDialog& dialog) override;
};

class ScriptedUserDialogs final : public UserDialogs {
public:
    enum class Kind { Message, OpenFile, SaveFile, ChooseFolder, ChooseFont, RunModal };

    // One recorded question.
    struct Question {
        Kind kind;
        QString text;      // message text; empty for the others
        QString caption;   // caption / title; for a panel its window title
        MessageButtons buttons = MessageButtons::Ok;
        MessageIcon icon = MessageIcon::None;
        FileRequest file;     // open/save requests; for a folder chooser only its start folder
        QFont font;           // initial font
        QString objectName;   // panel object name
    };
    // A panel answer may fill in the panel before it "closes" (it must not exec it).
    using PanelScript = std::function<int(QDialog&)>;
    // Called with a description when a question comes without a queued answer of its kind.
    using FailureHandler = std::function<void(const QString&)>;

    ScriptedUserDialogs();

    void answerMessage(MessageResult r) { answers_.push_back(r); }
    void answerOpenFile(QString path) { answers_.push_back(FileAnswer{Kind::OpenFile, std::move(path)}); }
    void answerSaveFile(QString path) { answers_.push_back(FileAnswer{Kind::SaveFile, std::move(path)}); }
    void answerFolder(QString path) { answers_.push_back(FileAnswer{Kind::ChooseFolder, std::move(path)}); }
    void answerFont(std::optional<QFont> font) { answers_.push_back(FontAnswer{std::move(font)}); }
    void answerPanel(int resultCode);
    void answerPanel(PanelScript script) { answers_.push_back(std::move(script)); }

    // Default: qFatal (the test process ends with the description). Tests may install ADD_FAILURE.
    void setFailureHandler(FailureHandler h) { onFailure_ = std::move(h); }

    const std::vector<Question>& asked() const { return asked_; }
    std::size_t pendingAnswers() const { return answers_.size(); }

    MessageResult message(QWidget* owner, const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon) override;
    QString openFile(QWidget* owner, const FileRequest& request) override;
    QString saveFile(QWidget* owner, const FileRequest& request) override;
    QString chooseFolder(QWidget* owner, const QString& title, const QString& startFolder) override;
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override;
    int runModal(QDialog& dialog) override;

private:
    struct FileAnswer {
        Kind kind;
        QString path;
    };
    struct FontAnswer {
        std::optional<QFont> font;
    };
    using Answer = std::variant<MessageResult, FileAnswer, FontAnswer, PanelScript>;

    QString fileAnswer(Kind kind, const Question& q);
    // Pops the front answer when it has the kind asked for; otherwise reports and returns nothing.
    std::optional<Answer> take(Kind kind, const Question& q);

    std::deque<Answer> answers_;
    std::vector<Question> asked_;
    FailureHandler onFailure_;
};

}   // namespace orvane::ui
