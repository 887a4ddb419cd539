#pragma once
// The main window: a borderless, image-skinned window that paints the session's panel state,
// forwards mouse input to it, runs the panels and says in message boxes what the session reports.
// The use cases themselves (start-up, Save, Cancel, factory reset, assignments, exit) are the
// session's (usecases::Session, which owns the link, the stores and the panel state); the window
// keeps the painting, the sliders, the tray, the panels and the companions.

#include "platform/core/Settings.h"
#include "platform/ui/FramedText.h"
#include "platform/ui/SkinImages.h"
#include "shell/app/Companions.h"
#include "shell/app/Panels.h"
#include "shell/controls/CBitSlider.h"
#include "ui/PaintedControls.h"
#include "ui/WindowDrag.h"
#include "usecases/MainPanel.h"
#include "usecases/Session.h"

#include <QFont>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace orvane::ui {
class UserDialogs;
}

namespace orvane::shell {

// The main panel's state, commands and tables are the use-case layer's.
using namespace orvane::usecases;

class Launcher;

inline constexpr const char* kWindowTitle = "QX410-Orvane";
inline constexpr const char* kNoKeyboardText = "No Gaming Keyboard Detected!";
inline constexpr const char* kNoKeyboardTitle = "Warning";
inline constexpr int kNoKeyboardBalloon = 15;   // wParam of the no-keyboard message

// Everything the window needs from the application object.
struct ShellContext {
    hid::Backend& backend;
    ui::UserDialogs& dialogs;
    link::Sleeper& sleeper;
    Launcher& launcher;
    QString installFolder;   // ends in '/'
    QString dataFolder;      // ends in '/'
    QString verBinPath;
    model::Language language = model::Language::English;
    bool showSplash = true;
    bool useTray = true;   // tests keep the desktop's tray out of it
    // Whether the desktop has a notification area now (asked each time the window hides, since a
    // tray can appear or go away while the program runs); empty: the platform's answer.
    std::function<bool()> trayAvailable{};
    link::HotplugDelays hotplugDelays{};
    int* splashTicks = nullptr;   // the process-wide splash counter (owned by the application)
};

// VER.bin: bytes 5 and 7 are ASCII digits (major, minor); 0.0 when missing or short.
platform::FirmwareVersion ReadVerBin(const QString& path);

// The session's part of the window's context.
usecases::SessionContext sessionContext(const ShellContext& ctx);

class CVelkorDlg : public QWidget {
    Q_OBJECT
public:
    // The window on the application's session, which outlives it.
    CVelkorDlg(ShellContext ctx, usecases::Session& session, QWidget* parent = nullptr);
    // The window with a session of its own, made from `ctx` (tests).
    explicit CVelkorDlg(ShellContext ctx, QWidget* parent = nullptr);
    ~CVelkorDlg() override;

    // The window initialisation, in the order of start-up; false when the window starts hidden
    // (no keyboard).
    bool initialise();
    bool startsHidden() const { return startHidden_; }
    // Puts the window away: into the tray where one is shown, else minimised, so that it stays
    // in the task bar and can always be brought back.
    void hideToTray();

    // Tray callback: a double-click (or a StatusNotifier's single activation).
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    // The no-keyboard message; wParam 15 shows the notice.
    void noKeyboard(int wParam);
    // Another copy of the program was started.
    void showFromOtherInstance();
    // Tray menu "Exit": ends without writing keymap.bin.
    void exitFromTray() { exitProgram(false); }
    int noticesShown() const { return notices_; }

    // ---- Entry points the tests drive directly -----------------------------------
    void RedrawSlider(int id, QPainter* painter = nullptr);
    void RecomputeModifiedMarks() { session_.panel().RecomputeModifiedMarks(); }
    // What the link reports, as the session handles it.
    void configurationLoaded(int lParam) { session_.configurationLoaded(lParam); }
    void keyNotification(uint8_t keyCode) { session_.keyNotification(keyCode); }
    void setSlidersFromImage(uint8_t brightness, uint8_t speed, uint8_t reportRate);

