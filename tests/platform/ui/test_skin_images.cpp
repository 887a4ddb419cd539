#include "platform/ui/SkinImages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using orvane::ui::SkinImages;

namespace {

struct SkinFolder : ::testing::Test {
    QTemporaryDir dir;
    void put(const QString& relative, QSize size, QColor colour = Qt::red)
    {
        const QString path = dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage img(size, QImage::Format_ARGB32);
        img.fill(colour);
        ASSERT_TRUE(img.save(path, "PNG")) << qPrintable(path);
    }
};

TEST_F(SkinFolder, FindsNamesWithoutRegardToCase)
{
    put("macroButton3.png", QSize(241, 19));
    put("KeyMap/Back_Ground.PNG", QSize(5, 6));
    const SkinImages images(dir.path());
    EXPECT_EQ(images.size("MacroButton3.png"), QSize(241, 19));
    EXPECT_EQ(images.size("MACROBUTTON3.PNG"), QSize(241, 19));
    EXPECT_EQ(images.size("keymap\\back_ground.png"), QSize(5, 6));   // a stored Windows-style name
    EXPECT_EQ(images.resolve("keymap/BACK_ground.png"), dir.filePath("KeyMap/Back_Ground.PNG"));
}

TEST_F(SkinFolder, ExactNameWinsOverACaseVariant)
{
    put("Enable.png", QSize(12, 12), Qt::green);
    put("enable.png", QSize(3, 3), Qt::blue);
    const SkinImages images(dir.path());
    EXPECT_EQ(images.size("Enable.png"), QSize(12, 12));
    EXPECT_EQ(images.size("enable.png"), QSize(3, 3));
}

TEST_F(SkinFolder, MissingOrBrokenImagesAreNullNotFatal)
{
    QFile broken(dir.filePath("broken.png"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a png");
    broken.close();
    QDir().mkpath(dir.filePath("folder.png"));   // a folder under an image's name
    const SkinImages images(dir.path());
    EXPECT_TRUE(images.image("nothing.png").isNull());
    EXPECT_TRUE(images.image("broken.png").isNull());
    EXPECT_TRUE(images.image("folder.png").isNull());
    EXPECT_TRUE(images.pixmap("nothing.png").isNull());
    EXPECT_TRUE(images.image("").isNull());
    EXPECT_EQ(images.preload({"nothing.png", "broken.png"}), QStringList({"nothing.png", "broken.png"}));
}

TEST_F(SkinFolder, NamesCannotLeaveTheFolder)
{
    put("skin/inner.png", QSize(2, 2));
    put("outside.png", QSize(4, 4));
    const SkinImages images(dir.filePath("skin"));
    EXPECT_TRUE(images.has("inner.png"));
    EXPECT_TRUE(images.image("../outside.png").isNull());
}

TEST_F(SkinFolder, DecodesOnceAndKeepsTheImage)
{
    put("Thumb.png", QSize(15, 14), Qt::white);
    const SkinImages images(dir.path());
    const QImage& first = images.image("thumb.png");
    ASSERT_FALSE(first.isNull());
    ASSERT_TRUE(QFile::remove(dir.filePath("Thumb.png")));
    put("Thumb.png", QSize(1, 1), Qt::black);   // a later change on disk is not re-read
    EXPECT_EQ(&images.image("THUMB.png"), &first);
    EXPECT_EQ(images.size("Thumb.png"), QSize(15, 14));
    EXPECT_EQ(images.pixmap("thumb.png").size(), QSize(15, 14));
}

TEST_F(SkinFolder, KeepsOneFormOfEachImage)
{
    // The pixmap a window paints and the image a control reads are one set of pixels, also for
    // an opaque picture and for one with transparent corners.
    put("main.png", QSize(40, 30), Qt::darkGray);
    put("round.png", QSize(20, 10), QColor(255, 0, 0, 128));
    const SkinImages images(dir.path(), 1);
    for (const char* name : {"main.png", "round.png"}) {
        const QPixmap& pixmap = images.pixmap(name);
        ASSERT_FALSE(pixmap.isNull()) << name;
        EXPECT_EQ(pixmap.toImage().constBits(), images.image(name).constBits()) << name;
    }
    EXPECT_EQ(images.image("round.png").pixelColor(3, 3), QColor(255, 0, 0, 128));
}

TEST_F(SkinFolder, AScopeDropsWhatWasDecodedInsideItOnly)
{
    put("main.png", QSize(8, 8));
    put("Custom/Custom_BK.png", QSize(6, 6));
    put("Custom/Close.png", QSize(2, 2));
    const SkinImages images(dir.path(), 1);
    const QPixmap& main = images.pixmap("main.png");
    {
        const SkinImages::Scope panel(images);
        EXPECT_TRUE(images.has("Custom/Custom_BK.png"));
        EXPECT_TRUE(images.has("main.png"));   // kept from before: not the panel's
        {
            const SkinImages::Scope inner(images);
            EXPECT_TRUE(images.has("custom/close.png"));
            EXPECT_EQ(images.keptCount(), 3u);
        }
        EXPECT_EQ(images.keptCount(), 2u);
        EXPECT_EQ(images.size("Custom/Close.png"), QSize(2, 2));   // decoded again on demand
    }
    EXPECT_EQ(images.keptCount(), 1u);
    EXPECT_EQ(&images.pixmap("main.png"), &main);   // what the window holds stays where it was
}

TEST_F(SkinFolder, ScaleTwoReadsTheDoubleImagesWhereTheyFit)
{
    put("logo.png", QSize(24, 8), Qt::red);
    put("logo@2x.png", QSize(48, 16), Qt::green);
    put("Custom/Close.png", QSize(5, 5), Qt::red);
    put("Custom/close@2X.PNG", QSize(10, 10), Qt::green);   // letter case does not matter
    put("plain.png", QSize(7, 3), Qt::red);                 // no double image: the plain one
    put("odd.png", QSize(7, 3), Qt::red);
    put("odd@2x.png", QSize(14, 5), Qt::green);   // not twice the plain one: not used
    const SkinImages doubled(dir.path(), 2);
    const SkinImages plain(dir.path(), 1);
    struct Case {
        const char* name;
        QSize logical;
        qreal ratio;
        QColor colour;
    };
    const Case cases[] = {
        {"logo.png", {24, 8}, 2, Qt::green},
        {"custom/CLOSE.png", {5, 5}, 2, Qt::green},
        {"plain.png", {7, 3}, 1, Qt::red},
        {"odd.png", {7, 3}, 1, Qt::red},
    };
    for (const Case& c : cases) {
        const QImage& image = doubled.image(c.name);
        EXPECT_EQ(image.size(), c.logical * c.ratio) << c.name;
        EXPECT_EQ(image.devicePixelRatio(), c.ratio) << c.name;
        EXPECT_EQ(doubled.size(c.name), c.logical) << c.name;
        EXPECT_EQ(image.pixelColor(0, 0), c.colour) << c.name;
        EXPECT_EQ(plain.image(c.name).size(), c.logical) << c.name;   // ratio 1 reads the plain file
        EXPECT_EQ(plain.image(c.name).pixelColor(0, 0), QColor(Qt::red)) << c.name;
    }
    EXPECT_EQ(doubled.pixmap("logo.png").deviceIndependentSize(), QSizeF(24, 8));
    EXPECT_TRUE(doubled.image("logo@2x@2x.png").isNull());
}

}   // namespace
