#include "panelo/img/skinfile.h"

#include "platform/ui/SkinImages.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::panelo {

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

}   // namespace

QString ResolveSkinFile(const QString& path)
{
    const QFileInfo info(path);
    if (info.fileName().isEmpty())
        return path;
    const QString found = ui::findCaseInsensitive(info.path(), info.fileName());
    return found.isEmpty() ? path : found;
}

bool IsPlainSkinFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/') &&
        !name.contains(u'\\') && !name.contains(QChar(0));
}

std::optional<QByteArray> ReadSkinFile(const QString& path, qint64 maxBytes, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(errno == ELOOP ? QStringLiteral("a symbolic link, not read") : systemError(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(QStringLiteral("not a regular file"));
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    }
    // The size may still change while it is read; never more than the limit is taken.
    QByteArray bytes(qsizetype(st.st_size), Qt::Uninitialized);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > maxBytes)
                break;
            bytes.resize(std::min<qsizetype>(bytes.size() + 4096, qsizetype(maxBytes) + 1));
        }
        const ssize_t n = ::read(fd, bytes.data() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int why = errno;
            ::close(fd);
            return fail(systemError(why));
        }
        if (n == 0)
            break;
        done += n;
    }
    ::close(fd);
    if (done > maxBytes)
        return fail(QStringLiteral("larger than %1 bytes").arg(maxBytes));
    bytes.truncate(done);
    return bytes;
}

}   // namespace orvane::panelo
