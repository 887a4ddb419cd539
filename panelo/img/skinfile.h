#pragma once
// Skin files are named without regard to letter case (the skin INI names its images in lower
// case, the extracted files carry mixed case), while Linux file names are case-sensitive.

#include <QString>

namespace orvane::panelo {

// The file of `path`'s folder whose name equals its last component without regard to case (an
// exact match wins); otherwise `path` unchanged, so that opening it fails with the name the
// caller asked for.
QString ResolveSkinFile(const QString& path);

} // namespace orvane::panelo
