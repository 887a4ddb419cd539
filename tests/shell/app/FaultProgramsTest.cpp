// Both programs as built, on the emulated keyboard: a malformed ORVANE_EMULATOR_FAULTS ends
// them at once with code 2 and one line naming the item; a keymap.bin the user cannot read
// survives a run of the main program untouched.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "tests/support/ProgramFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

namespace {

using orvane::test::programFolder;
QString binFolder()
{
    return programFolder();
}

// The environment of a program started by a user of the emulated keyboard, its data in `home`.
QProcessEnvironment programEnvironment(const QString& home)
{
    QProcessEnvironment env;
    for (const char* keep : {"PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (qEnvironmentVariableIsSet(keep))
            env.insert(QLatin1String(keep), qEnvironmentVariable(keep));
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_RUNTIME_DIR", home + "/run");
    env.insert("ORVANE_HOME", home + "/orvane");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORVANE_HID", "emulator");
    return env;
}

class FaultProgramsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* program : {"QX410-Orvane", "Lumetra"})
            ASSERT_TRUE(QFileInfo(binFolder() + QLatin1String(program)).isExecutable()) << program << " is not built";
        ASSERT_TRUE(QDir().mkpath(home.filePath("orvane")) && QDir().mkpath(home.filePath("run")));
        QFile::setPermissions(home.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QTemporaryDir home;
};

TEST_F(FaultProgramsTest, MalformedPlanEndsEitherProgramWithCodeTwo)
{
    for (const char* program : {"QX410-Orvane", "Lumetra"}) {
        QProcessEnvironment env = programEnvironment(home.path());
        env.insert("ORVANE_EMULATOR_FAULTS", "sf-fail@1,read-stall@0x*");
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(binFolder() + QLatin1String(program), {});
        ASSERT_TRUE(p.waitForFinished(60000)) << program;
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << program;
        EXPECT_EQ(p.exitCode(), 2) << program << ": " << err.toStdString();
        EXPECT_EQ(err.count(u'\n'), 1) << program << ": " << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("\"read-stall@0x*\""))) << err.toStdString();
        EXPECT_TRUE(err.startsWith(QLatin1String(program) + QStringLiteral(": "))) << err.toStdString();
    }
}

// The start-up read-all ends with the fifth light map's eighth report: 8 + 1 + 96 + 40 reads.
constexpr int kReadAllInputReports = 145;

int inputReportsTraced(const QString& trace)
{
    QFile f(trace);
    return f.open(QIODevice::ReadOnly) ? int(f.readAll().count(" R ")) : 0;
}

// keymap.bin belongs to another user (mode 0600) in a data folder the program may write: the
// program must not replace what it cannot read. Root reads anything, so as root the program runs
// as nobody.
TEST_F(FaultProgramsTest, UnreadableKeymapSurvivesARunThatSaves)
{
    constexpr uid_t kNobody = 65534;
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && !QFileInfo(QStringLiteral("/usr/bin/setpriv")).isExecutable())
        GTEST_SKIP() << "running as root without setpriv: every file is readable";
    const QString data = home.filePath("orvane"), keymap = data + "/keymap.bin";
    QByteArray work(206916, '\0');
    for (int i = 0; i < work.size(); ++i)
        work[i] = char(i * 13 + i / 509);
    QFile f(keymap);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(work);
    f.close();
    if (asRoot) {
        ASSERT_EQ(::chmod(home.path().toLocal8Bit().constData(), 0755), 0);
        for (const char* d : {"", "/orvane", "/run"})
            ASSERT_EQ(::chown((home.path() + d).toLocal8Bit().constData(), kNobody, kNobody), 0);
        ASSERT_EQ(::chmod(keymap.toLocal8Bit().constData(), 0600), 0);   // root's own
    } else {
        ASSERT_EQ(::chmod(keymap.toLocal8Bit().constData(), 0), 0);
    }

    QProcessEnvironment env = programEnvironment(home.path());
    const QString trace = home.filePath("hid.trace");
    env.insert("ORVANE_HID_TRACE", trace);
    QProcess program;
    program.setProcessEnvironment(env);
    const QString path = binFolder() + QStringLiteral("QX410-Orvane");
    if (asRoot)
        program.start(QStringLiteral("/usr/bin/setpriv"),
                      {QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
                       QStringLiteral("--clear-groups"), QStringLiteral("--"), path});
    else
        program.start(path, {});
    ASSERT_TRUE(program.waitForStarted(10000));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (inputReportsTraced(trace) < kReadAllInputReports && program.state() == QProcess::Running &&
           std::chrono::steady_clock::now() < deadline)
        QThread::msleep(20);
    // The configuration-loaded handling saves right after the read-all; MacroDefine.bin shows
    // that the program does write into the folder.
    QThread::msleep(1500);
    const bool running = program.state() == QProcess::Running;
    program.terminate();
    if (!program.waitForFinished(10000))
        program.kill();
    program.waitForFinished(5000);
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());

    EXPECT_TRUE(running) << err.toStdString();
    EXPECT_EQ(inputReportsTraced(trace), kReadAllInputReports) << err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(data + "/MacroDefine.bin"));
    if (!asRoot)
        ::chmod(keymap.toLocal8Bit().constData(), 0600);
    QFile after(keymap);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_TRUE(after.readAll() == work) << "keymap.bin was replaced";
    EXPECT_EQ(QFileInfo(keymap).ownerId(), asRoot ? 0u : ::geteuid());
    EXPECT_EQ(err.count(keymap), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Permission denied"))) << err.toStdString();
}

}   // namespace
