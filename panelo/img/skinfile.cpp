#include "panelo/img/skinfile.h"

#include "platform/ui/SkinImages.h"

#include <QFileInfo>

namespace orvane::panelo {

QString ResolveSkinFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        return path;
    const QString found = ui::findCaseInsensitive(info.path(), info.fileName());
    return found.isEmpty() ? path : found;
}

} // namespace orvane::panelo
