#include "shell/app/Launcher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace orvane::shell {

void DesktopLauncher::openPath(const QString& path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopLauncher::startProgram(const QString& program, const QString& workingFolder)
{
    QProcess::startDetached(program, {}, workingFolder);
}

bool launchHostAction(Launcher& launcher, const QString& path, bool startup)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0 || (startup && slash == path.size() - 1))
        return false;
    const QString folder = slash == 0 ? QStringLiteral("/") : path.left(slash);
    if (startup)
        launcher.startProgram(path, folder);
    else
        launcher.openPath(path);
    return true;
}

}   // namespace orvane::shell
