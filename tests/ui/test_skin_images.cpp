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

} // namespace
