#pragma once
// orvanectl as built, run on an emulated keyboard whose memory is a state file in a temporary
// folder, with its own data folder, runtime folder and HID trace.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/ProgramFolder.h"

namespace orvane::clitest {

inline QString binFolder()
{
    return test::programFolder();
}

struct CliResult {
    int code = -1;
    QString out, err;
};

class CliFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo(binFolder() + "orvanectl").isExecutable()) << "orvanectl is not built";
        ASSERT_TRUE(QDir().mkpath(path("home")) && QDir().mkpath(path("run")));
        QFile::setPermissions(path("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    QString statePath() const { return path("keyboard.bin"); }
    QString tracePath() const { return path("trace.txt"); }
    QString dataFolder() const { return path("home"); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        for (const char* keep : {"PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (qEnvironmentVariableIsSet(keep))
                env.insert(QLatin1String(keep), qEnvironmentVariable(keep));
        env.insert("HOME", path("user"));
        env.insert("XDG_CONFIG_HOME", path("user/config"));
        env.insert("XDG_DATA_HOME", path("user/data"));
        env.insert("XDG_RUNTIME_DIR", path("run"));
        env.insert("ORVANE_HOME", dataFolder());
        env.insert("ORVANE_HID", "emulator:" + statePath());
        env.insert("ORVANE_HID_TRACE", tracePath());
        env.insert("LUMETRA_DUMP_DIR", path("dumps"));
        return env;
    }

    CliResult run(const QStringList& args, const QMap<QString, QString>& extra = {}, const QByteArray& input = {})
    {
        QProcessEnvironment env = environment();
        for (auto it = extra.begin(); it != extra.end(); ++it)
            if (it.value().isNull())
                env.remove(it.key());
            else
                env.insert(it.key(), it.value());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(binFolder() + "orvanectl", args);
        if (!p.waitForStarted(10000))
            return {};
        if (!input.isEmpty())
            p.write(input);
        p.closeWriteChannel();
        if (!p.waitForFinished(60000)) {
            p.kill();
            p.waitForFinished();
            return {};
        }
        CliResult r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    // The keyboard's memory as the state file holds it (empty when there is none).
    QByteArray state() const
    {
        QFile f(statePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    uint8_t stateByte(std::size_t offset) const { return uint8_t(state().at(qsizetype(offset))); }

    // Every file of the data folder and the state file, by path.
    QMap<QString, QByteArray> snapshot() const
    {
        QMap<QString, QByteArray> files;
        files.insert("keyboard.bin", state());
        QDirIterator it(dataFolder(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            QFile file(f);
            files.insert(f, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
        }
        return files;
    }

    // The lines of the trace with one of these ops (SF, W, ...), in order, the time column left out.
    QStringList traceLines(const QStringList& ops) const
    {
        QFile f(tracePath());
        QStringList lines;
        if (!f.open(QIODevice::ReadOnly))
            return lines;
        for (const QByteArray& raw : f.readAll().split('\n')) {
            const QStringList parts = QString::fromLatin1(raw).split(u' ');
            if (parts.size() > 2 && ops.contains(parts[2]))
                lines << parts.mid(1).join(u' ');
        }
        return lines;
    }

    QTemporaryDir dir;
};

}   // namespace orvane::clitest
