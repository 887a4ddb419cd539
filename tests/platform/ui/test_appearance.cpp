// Qt's own texts in Chinese: the standard buttons of a message box as the program shows it; the
// dark look of the standard parts.

#include "platform/ui/Appearance.h"
#include "platform/ui/UserDialogs.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <utility>

using namespace orvane::ui;

namespace {

// The button texts of the message box that QtUserDialogs shows, read while it runs; the box
// is then closed with Cancel.
QStringList buttonsOfTheNextMessageBox()
{
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QMessageBox::StandardButton b : {QMessageBox::Ok, QMessageBox::Cancel})
            if (QAbstractButton* button = box->button(b))
                texts << button->text();
        box->button(QMessageBox::Cancel)->click();
    });
    QtUserDialogs dialogs;
    dialogs.message(nullptr, QStringLiteral("?"), QStringLiteral("QX410-Orvane"), MessageButtons::OkCancel,
                    MessageIcon::Question);
    return texts;
}

void removeTranslations()
{
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST(QtTranslations, ChineseMessageBoxButtonsReadChinese)
{
    ASSERT_TRUE(installQtTranslations(*qApp, true))
        << "qtbase_zh_CN.qm not found in " << qtTranslationsFolder().toStdString();
    EXPECT_EQ(buttonsOfTheNextMessageBox(), (QStringList{QStringLiteral("确定"), QStringLiteral("取消")}));
    removeTranslations();
}

TEST(QtTranslations, EnglishLoadsNothingAndAMissingFileIsReported)
{
    EXPECT_TRUE(installQtTranslations(*qApp, false));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>().isEmpty());
    EXPECT_EQ(buttonsOfTheNextMessageBox(), (QStringList{QStringLiteral("OK"), QStringLiteral("Cancel")}));
    EXPECT_FALSE(installQtTranslations(*qApp, true, QStringLiteral("/nonexistent-folder")));
    EXPECT_TRUE(qApp->findChildren<QTranslator*>().isEmpty());
}

}   // namespace

namespace {

double meanLightness(const QImage& img)
{
    double sum = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            sum += QColor(img.pixel(x, y)).lightnessF();
    return sum / (img.width() * img.height());
}

// The standard parts in the skins' dark look: a list's scroll bar and a context menu, drawn
// as the programs show them, are dark; the light default is not.
TEST(DarkStyle, ScrollBarsAndMenusAreDark)
{
    const QPalette before = qApp->palette();
    const auto render = [] {
        QListWidget list;
        list.resize(120, 80);
        for (int i = 0; i < 40; ++i)
            list.addItem(QStringLiteral("row %1").arg(i));
        list.show();
        QCoreApplication::processEvents();
        const QImage bar = list.verticalScrollBar()->grab().toImage();
        QMenu menu;
        menu.addAction(QStringLiteral("Rename"));
        menu.addAction(QStringLiteral("Delete"));
        const QImage menuImage = menu.grab().toImage();
        return std::pair{meanLightness(bar), meanLightness(menuImage)};
    };
    qApp->setPalette(QPalette(QColor(239, 239, 239)));
    const auto [lightBar, lightMenu] = render();
    applyDarkStyle(*qApp);
    const auto [darkBar, darkMenu] = render();
    EXPECT_GT(lightBar, 0.6);
    EXPECT_LT(darkBar, 0.35);
    EXPECT_LT(darkMenu, 0.35);
    EXPECT_GT(lightMenu, darkMenu);
    EXPECT_EQ(qApp->palette().color(QPalette::Window), darkPalette().color(QPalette::Window));
    // Dialog buttons carry their caption only, no stock icon.
    QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("text"), QMessageBox::Ok);
    EXPECT_TRUE(box.button(QMessageBox::Ok)->icon().isNull());
    qApp->setPalette(before);
}

}   // namespace
