#pragma once
// CConfigureDlg: the profile panel. A borderless modal dialog drawn from the Config/ images, with the
// sorted profile list (CTransparentListBox in edit mode 3, renamed in place), the New and Delete
// buttons, the close button and the list's context menu (New, Copy, Save, Load, Delete).
//
// One object lives for the whole run; run() re-initialises it at every opening: it takes the size of
// Config.png, stands one pixel left of and above the main window and rebuilds the list from the folder.
// The close button and Escape end it with OK; Enter does nothing. Screen readers and the keyboard
// see the close button, the list and the two buttons (ProfileAccess.cpp); on the list, the menu key
// or Shift+F10 opens the context menu at the selected line and F2 renames it. Save and Load work on the
// live configuration (the store's working image and records); the owner refreshes itself afterwards.

#include "link/ConfigStore.h"
#include "link/Sleeper.h"
#include "platform/core/Settings.h"
#include "profile/ProfileFolder.h"
#include "profile/ui/ConfigureLayout.h"
#include "ui/PaintedControls.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;

namespace orvane::ui {
class SkinImages;
class UserDialogs;
struct FileRequest;
}   // namespace orvane::ui

namespace orvane::macro {
class CTransparentListBox;
}

namespace orvane::profile::ui {

struct ConfigureEnvironment {
    link::ConfigStore& store;               // the live configuration
    orvane::ui::UserDialogs& dialogs;       // messages, file dialogs, runModal
    const orvane::ui::SkinImages& images;   // the language's image folder
    model::Language language;
    QString configureFolder;    // Configure/ of the data folder
    QString fileDialogFolder;   // where the Save and Load dialogs start
    link::Sleeper& sleeper;     // the pauses of a rename
    // Load runs this (the owner's load into the working pair, an undo step of its own) when set,
    // else the folder's Load into the store.
    std::function<ProfileFolder::LoadResult(ProfileFolder&, int line, const std::string& from)> load = {};
};

class CConfigureDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConfigureDlg(ConfigureEnvironment env, QWidget* parent = nullptr);
    ~CConfigureDlg() override;

    // Opening (size, place, list, scan) and the modal run through the dialog seam; the result code.
    int run(const QRect& mainWindowRect);
    void prepare(const QRect& mainWindowRect);

    // A button or menu command (kCmdNew, kCmdCopy, kCmdSave, kCmdLoad, kCmdDelete, kCmdClose).
    void runCommand(int command);

    macro::CTransparentListBox& list() { return *m_list; }
    ProfileFolder& profiles() { return m_profiles; }
    // The selected line, or -1.
    int selectedLine() const;
    bool chinese() const { return m_env.language == model::Language::Chinese; }

    // The context menu with its labels for the language; each action's data is its command.
    std::unique_ptr<QMenu> buildContextMenu();
    // How a context menu is shown (tests answer instead of opening it); the chosen action or null.
    using MenuExec = std::function<QAction*(QMenu&, const QPoint& globalPos)>;
    void setMenuExec(MenuExec exec) { m_menuExec = std::move(exec); }

    // The controls it paints, for screen readers and the keyboard (ProfileAccess.cpp).
    std::vector<orvane::ui::PaintedControl> controls();
    orvane::ui::PaintedAccess& access() { return m_access; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    void setUpList();
    void refillList();
    void showMessage(const MessageText& text, bool okCancel = false, bool* ok = nullptr);
    QString tr2(const char* english, const char* chinese) const;
    orvane::ui::FileRequest fileRequest() const;
    // The operations of the panel.
    void onNew();
    void onCopy();
    void onSave();
    void onLoad();
    void onDelete();
    void onListEditDone(int startIndex, int newIndex);
    void showContextMenu(const QPoint& globalPos);
    // The list's own keys beyond its arrows: the context menu and renaming.
    bool listKey(const QKeyEvent& e);

    ConfigureEnvironment m_env;
    ProfileFolder m_profiles;
    macro::CTransparentListBox* m_list = nullptr;
    MenuExec m_menuExec;
    orvane::ui::PaintedAccess m_access{*this, [this] { return controls(); }};
};

}   // namespace orvane::profile::ui
