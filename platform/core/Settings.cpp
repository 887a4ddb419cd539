#include "platform/core/Settings.h"

#include <QSettings>
#include <cstdlib>

namespace orvane::platform {

std::string Settings::defaultPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return std::string(config) + "/PX840.conf";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "") + "/.config/PX840.conf";
}

Language Settings::language() const
{
    const QSettings ini(QString::fromStdString(path_), QSettings::IniFormat);
    const QVariant value = ini.value(QStringLiteral("Language"));
    return value.typeId() == QMetaType::QString && value.toString() == QLatin1String("chinese") ? Language::Chinese
                                                                                                  : Language::English;
}

} // namespace orvane::platform
