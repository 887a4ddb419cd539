#include "macro/ui/MacroManagerPanel.h"

#include "macro/ui/CMacroRecordDlg.h"

namespace orvane::macro {

MacroManagerPanel::MacroManagerPanel(MacroStore& store, const keymap::KeyNameTable& names, ui::UserDialogs& dialogs,
                                     const ui::SkinImages& images, bool chinese)
    : m_store(store), m_names(names), m_dialogs(dialogs), m_images(images), m_chinese(chinese)
{
}

MacroManagerPanel::~MacroManagerPanel() = default;

bool MacroManagerPanel::run(QWidget* owner)
{
    if (!m_dlg)
        m_dlg = std::make_unique<CMacroRecordDlg>(m_store, m_names, m_dialogs, m_images, m_chinese, owner);
    return m_dlg->run();
}

} // namespace orvane::macro
