#pragma once
// Skin images by name. Names are matched without regard to letter case, component by component
// ("KeyMap/Back.png" finds "keymap/back.PNG"), with '/' or '\' as separators. Each image is
// decoded once and kept; a missing or undecodable image is a null image (and is not retried).
// Widgets load what they paint when they are set up (preload), never while painting.

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QString>
#include <QStringList>

namespace orvane::ui {

class SkinImages {
public:
    explicit SkinImages(QString folder);

    const QString& folder() const { return folder_; }

    // The existing file for a name, or an empty string.
    QString resolve(const QString& name) const;
    const QImage& image(const QString& name) const;
    // Needs a QGuiApplication (a pixmap is a window-system resource).
    const QPixmap& pixmap(const QString& name) const;
    QSize size(const QString& name) const { return image(name).size(); }
    // Decodes the named images now; returns the names that are missing.
    QStringList preload(const QStringList& names) const;
    bool has(const QString& name) const { return !image(name).isNull(); }

private:
    QString findEntry(const QString& dir, const QString& component) const;
    const QString& pathFor(const QString& name) const;

    QString folder_;
    mutable QHash<QString, QString> resolved_;   // name ('/' separators) → file found, or empty
    mutable QHash<QString, QImage> images_;      // file → decoded image (empty key: the null image)
    mutable QHash<QString, QPixmap> pixmaps_;
    mutable QHash<QString, QStringList> listings_;   // folder → its entries
};

// The part of a skinned window that its background image covers: the pixels whose alpha is at
// least half. A frameless window masked with it shows no window colour where the image is
// transparent (its rounded corners). Empty for an image without transparent pixels or a null one.
QRegion opaqueRegion(const QImage& image);

// The file in `dir` whose name equals `name` without regard to case; exact matches win.
// Empty when there is none.
QString findCaseInsensitive(const QString& dir, const QString& name);

} // namespace orvane::ui
