#pragma once
// The three modal panels of the main window, behind one small interface.
//
// The session (usecases::Session) prepares each opening and applies its result; a panel only
// edits what it is given and reports OK or not:
//  - runKeyMap: the key map panel for one key. Session::beginKeyAssignment has set the key as the
//    current key and reloaded the extension records from keymap.bin (g_keymapSkipImage). On OK
//    (return true) the panel has filled `result` and set `keyEnabled` (1 = the key stays
//    enabled); Session::commitKeyAssignment then clears the key's mark, runs ApplyAssignment and
//    the enable-bit step and saves keymap.bin.
//  - runMacroManager: the macro manager. Session::beginMacroEdit() was called; the panel edits
//    MacroStore::working(). On OK (return true) Session::commitMacroEdit commits the store, runs
//    PackMacros, saves keymap.bin and writes MacroDefine.bin; otherwise the edit is dropped.
//  - runProfile: the profile panel, with the main window's rectangle to place itself. It loads or
//    saves profile files into the working pair itself; afterwards the session handles the
//    configuration-loaded message with lParam 1.
// Every panel runs modally through PanelEnvironment::dialogs.runModal(), so tests script it.
//
// Panels are constructed in one place only: createPanelHost() in shell/app/Panels.cpp. To plug a
// panel in, construct it there (at each opening; it goes, with the images it decoded, when it
// closes) and override the matching function of the host that file builds. The base class does nothing visible: it reports
// "not OK" and changes nothing.

#include "model/KeyTables.h"
#include "model/Language.h"
#include "keymap/logic/Assignment.h"
#include "link/ConfigStore.h"
#include "macro/MacroStore.h"
#include "usecases/Session.h"

#include <QRect>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace orvane::ui {
class SkinImages;
class UserDialogs;
}   // namespace orvane::ui

namespace orvane::shell {

// What every panel may use, all owned by the main window for the whole run.
struct PanelEnvironment {
    link::ConfigStore& store;    // working and shadow image and records, keymap.bin
    macro::MacroStore& macros;   // MacroDefine.bin's store
    const keymap::KeyNameTable& names;
    ui::UserDialogs& dialogs;       // message boxes, file dialogs, runModal
    const ui::SkinImages& images;   // the image folder of the language
    model::Language language;
    QString installFolder;     // ends in '/'
    QString dataFolder;        // ends in '/'
    QString configureFolder;   // profiles, ends in '/'
    QString macroFilePath;     // MacroDefine.bin
    // The profile panel's Load: the session's, so that each load is an undo step.
    std::function<profile::ProfileFolder::LoadResult(profile::ProfileFolder&, int, const std::string&)> loadProfile =
        {};
};

// The key the key map panel opens for.
using usecases::KeyMapRequest;

class PanelHost {
public:
    virtual ~PanelHost() = default;
    virtual bool runKeyMap(QWidget* owner, const KeyMapRequest& request, keymap::PendingAssignment& result,
                           uint8_t& keyEnabled);
    virtual bool runMacroManager(QWidget* owner);
    virtual void runProfile(QWidget* owner, const QRect& mainWindowRect);
};

// The panels of this build (the single place where panels are constructed).
std::unique_ptr<PanelHost> createPanelHost(PanelEnvironment& env);

}   // namespace orvane::shell
