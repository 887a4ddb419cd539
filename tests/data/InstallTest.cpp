// `cmake --install` into a temporary prefix: the program folder, the launchers, the desktop
// entries, the icons and the udev rule land in their places; and the installed program, started
// through its launcher with a program folder it cannot write, keeps keymap.bin and
// MacroDefine.bin in $XDG_DATA_HOME/QX410-Orvane/.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

namespace {

constexpr const char* kProgramDir = ORVANE_PROGRAM_SUBDIR;
constexpr qint64 kKeymapSize = 206916;         // image and 255 key records
constexpr qint64 kMacroFileSize = 190 * 894;   // 190 macro records
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr uid_t kNobody = 65534;

QString buildDir()
{
    return QStringLiteral(ORVANE_BUILD_DIR);
}

// One install for the whole suite: it copies the whole program.
class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root = new QTemporaryDir;
        prefix = root->filePath("prefix");
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(ORVANE_CMAKE_COMMAND),
                      {QStringLiteral("--install"), buildDir(), QStringLiteral("--prefix"), prefix});
        installed =
            install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0;
        installLog = install.readAll();
    }
    static void TearDownTestSuite()
    {
        QFile::setPermissions(programFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        delete root;
        root = nullptr;
    }

    void SetUp() override
    {
        for (const char* built : {"bin/QX410-Orvane", "bin/Lumetra", "bin/libVantrel.so"})
            ASSERT_TRUE(QFile::exists(buildDir() + u'/' + QLatin1String(built))) << built << " is not built";
        ASSERT_TRUE(installed) << installLog.toStdString();
    }

    static QString programFolder() { return prefix + u'/' + QLatin1String(kProgramDir) + u'/'; }
    static QString at(const QString& relative) { return prefix + u'/' + relative; }

    static inline QTemporaryDir* root = nullptr;
    static inline QString prefix;
    static inline bool installed = false;
    static inline QByteArray installLog;
};

TEST_F(InstallTest, ProgramFolderHoldsWhatTheBuildShips)
{
    const QString p = programFolder();
    for (const char* exe : {"QX410-Orvane", "Lumetra"}) {
        const QFileInfo info(p + QLatin1String(exe));
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << exe;
    }
    EXPECT_TRUE(QFileInfo(p + "libVantrel.so").isFile());
    for (const char* image :
         {"png/english/main.png", "png/chinese/main.png", "png/english/SplashScreen.png", "icons/QX410-Orvane-64.png"})
        EXPECT_TRUE(QFileInfo(p + QLatin1String(image)).isFile()) << image;
    EXPECT_FALSE(QFileInfo::exists(p + "png/.generated")) << "the build's stamp is not part of the program";
    const QDir configure(p + "Configure");
    EXPECT_TRUE(configure.exists());
    EXPECT_TRUE(configure.isEmpty());
}

TEST_F(InstallTest, LaunchersLinkIntoTheProgramFolder)
{
    for (const char* exe : {"QX410-Orvane", "Lumetra"}) {
        const QFileInfo launcher(at(QStringLiteral("bin/") + QLatin1String(exe)));
        ASSERT_TRUE(launcher.isSymLink()) << exe;
        // Relative, so a staged or moved prefix keeps working.
        EXPECT_TRUE(std::filesystem::read_symlink(launcher.filePath().toStdString()).is_relative()) << exe;
        EXPECT_EQ(launcher.canonicalFilePath(), QFileInfo(programFolder() + QLatin1String(exe)).canonicalFilePath());
    }
}