    usecases::Session& session() { return session_; }
    link::KeyboardLink& keyboardLink() { return session_.keyboardLink(); }
    link::ConfigStore& store() { return session_.store(); }
    MainPanel& panel() { return session_.panel(); }
    macro::MacroStore& macros() { return session_.macros(); }
    controls::CBitSlider& slider(int id);
    const ui::SkinImages& images() const { return images_; }
    platform::FirmwareVersion fileVersion() const { return fileVersion_; }
    bool chinese() const { return language_ == model::Language::Chinese; }
    // Replaces the panels or companions (tests; the program keeps the built ones).
    void setPanelHost(std::unique_ptr<PanelHost> host) { panels_ = std::move(host); }
    void setCompanions(std::unique_ptr<Companions> companions) { companions_ = std::move(companions); }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    // The texts the last paint drew, each with its frame and font.
    const std::vector<ui::FramedText>& paintedTexts() const { return painted_; }
    // The about-menu strip's right-click menu: Undo <step>, Redo <step> (greyed when there is
    // none), About. Undo and Redo act when triggered.
    std::unique_ptr<QMenu> buildAboutMenu();
    // The session's undo and redo; the window follows them at once.
    void undoEdit();
    void redoEdit();
    // The painted controls as screen readers and the keyboard see them (MainAccess.cpp).
    ui::PaintedAccess& access() { return *access_; }

signals:
    // The program ends (close button or tray Exit); the application quits its loop.
    void exitRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Ctrl+Z undoes the last edit, Ctrl+Shift+Z and Ctrl+Y redo it; Escape closes an open list
    // or the help menu; the painted controls take Tab, the arrows, Space and Enter.
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    CVelkorDlg(ShellContext ctx, std::unique_ptr<usecases::Session> owned, usecases::Session* session, QWidget* parent);
    // What the session reports.
    void connectSession();
    void hideMainWindow();
    void keyboardReadFailed();
    void deviceNotificationRegistrationFailed();
    void configurationApplied(int lParam);
    // Start-up steps.
    void placeSliders();
    void setUpTray();
    bool trayAvailable() const;
    QIcon applicationIcon() const;
    // Commands.
    void runCommand(int command);
    void runHelpRow(int row);
    void keymapClick(int key);
    void macroManager();
    void profilePanel();
    void factorySettings();
    void cancelEdits();
    void saveToKeyboard();
    void saveFailed();
    // Around a link operation the window started.
    void linkStarted();
    void linkFinished();
    void exitProgram(bool saveShadow);
    void showAboutMenu(const QPoint& globalPos);
    // A left click at `at` (window coordinates) once the button is up: what the panel makes of it,
    // then the command, the help row or the key map panel it asks for.
    void clickAt(const QPoint& at);
    void refresh();
    void syncSliders();
    void onSliderChanged(int id);
    void storeSliderPositions();
    // Painting, one step per row of the painting table.
    void paintFrame(QPainter& p);
    void paintKeys(QPainter& p);
    void paintLight(QPainter& p);
    void paintDirection(QPainter& p);
    void paintMacroBar(QPainter& p);
    void paintGameMode(QPainter& p);
    void paintResponse(QPainter& p);
    void paintReportRate(QPainter& p);
    void paintBottom(QPainter& p);
    void paintLists(QPainter& p);
    void paintHelpMenu(QPainter& p);
    // Draws one text of the painting table inside its frame (see FramedText) and records it.
    void text(QPainter& p, int px, const QRect& frame, const QString& s,
              int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine);
    void paintColourLegend(QPainter& p);
    QString effectName(uint8_t effect) const;
    // The open effect or response list's rectangle; empty when none is open.
    QRect openListArea() const;
    QString tr2(const char* english, const char* chinese) const;
    const QPixmap& pix(const char* name) const;
    static QFont textFont(int px);
    // The painted controls, described from the panel's state (MainAccess.cpp), one step per part
    // of the window in reading order.
    std::vector<ui::PaintedControl> describeControls();
    void describeTitleStrip(std::vector<ui::PaintedControl>& out);
    void describeLight(std::vector<ui::PaintedControl>& out);
    void describeLightOptions(std::vector<ui::PaintedControl>& out, uint8_t effect);
    void describeLowerSections(std::vector<ui::PaintedControl>& out);
    void describeKeys(std::vector<ui::PaintedControl>& out);
    void describeBottom(std::vector<ui::PaintedControl>& out);
    // A slider whose mark goes around `rect` (null: the slider itself).
    ui::PaintedControl describeSlider(int id, const QString& name, const QString& valueText, QRect rect = {});
    // A control pressed as a click at `at`.
    ui::PaintedControl clickable(const QString& id, const QString& name, const QRect& rect, QPoint at);
    // After a press opened a list or the help menu: the focus goes into it; after one closed
    // under the focus: back to what opened it (`openerBefore`, see openListOpener).
    void focusAfterPress(bool fromKeyboard, const QString& openerBefore);
    // The id of the control that opened the list or menu open now; empty when none is open.
    QString openListOpener() const;
    // Escape: an open list or the help menu closes as a click beside it closes it.
    bool closeOpenList();

    ShellContext ctx_;
    model::Language language_;
    ui::SkinImages images_;
    std::unique_ptr<usecases::Session> ownSession_;
    usecases::Session& session_;
    MainPanel* panel_;   // the session's
    controls::CBitSlider* speed_ = nullptr;
    controls::CBitSlider* brightness_ = nullptr;
    controls::CBitSlider* reportRate_ = nullptr;
    controls::SliderImages sliderImages_;
    std::array<QPoint, 3> drawnThumbs_;
    std::unique_ptr<PanelEnvironment> panelEnv_;
    std::unique_ptr<PanelHost> panels_;
    std::unique_ptr<Companions> companions_;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu trayMenu_;
    platform::FirmwareVersion fileVersion_{};
    int ownSplashTicks_ = 0;
    bool startHidden_ = false;
    bool exiting_ = false;
    int notices_ = 0;
    ui::WindowDrag drag_;
    ui::PaintedAccess* access_ = nullptr;   // a child of the window
    std::vector<ui::FramedText> painted_;
    QRect coveredByList_;
};

}   // namespace orvane::shell
