#pragma once
// CIniFile: reads values from a Windows-style INI file ("[Section]" lines, "key=value" lines).
// The file may be UTF-16 little-endian with a byte-order mark (as the skin INIs are) or without
// one, or UTF-8 (with or without a mark). It is read only when it is a regular file of at most
// 1 MiB, never through a symbolic link. Section and key names match without regard to letter case, as the
// platform's INI reader does; the first matching key of the first matching section wins.

#include <QString>

#include <optional>

namespace orvane::panelo {

class CIniFile {
public:
    // The path buffer holds 260 UTF-16 units including the terminator.
    static constexpr qsizetype kMaxPathUnits = 259;
    // Values are cut to this many UTF-16 units.
    static constexpr qsizetype kMaxValueUnits = 2047;

    virtual ~CIniFile() = default;

    // Remembers the file to read from. A path that does not fit the path buffer is refused
    // (false) rather than cut, so that no other file is read by mistake; the reader then has no
    // path and every lookup gives its default.
    bool SetPath(const QString& path);
    const std::optional<QString>& Path() const { return m_path; }

    // The value of `key` in `section`, or `defaultValue` when the file, the section or the key is
    // missing. None when the result is empty. The file is read at every call.
    std::optional<QString> GetString(const QString& section, const QString& key, const QString& defaultValue) const;

private:
    std::optional<QString> m_path;
};

// Decodes INI bytes: UTF-16 LE when they start with FF FE, or without that mark when the first
// character is ASCII followed by a zero byte; otherwise UTF-8 (a leading EF BB BF is dropped).
QString DecodeIniText(const QByteArray& bytes);

// The value of `key` in `section` of the INI text, trimmed; none when absent. A value enclosed
// in one pair of matching quotes loses them, as the platform's reader does.
std::optional<QString> FindIniValue(const QString& text, const QString& section, const QString& key);

}   // namespace orvane::panelo
