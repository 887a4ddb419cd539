#pragma once
// The artwork generator's registry. Each window's painter lives in its own source file and registers
// itself with ORVANE_SKIN_PAINTER; the generator runs every painter once per language and scale with
// a SkinContext that knows the language, the scale, the palette, the fonts and where images go.
//
// Painters draw in logical pixels only: at scale 2, newImage() gives twice the pixels with a
// device-pixel ratio of 2 (QPainter then draws every shape and text at twice the resolution) and
// save() writes "<name>@2x.png" beside "<name>.png". Use logicalSize()/logicalRect()/copy() rather
// than the image's own width(), height(), rect() and copy(), which count pixels.
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

#include "model/Language.h"
#include "platform/ui/Palette.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <functional>
#include <string>
#include <vector>

namespace orvane::skins {

using model::Language;

class SkinContext {
public:
    SkinContext(Language language, QString outputRoot, int scale = 1);

    Language language() const { return language_; }
    int scale() const { return scale_; }
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

    // A transparent ARGB image ready for QPainter, of width x height logical pixels.
    QImage newImage(int width, int height) const;
    // An opaque image of that logical size filled with `fill`.
    QImage newOpaqueImage(QSize size, const QColor& fill) const;
    // The logical size of an image of this context, and a part of it given in logical pixels.
    static QSize logicalSize(const QImage& image) { return image.deviceIndependentSize().toSize(); }
    static QRect logicalRect(const QImage& image) { return QRect(QPoint(0, 0), logicalSize(image)); }
    static QImage copy(const QImage& image, const QRect& logical);

    // Writes png/<language>/<relativeName> (sub-folders created; "<name>@2x.png" at scale 2). Names
    // use '/'. An image not made at this context's scale is a failure.
    void save(const QString& relativeName, const QImage& image);
    // Writes <output root>/<relativeName> once, on the English pass at scale 1 only: for images
    // that are not skins of one language (application icons, which come in their own sizes).
    void saveShared(const QString& relativeName, const QImage& image);

    int savedCount() const { return saved_; }
    const std::vector<QString>& failures() const { return failures_; }

private:
    void write(const QString& path, const QImage& image);

    Language language_;
    QString outputRoot_;
    int scale_;
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

}   // namespace orvane::skins

#define ORVANE_SKIN_PAINTER(id, function)                                      \
    static const ::orvane::skins::PainterRegistration orvane_skin_painter_##id \
    {                                                                          \
#id, function                                                          \
    }
