#include "platform/core/VersionFile.h"

#include <QFile>

namespace orvane::platform {

std::array<uint8_t, 4> ReadVersionFile(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.read(12);
    if (b.size() < 8)
        return {};
    const auto digit = [&](int i) -> uint8_t {
        const char c = b[i];
        return c >= '0' && c <= '9' ? uint8_t(c - '0') : 0;
    };
    return {digit(5), digit(7), 0, 0};
}

} // namespace orvane::platform
