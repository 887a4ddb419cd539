#pragma once
// CMacroRecordDlg: the macro manager panel. A frameless skinned modal dialog over
// "MacroManagement/MacroManagement.png" with the macro list (1001), the event list (1000), the
// loop box (1002) and seven image buttons tested by hit rectangles in table order. Its state and
// commands live in MacroManager; the panel paints that state and forwards input, key-hook reports
// (WM_KEYHOOK), list messages, the 100 ms rename timer and the event list's context menu to it.
//
// One object lives for the whole run; run() re-initialises it from the saved store at every
// opening and returns true for OK (the working store is then committed).
//
// Screen readers and the keyboard see the two lists, the seven buttons and the loop box in reading
// order (MacroAccess.cpp); Tab walks them, Space and Enter press, Escape cancels as Cancel does. On
// the event list the menu key or Shift+F10 opens the context menu at the selected line, and F2
// edits the selected delay (event list) or renames the selected macro (macro list). While keys go
// into the macro (recording, insert mode) the panel keeps the focus and no key works it.

#include "macro/MacroManager.h"
#include "ui/PaintedControls.h"
#include "ui/WindowDrag.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QLineEdit;
class QMenu;

namespace orvane::ui {
class SkinImages;
class UserDialogs;
}   // namespace orvane::ui

namespace orvane::macro {

class CTransparentListBox;

// Context-menu commands of the event list (resource "MacroDefine").
enum MacroMenuCommand : int {
    kCmdInsertBefore = 32790,
    kCmdInsertAfter = 32791,
    kCmdInsertDelay = 32793,
    kCmdLeftDown = 32800,
    kCmdLeftUp = 32801,
    kCmdLeftClick = 32802,
    kCmdRightDown = 32804,
    kCmdRightUp = 32806,
    kCmdRightClick = 32807,
    kCmdMiddleDown = 32811,
    kCmdMiddleUp = 32812,
    kCmdMiddleClick = 32813,
    kCmdDelete = 32815,
};

enum MacroButton : int {
    kBtnRecord = 0,
    kBtnRecordDelay,
    kBtnUseLoops,
    kBtnNew,
    kBtnDelete,
    kBtnOk,
    kBtnCancel,
    kButtonCount
};

// Hit rectangles in test order (left, top, right, bottom; right and bottom outside).
struct MacroButtonRow {
    int left, top, right, bottom;
    const char* normal;
    const char* over;   // mouse-over image, or the ticked image of a checkbox
};
inline constexpr std::array<MacroButtonRow, kButtonCount> kMacroButtons{{
    {290, 100, 379, 124, "Record-normal.png", "Record-over.png"},
    {368, 168, 382, 182, "Pane.png", "PaneMakingTick.png"},
    {296, 315, 310, 329, "Pane.png", "PaneMakingTick.png"},
    {20, 368, 77, 392, "button-new-normal.png", "button-new-over.png"},
    {80, 368, 137, 392, "button-new-normal.png", "button-new-over.png"},
    {280, 400, 337, 424, "button-new-normal.png", "button-new-over.png"},
    {340, 400, 397, 424, "button-new-normal.png", "button-new-over.png"},
}};
inline constexpr const char* kMacroFolder = "MacroManagement/";
inline constexpr const char* kMacroBackground = "MacroManagement/MacroManagement.png";
// -1 when the point is on no button.
int macroButtonAt(const QPoint& p);

class CMacroRecordDlg : public QDialog {
    Q_OBJECT
public:
    // `hook` and `clock` default to the keyboard-hook library and the steady clock.
    CMacroRecordDlg(MacroStore& store, const keymap::KeyNameTable& names, ui::UserDialogs& dialogs,
                    const ui::SkinImages& images, bool chinese, QWidget* parent = nullptr, KeyHook* hook = nullptr,
                    MonotonicClock* clock = nullptr);
    ~CMacroRecordDlg() override;

    // Opens modally through the dialog seam; true when closed with OK.
    bool run();
    // The opening's initialisation (run() calls it; tests that drive the panel directly too).
    void initDialog();

    // Input as the window receives it (tests call these too).
    void clickButton(int button);
    void onCommand(int command);
    std::unique_ptr<QMenu> buildContextMenu();

    MacroManager& manager() { return m_manager; }
    CTransparentListBox* macroList() const { return m_macroList; }
    CTransparentListBox* eventList() const { return m_eventList; }
    QLineEdit* loopBox() const { return m_loopBox; }
    int hoverButton() const { return m_hover; }
    QString recordCaption() const;

    // The controls it paints, for screen readers and the keyboard (MacroAccess.cpp).
    std::vector<ui::PaintedControl> controls();
    ui::PaintedAccess& access() { return m_access; }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void done(int r) override;
    bool focusNextPrevChild(bool next) override;

private:
    QString tr2(const char* english, const char* chinese) const;
    void createControls();
    void syncFromManager();
    void syncList(CTransparentListBox* list, const std::vector<std::u16string>& lines, int selected);
    void applyKeyCapture();
    void showNotice(PanelNotice notice);
    void confirmDelete();
    void onMacroRenamed(int index, const QString& text);
    void paintLabels(QPainter& p);
    void paintButtons(QPainter& p);
    void setHover(int button);
    // Names and marks of the painted controls (MacroAccess.cpp orders them).
    void nameControls();
    QString buttonName(int button) const;
    QRect controlRect(int button) const;
    QRect labelRect(std::size_t label) const;
    QRect fullNoticeRect() const;
    void showContextMenu(const QPoint& globalPos);
    // The lists' keys beyond their arrows: the context menu, renaming and editing a delay.
    bool listKey(CTransparentListBox* list, const QKeyEvent& e);
    void keyMayStartCapture(const QKeyEvent& e);

    MacroStore& m_store;
    ui::UserDialogs& m_dialogs;
    const ui::SkinImages& m_images;
    bool m_chinese;
    std::unique_ptr<KeyHook> m_ownHook;
    std::unique_ptr<MonotonicClock> m_ownClock;
    MacroManager m_manager;
    CTransparentListBox* m_macroList = nullptr;
    CTransparentListBox* m_eventList = nullptr;
    QLineEdit* m_loopBox = nullptr;
    QTimer m_renameTimer;
    int m_hover = -1;
    bool m_lastMoveOffButtons = false;
    bool m_syncing = false;
    ui::WindowDrag m_drag;
    QPointer<QWidget> m_focusBeforeCapture;
    uint8_t m_startKeyUp = 0;   // the key whose release a capture lets pass, 0: none
    std::optional<QKeyEvent>
        m_menuKey;   // the key that chose in the context menu   // where the focus goes back when a capture ends
    ui::PaintedAccess m_access{*this, [this] { return controls(); }};
};

}   // namespace orvane::macro
