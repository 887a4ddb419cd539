#include "shell/app/Companions.h"

#include "shell/app/Firmware.h"

#include <QDesktopServices>
#include <QLoggingCategory>
#include <QProcess>
#include <QUrl>

namespace orvane::shell {

namespace {
Q_LOGGING_CATEGORY(lcCompanions, "orvane.shell.companions", QtWarningMsg)
} // namespace

void DesktopCompanionStarter::startProgram(const QString& program)
{
    if (!QProcess::startDetached(program, {}))
        qCDebug(lcCompanions) << "could not start" << program;
}

void DesktopCompanionStarter::openUrl(const QString& url)
{
    if (!QDesktopServices::openUrl(QUrl(url)))
        qCDebug(lcCompanions) << "no browser opened" << url;
}

DesktopCompanions::DesktopCompanions(const CompanionEnvironment& env, std::unique_ptr<CompanionStarter> starter)
    : dialogs_(env.dialogs), installFolder_(env.installFolder), chinese_(env.chinese), starter_(std::move(starter))
{
}

QString DesktopCompanions::programPath(Companion which) const
{
    return installFolder_ + QString::fromLatin1(which == Companion::Updater ? kUpdaterProgram : kLcdProgram);
}

void DesktopCompanions::StartCompanion(Companion which)
{
    if (which == Companion::WebPage)
        starter_->openUrl(QString::fromLatin1(kMakerWebPage));
    else
        starter_->startProgram(programPath(which));
}

void DesktopCompanions::checkFirmware(QWidget* owner, VersionBytes keyboard, VersionBytes shipped)
{
    // An arrival reports once per interface it opens; while one prompt waits for an answer, a
    // second read must not stack another prompt on top of it.
    if (promptOpen_)
        return;
    promptOpen_ = true;
    const bool update = CheckFirmware(dialogs_, owner, chinese_, keyboard, shipped);
    promptOpen_ = false;
    if (update)
        StartCompanion(Companion::Updater);
}

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env)
{
    return createCompanions(env, std::make_unique<DesktopCompanionStarter>());
}

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env, std::unique_ptr<CompanionStarter> starter)
{
    return std::make_unique<DesktopCompanions>(env, std::move(starter));
}

} // namespace orvane::shell
