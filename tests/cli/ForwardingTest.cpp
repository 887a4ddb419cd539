// orvanectl beside a running QX410-Orvane (offscreen, on the emulated keyboard): the commands go
// to the main program, which carries them out on its own session; orvanectl opens no device.

#include "tests/cli/CliRun.h"

#include "model/ConfigImage.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <chrono>

using namespace orvane;
using clitest::CliFixture;
using clitest::CliResult;
namespace img = link::image;

namespace {

class ForwardingTest : public CliFixture {
protected:
    void SetUp() override
    {
        CliFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(QFile::exists(clitest::binFolder() + "QX410-Orvane")) << "QX410-Orvane is not built";
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        mainProgram.setProcessEnvironment(env);
        mainProgram.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mainProgram.start(clitest::binFolder() + "QX410-Orvane", {});
        ASSERT_TRUE(mainProgram.waitForStarted(10000));
        // Up once its server listens and its start-up read has saved keymap.bin.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!(QFile::exists(path("run/ {57D1171D-1a34-0804-8A3A-65ABA215001F}")) &&
                 QFile::exists(dataFolder() + "/keymap.bin")) &&
               std::chrono::steady_clock::now() < deadline)
            QThread::msleep(50);
        ASSERT_EQ(mainProgram.state(), QProcess::Running);
    }

    void TearDown() override
    {
        if (mainProgram.state() != QProcess::NotRunning) {
            mainProgram.terminate();
            if (!mainProgram.waitForFinished(10000)) {
                mainProgram.kill();
                mainProgram.waitForFinished();
            }
        }
    }

    // orvanectl with a trace of its own: it stays empty when the main program did the work.
    CliResult forwarded(const QStringList& args) { return run(args, {{"ORVANE_HID_TRACE", path("cli-trace.txt")}}); }

    QProcess mainProgram;
};

TEST_F(ForwardingTest, TheMainProgramCarriesOutTheCommands)
{
    // A show waits for the main program's start-up read: the set then comes after it.
    ASSERT_EQ(forwarded({"show"}).code, 0);
    const CliResult set = forwarded({"set", "brightness=17", "colour1=#010203", "effect=radar"});
    ASSERT_EQ(set.code, 0) << set.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("cli-trace.txt")));
    EXPECT_EQ(stateByte(img::kBrightness), 17);
    EXPECT_EQ(stateByte(img::kEffect), 13);
    EXPECT_EQ(stateByte(img::colourEntry(0) + 2), 3);

    const CliResult show = forwarded({"show", "--json"});
    ASSERT_EQ(show.code, 0) << show.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(show.out.toUtf8()).object();
    EXPECT_EQ(o["brightness"].toInt(), 17);
    EXPECT_EQ(o["effect"].toObject()["name"].toString(), "Radar");
    EXPECT_EQ(o["colours"].toArray()[0].toString(), "#010203");

    // A relative path is the sender's.
    QFile macro(path("m.json"));
    ASSERT_TRUE(macro.open(QIODevice::WriteOnly));
    macro.write(R"({"name":"Fwd","loops":2,"events":[{"key":"A","action":"press"},{"key":"A","action":"release"}]})");
    macro.close();
    QProcess p;
    p.setProcessEnvironment(environment());
    p.setWorkingDirectory(dir.path());
    p.start(clitest::binFolder() + "orvanectl", {"macro", "import", "1", "m.json"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(stateByte(img::macroBlock(0) + 1), 2);

    // Bad input is refused before anything is sent; the main program is still there.
    const QMap<QString, QByteArray> before = snapshot();
    EXPECT_EQ(forwarded({"set", "brightness=70"}).code, 2);
    EXPECT_EQ(forwarded({"assign", "A", "macro:9"}).code, 2);
    EXPECT_EQ(forwarded({"--dry-run", "set", "brightness=1"}).code, 2);
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(QFile::exists(path("cli-trace.txt")));
    EXPECT_EQ(mainProgram.state(), QProcess::Running);
}

TEST_F(ForwardingTest, TwoCommandsAtOnceBothArrive)
{
    for (int round = 0; round < 3; ++round) {
        const int brightness = 10 + round;
        const QString colour = QStringLiteral("#0000%1").arg(round + 1, 2, 10, QLatin1Char('0'));
        QProcess a, b;
        for (QProcess* p : {&a, &b})
            p->setProcessEnvironment(environment());
        a.start(clitest::binFolder() + "orvanectl", {"set", QStringLiteral("brightness=%1").arg(brightness)});
        b.start(clitest::binFolder() + "orvanectl", {"set", "colour2=" + colour});
        ASSERT_TRUE(a.waitForFinished(60000) && b.waitForFinished(60000));
        EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
        EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
        EXPECT_EQ(stateByte(img::kBrightness), brightness);
        EXPECT_EQ(stateByte(img::colourEntry(1) + 2), round + 1);
    }
}

}   // namespace
