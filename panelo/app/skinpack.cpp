// lumetra-skinpack PNG_FOLDER OUTPUT_FOLDER
// Packs the LCD window's artwork into the twelve skin files that Lumetra carries: for each language
// the skin INI (UTF-16 LE with byte-order mark), the four state images as JPEG and the all-black
// 24-bit BMP mask; besides them the four state images at twice the pixels ("…@2x.jpg", for
// high-density screens), and the resource list (lumetra_skins.qrc) that embeds them all.
// PNG_FOLDER holds english/Lumetra/*.png and chinese/Lumetra/*.png (and their @2x forms) from the
// artwork generator.

#include "panelo/img/SkinLayout.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

using namespace orvane::panelo;

namespace {

constexpr int kJpegQuality = 94;

QString str(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The state's image, or its double one (scale 2: "<state>@2x.png", twice the pixels).
bool packState(const QString& pngFolder, const char* state, const QString& out, int scale = 1)
{
    const QString name =
        QLatin1String(state) + (scale > 1 ? QStringLiteral("@%1x.png").arg(scale) : QStringLiteral(".png"));
    const QImage image(pngFolder + name);
    if (image.size() != QSize(kSkinWidth, kSkinHeight) * scale) {
        std::fprintf(stderr, "lumetra-skinpack: %s%s is missing or not %d x %d\n", qPrintable(pngFolder),
                     qPrintable(name), kSkinWidth * scale, kSkinHeight * scale);
        return false;
    }
    return image.convertToFormat(QImage::Format_RGB888).save(out, "JPEG", kJpegQuality);
}

bool writeMask(const QString& out)
{
    QImage mask(kSkinWidth, kSkinHeight, QImage::Format_RGB888);
    mask.fill(Qt::black);
    return mask.save(out, "BMP");
}

bool packLanguage(const QString& pngRoot, const QString& outRoot, bool chinese, QStringList& files)
{
    const SkinFileNames& names = SkinFilesFor(chinese);
    const QString language = chinese ? QStringLiteral("chinese") : QStringLiteral("english");
    const QString png = pngRoot + QLatin1Char('/') + language + QStringLiteral("/Lumetra/");
    const QString out = outRoot + QLatin1Char('/') + language + QLatin1Char('/');
    if (!QDir().mkpath(out))
        return false;
    const bool ok = writeBytes(out + str(names.ini), SkinIniBytes(chinese)) &&
        packState(png, "normal", out + str(names.normal)) && packState(png, "over", out + str(names.over)) &&
        packState(png, "down", out + str(names.down)) && packState(png, "disable", out + str(names.disable)) &&
        writeMask(out + str(names.mask));
    for (std::string_view n : {names.ini, names.normal, names.over, names.down, names.disable, names.mask})
        files << language + QLatin1Char('/') + str(n);
    // The double state images, for high-density screens.
    const std::pair<const char*, std::string_view> states[] = {
        {"normal", names.normal}, {"over", names.over}, {"down", names.down}, {"disable", names.disable}};
    bool doubled = true;
    for (const auto& [state, file] : states) {
        doubled = doubled && packState(png, state, out + DoubleSkinName(file), kSkinScale);
        files << language + QLatin1Char('/') + DoubleSkinName(file);
    }
    return ok && doubled;
}

QByteArray qrcText(const QStringList& files)
{
    QByteArray text = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/lumetra\">\n";
    for (const QString& f : files)
        text += "  <file>" + f.toUtf8() + "</file>\n";
    return text + "</qresource>\n</RCC>\n";
}

}   // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: lumetra-skinpack PNG_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    QStringList files;
    for (bool chinese : {false, true}) {
        if (!packLanguage(args.at(1), args.at(2), chinese, files)) {
            std::fprintf(stderr, "lumetra-skinpack: cannot write the %s skin into %s\n",
                         chinese ? "Chinese" : "English", qPrintable(args.at(2)));
            return 1;
        }
    }
    if (!writeBytes(args.at(2) + QStringLiteral("/lumetra_skins.qrc"), qrcText(files))) {
        std::fprintf(stderr, "lumetra-skinpack: cannot write %s/lumetra_skins.qrc\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
