// orvane-window-shots OUT_FOLDER: the main window on the emulated keyboard, offscreen, in both
// languages, written as PNGs for looking at (not a test): every section closed and open, the
// effect and response lists, a light map drawn key by key, the help menu.

#include "shell/app/CVelkorDlg.h"
#include "tests/support/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

using namespace orvane;
using namespace orvane::shell;

namespace {

QString outFolder;

class WindowShots : public ::testing::Test, protected test::EmulatedMainWindow {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(connectKeyboard({.trace = false})); }
    void TearDown() override { closeWindow(); }

    void click(int x, int y) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    void chooseEffect(int row)
    {
        if (window->panel().lightCollapsed())
            click(100, 118);
        click(100, 165);
        click(100, kEffectListTop + 20 * row + 5);
    }
    void shoot(const QString& stem, const char* name)
    {
        const QString file = stem + QLatin1String(name) + QStringLiteral(".png");
        EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
    }
};

TEST_F(WindowShots, EverySectionInBothLanguages)
{
    for (model::Language lang : {model::Language::English, model::Language::Chinese}) {
        ASSERT_TRUE(start(lang));
        const QString stem = outFolder + (lang == model::Language::Chinese ? "/zh-" : "/en-");
        shoot(stem, "closed");
        chooseEffect(2);
        click(100, 400);   // Game Mode
        click(100, 455);   // Response Time
        click(100, 525);   // USB Report Rate
        shoot(stem, "open");
        click(100, 165);
        shoot(stem, "effect-list");
        click(100, 165);
        click(100, 480);   // response item box
        shoot(stem, "response-list");
        click(100, 100);
        chooseEffect(14);
        for (std::size_t k : {1u, 2u, 3u, 22u, 43u, 44u, 45u, 96u, 100u})
            window->panel().toggleKeyLight(k);
        shoot(stem, "diy");
        click(940, 10);
        shoot(stem, "help");
        click(940, 10);
        closeWindow();
    }
}

}   // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orvane-window-shots OUT_FOLDER\n");
        return 2;
    }
    outFolder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outFolder)) {
        std::fprintf(stderr, "orvane-window-shots: cannot make %s\n", argv[1]);
        return 1;
    }
    return RUN_ALL_TESTS();
}
