#include "platform/ui/UserDialogs.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

namespace orvane::ui {

namespace {

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

const char* kindName(ScriptedUserDialogs::Kind k)
{
    using K = ScriptedUserDialogs::Kind;
    switch (k) {
    case K::Message: return "message box";
    case K::OpenFile: return "open-file dialog";
    case K::SaveFile: return "save-file dialog";
    case K::ChooseFolder: return "folder chooser";
    case K::ChooseFont: return "font chooser";
    case K::RunModal: return "modal panel";
    }
    return "?";
}

QString runFileDialog(QWidget* owner, const FileRequest& r, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner, r.caption, r.startFolder, r.filters);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!r.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(r.defaultSuffix);
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

}   // namespace

// ---- Qt ------------------------------------------------------------------------------------

MessageResult QtUserDialogs::message(QWidget* owner, const QString& text, const QString& caption,
                                     MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(toQt(icon), caption, text,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    owner);
    return box.exec() == QMessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

QString QtUserDialogs::openFile(QWidget* owner, const FileRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::saveFile(QWidget* owner, const FileRequest& request)
{
    return runFileDialog(owner, request, QFileDialog::AcceptSave);
}

QString QtUserDialogs::chooseFolder(QWidget* owner, const QString& title, const QString& startFolder)
{
    const QString start = !startFolder.isEmpty() && QFileInfo(startFolder).isDir() ? startFolder : QDir::homePath();
    return QFileDialog::getExistingDirectory(owner, title, start);
}

std::optional<QFont> QtUserDialogs::chooseFont(QWidget* owner, const QFont& initial)
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, owner);
    if (!ok)
        return std::nullopt;
    return f;
}

int QtUserDialogs::runModal(QDialog& dialog)
{
    return dialog.exec();
}

// ---- Scripted ------------------------------------------------------------------------------

ScriptedUserDialogs::ScriptedUserDialogs()
    : onFailure_([](const QString& what) { qFatal("ScriptedUserDialogs: %s", qPrintable(what)); })
{}

void ScriptedUserDialogs::answerPanel(int resultCode)
{
    answers_.push_back(PanelScript([resultCode](QDialog&) { return resultCode; }));
}

std::optional<ScriptedUserDialogs::Answer> ScriptedUserDialogs::take(Kind kind, const Question& q)
{
    asked_.push_back(q);
    auto kindOf = [](const Answer& a) {
        if (std::holds_alternative<MessageResult>(a))
            return Kind::Message;
        if (const auto* f = std::get_if<FileAnswer>(&a))
            return f->kind;
        if (std::holds_alternative<FontAnswer>(a))
            return Kind::ChooseFont;
        return Kind::RunModal;
    };
    if (answers_.empty() || kindOf(answers_.front()) != kind) {
        const QString next = answers_.empty()
            ? QStringLiteral("no answer left")
            : QStringLiteral("next answer is for a %1").arg(QLatin1String(kindName(kindOf(answers_.front()))));
        onFailure_(QStringLiteral("unexpected %1 \"%2\" / \"%3\" (%4)")
                       .arg(QLatin1String(kindName(kind)), q.caption, q.text, next));
        return std::nullopt;
    }
    Answer a = std::move(answers_.front());
    answers_.pop_front();
    return a;
}

MessageResult ScriptedUserDialogs::message(QWidget*, const QString& text, const QString& caption,
                                           MessageButtons buttons, MessageIcon icon)
{
    Question q{Kind::Message, text, caption, buttons, icon, {}, {}, {}};
    const auto a = take(Kind::Message, q);
    return a ? std::get<MessageResult>(*a) : MessageResult::Cancel;
}

QString ScriptedUserDialogs::fileAnswer(Kind kind, const Question& q)
{
    const auto a = take(kind, q);
    return a ? std::get<FileAnswer>(*a).path : QString();
}

QString ScriptedUserDialogs::openFile(QWidget*, const FileRequest& request)
{
    return fileAnswer(Kind::OpenFile, Question{Kind::OpenFile, {}, request.caption, {}, {}, request, {}, {}});
}

QString ScriptedUserDialogs::saveFile(QWidget*, const FileRequest& request)
{
    return fileAnswer(Kind::SaveFile, Question{Kind::SaveFile, {}, request.caption, {}, {}, request, {}, {}});
}

QString ScriptedUserDialogs::chooseFolder(QWidget*, const QString& title, const QString& startFolder)
{
    FileRequest request;
    request.caption = title;
    request.startFolder = startFolder;
    return fileAnswer(Kind::ChooseFolder, Question{Kind::ChooseFolder, {}, title, {}, {}, request, {}, {}});
}

std::optional<QFont> ScriptedUserDialogs::chooseFont(QWidget*, const QFont& initial)
{
    const auto a = take(Kind::ChooseFont, Question{Kind::ChooseFont, {}, {}, {}, {}, {}, initial, {}});
    return a ? std::get<FontAnswer>(*a).font : std::nullopt;
}

int ScriptedUserDialogs::runModal(QDialog& dialog)
{
    const auto a =
        take(Kind::RunModal, Question{Kind::RunModal, {}, dialog.windowTitle(), {}, {}, {}, {}, dialog.objectName()});
    if (!a)
        return QDialog::Rejected;
    const int code = std::get<PanelScript>(*a)(dialog);
    dialog.setResult(code);
    return code;
}

}   // namespace orvane::ui
