#pragma once
// Skin files: found by name without regard to letter case (the skin INI names its images in lower
// case, the extracted files carry mixed case) and read only as plain files of the skin folder.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace orvane::panelo {

// Far above any skin picture (the LCD program's are about 0.5 MB); a larger file is not read.
inline constexpr qint64 kMaxSkinFileBytes = qint64(16) << 20;

// The file of `path`'s folder whose name equals its last component without regard to case (an
// exact match wins); otherwise `path` unchanged, so that opening it fails with the name the
// caller asked for.
QString ResolveSkinFile(const QString& path);

// A name the skin may give for one of its files: one plain component, no separator ('/' or '\'),
// not "." or "..", no NUL. Names that could reach outside the skin folder are refused.
bool IsPlainSkinFileName(const QString& name);

// The whole of the regular file `path`, at most `maxBytes`: opened without following a symbolic
// link and without blocking (a FIFO or device is refused, never read). None with `error` saying
// why when it is missing, not a regular file, larger than `maxBytes` or unreadable.
std::optional<QByteArray> ReadSkinFile(const QString& path, qint64 maxBytes, QString* error = nullptr);

}   // namespace orvane::panelo
