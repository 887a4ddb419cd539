#pragma once
// The key map panel as the main window's panel host runs it: one CKeyMap with the program's
// keyboard hook (libVantrel.so), prepared for the clicked key at every run.

#include "keymap/ui/CKeyMap.h"
#include "ui/VantrelKeyHook.h"

namespace orvane::keymap {

class KeyMapPanel {
public:
    KeyMapPanel(const KeyNameTable& names, const ui::SkinImages& images, ui::UserDialogs& dialogs, Language language,
                QString dataFolder);

    // Runs the panel for `key` (0..112) on its working record; `keyEnabled` (g_keyEnabled) comes in
    // as the key's enable bit and, on OK (true), holds the panel's result with `result`.
    bool run(QWidget* owner, uint8_t key, uint8_t defaultVk, link::KeyExtTable& records,
             const macro::MacroStore::Records& macros, PendingAssignment& result, uint8_t& keyEnabled);

    CKeyMap& dialog() { return panel_; }

private:
    CKeyMap panel_;
    ui::VantrelKeyHook hook_;   // reports to panel_, which holds it from its construction on
};

}   // namespace orvane::keymap
