#include "platform/ui/SkinImages.h"

#include "platform/core/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

#include <malloc.h>
#include <unistd.h>

#include <vector>

namespace orvane::ui {

namespace {

QString normalise(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return n;
}

QString matchIn(const QStringList& entries, const QString& name)
{
    if (entries.contains(name))
        return name;
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return {};
}

QStringList listFolder(const QString& dir)
{
    // System too: a FIFO, device or dangling link under a skin file's name is found, so that the
    // reader refuses it in words instead of the name seeming to be missing.
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden);
}

// `path` opened for an image reader: without blocking (a FIFO planted under a skin image's name
// would hold the window) and only when it is a regular file. Anything else is one stderr line and
// reads as a missing image.
bool openImageFile(const QString& path, QFile& file)
{
    const std::string name = QFile::encodeName(path).toStdString();
    const platform::OpenedFile opened = platform::openRegularFile(name);
    if (opened.status != platform::FileStatus::Regular) {
        if (opened.status != platform::FileStatus::Missing)
            platform::reportUnreadableFile(name, opened.describe(), "the image is left out");
        return false;
    }
    if (file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(opened.fd);
    return false;
}

// The image of a regular file, decoded from the descriptor checked (never the name opened again).
QImage readImage(const QString& path)
{
    QFile file;
    if (!openImageFile(path, file))
        return {};
    QImageReader reader(&file);
    return reader.read();
}

QSize headerSize(const QString& path, bool* decodable)
{
    QFile file;
    if (!openImageFile(path, file)) {
        *decodable = false;
        return {};
    }
    QImageReader reader(&file);
    const QSize size = reader.size();
    *decodable = reader.canRead();
    return size;
}

// The form QPixmap keeps on a raster window system, so that a pixmap made from it shares its pixels.
void toPixmapForm(QImage& image)
{
    if (!image.isNull())
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
}

}   // namespace

QRegion opaqueRegion(const QImage& image)
{
    if (image.isNull() || !image.hasAlphaChannel())
        return {};
    constexpr int kOpaqueAlpha = 128;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<QRect> runs;
    bool anyTransparent = false;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width();) {
            if (qAlpha(row[x]) < kOpaqueAlpha) {
                anyTransparent = true;
                ++x;
                continue;
            }
            const int start = x;
            while (x < argb.width() && qAlpha(row[x]) >= kOpaqueAlpha)
                ++x;
            runs.emplace_back(start, y, x - start, 1);
        }
    }
    if (!anyTransparent || runs.empty())
        return {};
    QRegion region;
    region.setRects(runs.data(), int(runs.size()));
    return region;
}

QString findCaseInsensitive(const QString& dir, const QString& name)
{
    const QString hit = matchIn(listFolder(dir), name);
    return hit.isEmpty() ? QString() : QDir(dir).filePath(hit);
}

SkinImages::SkinImages(QString folder, int scale)
    : folder_(std::move(folder)), scale_(scale == 0 ? screenScale() : (scale > 1 ? 2 : 1))
{}

int SkinImages::screenScale()
{
    return qGuiApp && qGuiApp->devicePixelRatio() > 1.0 ? 2 : 1;
}

QString SkinImages::scaledName(const QString& path, int scale)
{
    if (scale <= 1)
        return path;
    const int slash = int(path.lastIndexOf(QLatin1Char('/')));
    const int dot = int(path.lastIndexOf(QLatin1Char('.')));
    const QString suffix = QStringLiteral("@%1x").arg(scale);
    return dot > slash ? path.left(dot) + suffix + path.mid(dot) : path + suffix;
}

QString SkinImages::findEntry(const QString& dir, const QString& component) const
{
    auto it = listings_.find(dir);
    if (it == listings_.end())
        it = listings_.emplace(dir, listFolder(dir)).first;
    const QString hit = matchIn(it->second, component);
    return hit.isEmpty() ? QString() : QDir(dir).filePath(hit);
}

