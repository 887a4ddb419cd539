#include "panelo/img/basedialog.h"
#include "panelo/img/pngbutton.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using orvane::panelo::CBaseDialog;

namespace {

// Regions compare by the area they cover, not by how it is cut into rectangles.
::testing::AssertionResult sameArea(const QRegion& actual, const QRegion& expected)
{
    if ((actual ^ expected).isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "regions differ in " << (actual ^ expected).rectCount() << " rectangles";
}

QImage solid(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(RegionFromBitmap, WhiteBorderIsCutOut)
{
    QImage mask = solid({10, 8}, Qt::white);
    QPainter(&mask).fillRect(QRect(2, 2, 6, 4), Qt::black);
    const auto region = CBaseDialog::RegionFromBitmap(mask, orvane::panelo::kMaskTransparent, 0);
    ASSERT_TRUE(region);
    EXPECT_TRUE(sameArea(*region, QRegion(2, 2, 6, 4)));
}

TEST(RegionFromBitmap, RunsOfOneRowAreKeptApartAndNearWhiteIsNotTransparent)
{
    QImage mask = solid({6, 2}, Qt::white);
    mask.setPixel(0, 0, qRgb(0, 0, 0));
    mask.setPixel(1, 0, qRgb(254, 255, 255));   // not white with tolerance 0
    mask.setPixel(4, 0, qRgb(10, 10, 10));
    mask.setPixel(5, 1, qRgb(200, 0, 0));
    const auto region = CBaseDialog::RegionFromBitmap(mask, orvane::panelo::kMaskTransparent, 0);
    ASSERT_TRUE(region);
    const QRegion expected = QRegion(0, 0, 2, 1) + QRegion(4, 0, 1, 1) + QRegion(5, 1, 1, 1);
    EXPECT_TRUE(sameArea(*region, expected));
    // With a tolerance the near-white pixel becomes transparent too.
    EXPECT_TRUE(sameArea(*CBaseDialog::RegionFromBitmap(mask, orvane::panelo::kMaskTransparent, 1),
                         QRegion(0, 0, 1, 1) + QRegion(4, 0, 1, 1) + QRegion(5, 1, 1, 1)));
}

TEST(RegionFromBitmap, AllBlackIsTheFullRectangleAcrossBatches)
{
    // Two runs in each of 4100 rows: 8200 runs, several batches of 2000 united.
    QImage mask = solid({500, 4100}, Qt::black);
    QPainter(&mask).fillRect(QRect(250, 0, 1, 4100), Qt::white);
    const auto region = CBaseDialog::RegionFromBitmap(mask, orvane::panelo::kMaskTransparent, 0);
    ASSERT_TRUE(region);
    EXPECT_TRUE(sameArea(*region, QRegion(0, 0, 250, 4100) + QRegion(251, 0, 249, 4100)));
}

TEST(RegionFromBitmap, NothingOpaqueGivesNoRegion)
{
    EXPECT_FALSE(CBaseDialog::RegionFromBitmap(solid({4, 4}, Qt::white), orvane::panelo::kMaskTransparent, 0));
    EXPECT_FALSE(CBaseDialog::RegionFromBitmap(QImage(), orvane::panelo::kMaskTransparent, 0));
}

// A skin folder with an INI and pictures, as the program extracts it.
class SkinFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + "/";
        iniPath = folder + "Skin.ini";
    }
    void writeIni(const QString& text)
    {
        QStringEncoder encode(QStringConverter::Utf16LE);
        writeFile("skin.INI", QByteArray("\xFF\xFE", 2) + QByteArray(encode(text)));
    }
    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(folder + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void writeImage(const QString& name, const QImage& image, const char* format)
    {
        ASSERT_TRUE(image.save(folder + name, format));
    }

    QTemporaryDir dir;
    QString folder;
    QString iniPath;
};

TEST_F(SkinFolder, MissingMaskUsesMainAndNamesMatchWithoutCase)
{
    QImage background = solid({60, 40}, QColor(30, 30, 30));
    QPainter(&background).fillRect(QRect(0, 0, 10, 40), Qt::white);
    writeImage("Back_Normal.BMP", background, "BMP");
    writeIni("[SCREEN]\r\nMain=back_normal.bmp\r\n");

    CBaseDialog dialog(iniPath, folder);
    ASSERT_TRUE(dialog.OnInitDialog()) << dialog.SkinError().toStdString();
    EXPECT_EQ(dialog.size(), QSize(60, 40));
    EXPECT_EQ(dialog.MaskBitmap().size(), QSize(60, 40));
    // The background served as the mask: its white strip is cut out of the window.
    EXPECT_TRUE(sameArea(dialog.mask(), QRegion(10, 0, 50, 40)));
}

TEST_F(SkinFolder, JpegBackgroundAndBmpMask)
{
    writeImage("b.jpg", solid({50, 30}, QColor(200, 20, 20)), "JPEG");
    writeImage("m.bmp", solid({50, 30}, Qt::black), "BMP");
    writeIni("[SCREEN]\r\nMain=b.jpg\r\nMask=m.bmp\r\n");
    CBaseDialog dialog(iniPath, folder);
    ASSERT_TRUE(dialog.OnInitDialog());
    EXPECT_TRUE(sameArea(dialog.mask(), QRegion(0, 0, 50, 30)));
    // The background is painted unscaled at the window's origin.
    const QImage shot = dialog.grab().toImage();
    EXPECT_NEAR(qRed(shot.pixel(25, 15)), 200, 8);
}

TEST_F(SkinFolder, UndecodableOrMissingPictureFailsNamingTheFile)
{
    writeFile("b.jpg", "this is not a picture");
    writeImage("m.bmp", solid({5, 5}, Qt::black), "BMP");
    writeIni("[SCREEN]\r\nMain=b.jpg\r\nMask=m.bmp\r\n");
    {
        CBaseDialog dialog(iniPath, folder);
        EXPECT_FALSE(dialog.OnInitDialog());
        EXPECT_TRUE(dialog.SkinError().contains(folder + "b.jpg")) << dialog.SkinError().toStdString();
    }
    writeIni("[SCREEN]\r\nMask=m.bmp\r\n");   // no "Main": the folder itself is opened, and fails
    CBaseDialog dialog(iniPath, folder);
    EXPECT_FALSE(dialog.OnInitDialog());
    writeFile("empty.bmp", "");
    EXPECT_FALSE(CBaseDialog::LoadPicture(folder + "empty.bmp"));
}

TEST_F(SkinFolder, NamesThatLeaveTheFolderAreRefused)
{
    writeImage("m.bmp", solid({5, 5}, Qt::black), "BMP");
    QTemporaryDir outside;
    ASSERT_TRUE(solid({5, 5}, Qt::red).save(outside.path() + "/b.bmp", "BMP"));
    const QString up = "../" + QDir(folder).relativeFilePath(outside.path() + "/b.bmp");
    for (const QString& name : {QStringLiteral("../../../../../../../../dev/zero"), up, QStringLiteral("/dev/zero"),
                                QStringLiteral("sub/../m.bmp"), QStringLiteral("..\\m.bmp")}) {
        writeIni("[SCREEN]\r\nMain=" + name + "\r\nMask=m.bmp\r\n");
        CBaseDialog dialog(iniPath, folder);
        EXPECT_FALSE(dialog.OnInitDialog()) << name.toStdString();
        EXPECT_TRUE(dialog.SkinError().contains(name)) << dialog.SkinError().toStdString();
    }
}

TEST_F(SkinFolder, PicturesAreReadOnlyFromRegularFilesOfASaneSize)
{
    QTemporaryDir outside;
    ASSERT_TRUE(solid({5, 5}, Qt::red).save(outside.path() + "/real.bmp", "BMP"));
    ASSERT_TRUE(QFile::link(outside.path() + "/real.bmp", folder + "linked.bmp"));
    ASSERT_TRUE(QDir(folder).mkdir("folder.bmp"));
    {
        QFile big(folder + "big.bmp");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(qint64(2) << 30));   // sparse: nothing is written
    }
    for (const char* name : {"linked.bmp", "folder.bmp", "big.bmp"}) {
        QString error;
        EXPECT_FALSE(CBaseDialog::LoadPicture(folder + name, &error)) << name;
        EXPECT_TRUE(error.contains(name)) << error.toStdString();
    }
    EXPECT_TRUE(CBaseDialog::LoadPicture(outside.path() + "/real.bmp"));
}

class LoadedDialog : public SkinFolder {
protected:
    void SetUp() override
    {
        SkinFolder::SetUp();
        writeImage("b.bmp", solid({80, 60}, QColor(40, 40, 40)), "BMP");
        writeIni("[SCREEN]\r\nMain=b.bmp\r\n");
        dialog = std::make_unique<CBaseDialog>(iniPath, folder);
        ASSERT_TRUE(dialog->OnInitDialog());
    }
    std::unique_ptr<CBaseDialog> dialog;
};

TEST_F(LoadedDialog, EnterAcceptsEscapeRejectsAndBothReleaseTheBitmaps)
{
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &enter);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->Background().isNull());
    EXPECT_TRUE(dialog->MaskBitmap().isNull());

    ASSERT_TRUE(dialog->OnInitDialog());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(dialog->Background().isNull());
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons)
{
    const QPoint global = target->mapToGlobal(local);
    QMouseEvent event(type, QPointF(local), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TEST_F(LoadedDialog, DragOnTheBackgroundMovesTheWindowButNotOnAControl)
{
    auto* button = new orvane::panelo::CPngButton(dialog.get());
    button->setGeometry(40, 30, 20, 20);
    button->show();
    const QPoint start = dialog->pos();

    sendMouse(button, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    sendMouse(button, QEvent::MouseMove, {25, 15}, Qt::LeftButton);
    sendMouse(button, QEvent::MouseButtonRelease, {25, 15}, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), start);

    sendMouse(dialog.get(), QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton);
    QMouseEvent move(QEvent::MouseMove, QPointF(25, 15), QPointF(dialog->mapToGlobal(QPoint(5, 5)) + QPoint(20, 10)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dialog.get(), &move);
    sendMouse(dialog.get(), QEvent::MouseButtonRelease, {25, 15}, Qt::NoButton);
    EXPECT_EQ(dialog->pos(), start + QPoint(20, 10));
}

}   // namespace
