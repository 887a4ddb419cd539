#include "macro/ui/MacroManagerPanel.h"

#include "macro/ui/CMacroRecordDlg.h"

namespace orvane::macro {

MacroManagerPanel::MacroManagerPanel(MacroStore& store, const keymap::KeyNameTable& names, ui::UserDialogs& dialogs,
                                     const ui::SkinImages& images, bool chinese)
    : m_store(store), m_names(names), m_dialogs(dialogs), m_images(images), m_chinese(chinese)
{}

MacroManagerPanel::~MacroManagerPanel()
{
    delete m_dlg.data();
}

CMacroRecordDlg* MacroManagerPanel::dialog() const
{
    return m_dlg.data();
}

bool MacroManagerPanel::run(QWidget* owner)
{
    if (!m_dlg)
        m_dlg = new CMacroRecordDlg(m_store, m_names, m_dialogs, m_images, m_chinese, owner);
    return m_dlg->run();
}

}   // namespace orvane::macro
