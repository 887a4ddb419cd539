#include "platform/ui/Appearance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace orvane::ui {

QString qtTranslationsFolder() { return QLibraryInfo::path(QLibraryInfo::TranslationsPath); }

bool installQtTranslations(QCoreApplication& app, bool chinese, const QString& folder)
{
    if (!chinese)
        return true;
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"), folder.isEmpty() ? qtTranslationsFolder() : folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace orvane::ui
