#include "shell/app/Companions.h"

#include "shell/app/Firmware.h"

#include "platform/ui/UserDialogs.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QUrl>

namespace orvane::shell {

namespace {
Q_LOGGING_CATEGORY(lcCompanions, "orvane.shell.companions", QtWarningMsg)
constexpr const char* kWindowCaption = "QX410-Orvane";
}   // namespace

bool DesktopCompanionStarter::startProgram(const QString& program)
{
    const bool started = QProcess::startDetached(program, {});
    if (!started)
        qCDebug(lcCompanions) << "could not start" << program;
    return started;
}

bool DesktopCompanionStarter::openUrl(const QString& url)
{
    const bool opened = QDesktopServices::openUrl(QUrl(url));
    if (!opened)
        qCDebug(lcCompanions) << "no browser opened" << url;
    return opened;
}

QString companionFailureText(Companion which, const QString& target, bool missing, bool chinese)
{
    switch (which) {
    case Companion::WebPage:
        return chinese ? QString::fromUtf8("没有可以打开网页 %1 的浏览器。请安装或设置默认浏览器。").arg(target)
                       : QStringLiteral("No web browser could be opened for %1. Install or choose a default "
                                        "browser.")
                             .arg(target);
    case Companion::Updater:
        if (missing)
            return chinese ? QString::fromUtf8("程序文件夹中没有驱动更新程序：\n%1").arg(target)
                           : QStringLiteral("The firmware updater is not in the program folder:\n%1").arg(target);
        return chinese ? QString::fromUtf8("驱动更新程序无法启动：\n%1").arg(target)
                       : QStringLiteral("The firmware updater could not be started:\n%1").arg(target);
    case Companion::LcdTool:
        if (missing)
            return chinese ? QString::fromUtf8("程序文件夹中没有 LCD 设置程序：\n%1").arg(target)
                           : QStringLiteral("The LCD program is not in the program folder:\n%1").arg(target);
        return chinese ? QString::fromUtf8("LCD 设置程序无法启动：\n%1").arg(target)
                       : QStringLiteral("The LCD program could not be started:\n%1").arg(target);
    }
    return {};
}

DesktopCompanions::DesktopCompanions(const CompanionEnvironment& env, std::unique_ptr<CompanionStarter> starter)
    : dialogs_(env.dialogs), installFolder_(env.installFolder), chinese_(env.chinese), starter_(std::move(starter))
{}

QString DesktopCompanions::programPath(Companion which) const
{
    return installFolder_ + QString::fromLatin1(which == Companion::Updater ? kUpdaterProgram : kLcdProgram);
}

void DesktopCompanions::StartCompanion(Companion which, QWidget* owner)
{
    const QString target = which == Companion::WebPage ? QString::fromLatin1(kMakerWebPage) : programPath(which);
    const bool ok = which == Companion::WebPage ? starter_->openUrl(target) : starter_->startProgram(target);
    if (ok)
        return;
    const bool missing = which != Companion::WebPage && !QFileInfo::exists(target);
    dialogs_.message(owner, companionFailureText(which, target, missing, chinese_), QString::fromLatin1(kWindowCaption),
                     ui::MessageButtons::Ok, ui::MessageIcon::Warning);
}

void DesktopCompanions::checkFirmware(QWidget* owner, platform::FirmwareVersion keyboard,
                                      platform::FirmwareVersion shipped)
{
    // An arrival reports once per interface it opens; while one prompt waits for an answer, a
    // second read must not stack another prompt on top of it.
    if (promptOpen_)
        return;
    promptOpen_ = true;
    const bool update = CheckFirmware(dialogs_, owner, chinese_, keyboard, shipped);
    promptOpen_ = false;
    if (update)
        StartCompanion(Companion::Updater, owner);
}

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env)
{
    return createCompanions(env, std::make_unique<DesktopCompanionStarter>());
}

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env, std::unique_ptr<CompanionStarter> starter)
{
    return std::make_unique<DesktopCompanions>(env, std::move(starter));
}

}   // namespace orvane::shell
