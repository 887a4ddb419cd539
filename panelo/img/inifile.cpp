#include "panelo/img/inifile.h"

#include "panelo/img/skinfile.h"

#include <QStringConverter>
#include <QStringDecoder>

namespace orvane::panelo {

namespace {

constexpr char kUtf16LeBom[] = "\xFF\xFE";
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
// An INI file is small; a larger file is not a skin INI and is not read at all.
constexpr qint64 kMaxIniBytes = 1 << 20;

bool isSectionLine(QStringView line)
{
    return line.startsWith(u'[') && line.contains(u']');
}

QStringView sectionName(QStringView line)
{
    return line.mid(1, line.indexOf(u']') - 1).trimmed();
}

QString unquote(QString value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// UTF-16 LE without a mark: every INI starts with an ASCII character ('[', ';', a key or a
// blank), which is that byte and a zero; UTF-8 text never holds a zero byte.
bool looksLikeUtf16Le(const QByteArray& bytes)
{
    return bytes.size() >= 2 && bytes[0] != 0 && uchar(bytes[0]) < 0x80 && bytes[1] == 0;
}

}   // namespace

QString DecodeIniText(const QByteArray& bytes)
{
    const bool marked = bytes.startsWith(kUtf16LeBom);
    if (marked || looksLikeUtf16Le(bytes)) {
        QStringDecoder decode(QStringConverter::Utf16LE);
        return decode(QByteArrayView(bytes).sliced(marked ? 2 : 0));
    }
    QByteArrayView body(bytes);
    if (bytes.startsWith(kUtf8Bom))
        body = body.sliced(3);
    return QString::fromUtf8(body);
}

std::optional<QString> FindIniValue(const QString& text, const QString& section, const QString& key)
{
    bool inSection = false;
    for (QStringView raw : QStringView(text).tokenize(u'\n')) {
        const QStringView line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (isSectionLine(line)) {
            inSection = sectionName(line).compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inSection || eq < 0)
            continue;
        if (line.first(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return unquote(line.sliced(eq + 1).trimmed().toString());
    }
    return std::nullopt;
}

bool CIniFile::SetPath(const QString& path)
{
    m_path.reset();
    if (path.size() > kMaxPathUnits)
        return false;
    m_path = path;
    return true;
}

std::optional<QString> CIniFile::GetString(const QString& section, const QString& key,
                                           const QString& defaultValue) const
{
    QString value = defaultValue;
    if (m_path) {
        if (const std::optional<QByteArray> bytes = ReadSkinFile(*m_path, kMaxIniBytes)) {
            if (std::optional<QString> found = FindIniValue(DecodeIniText(*bytes), section, key))
                value = *found;
        }
    }
    value.truncate(kMaxValueUnits);
    if (value.isEmpty())
        return std::nullopt;
    return value;
}

}   // namespace orvane::panelo
