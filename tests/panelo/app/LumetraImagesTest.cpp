// Lumetra at a device-pixel ratio of 2: the background and every state surface are the double
// pictures it carries, exactly twice their logical size in pixels, and the LCD preview shows each
// LCD pixel as a block of whole device pixels in the preview's two colours only (never smoothed).

#include "panelo/img/SkinLayout.h"
#include "panelo/app/panelo.h"
#include "panelo/app/panelodlg.h"
#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "emulator/Emulator.h"
#include "platform/ui/UserDialogs.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orvane::panelo;

namespace {

// A high-density screen: set before main() creates the application, every window here has a
// device-pixel ratio of 2.
const bool kDoubleDensity = qputenv("QT_SCALE_FACTOR", "2");

class HighDensityLumetra : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(kDoubleDensity);
        ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
        ASSERT_EQ(EmbeddedSkinFiles(false).size(), 6u) << "the skin resources are not linked in";
        emulator = orvane::hid::Emulator::create();
        backend = std::make_unique<orvane::hid::EmulatorBackend>(emulator);
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
        qputenv("LUMETRA_DUMP_DIR", runtime.path().toUtf8());
        QFile settings(runtime.filePath("PX840.conf"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write(GetParam() ? "[General]\nLanguage=chinese\n" : "[General]\nLanguage=english\n");
        settings.close();
        services.backend = backend.get();
        services.dialogs = &dialogs;
        services.glyphs = &glyphs;
        services.settingsPath = runtime.filePath("PX840.conf").toStdString();
        services.runtimeFolder = [this](std::string&) -> std::optional<std::string> {
            return runtime.path().toStdString() + "/";
        };
        services.ctrlAltHeld = [] { return false; };
        services.openUrl = [](const QString&) {};
    }

    QTemporaryDir runtime;
    std::shared_ptr<orvane::hid::Emulator> emulator;
    std::unique_ptr<orvane::hid::Backend> backend;
    orvane::ui::ScriptedUserDialogs dialogs;
    FreeTypeGlyphSource glyphs;
    PaneloServices services;
};

TEST_P(HighDensityLumetra, EveryPictureIsTwiceItsLogicalSize)
{
    CPaneloDlg dialog(services);
    ASSERT_TRUE(dialog.OnInitDialog()) << dialog.StartError().toStdString();
    EXPECT_EQ(dialog.Chinese(), GetParam());
    EXPECT_EQ(dialog.size(), QSize(kSkinWidth, kSkinHeight));   // layout and hit rectangles stay logical
    EXPECT_EQ(dialog.Background().size(), QSize(kSkinWidth, kSkinHeight) * 2);
    EXPECT_EQ(dialog.Background().devicePixelRatio(), 2.0);
    EXPECT_EQ(dialog.MaskBitmap().size(), QSize(kSkinWidth, kSkinHeight));   // the shape is logical
    const QImage shot = dialog.grab().toImage();
    EXPECT_EQ(shot.size(), QSize(kSkinWidth, kSkinHeight) * 2);
    for (int id : {IDC_FONT_BTN, IDC_DOWN_BTN, IDC_AUTO_BTN, IDC_DEFAULT_BTN, IDC_MINIMIZE, IDC_CLOSE, IDC_LOGO}) {
        CPngButton* button = dialog.Button(id);
        ASSERT_NE(button, nullptr) << id;
        button->grab();
        const QPixmap* drawn = button->LastDrawn();
        ASSERT_NE(drawn, nullptr) << id;
        EXPECT_EQ(drawn->devicePixelRatio(), 2.0) << id;
        EXPECT_EQ(drawn->deviceIndependentSize(), QSizeF(dialog.size() + QSize(100, 100))) << id;
    }
}

TEST_P(HighDensityLumetra, ThePreviewIsScaledByWholePixelsNeverSmoothed)
{
    CPaneloDlg dialog(services);
    ASSERT_TRUE(dialog.OnInitDialog()) << dialog.StartError().toStdString();
    dialog.TextBox()->setText(QStringLiteral("Wq8"));
    const QImage shot = dialog.grab().toImage();
    const QRect preview = dialog.Control(IDC_PREVIEW)->geometry();
    const QImage logical = dialog.PreviewImage();
    int lit = 0;
    for (int y = 0; y < preview.height() * 2; ++y)
        for (int x = 0; x < preview.width() * 2; ++x) {
            const QRgb pixel = shot.pixel(preview.left() * 2 + x, preview.top() * 2 + y) | 0xFF000000;
            ASSERT_EQ(pixel, logical.pixel(x / 2, y / 2)) << "device pixel " << x << "," << y;
            lit += pixel == kPreviewLit;
        }
    EXPECT_GT(lit, 4 * 20);   // the text is there, as 2 x 2 blocks
    const QImage doubled = dialog.PreviewImage(2);
    EXPECT_EQ(doubled.size(), preview.size() * 2);
    EXPECT_EQ(doubled.devicePixelRatio(), 2.0);
}

INSTANTIATE_TEST_SUITE_P(Languages, HighDensityLumetra, ::testing::Bool());

}   // namespace
