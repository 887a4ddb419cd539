// The generated skins: every image the main window names exists in both languages at the size its
// layout implies, the keyboard picture agrees with the key table, and (with
// ORVANE_SKIN_SCREENSHOTS=<folder>) the window is composed from them for a look.

#include "model/KeyTables.h"
#include "platform/ui/SkinImages.h"
#include "skins/KeyLegends.h"
#include "tests/support/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFontMetricsF>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

#include <algorithm>
#include <map>

using orvane::keymap::KeyLayoutTable;
using orvane::ui::SkinImages;

namespace {

struct Expected {
    const char* name;
    QSize size;
};

// clang-format off
const Expected kImages[] = {
    {"main.png", {1000, 645}},
    {"button-help-normal.png", {17, 16}}, {"button-help-over.png", {17, 16}},
    {"button-min-normal.png", {17, 16}},  {"button-min-over.png", {17, 16}},
    {"button-close-normal.png", {17, 16}}, {"button-close-over.png", {17, 16}},
    {"logo.png", {240, 64}},
    {"kb_BK.png", {636, 256}}, {"kb_hl.png", {636, 256}},
    {"button-cancel-normal.png", {58, 36}}, {"button-cancel-over.png", {58, 36}},
    {"button-save-normal.png", {58, 36}},   {"button-save-over.png", {58, 36}},
    {"Config.png", {75, 33}}, {"HelpWindow.png", {167, 102}},
    {"light_BK.png", {242, 20}}, {"itemBK.png", {242, 20}},
    {"LEDEffect_open.png", {242, 200}}, {"freq.png", {242, 85}},
    {"gamemode_Close.png", {242, 20}}, {"gamemode_open.png", {242, 52}},
    {"responsetime_close.png", {242, 20}}, {"responsetime_open.png", {242, 68}},
    {"reportrate_Close.png", {242, 20}}, {"reportrate_Open.png", {242, 52}},
    {"MacroManagementBK.png", {242, 48}}, {"macroButton3.png", {241, 19}},
    {"Light_Item.png", {221, 16}}, {"Disable.png", {12, 12}}, {"Enable.png", {12, 12}},
    {"Direction-T-Disable.png", {36, 16}}, {"Direction-T-Enable.png", {36, 16}},
    {"Direction-B-Disable.png", {36, 16}}, {"Direction-B-Enable.png", {36, 16}},
    {"Direction-L-Disable.png", {36, 16}}, {"Direction-L-Enable.png", {36, 16}},
    {"Direction-R-Disable.png", {36, 16}}, {"Direction-R-Enable.png", {36, 16}},
    {"1.png", {218, 23}}, {"125Hz.png", {213, 10}},
    {"bitmap139.png", {220, 12}}, {"bitmap140.png", {220, 12}}, {"bitmap141.png", {15, 14}},
    {"Thumb.png", {15, 14}}, {"SplashScreen.png", {520, 300}},
};
// clang-format on

QString skinFolder(const char* language)
{
    return orvane::test::programFolder() + QStringLiteral("png/") + QLatin1String(language);
}

// The largest mean difference (0..255) along one row or column between a plain image and its
// double one shrunk to the plain size: what antialiasing at two resolutions leaves.
constexpr double kDoubleTolerance = 40.0;

class GeneratedSkins : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        folder = skinFolder(GetParam());
        ASSERT_TRUE(QDir(folder).exists()) << folder.toStdString() << ": the build draws the skins";
    }
    QString folder;
};

TEST_P(GeneratedSkins, EveryNamedImageAtItsSize)
{
    const SkinImages images(folder);
    for (const Expected& e : kImages) {
        const QString name = QString::fromLatin1(e.name);
        EXPECT_EQ(images.resolve(name), folder + QLatin1Char('/') + name) << e.name << " (exact file name)";
        EXPECT_EQ(images.size(name), e.size) << e.name;
    }
}

