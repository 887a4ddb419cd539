#pragma once
// The main program's use cases on one keyboard, without widgets: the start-up (macro file,
// keymap.bin, shadow copy, the keyboard's read), Save, Cancel, the factory reset, committing a key
// assignment or the macro manager's edit, loading a profile, the exit, and what the link reports
// (configuration loaded, a read that failed, hot-plug, host-action keys).
//
// The session owns the keyboard link (and with it the working and shadow pair and keymap.bin), the
// macro store, the key-name table and the main panel's state. It lives on the window thread, which
// alone writes the pair; every signal is emitted there. A front end (the main window, a
// command-line tool) asks for a sequence and follows the signals: the window sets its sliders from
// levelsChanged, re-lays itself out on configurationApplied and says what failed in a message box.

#include "model/KeyTables.h"
#include "keymap/logic/Assignment.h"
#include "link/KeyboardLink.h"
#include "macro/MacroStore.h"
#include "profile/ProfileFolder.h"
#include "usecases/EditHistory.h"
#include "usecases/MainPanel.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

namespace orvane::usecases {

struct SessionContext {
    hid::Backend& backend;
    link::Sleeper& sleeper;
    std::string dataFolder;   // ends in '/': keymap.bin, MacroDefine.bin
    model::Language language = model::Language::English;
    link::HotplugDelays hotplugDelays{};
};

// The key the key map panel opens for.
struct KeyMapRequest {
    uint8_t key = 0;     // key index 0..112 (g_selectedKey)
    uint8_t vk = 0;      // its virtual-key code from the key table
    uint8_t usage = 0;   // its keyboard usage from the key-name table
};

class Session : public QObject, private link::LinkObserver {
    Q_OBJECT
public:
    explicit Session(SessionContext ctx, QObject* parent = nullptr);
    ~Session() override;

    link::KeyboardLink& keyboardLink() { return *link_; }
    link::ConfigStore& store() { return link_->store(); }
    const link::ConfigStore& store() const { return link_->store(); }
    macro::MacroStore& macros() { return macros_; }
    const keymap::KeyNameTable& names() const { return names_; }
    MainPanel& panel() { return *panel_; }
    const MainPanel& panel() const { return *panel_; }
    const std::string& macroFilePath() const { return macroPath_; }
    // The edits of the working pair and the macro store as undo steps (every command below that
    // changes them is one step; Save clears nothing).
    EditHistory& history() { return *history_; }
    const EditHistory& history() const { return *history_; }
    model::Language language() const { return ctx_.language; }

    // ---- Start-up, in this order ---------------------------------------------------
    // The panel's marks and hover cleared, the hot-plug monitor watched (monitorUnavailable when
    // there is none), the sections collapsed.
    void prepare();
    // MacroDefine.bin into the macro store; keymap.bin into the working pair, which becomes the
    // shadow; levelsChanged with its values; then the link opens the keyboard and starts its
    // read-all (keyboardMissing when an interface is not there). Its result arrives as
    // configurationApplied(0) or readFailed.
    void start();
    // Between start() and the result of the start-up read: the keyboard's values are still coming.
    bool awaitingStartupRead() const { return awaitingStartupRead_; }
    // The start-up read, or the second read of the lighting that ends every keyboard read, is still
    // to come: a change made now could be overwritten by what it brings.
    bool settling() const { return awaitingStartupRead_ || lightingReadPending_; }