TEST_F(InstallTest, DesktopEntriesNameInstalledLaunchersAndIcons)
{
    const struct {
        const char* file;
        const char* exec;
        const char* icon;
    } entries[] = {{"qx410-orvane.desktop", "QX410-Orvane", "qx410-orvane"},
                   {"qx410-lumetra.desktop", "Lumetra", "qx410-lumetra"}};
    for (const auto& e : entries) {
        const QString path = at(QStringLiteral("share/applications/") + QLatin1String(e.file));
        ASSERT_TRUE(QFile::exists(path)) << e.file;
        QSettings entry(path, QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        EXPECT_EQ(entry.value("Type").toString(), QStringLiteral("Application"));
        EXPECT_EQ(entry.value("Exec").toString(), QLatin1String(e.exec)) << e.file;
        EXPECT_TRUE(QFileInfo(at(QStringLiteral("bin/") + QLatin1String(e.exec))).isExecutable()) << e.file;
        EXPECT_EQ(entry.value("Icon").toString(), QLatin1String(e.icon)) << e.file;
        for (int size : kIconSizes) {
            const QString icon =
                at(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(QLatin1String(e.icon)));
            const QImage image(icon);
            EXPECT_EQ(image.size(), QSize(size, size)) << icon.toStdString();
        }
    }
}

TEST_F(InstallTest, UdevRuleIsInstalled)
{
    QFile rule(at(QStringLiteral(ORVANE_UDEV_SUBDIR) + QStringLiteral("/60-qx410-orvane.rules")));
    ASSERT_TRUE(rule.open(QIODevice::ReadOnly));
    EXPECT_TRUE(rule.readAll().contains("TAG+=\"uaccess\""));
}

// Starts the installed program through its launcher, as a user who cannot write the program
// folder (root can write anything: it then runs as nobody), on the emulated keyboard.
TEST_F(InstallTest, ReadOnlyProgramFolderKeepsDataInTheXdgDataFolder)
{
    const bool asRoot = ::geteuid() == 0;
    if (asRoot && !QFileInfo(QStringLiteral("/usr/bin/setpriv")).isExecutable())
        GTEST_SKIP() << "running as root without setpriv: no user who cannot write the program folder";
    const QString home = root->filePath("home"), runtime = root->filePath("run");
    ASSERT_TRUE(QDir().mkpath(home) && QDir().mkpath(runtime));
    ASSERT_EQ(::chmod(runtime.toLocal8Bit().constData(), 0700), 0);
    ASSERT_TRUE(QFile::setPermissions(programFolder(),
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                                          QFile::ReadOther | QFile::ExeOther));
    if (asRoot) {
        ASSERT_EQ(::chmod(root->path().toLocal8Bit().constData(), 0755), 0);
        for (const QString& d : {home, runtime})
            ASSERT_EQ(::chown(d.toLocal8Bit().constData(), kNobody, kNobody), 0);
    }

    QProcessEnvironment env;
    for (const char* keep : {"PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (qEnvironmentVariableIsSet(keep))
            env.insert(QLatin1String(keep), qEnvironmentVariable(keep));
    env.insert("HOME", home);
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_CACHE_HOME", home + "/cache");
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORVANE_HID", "emulator:" + home + "/keyboard.state");
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::MergedChannels);
    const QString launcher = at(QStringLiteral("bin/QX410-Orvane"));
    if (asRoot)
        program.start(QStringLiteral("/usr/bin/setpriv"),
                      {QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
                       QStringLiteral("--clear-groups"), QStringLiteral("--"), launcher});
    else
        program.start(launcher, {});
    ASSERT_TRUE(program.waitForStarted(10000));

    const QString data = home + "/data/QX410-Orvane/";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    const auto saved = [&] {
        return QFileInfo(data + "keymap.bin").size() == kKeymapSize &&
            QFileInfo(data + "MacroDefine.bin").size() == kMacroFileSize;
    };
    while (!saved() && program.state() == QProcess::Running && std::chrono::steady_clock::now() < deadline)
        QThread::msleep(50);
    const bool running = program.state() == QProcess::Running;
    program.terminate();
    if (!program.waitForFinished(10000))
        program.kill();
    program.waitForFinished(5000);
    const std::string output = program.readAll().toStdString();

    EXPECT_TRUE(running) << "the program ended early:\n" << output;
    EXPECT_EQ(QFileInfo(data + "keymap.bin").size(), kKeymapSize) << output;
    EXPECT_EQ(QFileInfo(data + "MacroDefine.bin").size(), kMacroFileSize) << output;
    EXPECT_TRUE(QFileInfo(data + "Configure").isDir());
    EXPECT_FALSE(QFileInfo::exists(programFolder() + "keymap.bin"));
    EXPECT_FALSE(QFileInfo::exists(programFolder() + "MacroDefine.bin"));
}

}   // namespace
