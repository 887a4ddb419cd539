#include "shell/app/CVelkorApp.h"

#include "link/Sleeper.h"
#include "platform/core/Folders.h"
#include "platform/core/Settings.h"
#include "emulator/Backend.h"
#include "platform/ui/Appearance.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"

#include <QApplication>
#include <QFile>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::shell {

SingleInstance::SingleInstance(const QString& folder)
    : lockPath_(folder + QString::fromLatin1(kInstanceName) + QStringLiteral(".lock")),
      serverPath_(folder + QString::fromLatin1(kInstanceName)), lock_(lockPath_)
{
    // A lock whose owner died is taken over (the owner's process id is checked); age alone never
    // makes a running copy's lock stale.
    lock_.setStaleLockTime(0);
}

namespace {

// A live copy's lock starts with its process id on a line of its own.
bool startsWithProcessId(const char* bytes, ssize_t n)
{
    ssize_t digits = 0;
    while (digits < n && bytes[digits] >= '0' && bytes[digits] <= '9')
        ++digits;
    return digits > 0 && digits < n && bytes[digits] == '\n' && bytes[0] != '0';
}

// The start of a regular file, read without following a link or blocking; false when it is
// not (or no longer) the file `expected` describes.
bool readLockStart(const QByteArray& path, const struct stat& expected, char (&bytes)[64], ssize_t& n)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool same = ::fstat(fd, &st) == 0 && st.st_dev == expected.st_dev && st.st_ino == expected.st_ino;
    n = same ? ::read(fd, bytes, sizeof bytes) : -1;
    ::close(fd);
    return same && n >= 0;
}

}   // namespace

// QLockFile reads whatever is at the lock's name to judge it: a FIFO there blocks it, /dev/zero
// behind a link feeds it without end, and a file it cannot parse is never stale. So anything
// that cannot be a live copy's lock is removed first (a copy that is just writing its new lock
// has done so well within the second look).
bool SingleInstance::clearLeftOverLock()
{
    const QByteArray path = QFile::encodeName(lockPath_);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return true;   // nothing there
    if (S_ISDIR(st.st_mode)) {
        failure_ = QStringLiteral("the single-instance lock %1 is a folder; remove it to start").arg(lockPath_);
        return false;
    }
    if (S_ISREG(st.st_mode)) {
        for (int look = 0; look < 2; ++look) {
            char bytes[64];
            ssize_t n = 0;
            if (!readLockStart(path, st, bytes, n) || startsWithProcessId(bytes, n))
                return true;   // replaced meanwhile, or a lock for QLockFile to judge
            if (look == 0)
                QThread::msleep(100);
        }
    }
    if (::unlink(path.constData()) != 0 && errno != ENOENT) {
        failure_ = QStringLiteral("cannot remove the left-over single-instance lock %1: %2")
                       .arg(lockPath_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool SingleInstance::acquire()
{
    failure_.clear();
    if (!clearLeftOverLock())
        return false;
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError)
            failure_ = QStringLiteral("cannot take the single-instance lock %1").arg(lockPath_);
        return false;
    }
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
            if (socket->property("taken").toBool())
                return;   // a command of orvanectl's is being carried out for it
            const QByteArray data = socket->property("pending").toByteArray() + socket->readAll();
            const QByteArray prefix(commands::kForwardRequest.data(), commands::kForwardRequest.size());
            if (data.startsWith(prefix) || prefix.startsWith(data)) {
                const qsizetype end = data.indexOf('\n', prefix.size());
                if (end < 0) {
                    socket->setProperty("pending", data);   // the rest of the line is still coming
                    return;
                }
                socket->setProperty("taken", true);
                emit commandRequested(socket, data.mid(prefix.size(), end - prefix.size()));
                return;
            }
            if (data.contains(kShowRequest.data()))
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
    const std::optional<platform::Folders> folders =
        platform::Folders::resolve(platform::FolderInputs::fromProcess(), error);
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
        if (!instance.failure().isEmpty()) {
            std::fprintf(stderr, "QX410-Orvane: %s\n", qPrintable(instance.failure()));
            return 1;
        }
        instance.askFirstToShow();
        return 0;
    }
    folders->removeStaleTemporaryFiles();   // what a save killed before its rename left (this copy alone runs now)

    ui::applyDarkStyle(app);
    const model::Language language = model::languageFor(platform::Settings().chinese());
    if (!ui::installQtTranslations(app, language == model::Language::Chinese))
        std::fprintf(
            stderr, "QX410-Orvane: Qt's Chinese texts (qtbase_zh_CN.qm) are not in %s; standard dialogs stay English\n",
            qPrintable(ui::qtTranslationsFolder()));
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
                     .language = language,
                     .splashTicks = &splashTicks};
    // The use cases and the keyboard link for the whole run; the window paints them.
    usecases::Session session(sessionContext(ctx));
    CVelkorDlg window(ctx, session);
    QObject::connect(&instance, &SingleInstance::showRequested, &window, &CVelkorDlg::showFromOtherInstance);
    // orvanectl's commands run on this session, as the window's Save would, one at a time; not
    // while a panel or message box edits the same configuration.
    commands::CommandServer commandServer(session, ctx.dataFolder.toStdString(),
                                          [] { return QApplication::activeModalWidget() != nullptr; });
    QObject::connect(&instance, &SingleInstance::commandRequested, &commandServer, &commands::CommandServer::handle);
    QObject::connect(&window, &CVelkorDlg::exitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (window.initialise())
        window.show();
    return app.exec();
}

}   // namespace orvane::shell
