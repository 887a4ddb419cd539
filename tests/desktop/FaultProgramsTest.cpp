// Both programs as built, on the emulated keyboard with a fault plan: a malformed
// ORVANE_EMULATOR_FAULTS ends them at once with code 2 and one line naming the item.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString binFolder()
{
    const QByteArray bin = qgetenv("ORVANE_BIN_DIR");
    return bin.isEmpty() ? QString() : QString::fromLocal8Bit(bin) + u'/';
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
            if (binFolder().isEmpty() || !QFile::exists(binFolder() + QLatin1String(program)))
                GTEST_SKIP() << program << " is not built";
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

} // namespace
