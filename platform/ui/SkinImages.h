#pragma once
// Skin images by name. Names are matched without regard to letter case, component by component
// ("KeyMap/Back.png" finds "keymap/back.PNG"), with '/' or '\' as separators. Each image is
// decoded once, on first use, and kept in one form only: the pixmap of a name shares the image's
// pixels. A missing or undecodable image is a null image (and is not retried while it is kept).
// Widgets load what they paint when they are set up (preload), never while painting.
//
// Scale: on a screen whose device-pixel ratio is above 1 the loader reads "<name>@2x.png" beside
// each "<name>.png" (twice the pixels, device-pixel ratio 2), falling back to the plain file where
// there is none; at ratio 1 it reads only the plain files. size() is always in logical pixels.
//
// Scope: what is decoded while a Scope lives, and was not kept before it began, is dropped when the
// scope ends; a panel's images go when the panel closes. References handed out stay valid until
// their image is dropped.

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvane::ui {

class SkinImages {
public:
    // `scale` 1 or 2; 0 takes the application's: 2 when its device-pixel ratio is above 1.
    explicit SkinImages(QString folder, int scale = 0);

    const QString& folder() const { return folder_; }
    int scale() const { return scale_; }

    // The existing file for a name, or an empty string.
    QString resolve(const QString& name) const;
    // Premultiplied ARGB (or RGB32 where the file has no alpha), device-pixel ratio as loaded.
    const QImage& image(const QString& name) const;
    // Needs a QGuiApplication (a pixmap is a window-system resource).
    const QPixmap& pixmap(const QString& name) const;
    // Logical size; read from the file's header (nothing decoded) unless the image is kept already.
    // Empty for a missing or unreadable file.
    QSize size(const QString& name) const;
    // Decodes the named images now; returns the names that are missing.
    QStringList preload(const QStringList& names) const;
    bool has(const QString& name) const { return !image(name).isNull(); }
    // The number of images kept now (null ones included), and the decoded ones with the files
    // they were decoded from.
    std::size_t keptCount() const { return kept_.size(); }
    std::vector<std::pair<QString, QImage>> keptImages() const;

    class Scope {
    public:
        explicit Scope(const SkinImages& images) : images_(images), mark_(images.order_.size()) {}
        ~Scope() { images_.dropFrom(mark_); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        const SkinImages& images_;
        std::size_t mark_;
    };

    // The application's scale for skin images: 2 when its device-pixel ratio is above 1, else 1.
    static int screenScale();
    // "<dir>/<base>@2x.<suffix>" for "<dir>/<base>.<suffix>" (scale 2).
    static QString scaledName(const QString& path, int scale);
    // One file decoded as the loader does: at scale 2 its "@2x" companion when that is twice its
    // size, else the file itself. A null image where neither decodes.
    // `decoded`, when given, receives the file the image came from.
    static QImage decodeFile(const QString& path, int scale, QString* decoded = nullptr);

private:
    struct Kept {
        QString file;   // the file decoded (the "@2x" one where it was used)
        QImage image;
        mutable QPixmap pixmap;   // made on first use from `image`, sharing its pixels
    };
    QString findEntry(const QString& dir, const QString& component) const;
    const QString& pathFor(const QString& name) const;
    const Kept& kept(const QString& name) const;
    void dropFrom(std::size_t mark) const;

    QString folder_;
    int scale_;
    mutable std::unordered_map<QString, QString> resolved_;   // name ('/' separators) → file found, or empty
    // file → its image; node-based, so references stay valid while other images come and go
    mutable std::unordered_map<QString, Kept> kept_;
    mutable std::vector<QString> order_;                          // the keys of kept_ in the order they were decoded
    mutable std::unordered_map<QString, QStringList> listings_;   // folder → its entries
};

// The part of a skinned window that its background image covers: the pixels whose alpha is at
// least half. A frameless window masked with it shows no window colour where the image is
// transparent (its rounded corners). Empty for an image without transparent pixels or a null one.
QRegion opaqueRegion(const QImage& image);

// The file in `dir` whose name equals `name` without regard to case; exact matches win.
// Empty when there is none.
QString findCaseInsensitive(const QString& dir, const QString& name);

}   // namespace orvane::ui
