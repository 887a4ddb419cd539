// Qt's own texts in Chinese: the standard buttons of a message box as the program shows it.

#include "platform/ui/Appearance.h"
#include "platform/ui/UserDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

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
    ASSERT_TRUE(installQtTranslations(*qApp, true)) << "qtbase_zh_CN.qm not found in "
                                                    << qtTranslationsFolder().toStdString();
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

} // namespace