    // ---- Commands ---------------------------------------------------------------------
    // The sliders' positions into the working image (not while the start-up read is pending).
    // Changes of one level merge into one undo step until the history is sealed (a drag).
    void setLevels(uint8_t speed, uint8_t brightness, uint8_t reportRate);
    // The step below the top of the history undone, or the one above it redone: the working pair
    // (and the macro store for a macro step) as before or after it, the marks recomputed,
    // levelsChanged, keymap.bin (and MacroDefine.bin) written where the step's edit wrote them,
    // then historyApplied. False when there is none, or while a factory reset is running.
    bool undo() { return history_->undo(); }
    bool redo() { return history_->redo(); }
    // Save: the areas that differ from the shadow go to the keyboard; keymap.bin follows.
    // saveFinished(result) once the link is done.
    void save();
    // Cancel: the shadow pair back into the working pair and keymap.bin; levelsChanged.
    void cancelEdits();
    // Return: sections collapsed, every key enabled, the keyboard's factory reset and its read-back;
    // factoryResetFinished(ok). Only a complete read-back becomes the shadow and resets the records;
    // a reset the keyboard does not confirm puts the pair back as the keyboard held it.
    void factoryReset();
    // The key map panel for `key` is about to open: the records are read again from keymap.bin
    // (the image stays). keyEnabled() says whether the key is enabled now.
    KeyMapRequest beginKeyAssignment(uint8_t key);
    uint8_t keyEnabled() const { return keyEnabled_; }
    // The panel said OK with `pending` and the key's enable state (1 = enabled): the key's mark
    // is cleared, the assignment and enable bit go into the working pair, keymap.bin is saved
    // when it was applied.
    keymap::ApplyResult commitKeyAssignment(const keymap::PendingAssignment& pending, uint8_t keyEnabled);
    // The macro manager: beginMacroEdit() before it opens, then commitMacroEdit() after OK (the
    // macros into the image, keymap.bin and MacroDefine.bin) or dropMacroEdit().
    void beginMacroEdit() { macros_.beginEdit(); }
    void dropMacroEdit() { macros_.dropEdit(); }
    void commitMacroEdit();
    // Load of line `line` from `from` into the working pair (see ProfileFolder::Load); when
    // loaded, the configuration-loaded handling of a profile follows.
    profile::ProfileFolder::LoadResult loadProfile(profile::ProfileFolder& folder, int line, const std::string& from);
    // Configuration loaded (0x77B): lParam 1 after a profile load (the working pair changed on
    // this computer), 0 after a keyboard read (the lighting is asked for once more first).
    void configurationLoaded(int lParam) override;
    // A host-action key was pressed: hostAction when its record names something to open.
    void keyNotification(uint8_t keyCode) override;
    // The exit: the shadow pair into keymap.bin when `saveShadow` (the close button, not the
    // tray's Exit), then the link closes.
    void exit(bool saveShadow);

signals:
    // No keyboard at start-up.
    void keyboardMissing();
    // Brightness, speed and report rate as the working image holds them now.
    void levelsChanged(uint8_t brightness, uint8_t speed, uint8_t reportRate);
    // The configuration-loaded handling is done (keymap.bin saved); lParam as given. After a
    // keyboard read (0) the front end may check the firmware version.
    void configurationApplied(int lParam);
    // A read of the whole configuration stopped at a step the keyboard did not answer; the
    // working pair keeps what keymap.bin gave it, with the areas read before.
    void readFailed();
    // The hot-plug monitor could not be had; hot-plug is off.
    void monitorUnavailable();
    // A host-action key's record: open `path`, or start it as a program when `startup`.
    void hostAction(const QString& path, bool startup);
    void saveFinished(link::UploadResult result);
    void factoryResetFinished(bool ok);
    // An undo or redo changed the working pair: everything painted follows it.
    void historyApplied();

private:
    // LinkObserver
    void hideMainWindow() override;
    void setSlidersFromImage(uint8_t brightness, uint8_t speed, uint8_t reportRate) override;
    void keyboardReadFailed() override;
    void deviceNotificationRegistrationFailed() override;

    // keymap.bin into the working pair; says once on stderr when it cannot be read.
    void loadKeymapFile();
    void reportLevels();
    void finishConfigurationLoaded(int lParam);
    void followHistory(const StepApplied& what);

    SessionContext ctx_;
    std::string macroPath_;
    macro::MacroStore macros_;
    keymap::KeyNameTable names_;
    std::unique_ptr<link::KeyboardLink> link_;
    std::unique_ptr<MainPanel> panel_;
    std::unique_ptr<EditHistory> history_;
    // The factory reset's step, from its start to its read-back.
    std::unique_ptr<EditHistory::Recording> resetStep_;
    bool awaitingStartupRead_ = false;
    bool lightingReadPending_ = false;
    uint8_t selectedKey_ = 0xFF;   // g_selectedKey
    uint8_t keyEnabled_ = 1;       // g_keyEnabled
};

}   // namespace orvane::usecases
