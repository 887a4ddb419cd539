#pragma once
// CKeyMap: the skinned key map panel for one key (dialog 132). It paints KeyMapState and forwards
// input to it: clicks on release, hover, dragging by any spot outside the buttons, key capture
// through the keyboard hook in mode 0 (every key press is swallowed while the hook is installed),
// the two boxes' focus, and the choosers and message boxes through the UserDialogs seam.
//
// The object lives for the whole run and is prepared again at every opening:
//   CKeyMap& panel = ...;                      // once
//   if (panel.run(owner, opening, pending, keyEnabled)) ApplyAssignment(...);
// run() installs the hook, runs the panel modally through UserDialogs::runModal and removes the
// hook when the panel closes. On OK `pending` and `keyEnabled` hold the result.

#include "model/KeyTables.h"
#include "keymap/logic/Assignment.h"
#include "keymap/logic/KeyCapture.h"
#include "keymap/logic/KeyMapState.h"
#include "model/ConfigImage.h"
#include "macro/MacroStore.h"
#include "platform/core/KeyHook.h"
#include "platform/ui/FramedText.h"
#include "ui/PaintedControls.h"
#include "ui/WindowDrag.h"

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QString>

#include <memory>
#include <vector>

class QLineEdit;
class QListWidget;

namespace orvane::ui {
class SkinImages;
class UserDialogs;
}   // namespace orvane::ui

namespace orvane::keymap {

class VividTree;

struct KeyMapEnvironment {
    const KeyNameTable& names;
    const ui::SkinImages& images;   // the language's image folder (Custom/ below it)
    ui::UserDialogs& dialogs;
    Language language;
    QString dataFolder;        // ends in '/'; "Profile" below it starts the file choosers
    platform::KeyHook& hook;   // reports to the panel (libVantrel.so in the program)
};

// One opening: the key, its record (changed in place by the two tab clicks) and its enable bit.
struct KeyMapOpening {
    uint8_t key = 0;
    uint8_t defaultVk = 0;   // shown after "Current Key:"
    link::KeyExtRecord* record = nullptr;
    bool enabled = true;
    const macro::MacroStore::Records* macros = nullptr;   // the saved store
    // Opened with the keyboard: the panel shows its focus mark and no box captures before Space
    // or Enter (run() sets it when the owner's focus mark is shown).
    bool byKeyboard = false;
};

inline constexpr int kKeyMapDialogId = 132;
inline constexpr int kTreeId = 1003, kSingleBoxId = 1013, kCombineBoxId = 1012, kMacroListId = 1015;

class CKeyMap : public QDialog {
public:
    explicit CKeyMap(KeyMapEnvironment env, QWidget* parent = nullptr);
    ~CKeyMap() override;

    bool run(QWidget* owner, const KeyMapOpening& opening, PendingAssignment& result, uint8_t& keyEnabled);

    // OnInitDialog: prepares the panel for one key and installs the hook (run() calls it).
    void prepare(const KeyMapOpening& opening);

    const KeyMapState& state() const { return state_; }
    bool hooked() const { return m_bHook; }
    VividTree& tree() { return *m_tree; }
    QLineEdit& singleBox() { return *m_single; }
    QLineEdit& combineBox() { return *m_combine; }
    QListWidget& macroList() { return *m_list; }

    // The file chooser's starting folder: "Profile" in the data folder, else the home folder.
    QString startFolder() const;
    // The texts the last paint drew, each with its frame and font.
    const std::vector<ui::FramedText>& paintedTexts() const { return painted_; }

    // The controls it paints, for screen readers and the keyboard (KeyMapAccess.cpp).
    std::vector<ui::PaintedControl> controls();
    ui::PaintedAccess& access() { return access_; }
    const KeyCapture& capture() const { return capture_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

public:
    void done(int result) override;

private:
    class Services;

    void loadImages();
    void placeControls();
    void fillTree(const std::u16string& functionName);
    void fillMacroList(const macro::MacroStore::Records& macros);
    void syncControls();
    void applyRequests();
    // A click at `at` as the mouse's release gives it; from the keyboard and assistive
    // technology at the centre of the control pressed.
    void clickAt(QPoint at, bool byKeyboard);
    // The Single and Combine boxes' keys (eventFilter): true when the key is taken.
    bool boxKey(QLineEdit* box, QKeyEvent& key);
    void boxFocused(QLineEdit* box, Qt::FocusReason reason);
    void nameControls();
    static QFont panelFont();
    static QRect buttonFace(int button);
    // Draws a text inside its frame, in the panel's font made smaller where it would not fit,
    // and records it.
    void drawText(QPainter& p, const QRect& frame, const QString& s, int flags) const;
    QString currentKeyName() const;
    void paintButtons(QPainter& p, int from, int to) const;
    void paintTabs(QPainter& p) const;
    void paintAdvance(QPainter& p) const;
    void paintBottom(QPainter& p) const;
    const QPixmap& image(const char* name) const;

    KeyMapEnvironment env_;
    KeyMapState state_;
    std::unique_ptr<Services> services_;
    VividTree* m_tree = nullptr;
    QLineEdit* m_single = nullptr;
    QLineEdit* m_combine = nullptr;
    QListWidget* m_list = nullptr;
    uint8_t defaultVk_ = 0;
    bool m_bHook = false;
    bool syncing_ = false;          // control updates of our own are not user focus changes
    bool pressedOutside_ = false;   // left button pressed on no button: a drag may start
    bool dragging_ = false;
    QPoint pressGlobal_;
    ui::WindowDrag drag_;
    mutable std::vector<ui::FramedText> painted_;
    KeyCapture capture_;
    bool byKeyboard_ = false;   // the operation under way came from the keyboard
    ui::PaintedAccess access_{*this, [this] { return controls(); }};
};

}   // namespace orvane::keymap
