#include "platform/ui/Appearance.h"

#include "platform/ui/Palette.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <QTranslator>

namespace orvane::ui {

QString qtTranslationsFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

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

QPalette darkPalette()
{
    const skins::Palette& c = skins::palette();
    const auto q = [](QRgb v) { return QColor::fromRgb(v); };
    QPalette pal;
    pal.setColor(QPalette::Window, q(c.panel));
    pal.setColor(QPalette::WindowText, q(c.text));
    pal.setColor(QPalette::Base, q(c.field));
    pal.setColor(QPalette::AlternateBase, q(c.window));
    pal.setColor(QPalette::Text, q(c.text));
    pal.setColor(QPalette::PlaceholderText, q(c.textFaint));
    pal.setColor(QPalette::Button, q(c.header));
    pal.setColor(QPalette::ButtonText, q(c.text));
    pal.setColor(QPalette::BrightText, q(c.accentBright));
    pal.setColor(QPalette::Light, q(c.headerHigh));
    pal.setColor(QPalette::Midlight, q(c.panelEdge));
    pal.setColor(QPalette::Mid, q(c.windowEdge));
    pal.setColor(QPalette::Dark, q(c.window));
    pal.setColor(QPalette::Shadow, QColor(0, 0, 0));
    pal.setColor(QPalette::Highlight, q(c.accentDark).lighter(160));
    pal.setColor(QPalette::HighlightedText, q(c.text));
    pal.setColor(QPalette::ToolTipBase, q(c.header));
    pal.setColor(QPalette::ToolTipText, q(c.text));
    pal.setColor(QPalette::Link, q(c.accentBright));
    pal.setColor(QPalette::LinkVisited, q(c.accent));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        pal.setColor(QPalette::Disabled, role, q(c.textFaint));
    pal.setColor(QPalette::Disabled, QPalette::Highlight, q(c.windowEdge));
    return pal;
}

namespace {

// Fusion without the icon theme's pictures on dialog buttons: a stock green tick beside "OK"
// does not belong on the skins' plain captions.
class DarkStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}   // namespace

void applyDarkStyle(QApplication& app)
{
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(new DarkStyle(fusion));
    app.setPalette(darkPalette());
}

}   // namespace orvane::ui
