// The single-instance lock as the real program meets it: QX410-Orvane started on the offscreen
// platform and the emulated keyboard, with whatever was left at the lock's name in its runtime
// folder.

#include "shell/app/CVelkorApp.h"
#include "tests/support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <csignal>
#include <functional>
#include <ostream>

namespace {

using orvane::shell::kInstanceName;

struct LeftLock {
    const char* what;
    std::function<void(const QString& lockPath, const QString& folder)> plant;
    bool startsAnyway;   // else: ends non-zero, saying why on stderr
};

void writeLock(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A process id that no process has (the highest ids are free on a test machine).
QByteArray deadPid()
{
    for (qint64 pid = 4194000; pid > 1000; --pid)
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            return QByteArray::number(pid);
    return "999999";
}

const LeftLock kLeftLocks[] = {
    {"empty file", [](const QString& lock, const QString&) { writeLock(lock, ""); }, true},
    {"garbage", [](const QString& lock, const QString&) { writeLock(lock, "not a lock\n\x01\x02\xff\n"); }, true},
    {"a copy that died",
     [](const QString& lock, const QString&) {
         writeLock(lock, deadPid() + "\nQX410-Orvane\n" + QSysInfo::machineHostName().toUtf8() + "\n");
     },
     true},
    {"dangling link", [](const QString& lock, const QString& f) { ASSERT_TRUE(QFile::link(f + "/nowhere", lock)); },
     true},
    {"link to a FIFO",
     [](const QString& lock, const QString& f) {
         ASSERT_EQ(::mkfifo(QFile::encodeName(f + "/fifo").constData(), 0600), 0);
         ASSERT_TRUE(QFile::link(f + "/fifo", lock));
     },
     true},
    {"link to /dev/zero", [](const QString& lock, const QString&) { ASSERT_TRUE(QFile::link("/dev/zero", lock)); },
     true},
    {"folder", [](const QString& lock, const QString&) { ASSERT_TRUE(QDir().mkdir(lock)); }, false},
};

void PrintTo(const LeftLock& l, std::ostream* os)
{
    *os << l.what;
}

class StaleLock : public ::testing::TestWithParam<LeftLock> {};

TEST_P(StaleLock, IsTakenOverOrTheStartSaysWhy)
{
    const QString program = orvane::test::programFolder() + "QX410-Orvane";
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << "QX410-Orvane is not built";
    QTemporaryDir dir;
    const QString runtime = dir.path() + "/run";
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString lock = runtime + "/" + QString::fromLatin1(kInstanceName) + ".lock";
    GetParam().plant(lock, dir.path());

    QProcess app;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", dir.path() + "/cfg");
    env.insert("ORVANE_HOME", dir.path() + "/data/");
    env.insert("ORVANE_HID", "emulator");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(env);
    app.start(program, {});
    ASSERT_TRUE(app.waitForStarted());

    if (GetParam().startsAnyway) {
        // Taken over: the lock names the new copy, which runs on.
        const QByteArray pid = QByteArray::number(app.processId());
        bool named = false;
        for (int i = 0; i < 200 && !named && !app.waitForFinished(50); ++i) {
            const QFileInfo info(lock);
            QFile f(lock);
            named = info.isFile() && !info.isSymLink() && f.open(QIODevice::ReadOnly) && f.readLine().trimmed() == pid;
        }
        const bool running = app.state() == QProcess::Running;
        app.terminate();
        if (!app.waitForFinished(5000)) {
            app.kill();
            app.waitForFinished();
        }
        EXPECT_TRUE(running && named) << GetParam().what << ": the start did not take the lock over; stderr: "
                                      << app.readAllStandardError().toStdString();
    } else {
        const bool ended = app.waitForFinished(10000);
        if (!ended) {
            app.kill();
            app.waitForFinished();
        }
        ASSERT_TRUE(ended) << GetParam().what;
        EXPECT_NE(app.exitCode(), 0);
        const QString err = QString::fromUtf8(app.readAllStandardError());
        EXPECT_TRUE(err.contains(lock)) << err.toStdString();
        EXPECT_TRUE(QFileInfo(lock).isDir()) << "the folder is left as it was";
    }
}

INSTANTIATE_TEST_SUITE_P(All, StaleLock, ::testing::ValuesIn(kLeftLocks), [](const auto& info) {
    std::string name = info.param.what;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

}   // namespace
