#include "panelo/img/SkinLayout.h"

#include <QString>
#include <QStringEncoder>

namespace orvane::panelo {

namespace {

QString str(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

QString skinIniText(const SkinFileNames& names)
{
    QString text = QStringLiteral("[SCREEN]\r\n");
    text += QStringLiteral("Main=") + str(names.normal).toLower() + QStringLiteral("\r\n");
    text += QStringLiteral("Mask=") + str(names.mask).toLower() + QStringLiteral("\r\n\r\n");
    text += QStringLiteral("[BUTTONINFO]\r\n");
    for (const SkinControl& c : kSkinControls)
        text += QStringLiteral("%1=%2,%3,%4,%5,\"%6\"\r\n")
                    .arg(str(c.key))
                    .arg(c.x)
                    .arg(c.y)
                    .arg(c.w)
                    .arg(c.h)
                    .arg(str(c.label));
    return text;
}

}   // namespace

QByteArray SkinIniBytes(bool chinese)
{
    QStringEncoder encode(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encode(skinIniText(SkinFilesFor(chinese))));
}

QString DoubleSkinName(std::string_view stateFile)
{
    QString name = QString::fromUtf8(stateFile.data(), qsizetype(stateFile.size()));
    const qsizetype dot = name.lastIndexOf(u'.');
    name.insert(dot < 0 ? name.size() : dot, QStringLiteral("@%1x").arg(kSkinScale));
    return name;
}

}   // namespace orvane::panelo
