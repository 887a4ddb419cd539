#pragma once
// What both programs set up on their QApplication before their first window: Qt's own texts
// (standard buttons, file, folder and font choosers) in the user's language, and the dark look
// of the standard parts (scroll bars, menus, choosers) that match the skins.

#include <QPalette>
#include <QString>

class QApplication;
class QCoreApplication;

namespace orvane::ui {

// The folder of Qt's translations of this Qt installation.
QString qtTranslationsFolder();

// For Chinese, loads Qt's own Chinese texts (qtbase_zh_CN.qm from the Qt translations folder, or
// `folder` when given) into the application; nothing for English. False when Chinese was asked
// for and the file could not be loaded (the standard dialogs then stay English).
bool installQtTranslations(QCoreApplication& app, bool chinese, const QString& folder = {});

// The skins' dark look for the standard parts (scroll bars of trees and lists, context menus,
// the file, folder and font choosers, message boxes): the Fusion style with a palette taken
// from the artwork's colours. Both programs apply it once, before their first window.
void applyDarkStyle(QApplication& app);
QPalette darkPalette();

}   // namespace orvane::ui
