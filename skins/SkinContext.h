#pragma once
// The artwork generator's registry. Each window's painter lives in its own source file and registers
// itself with ORVANE_SKIN_PAINTER; the generator runs every painter once per language with a
// SkinContext that knows the language, the palette, the fonts and where images go.
//
//   // skins/my_window.cpp   (and one line in skins/CMakeLists.txt: orvane_skin_painter(my_window.cpp))
//   #include "skins/SkinContext.h"
//   namespace {
//   void paintMyWindow(orvane::skins::SkinContext& ctx)
//   {
//       QImage img = ctx.newImage(200, 100);
//       ...
//       ctx.save("MyWindow/back.png", img);   // → png/<language>/MyWindow/back.png
//   }
//   } // namespace
//   ORVANE_SKIN_PAINTER(my_window, paintMyWindow);

#include "skins/Palette.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace orvane::skins {

enum class Language { English, Chinese };

class SkinContext {
public:
    SkinContext(Language language, QString outputRoot);

    Language language() const { return language_; }
    bool chinese() const { return language_ == Language::Chinese; }
    // "english" or "chinese": the name of the image folder below png/.
    QString languageFolder() const;
    // The text for the current language (both given as UTF-8).
    QString text(const char* english, const char* chinese) const;

    const Palette& palette() const { return skins::palette(); }

    // "Arial" (Liberation Sans through fontconfig) for English, WenQuanYi Zen Hei for Chinese,
    // at a pixel size; the program's captions use the same faces.
    QFont font(int pixelSize, int weight = QFont::Normal) const;
    // Always the Latin face, for texts that are the same in both languages (key legends, "Hz").
    QFont latinFont(int pixelSize, int weight = QFont::Normal) const;

    // A transparent ARGB image ready for QPainter.
    QImage newImage(int width, int height) const;

    // Writes png/<language>/<relativeName> (sub-folders created). Names use '/'.
    void save(const QString& relativeName, const QImage& image);
    // Writes <output root>/<relativeName> once, on the English pass only: for images that are
    // not skins of one language (application icons).
    void saveShared(const QString& relativeName, const QImage& image);

    int savedCount() const { return saved_; }
    const std::vector<QString>& failures() const { return failures_; }

private:
    void write(const QString& path, const QImage& image);

    Language language_;
    QString outputRoot_;
    int saved_ = 0;
    std::vector<QString> failures_;
};

using PainterFunction = void (*)(SkinContext&);

struct PainterEntry {
    std::string name;
    PainterFunction paint;
};

// All registered painters, sorted by name (registration order across files is unspecified).
std::vector<PainterEntry> registeredPainters();

struct PainterRegistration {
    PainterRegistration(const char* name, PainterFunction paint);
};

} // namespace orvane::skins

#define ORVANE_SKIN_PAINTER(id, function) \
    static const ::orvane::skins::PainterRegistration orvane_skin_painter_##id{#id, function}
