#pragma once
// The application object: the backend from the environment, the folders, the language, the
// single-instance rule, and the main window's run.

#include "commands/Forwarding.h"

#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <memory>

namespace orvane::shell {

class CVelkorDlg;

// The name of the single-instance lock and server (it starts with a space).
inline constexpr const char* kInstanceName = commands::kMainProgramInstance;
inline constexpr int kRaiseRetryMs = 2000;
inline constexpr QByteArrayView kShowRequest = "show\n";

// The single-instance rule: the first copy holds the lock and listens; a later one asks it to
// show its window.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `folder` ends in '/' (the runtime folder).
    explicit SingleInstance(const QString& folder);
    // True when this is the first copy: the lock is held and the server listens. False when
    // another copy holds it, or (failure() then says why) when the lock cannot be had at all.
    // What was left at the lock's name and cannot be a live copy's lock (an empty or garbage
    // file, a symbolic link, a FIFO) is taken over; a folder there is a failure and stays.
    bool acquire();
    const QString& failure() const { return failure_; }
    // The second copy's part: connects (retrying for about `retryMs`) and asks the first copy to
    // show its window. True when the request was delivered.
    bool askFirstToShow(int retryMs = kRaiseRetryMs);
    QString serverPath() const { return serverPath_; }

signals:
    void showRequested();
    // orvanectl sent a command (the request's JSON line); the answer goes back on `socket`.
    void commandRequested(QLocalSocket* socket, const QByteArray& request);

private:
    void onConnection();
    bool clearLeftOverLock();
    QString lockPath_, serverPath_, failure_;
    QLockFile lock_;
    QLocalServer server_;
};

class CVelkorApp {
public:
    // The whole program: returns the process exit code.
    static int run(int argc, char** argv);
};

}   // namespace orvane::shell