QString SkinImages::resolve(const QString& name) const
{
    const QStringList parts = normalise(name).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.contains(QStringLiteral("..")))
        return {};   // names stay inside the skin folder
    QString path = folder_;
    for (const QString& part : parts) {
        path = findEntry(path, part);
        if (path.isEmpty())
            return {};
    }
    // Only a regular file is an image; what else has the name (a FIFO, a device, a folder, a link
    // to nothing) is said once, as the name is resolved once, and is a missing image.
    QFile file;
    return openImageFile(path, file) ? path : QString();
}

const QString& SkinImages::pathFor(const QString& name) const
{
    const QString key = normalise(name);
    auto it = resolved_.find(key);
    if (it == resolved_.end())
        it = resolved_.emplace(key, resolve(name)).first;
    return it->second;
}

QImage SkinImages::decodeFile(const QString& path, int scale, QString* decoded)
{
    if (decoded)
        *decoded = path;
    if (path.isEmpty())
        return {};
    if (scale > 1) {
        // The scaled file only where it really is the plain one at twice the pixels; otherwise the
        // plain image keeps the layout right (and is scaled up when painted).
        const QFileInfo plain(path);
        const QString scaled = findCaseInsensitive(plain.absolutePath(), scaledName(plain.fileName(), scale));
        if (!scaled.isEmpty() && QFileInfo(scaled).isFile()) {
            QImage image = readImage(scaled);
            bool decodable = false;
            const QSize logical = headerSize(path, &decodable);
            if (!image.isNull() && (!logical.isValid() || image.size() == logical * scale)) {
                image.setDevicePixelRatio(scale);
                toPixmapForm(image);
                if (decoded)
                    *decoded = scaled;
                return image;
            }
        }
    }
    QImage image = readImage(path);
    image.setDevicePixelRatio(1);
    toPixmapForm(image);
    return image;
}

const SkinImages::Kept& SkinImages::kept(const QString& name) const
{
    // Keyed by the file found, so names differing only in case share one decoded image, while an
    // exact match for a different file keeps its own.
    const QString& path = pathFor(name);
    auto it = kept_.find(path);
    if (it == kept_.end()) {
        Kept k;
        k.image = decodeFile(path, scale_, &k.file);
        it = kept_.emplace(path, std::move(k)).first;
        order_.push_back(path);
    }
    return it->second;
}

const QImage& SkinImages::image(const QString& name) const
{
    return kept(name).image;
}

QSize SkinImages::size(const QString& name) const
{
    const QString& path = pathFor(name);
    if (const auto it = kept_.find(path); it != kept_.end())
        return it->second.image.deviceIndependentSize().toSize();
    if (path.isEmpty())
        return QSize(0, 0);
    bool decodable = false;
    const QSize header = headerSize(path, &decodable);
    // A header alone does not prove the picture decodes: where it gives nothing, decode.
    return header.isValid() && decodable ? header : image(name).deviceIndependentSize().toSize();
}

const QPixmap& SkinImages::pixmap(const QString& name) const
{
    const Kept& k = kept(name);
    if (k.pixmap.isNull() && !k.image.isNull())
        k.pixmap = QPixmap::fromImage(k.image, Qt::NoFormatConversion);
    return k.pixmap;
}

QStringList SkinImages::preload(const QStringList& names) const
{
    QStringList missing;
    for (const QString& n : names)
        if (image(n).isNull())
            missing << n;
    return missing;
}

std::vector<std::pair<QString, QImage>> SkinImages::keptImages() const
{
    std::vector<std::pair<QString, QImage>> all;
    for (const QString& file : order_)
        if (const Kept& k = kept_.at(file); !k.image.isNull())
            all.emplace_back(k.file, k.image);
    return all;
}

void SkinImages::dropFrom(std::size_t mark) const
{
    if (order_.size() <= mark)
        return;
    while (order_.size() > mark) {
        kept_.erase(order_.back());
        order_.pop_back();
    }
    // A closed panel's pixels go back to the system, not only to the allocator's free lists.
    ::malloc_trim(0);
}

}   // namespace orvane::ui
