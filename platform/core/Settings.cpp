#include "platform/core/Settings.h"

#include "platform/core/RegularFile.h"

#include <QSettings>
#include <cstdlib>
#include <unistd.h>

namespace orvane::platform {
namespace {

// Far above any settings file: a larger one is not read.
constexpr long long kMaxSettingsBytes = 1 << 20;

}   // namespace

std::string Settings::defaultPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::string(config) + "/PX840.conf";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.config/PX840.conf";
}

bool Settings::chinese() const
{
    // The INI reader opens the file with a blocking read of all of it: it gets only a regular file
    // of a settings file's size. A FIFO, device, folder or link to nothing there reads as a missing
    // file (English), in one stderr line.
    const OpenedFile file = openRegularFile(path_);
    if (file.status != FileStatus::Regular) {
        if (file.status != FileStatus::Missing)
            reportUnreadableFile(path_, file.describe(), "the language is English");
        return false;
    }
    ::close(file.fd);
    if (file.size > kMaxSettingsBytes) {
        reportUnreadableFile(path_, "larger than " + std::to_string(kMaxSettingsBytes) + " bytes",
                             "the language is English");
        return false;
    }
    const QSettings ini(QString::fromStdString(path_), QSettings::IniFormat);
    const QVariant value = ini.value(QStringLiteral("Language"));
    return value.typeId() == QMetaType::QString && value.toString() == QLatin1String("chinese");
}

}   // namespace orvane::platform
