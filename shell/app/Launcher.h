#pragma once
// Opening what a host-action key names: files and folders with the desktop's default
// application, programs started directly (never through a shell command line). Tests record.

#include <QString>

namespace orvane::shell {

class Launcher {
public:
    virtual ~Launcher() = default;
    virtual void openPath(const QString& path) = 0;
    virtual void startProgram(const QString& program, const QString& workingFolder) = 0;
};

class DesktopLauncher final : public Launcher {
public:
    void openPath(const QString& path) override;
    void startProgram(const QString& program, const QString& workingFolder) override;
};

// The key-notification rule for one record's path: split at the last '/'; a path without one
// opens nothing. `startup` is the record kind 5 (start a program). False when nothing was opened.
bool launchHostAction(Launcher& launcher, const QString& path, bool startup);

}   // namespace orvane::shell
