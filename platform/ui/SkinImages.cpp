#include "platform/ui/SkinImages.h"

#include <QDir>
#include <QFileInfo>

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
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

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

SkinImages::SkinImages(QString folder) : folder_(std::move(folder)) {}

QString SkinImages::findEntry(const QString& dir, const QString& component) const
{
    auto it = listings_.find(dir);
    if (it == listings_.end())
        it = listings_.insert(dir, listFolder(dir));
    const QString hit = matchIn(*it, component);
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
    return QFileInfo(path).isFile() ? path : QString();
}

const QString& SkinImages::pathFor(const QString& name) const
{
    const QString key = normalise(name);
    auto it = resolved_.find(key);
    if (it == resolved_.end())
        it = resolved_.insert(key, resolve(name));
    return *it;
}

const QImage& SkinImages::image(const QString& name) const
{
    // Keyed by the file found, so names differing only in case share one decoded image, while an
    // exact match for a different file keeps its own.
    const QString& path = pathFor(name);
    auto it = images_.find(path);
    if (it == images_.end())
        it = images_.insert(path, path.isEmpty() ? QImage() : QImage(path));
    return *it;
}

const QPixmap& SkinImages::pixmap(const QString& name) const
{
    const QString& path = pathFor(name);
    auto it = pixmaps_.find(path);
    if (it == pixmaps_.end())
        it = pixmaps_.insert(path, QPixmap::fromImage(image(name)));
    return *it;
}

QStringList SkinImages::preload(const QStringList& names) const
{
    QStringList missing;
    for (const QString& n : names)
        if (image(n).isNull())
            missing << n;
    return missing;
}

} // namespace orvane::ui
