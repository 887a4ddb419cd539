#include "keymap/ui/KeyMapPanel.h"

namespace orvane::keymap {

KeyMapPanel::KeyMapPanel(const KeyNameTable& names, const ui::SkinImages& images, ui::UserDialogs& dialogs,
                         Language language, QString dataFolder)
    : panel_(KeyMapEnvironment{names, images, dialogs, language, std::move(dataFolder), hook_}), hook_(&panel_)
{}

bool KeyMapPanel::run(QWidget* owner, uint8_t key, uint8_t defaultVk, link::KeyExtTable& records,
                      const macro::MacroStore::Records& macros, PendingAssignment& result, uint8_t& keyEnabled)
{
    if (key >= kKeyCount)
        return false;
    const KeyMapOpening opening{key, defaultVk, &records[key], keyEnabled != 0, &macros};
    return panel_.run(owner, opening, result, keyEnabled);
}

}   // namespace orvane::keymap
