// The main window, its panels and the splash at a device-pixel ratio of 2: every image they load
// is the double one, exactly twice its logical size in pixels, and a closed panel leaves none of
// its images behind.

#include "emulator/Emulator.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"
#include "tests/support/MainWindow.h"
#include "shell/controls/CSplashScreen.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::shell;

namespace {

// A high-density screen: set before main() creates the application, every window here has a
// device-pixel ratio of 2.
const bool kDoubleDensity = qputenv("QT_SCALE_FACTOR", "2");

// Every kept image is a "@2x" file of twice the pixels of its plain file, at ratio 2.
void expectDoubleImages(const ui::SkinImages& images, const char* where)
{
    const auto kept = images.keptImages();
    EXPECT_FALSE(kept.empty()) << where;
    for (const auto& [file, image] : kept) {
        const QString plain = QString(file).replace(QStringLiteral("@2x."), QStringLiteral("."));
        EXPECT_TRUE(plain != file) << where << ": " << file.toStdString() << " is not a double image";
        const QSize logical = QImageReader(plain).size();
        EXPECT_EQ(image.size(), logical * 2) << where << ": " << file.toStdString();
        EXPECT_EQ(image.devicePixelRatio(), 2.0) << where << ": " << file.toStdString();
    }
}

class HighDensityWindows : public ::testing::TestWithParam<model::Language>, protected test::EmulatedMainWindow {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kDoubleDensity);
        ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
        ASSERT_NO_FATAL_FAILURE(connectKeyboard({.trace = false}));
        start(GetParam());
    }
    void TearDown() override { closeWindow(); }
};

TEST_P(HighDensityWindows, EveryImageTheWindowsLoadIsTwiceItsLogicalSize)
{
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(2000, 1290));
    EXPECT_EQ(window->size(), QSize(1000, 645));   // the layout stays in logical pixels
    const ui::SkinImages& images = window->images();
    EXPECT_EQ(images.scale(), 2);
    expectDoubleImages(images, "main window");
    const std::size_t mainImages = images.keptCount();

    struct Panel {
        const char* name;
        QPoint click;
    };
    const Panel panels[] = {{"key map", {399, 277}}, {"macro manager", {100, 155}}, {"profile", {50, 618}}};
    for (const Panel& panel : panels) {
        bool ran = false;
        dialogs.answerPanel([&](QDialog& dialog) {
            ran = true;
            const QImage face = dialog.grab().toImage();
            EXPECT_EQ(face.size(), dialog.size() * 2) << panel.name;
            EXPECT_GT(images.keptCount(), mainImages) << panel.name << " loaded nothing";
            expectDoubleImages(images, panel.name);
            return int(QDialog::Rejected);
        });
        QTest::mouseClick(window.get(), Qt::LeftButton, {}, panel.click);
        QTest::qWait(80);   // the profile panel's settling step
        EXPECT_TRUE(ran) << panel.name << " did not open";
        EXPECT_EQ(images.keptCount(), mainImages) << panel.name << " left images behind";
    }
}

TEST_P(HighDensityWindows, TheSplashIsTheDoubleImage)
{
    int ticks = 0;
    const controls::CSplashScreen splash(test::programFolder(), GetParam() == model::Language::Chinese, ticks);
    EXPECT_EQ(splash.image().devicePixelRatio(), 2.0);
    EXPECT_EQ(splash.image().size(), QSize(1040, 600));
    EXPECT_EQ(splash.size(), QSize(520, 300));
}

INSTANTIATE_TEST_SUITE_P(Languages, HighDensityWindows,
                         ::testing::Values(model::Language::English, model::Language::Chinese));

}   // namespace
