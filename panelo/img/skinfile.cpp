#include "panelo/img/skinfile.h"

#include <QDir>
#include <QFileInfo>

namespace orvane::panelo {

QString ResolveSkinFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.exists() || info.fileName().isEmpty())
        return path;
    const QDir folder = info.dir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries)
        if (entry.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    return path;
}

} // namespace orvane::panelo
