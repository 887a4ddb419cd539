#include "panelo/app/panelo.h"

#include "panelo/img/SkinLayout.h"
#include "panelo/app/panelodlg.h"
#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "platform/core/Folders.h"
#include "platform/core/Settings.h"
#include "emulator/Backend.h"
#include "platform/ui/Appearance.h"
#include "platform/ui/UserDialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::panelo {

namespace {

QString str(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QByteArray resource(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Written whole into a regular file of ours, never through a symbolic link, a hard link to
// another file, a FIFO or a device; readable only by the user.
bool writeWhole(const std::string& path, const QByteArray& bytes, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    auto fail = [&](const std::string& why) {
        error = "cannot write " + path + ": " + why;
        ::close(fd);
        return false;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1)
        return fail("not a file of ours (something else was left under its name)");
    if (::ftruncate(fd, 0) != 0)
        return fail(std::strerror(errno));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(std::strerror(errno));
        done += n;
    }
    if (::close(fd) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}   // namespace

SkinFileSet EmbeddedSkinFiles(bool chinese)
{
    const SkinFileNames& names = SkinFilesFor(chinese);
    const QString folder = chinese ? QStringLiteral(":/lumetra/chinese/") : QStringLiteral(":/lumetra/english/");
    SkinFileSet files;
    for (std::string_view name : {names.ini, names.normal, names.over, names.down, names.disable, names.mask}) {
        QByteArray bytes = resource(folder + str(name));
        if (bytes.isEmpty())
            return {};
        files.push_back({str(name), std::move(bytes)});
    }
    return files;
}

QByteArray EmbeddedDoubleSkinPicture(bool chinese, const QString& name)
{
    return resource((chinese ? QStringLiteral(":/lumetra/chinese/") : QStringLiteral(":/lumetra/english/")) + name);
}

std::optional<std::string> ExtractSkinFiles(const std::string& runtimeFolder, const SkinFileSet& files,
                                            std::string& error)
{
    const std::optional<std::string> fileDef = platform::makePrivateFolder(runtimeFolder, kFileDefFolder, error);
    if (!fileDef)
        return std::nullopt;
    const std::optional<std::string> skins = platform::makePrivateFolder(*fileDef, kSkinsFolder, error);
    if (!skins)
        return std::nullopt;
    for (const SkinFile& file : files)
        if (!writeWhole(*skins + file.name.toStdString(), file.bytes, error))
            return std::nullopt;
    return fileDef;
}

int CPaneloApp::InitInstance()
{
    CPaneloDlg dialog(m_services);
    if (!dialog.OnInitDialog()) {
        std::fprintf(stderr, "%s: %s\n", kProgramTitle, qPrintable(dialog.StartError()));
        return 1;
    }
    dialog.exec();
    return 0;
}

int RunLumetra()
{
    std::string error;
    std::unique_ptr<hid::Backend> backend = hid::createBackendFromEnvironment(error);
    if (!backend) {
        std::fprintf(stderr, "%s: %s\n", kProgramTitle, error.c_str());
        return 2;
    }
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        ui::applyDarkStyle(*app);
    const bool chinese = platform::Settings().chinese();
    if (QCoreApplication* app = QCoreApplication::instance(); app && !ui::installQtTranslations(*app, chinese))
        std::fprintf(stderr, "%s: Qt's Chinese texts (qtbase_zh_CN.qm) are not in %s; standard dialogs stay English\n",
                     kProgramTitle, qPrintable(ui::qtTranslationsFolder()));
    ui::QtUserDialogs dialogs;
    FreeTypeGlyphSource glyphs;
    PaneloServices services;
    services.backend = backend.get();
    services.dialogs = &dialogs;
    services.glyphs = &glyphs;
    services.settingsPath = platform::Settings::defaultPath();
    services.runtimeFolder = [](std::string& why) { return platform::runtimeFolder(why); };
    return CPaneloApp(std::move(services)).InitInstance();
}

}   // namespace orvane::panelo
