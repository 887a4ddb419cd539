#pragma once
// The LCD window on the emulated keyboard with a skin of plain colours, its runtime and settings
// in a temporary folder, scripted dialogs, and the web site opened only into a list.

#include "panelo/img/SkinLayout.h"
#include "panelo/app/panelo.h"
#include "panelo/app/panelodlg.h"
#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "emulator/Emulator.h"
#include "platform/ui/UserDialogs.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace orvane::panelo::test {

inline QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QImage solid(QColor colour)
{
    QImage image(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A skin of plain colours with the real INI; `patch` may change any file before it is used.
inline SkinFileSet plainSkin(bool chinese)
{
    const SkinFileNames& n = SkinFilesFor(chinese);
    auto s = [](std::string_view v) { return QString::fromUtf8(v.data(), qsizetype(v.size())); };
    return {{s(n.ini), SkinIniBytes(chinese)},
            {s(n.normal), encoded(solid(QColor(20, 20, 20)), "JPEG")},
            {s(n.over), encoded(solid(QColor(0, 0, 200)), "JPEG")},
            {s(n.down), encoded(solid(QColor(200, 0, 0)), "JPEG")},
            {s(n.disable), encoded(solid(QColor(0, 200, 0)), "JPEG")},
            {s(n.mask), encoded(solid(Qt::black), "BMP")}};
}

class PaneloFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        emulator = orvane::hid::Emulator::create();
        backend = std::make_unique<orvane::hid::EmulatorBackend>(emulator);
        dialogs.setFailureHandler([](const QString& what) { ADD_FAILURE() << what.toStdString(); });
        qputenv("LUMETRA_DUMP_DIR", runtime.path().toUtf8());
        services.backend = backend.get();
        services.dialogs = &dialogs;
        services.glyphs = &glyphs;
        services.settingsPath = runtime.filePath("PX840.conf").toStdString();
        services.runtimeFolder = [this](std::string&) -> std::optional<std::string> {
            return runtime.path().toStdString() + "/";
        };
        services.skinFiles = plainSkin;
        services.ctrlAltHeld = [] { return false; };
        services.openUrl = [this](const QString& url) { opened << url; };
    }
    void setLanguage(const char* value)
    {
        QFile file(runtime.filePath("PX840.conf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("[General]\nLanguage=") + value + "\n");
    }
    std::unique_ptr<CPaneloDlg> start()
    {
        auto dialog = std::make_unique<CPaneloDlg>(services);
        EXPECT_TRUE(dialog->OnInitDialog()) << dialog->StartError().toStdString();
        return dialog;
    }
    QString skinsFolder() const { return runtime.path() + "/FileDef20151212/Skins/"; }
    static int litPixels(const QImage& preview)
    {
        int lit = 0;
        for (int y = 0; y < preview.height(); ++y)
            for (int x = 0; x < preview.width(); ++x)
                lit += preview.pixel(x, y) == kPreviewLit;
        return lit;
    }

    QTemporaryDir runtime;
    std::shared_ptr<orvane::hid::Emulator> emulator;
    std::unique_ptr<orvane::hid::Backend> backend;
    orvane::ui::ScriptedUserDialogs dialogs;
    FreeTypeGlyphSource glyphs;
    PaneloServices services;
    QStringList opened;
};

}   // namespace orvane::panelo::test
