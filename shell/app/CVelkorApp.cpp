#include "shell/app/CVelkorApp.h"

#include "link/Sleeper.h"
#include "platform/core/Folders.h"
#include "platform/core/Settings.h"
#include "platform/hid/Transport.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"

#include <QApplication>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace orvane::shell {

SingleInstance::SingleInstance(const QString& folder)
    : lockPath_(folder + QString::fromLatin1(kInstanceName) + QStringLiteral(".lock")),
      serverPath_(folder + QString::fromLatin1(kInstanceName)),
      lock_(lockPath_)
{
    // A lock whose owner died is taken over (the owner's process id is checked); age alone never
    // makes a running copy's lock stale.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    if (!lock_.tryLock(0))
        return false;
    QLocalServer::removeServer(serverPath_);   // left by a copy that died
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    if (!server_.listen(serverPath_))
        std::fprintf(stderr, "QX410-Orvane: cannot listen on %s: %s\n", qPrintable(serverPath_),
                     qPrintable(server_.errorString()));
    return true;
}

void SingleInstance::onConnection()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains(kShowRequest.data()))
                emit showRequested();
            socket->disconnectFromServer();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

bool SingleInstance::askFirstToShow(int retryMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(serverPath_);
        if (socket.waitForConnected(200)) {
            socket.write(kShowRequest.data(), kShowRequest.size());
            const bool sent = socket.waitForBytesWritten(500);
            socket.waitForDisconnected(500);
            return sent;
        }
        QThread::msleep(100);   // the first copy may still be setting up its server
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

int CVelkorApp::run(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QX410-Orvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    std::string error;
    std::unique_ptr<hid::Backend> backend = hid::createBackendFromEnvironment(error);
    if (!backend) {
        // A wrong ORVANE_HID or ORVANE_EMULATOR_FAULTS is a usage error, as in Lumetra.
        std::fprintf(stderr, "QX410-Orvane: %s\n", error.c_str());
        return 2;
    }
    const std::optional<platform::Folders> folders = platform::Folders::resolve(platform::FolderInputs::fromProcess(), error);
    if (!folders) {
        std::fprintf(stderr, "QX410-Orvane: %s\n", error.c_str());
        return 1;
    }
    const std::optional<std::string> runtime = platform::runtimeFolder(error);
    if (!runtime) {
        std::fprintf(stderr, "QX410-Orvane: %s\n", error.c_str());
        return 1;
    }
    SingleInstance instance(QString::fromStdString(*runtime));
    if (!instance.acquire()) {
        instance.askFirstToShow();
        return 0;
    }

    ui::QtUserDialogs dialogs;
    link::RealSleeper sleeper;
    DesktopLauncher launcher;
    int splashTicks = 0;
    ShellContext ctx{.backend = *backend,
                     .dialogs = dialogs,
                     .sleeper = sleeper,
                     .launcher = launcher,
                     .installFolder = QString::fromStdString(folders->installFolder()),
                     .dataFolder = QString::fromStdString(folders->dataFolder()),
                     .verBinPath = QString::fromStdString(folders->verBinPath()),
                     .language = platform::Settings().language(),
                     .splashTicks = &splashTicks};
    CVelkorDlg window(ctx);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, &CVelkorDlg::showFromOtherInstance);
    QObject::connect(&window, &CVelkorDlg::exitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (window.initialise())
        window.show();
    return app.exec();
}

} // namespace orvane::shell
