// orvane-skingen OUTPUT_ROOT [PAINTER...]
// Draws every skin image of the main program into OUTPUT_ROOT/png/english/ and
// OUTPUT_ROOT/png/chinese/, each also at twice the pixels as <name>@2x.png for high-density
// screens (and the application icons into OUTPUT_ROOT/icons/), then writes
// OUTPUT_ROOT/png/.generated as the build's stamp. With painter names, runs only those.

#include "skins/SkinContext.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include <cstdio>

using namespace orvane::skins;

namespace {

// The faces the artwork is designed for; drawing with a fallback face would still work but
// would not look like the program's own captions, so say so.
void checkFonts()
{
    const SkinContext en(Language::English, {});
    const SkinContext zh(Language::Chinese, {});
    const QString latin = QFontInfo(en.font(14)).family();
    const QString chinese = QFontInfo(zh.font(14)).family();
    if (!latin.contains(QLatin1String("Liberation Sans"), Qt::CaseInsensitive) &&
        !latin.contains(QLatin1String("Arial"), Qt::CaseInsensitive))
        std::fprintf(stderr, "orvane-skingen: warning: \"Arial\" resolves to %s (install fonts-liberation)\n",
                     qPrintable(latin));
    if (!chinese.contains(QLatin1String("WenQuanYi"), Qt::CaseInsensitive))
        std::fprintf(stderr, "orvane-skingen: warning: Chinese texts use %s (install fonts-wqy-zenhei)\n",
                     qPrintable(chinese));
}

bool selected(const PainterEntry& entry, const QStringList& only)
{
    return only.isEmpty() || only.contains(QString::fromStdString(entry.name));
}

}   // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: orvane-skingen OUTPUT_ROOT [PAINTER...]\n");
        return 2;
    }
    const QString root = args.at(1);
    const QStringList only = args.mid(2);
    checkFonts();

    int saved = 0;
    int failed = 0;
    for (int scale : {1, 2}) {
        for (Language language : {Language::English, Language::Chinese}) {
            SkinContext ctx(language, root, scale);
            for (const PainterEntry& entry : registeredPainters())
                if (selected(entry, only))
                    entry.paint(ctx);
            for (const QString& path : ctx.failures())
                std::fprintf(stderr, "orvane-skingen: cannot write %s\n", qPrintable(path));
            saved += ctx.savedCount();
            failed += static_cast<int>(ctx.failures().size());
        }
    }
    if (failed != 0)
        return 1;
    QFile stamp(root + QStringLiteral("/png/.generated"));
    if (!stamp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "orvane-skingen: cannot write %s\n", qPrintable(stamp.fileName()));
        return 1;
    }
    stamp.write(QByteArray::number(saved) + " images\n");
    return 0;
}