TEST_P(GeneratedSkins, HighlightedKeyboardDiffersAtEveryKeyCentreOnly)
{
    const SkinImages images(folder);
    const QImage& normal = images.image("kb_BK.png");
    const QImage& lit = images.image("kb_hl.png");
    ASSERT_FALSE(normal.isNull());
    ASSERT_EQ(normal.size(), lit.size());
    for (std::size_t k = 0; k < KeyLayoutTable.size(); ++k) {
        const auto& r = KeyLayoutTable[k].rect;
        const QPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        ASSERT_TRUE(normal.rect().contains(centre)) << "key " << k;
        EXPECT_NE(normal.pixel(centre), lit.pixel(centre)) << "key " << k;
    }
    // Outside the keys (the case's top band) the two pictures are the same.
    EXPECT_EQ(normal.pixel(20, 60), lit.pixel(20, 60));
    EXPECT_EQ(normal.copy(0, 0, normal.width(), 80), lit.copy(0, 0, lit.width(), 80));
}

TEST_P(GeneratedSkins, ApplicationIcons)
{
    const QString icons = orvane::test::programFolder() + QStringLiteral("icons/");
    for (int size : {16, 32, 48, 64, 128, 256})
        EXPECT_EQ(QImage(icons + QStringLiteral("QX410-Orvane-%1.png").arg(size)).size(), QSize(size, size)) << size;
}

TEST_P(GeneratedSkins, EveryImageHasADoubleThatShowsTheSamePicture)
{
    // Each image at twice the pixels, and drawn in logical pixels: shrunk back to the plain size
    // it is the plain picture (within antialiasing), so no part of it is cut off, moved or left out.
    QDirIterator it(folder, {QStringLiteral("*.png")}, QDir::Files, QDirIterator::Subdirectories);
    int checked = 0;
    while (it.hasNext()) {
        const QString plainPath = it.next();
        if (plainPath.endsWith(QLatin1String("@2x.png")))
            continue;
        SCOPED_TRACE(plainPath.toStdString());
        const QImage plain = QImage(plainPath).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage doubled =
            QImage(SkinImages::scaledName(plainPath, 2)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        ASSERT_FALSE(doubled.isNull()) << "no @2x image";
        ASSERT_EQ(doubled.size(), plain.size() * 2);
        const QImage shrunk = doubled.scaled(plain.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // The worst row or column: a cut-off edge or a misplaced glyph shows there even in a large image.
        std::vector<double> rows(std::size_t(plain.height()), 0), columns(std::size_t(plain.width()), 0);
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                const QRgb a = plain.pixel(x, y), b = shrunk.pixel(x, y);
                const int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                        std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                rows[std::size_t(y)] += double(d) / plain.width();
                columns[std::size_t(x)] += double(d) / plain.height();
            }
        const double worst =
            std::max(*std::max_element(rows.begin(), rows.end()), *std::max_element(columns.begin(), columns.end()));
        EXPECT_LT(worst, kDoubleTolerance);
        ++checked;
    }
    EXPECT_GT(checked, 40);
}

INSTANTIATE_TEST_SUITE_P(Languages, GeneratedSkins, ::testing::Values("english", "chinese"));

// Every legend of the keyboard picture, measured in the font it is drawn with, lies inside its
// cap's top face with the margin; word legends of one row of a key cluster share one face and
// size.
TEST(KeyLegends, EveryLegendFitsItsKeyAtOneSizePerRow)
{
    using namespace orvane::skins;
    std::map<std::pair<qreal, int>, QFont> rowFont;
    for (std::size_t k = 0; k < KeyLayoutTable.size(); ++k) {
        const QString legend = keyLegend(k);
        if (legend.isEmpty())
            continue;
        SCOPED_TRACE(legend.toStdString());
        const QFont font = legendFont(k);
        const QFontMetricsF m(font);
        const QRectF face = legendFace(k);
        EXPECT_TRUE(keyCap(k).contains(face));
        const qreal width = std::max(m.horizontalAdvance(legend), m.boundingRect(legend).width());
        EXPECT_LE(width, face.width() - 2 * kLegendMargin) << "at " << font.pixelSize() << " px";
        EXPECT_LE(m.height(), face.height());
        EXPECT_GE(font.pixelSize(), 6);
        if (legend.size() > 1) {
            const auto [at, inserted] = rowFont.emplace(std::make_pair(face.top(), legendCluster(k)), font);
            if (!inserted) {
                EXPECT_EQ(font.family(), at->second.family());
                EXPECT_EQ(font.pixelSize(), at->second.pixelSize());
            }
        }
    }
}

}   // namespace
