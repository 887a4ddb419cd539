#include "panelo/app/SkinLayout.h"

#include <QString>
#include <QStringEncoder>

namespace orvane::panelo {

namespace {

QString str(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QString skinIniText(const SkinFileNames& names)
{
    QString text = QStringLiteral("[SCREEN]\r\n");
    text += QStringLiteral("Main=") + str(names.normal).toLower() + QStringLiteral("\r\n");
    text += QStringLiteral("Mask=") + str(names.mask).toLower() + QStringLiteral("\r\n\r\n");
    text += QStringLiteral("[BUTTONINFO]\r\n");
    for (const SkinControl& c : kSkinControls)
        text += QStringLiteral("%1=%2,%3,%4,%5,\"%6\"\r\n")
                    .arg(str(c.key)).arg(c.x).arg(c.y).arg(c.w).arg(c.h).arg(str(c.label));
    return text;
}

} // namespace

QByteArray SkinIniBytes(bool chinese)
{
    QStringEncoder encode(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encode(skinIniText(SkinFilesFor(chinese))));
}

} // namespace orvane::panelo
