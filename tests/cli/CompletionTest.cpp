// The shell completion as installed, run by bash against orvanectl as built: commands, settings,
// key and function names come from the program; and the manual page formats without warnings.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

QString sourceFolder()
{
    return qEnvironmentVariable("ORVANE_SOURCE_DIR");
}
QString program()
{
    return qEnvironmentVariable("ORVANE_BIN_DIR") + "/orvanectl";
}

// The completions bash offers for the words typed so far (the last one is being completed).
QStringList complete(const QStringList& words)
{
    QString array;
    for (const QString& w : words)
        array += " '" + QString(w).replace("'", "'\\''") + "'";
    const QString script = QStringLiteral("source '%1/cli/orvanectl.bash-completion'\n"
                                          "COMP_WORDS=('%2'%3)\nCOMP_CWORD=%4\n"
                                          "COMP_LINE=\"${COMP_WORDS[*]}\"\n_orvanectl\n"
                                          "printf '%s\\n' \"${COMPREPLY[@]}\"\n")
                               .arg(sourceFolder(), program(), array)
                               .arg(words.size());
    QProcess bash;
    bash.start("bash", {"--norc", "-c", script});
    if (!bash.waitForFinished(20000))
        return {"<bash did not finish>"};
    return QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

TEST(CompletionTest, CommandsSettingsKeysAndFunctions)
{
    if (sourceFolder().isEmpty() || QProcess::execute("bash", {"-c", "true"}) != 0)
        GTEST_SKIP() << "no bash or no source folder";
    EXPECT_EQ(complete({"pro"}), QStringList{"profile"});
    EXPECT_EQ(complete({"macro", "im"}), QStringList{"import"});
    EXPECT_TRUE(complete({"set", "bri"}).contains("brightness="));
    EXPECT_TRUE(complete({"set", "colour"}).contains("colour7="));
    EXPECT_EQ(complete({"set", "game-mode=o"}), (QStringList{"on", "off"}));
    EXPECT_TRUE(complete({"set", "effect=Wa"}).contains("WaterRun-Mode"));
    const QStringList keys = complete({"assign", "F1"});
    EXPECT_TRUE(keys.contains("F1") && keys.contains("F12")) << keys.join(' ').toStdString();
    EXPECT_TRUE(complete({"assign", "M"}).contains("M5"));
    const QStringList functions = complete({"assign", "A", "function:V"});
    EXPECT_TRUE(functions.contains("function:Vol+")) << functions.join(' ').toStdString();
    EXPECT_TRUE(complete({"assign", "A", "function:Task"}).contains("function:Task-Management"));
    EXPECT_TRUE(complete({"assign", "A", "combo:LCtrl+LS"}).contains("combo:LCtrl+LShift"));
    EXPECT_TRUE(complete({"assign", "A", "key:Es"}).contains("key:Esc"));
}

TEST(CompletionTest, ManualPageFormatsCleanly)
{
    if (QProcess::execute("sh", {"-c", "command -v groff >/dev/null"}) != 0)
        GTEST_SKIP() << "no groff";
    QProcess groff;
    groff.start("groff", {"-man", "-Tutf8", "-ww", "-z", sourceFolder() + "/cli/orvanectl.1"});
    ASSERT_TRUE(groff.waitForFinished(20000));
    EXPECT_EQ(groff.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(groff.readAllStandardError()), QString());
}

}   // namespace
