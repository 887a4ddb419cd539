#include "skins/SkinContext.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "ui/Texts.h"

namespace orvane::skins {

namespace {

std::vector<PainterEntry>& registry()
{
    static std::vector<PainterEntry> entries;
    return entries;
}

constexpr const char* kLatinFamily = "Arial";
constexpr const char* kChineseFamily = "WenQuanYi Zen Hei";

QFont makeFont(const char* family, int pixelSize, int weight)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixelSize);
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

}   // namespace

PainterRegistration::PainterRegistration(const char* name, PainterFunction paint)
{
    registry().push_back({name, paint});
}

std::vector<PainterEntry> registeredPainters()
{
    std::vector<PainterEntry> all = registry();
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return all;
}

SkinContext::SkinContext(Language language, QString outputRoot, int scale)
    : language_(language), outputRoot_(std::move(outputRoot)), scale_(scale > 1 ? 2 : 1)
{}

QString SkinContext::languageFolder() const
{
    return chinese() ? QStringLiteral("chinese") : QStringLiteral("english");
}

QString SkinContext::text(const char* english, const char* chinese) const
{
    return ui::text(language_, english, chinese);
}

QFont SkinContext::font(int pixelSize, int weight) const
{
    return makeFont(chinese() ? kChineseFamily : kLatinFamily, pixelSize, weight);
}

QFont SkinContext::latinFont(int pixelSize, int weight) const
{
    return makeFont(kLatinFamily, pixelSize, weight);
}

QImage SkinContext::newImage(int width, int height) const
{
    QImage img(width * scale_, height * scale_, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(scale_);
    img.fill(Qt::transparent);
    return img;
}

QImage SkinContext::newOpaqueImage(QSize size, const QColor& fill) const
{
    QImage img(size * scale_, QImage::Format_RGB32);
    img.setDevicePixelRatio(scale_);
    img.fill(fill);
    return img;
}

QImage SkinContext::copy(const QImage& image, const QRect& logical)
{
    const qreal s = image.devicePixelRatio();
    QImage part =
        image.copy(QRectF(logical.x() * s, logical.y() * s, logical.width() * s, logical.height() * s).toAlignedRect());
    part.setDevicePixelRatio(s);
    return part;
}

void SkinContext::save(const QString& relativeName, const QImage& image)
{
    QString name = relativeName;
    if (scale_ > 1) {
        const int dot = int(name.lastIndexOf(QLatin1Char('.')));
        name.insert(dot < 0 ? name.size() : dot, QStringLiteral("@%1x").arg(scale_));
    }
    const QString path = outputRoot_ + QStringLiteral("/png/") + languageFolder() + QLatin1Char('/') + name;
    if (image.devicePixelRatio() != scale_) {
        failures_.push_back(path + QStringLiteral(" (drawn at another scale)"));
        return;
    }
    write(path, image);
}

void SkinContext::saveShared(const QString& relativeName, const QImage& image)
{
    if (!chinese() && scale_ == 1)
        write(outputRoot_ + QLatin1Char('/') + relativeName, image);
}

void SkinContext::write(const QString& path, const QImage& image)
{
    const QFileInfo info(path);
    if (image.isNull() || !QDir().mkpath(info.absolutePath()) ||
        !image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
        failures_.push_back(path);
        return;
    }
    ++saved_;
}

}   // namespace orvane::skins
