#pragma once
// The macro manager as the main window runs it: one CMacroRecordDlg for the whole run, created
// over the main window at its first opening; run() opens it from the saved store and returns true
// for OK (the working store holds the result; the window commits, packs and saves).

#include "model/KeyTables.h"
#include "macro/MacroStore.h"

#include <QPointer>

class QWidget;

namespace orvane::ui {
class SkinImages;
class UserDialogs;
}   // namespace orvane::ui

namespace orvane::macro {

class CMacroRecordDlg;

class MacroManagerPanel {
public:
    MacroManagerPanel(MacroStore& store, const keymap::KeyNameTable& names, ui::UserDialogs& dialogs,
                      const ui::SkinImages& images, bool chinese);
    ~MacroManagerPanel();

    bool run(QWidget* owner);
    CMacroRecordDlg* dialog() const;

private:
    MacroStore& m_store;
    const keymap::KeyNameTable& m_names;
    ui::UserDialogs& m_dialogs;
    const ui::SkinImages& m_images;
    bool m_chinese;
    QPointer<CMacroRecordDlg> m_dlg;   // a child of the main window, which may delete it first
};

}   // namespace orvane::macro
