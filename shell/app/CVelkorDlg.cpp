#include "shell/app/CVelkorDlg.h"

#include "platform/core/VersionFile.h"
#include "platform/ui/UserDialogs.h"
#include "ui/Texts.h"
#include "shell/app/Launcher.h"
#include "shell/controls/CSplashScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QFile>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace orvane::shell {

using controls::kBrightnessSliderId;
using controls::kReportRateSliderId;
using controls::kSpeedSliderId;

namespace {

// Brightness, speed and report-rate sliders: start rectangles and ranges.
constexpr QPoint kBrightnessPos{28, 260};
constexpr QPoint kSpeedPos{28, 303};
constexpr QSize kSliderStartSize{30, 10};
constexpr int kReportSliderOffset = 23;   // below the USB Report Rate header
constexpr int kProfileSettleMs = 50;

}   // namespace

platform::FirmwareVersion ReadVerBin(const QString& path)
{
    return platform::ReadVersionFile(QFile::encodeName(path).toStdString());
}

usecases::SessionContext sessionContext(const ShellContext& ctx)
{
    return {.backend = ctx.backend,
            .sleeper = ctx.sleeper,
            .dataFolder = ctx.dataFolder.toStdString(),
            .language = ctx.language,
            .hotplugDelays = ctx.hotplugDelays};
}

CVelkorDlg::CVelkorDlg(ShellContext ctx, usecases::Session& session, QWidget* parent)
    : CVelkorDlg(std::move(ctx), nullptr, &session, parent)
{}

CVelkorDlg::CVelkorDlg(ShellContext ctx, QWidget* parent)
    : CVelkorDlg(ctx, std::make_unique<usecases::Session>(sessionContext(ctx)), nullptr, parent)
{}

CVelkorDlg::CVelkorDlg(ShellContext ctx, std::unique_ptr<usecases::Session> owned, usecases::Session* session,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ctx_(std::move(ctx)), language_(ctx_.language),
      images_(
          ctx_.installFolder +
          (language_ == model::Language::Chinese ? QStringLiteral("png/chinese/") : QStringLiteral("png/english/"))),
      ownSession_(std::move(owned)), session_(session ? *session : *ownSession_), panel_(&session_.panel())
{
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    speed_ = new controls::CBitSlider(kSpeedSliderId, this);
    brightness_ = new controls::CBitSlider(kBrightnessSliderId, this);
    reportRate_ = new controls::CBitSlider(kReportRateSliderId, this);
    // The painted sliders stand for the real ones, to screen readers and the keyboard alike.
    for (controls::CBitSlider* s : {speed_, brightness_, reportRate_})
        ui::PaintedAccess::markReplaced(*s);
    access_ = new ui::PaintedAccess(*this, [this] { return describeControls(); });
    const QString macroPath = QString::fromStdString(session_.macroFilePath());
    panelEnv_.reset(new PanelEnvironment{store(), macros(), session_.names(), ctx_.dialogs, images_,
                                         session_.language(), ctx_.installFolder, ctx_.dataFolder,
                                         ctx_.dataFolder + QStringLiteral("Configure/"), macroPath,
                                         [this](profile::ProfileFolder& folder, int line, const std::string& from) {
                                             return session_.loadProfile(folder, line, from);
                                         }});
    panels_ = createPanelHost(*panelEnv_);
    companions_ = createCompanions({ctx_.dialogs, ctx_.installFolder, chinese()});
    connectSession();
}

CVelkorDlg::~CVelkorDlg()
{
    if (tray_)
        tray_->hide();
    keyboardLink().Close();
}

void CVelkorDlg::connectSession()
{
    using usecases::Session;
    connect(&session_, &Session::keyboardMissing, this, &CVelkorDlg::hideMainWindow);
    connect(&session_, &Session::levelsChanged, this, &CVelkorDlg::setSlidersFromImage);
    connect(&session_, &Session::configurationApplied, this, &CVelkorDlg::configurationApplied);
    connect(&session_, &Session::readFailed, this, &CVelkorDlg::keyboardReadFailed);
    connect(&session_, &Session::monitorUnavailable, this, &CVelkorDlg::deviceNotificationRegistrationFailed);
    connect(&session_, &Session::hostAction, this,
            [this](const QString& path, bool startup) { launchHostAction(ctx_.launcher, path, startup); });
    connect(&session_, &Session::saveFinished, this, [this](link::UploadResult result) {
        linkFinished();
        if (result != link::UploadResult::Uploaded && result != link::UploadResult::NothingToSend)
            saveFailed();
    });
    // Everything painted follows an undo or redo (the sliders through levelsChanged).
    connect(&session_, &Session::historyApplied, this, [this] { refresh(); });
    connect(&session_, &Session::factoryResetFinished, this, [this](bool ok) {
        linkFinished();
        refresh();
        if (!ok)
            ctx_.dialogs.message(this,
                                 tr2("The keyboard did not complete the factory reset. Check that it is connected "
                                     "and try again.",
                                     "键盘未能完成恢复出厂设置。请检查键盘连接后重试。"),
                                 tr2("Factory Setting", "出厂设置"), ui::MessageButtons::Ok, ui::MessageIcon::Warning);
    });
}

controls::CBitSlider& CVelkorDlg::slider(int id)
{
    return id == kSpeedSliderId ? *speed_ : id == kBrightnessSliderId ? *brightness_ : *reportRate_;
}

QString CVelkorDlg::tr2(const char* english, const char* chinese) const
{
    return ui::text(language_, english, chinese);
}

// ---- Start-up ---------------------------------------------------------------

void CVelkorDlg::placeSliders()
{
    for (controls::CBitSlider* s : {brightness_, speed_, reportRate_}) {
        s->setOrientation(Qt::Horizontal);
        s->setUp(images_);
        if (s->size().isEmpty())
            s->resize(kSliderStartSize);
        connect(s, &controls::CBitSlider::sliderChanged, this, &CVelkorDlg::onSliderChanged);
        connect(s, &QSlider::valueChanged, this, [this, s] {
            storeSliderPositions();
            // A drag is one undo step; a key, wheel or page step is one by itself.
            if (!s->isSliderDown())
                session_.history().seal();
            access_->refresh();
        });
        connect(s, &QSlider::sliderReleased, this, [this] { session_.history().seal(); });
        s->hide();
    }
    brightness_->move(kBrightnessPos);
    speed_->move(kSpeedPos);
    reportRate_->move(28, 530);
    sliderImages_ = controls::SliderImages::load(images_);
}

bool CVelkorDlg::initialise()
{
    // The sliders' first positions and keymap.bin's values are where editing starts, no step.
    const usecases::EditHistory::Quiet quiet(&session_.history());
    placeSliders();
    fileVersion_ = ReadVerBin(ctx_.verBinPath);
    if (const QSize size = images_.size(QStringLiteral("main.png")); !size.isEmpty())
        resize(size);
    else
        resize(1000, 645);
    setWindowIcon(applicationIcon());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    session_.prepare();
    speed_->setRange(0, 9);
    speed_->setSingleStep(1);
    speed_->setPageStep(1);
    brightness_->setRange(0, 50);
    brightness_->setSingleStep(1);
    brightness_->setPageStep(1);
    brightness_->setValue(1);
    if (ctx_.showSplash) {
        controls::CSplashScreen splash(ctx_.installFolder, chinese(),
                                       ctx_.splashTicks ? *ctx_.splashTicks : ownSplashTicks_);
        splash.exec();
    }
    reportRate_->setRange(0, 3);
    reportRate_->setSingleStep(1);
    reportRate_->setPageStep(1);
    reportRate_->setValue(1);
    session_.start();
    setUpTray();
    if (startHidden_ && !tray_)
        noKeyboard(kNoKeyboardBalloon);   // without a tray the program would otherwise be invisible
    syncSliders();
    return !startHidden_;
}

QIcon CVelkorDlg::applicationIcon() const
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        if (const QString f = ctx_.installFolder + QStringLiteral("icons/QX410-Orvane-%1.png").arg(size);
            QFile::exists(f))
            icon.addFile(f, QSize(size, size));
    return icon.isNull() ? QIcon(images_.pixmap(QStringLiteral("logo.png"))) : icon;
}

bool CVelkorDlg::trayAvailable() const
{
    return ctx_.trayAvailable ? ctx_.trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void CVelkorDlg::setUpTray()
{
    if (tray_ || !ctx_.useTray || !trayAvailable())
        return;
    const QIcon icon = windowIcon();
    tray_ = new QSystemTrayIcon(icon, this);
    tray_->setToolTip(QString::fromLatin1(kWindowTitle));
    trayMenu_.addAction(tr2("Exit", "退出"), this, &CVelkorDlg::exitFromTray);
    tray_->setContextMenu(&trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, &CVelkorDlg::trayActivated);
    tray_->show();
}

// ---- Messages -----------------------------------------------------------------

void CVelkorDlg::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::DoubleClick && reason != QSystemTrayIcon::Trigger)
        return;
    if (keyboardLink().commandOpen()) {
        showNormal();
        raise();
        activateWindow();
    } else {
        noKeyboard(kNoKeyboardBalloon);
    }
}

void CVelkorDlg::noKeyboard(int wParam)
{
    if (wParam != kNoKeyboardBalloon)
        return;
    ++notices_;
    const QString text = QString::fromLatin1(kNoKeyboardText), title = QString::fromLatin1(kNoKeyboardTitle);
    if (tray_ && tray_->isVisible())
        tray_->showMessage(title, text, QSystemTrayIcon::Information);
    else
        ctx_.dialogs.message(this, text, title, ui::MessageButtons::Ok, ui::MessageIcon::Information);
}

void CVelkorDlg::showFromOtherInstance()
{
    showNormal();
    raise();
    activateWindow();
}

void CVelkorDlg::hideMainWindow()
{
    startHidden_ = true;
    hideToTray();
}

void CVelkorDlg::hideToTray()
{
    setUpTray();   // a tray that appeared since the start
    if (tray_ && tray_->isVisible() && trayAvailable()) {
        hide();
        return;
    }
    // Nothing on screen would bring a hidden window back.
    showMinimized();
}

void CVelkorDlg::setSlidersFromImage(uint8_t brightness, uint8_t speed, uint8_t reportRate)
{
    // The sliders follow the image: what they write back meanwhile is no edit of the user's.
    const usecases::EditHistory::Quiet quiet(&session_.history());
    brightness_->setValue(brightness);
    speed_->setValue(speed);
    reportRate_->setValue(reportRate);
    access_->refresh();
}

void CVelkorDlg::configurationApplied(int lParam)
{
    refresh();
    if (lParam == 0)
        companions_->checkFirmware(this, keyboardLink().firmwareVersion(), fileVersion_);
}

void CVelkorDlg::keyboardReadFailed()
{
    refresh();
    ctx_.dialogs.message(this,
                         tr2("The keyboard did not answer while its settings were being read. The window shows the "
                             "settings last saved on this computer; check that the keyboard is connected, then "
                             "unplug it and plug it in again.",
                             "读取键盘设置时键盘没有响应。窗口显示的是本机上次保存的设置；请检查键盘连接，"
                             "然后拔下键盘并重新插入。"),
                         QString::fromLatin1(kWindowTitle), ui::MessageButtons::Ok, ui::MessageIcon::Warning);
}

void CVelkorDlg::deviceNotificationRegistrationFailed()
{
    ctx_.dialogs.message(this, QStringLiteral("Cannot register for Wdm2 class device notification"),
                         QString::fromLatin1(kWindowTitle), ui::MessageButtons::Ok, ui::MessageIcon::Warning);
}

// ---- Sliders ---------------------------------------------------------------------

void CVelkorDlg::storeSliderPositions()
{
    session_.setLevels(uint8_t(speed_->value()), uint8_t(brightness_->value()), uint8_t(reportRate_->value()));
}

void CVelkorDlg::onSliderChanged(int id)
{
    const std::size_t i = id == kSpeedSliderId ? 0 : id == kBrightnessSliderId ? 1 : 2;
    if (slider(id).thumbPos() != drawnThumbs_[i])
        update();
}

void CVelkorDlg::syncSliders()
{
    reportRate_->move(28, panel_->reportY() + kReportSliderOffset);
    brightness_->setVisible(panel_->brightnessSliderShown());
    speed_->setVisible(panel_->speedSliderShown());
    reportRate_->setVisible(panel_->reportSliderShown());
}

void CVelkorDlg::refresh()
{
    panel_->LayoutSections();
    syncSliders();
    access_->refresh();   // repaints
}

// ---- Mouse ---------------------------------------------------------------------------

void CVelkorDlg::mousePressEvent(QMouseEvent* event)
{
    access_->hideMark();
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        const int hit = panel_->HitTestButton(at.x(), at.y());
        if (at.y() < 32 && (hit < cmd::kHelp || hit > cmd::kClose))
            showAboutMenu(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (panel_->OnButtonDown(at.x(), at.y())) {
        drag_.press(*this, *event);
        drag_.start(*this);
    }
}

void CVelkorDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (drag_.follow(*this, *event))
        return;
    if (!(event->buttons() & Qt::LeftButton))
        panel_->OnButtonUp();
    const QPoint at = event->position().toPoint();
    if (panel_->OnMouseMove(at.x(), at.y()))
        update();
}

void CVelkorDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    panel_->OnButtonUp();
    if (drag_.release())
        return;
    clickAt(event->position().toPoint());
}

void CVelkorDlg::clickAt(const QPoint& at)
{
    const ClickOutcome out = panel_->OnClick(at.x(), at.y());
    refresh();
    if (out.helpRow >= 0)
        runHelpRow(out.helpRow);
    if (out.command != cmd::kNone)
        runCommand(out.command);
    if (out.keymapKey >= 0 && !exiting_)
        keymapClick(out.keymapKey);
    if (!exiting_)
        refresh();
}

void CVelkorDlg::leaveEvent(QEvent* event)
{
    if (panel_->ClearHover())
        update();
    QWidget::leaveEvent(event);
}

void CVelkorDlg::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && panel_->ClearHover())
        update();
    QWidget::changeEvent(event);
}

void CVelkorDlg::closeEvent(QCloseEvent* event)
{
    // A close from the window manager is the close button.
    if (!exiting_)
        exitProgram(true);
    event->accept();
}

std::unique_ptr<QMenu> CVelkorDlg::buildAboutMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const usecases::EditHistory& history = session_.history();
    const QString undoName = history.undoName(chinese()), redoName = history.redoName(chinese());
    QAction* undo = menu->addAction(undoName.isEmpty() ? tr2("Undo", "撤销") : tr2("Undo %1", "撤销 %1").arg(undoName),
                                    this, &CVelkorDlg::undoEdit);
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setEnabled(history.canUndo());
    QAction* redo = menu->addAction(redoName.isEmpty() ? tr2("Redo", "重做") : tr2("Redo %1", "重做 %1").arg(redoName),
                                    this, &CVelkorDlg::redoEdit);
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    redo->setEnabled(history.canRedo());
    menu->addSeparator();
    menu->addAction(QStringLiteral("About Velkor(&A)..."))->setObjectName(QStringLiteral("about"));
    return menu;
}

void CVelkorDlg::undoEdit()
{
    if (!exiting_)
        session_.undo();
}

void CVelkorDlg::redoEdit()
{
    if (!exiting_)
        session_.redo();
}

void CVelkorDlg::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_Z && mods == Qt::ControlModifier)
        undoEdit();
    else if ((event->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier)) ||
             (event->key() == Qt::Key_Y && mods == Qt::ControlModifier))
        redoEdit();
    else if (event->key() == Qt::Key_Escape && mods == Qt::NoModifier)
        closeOpenList();   // and nothing else: the window stays
    else if (!access_->handleKey(*event))
        return QWidget::keyPressEvent(event);
    event->accept();
}

bool CVelkorDlg::focusNextPrevChild(bool next)
{
    return access_->moveFocus(next);
}

void CVelkorDlg::showAboutMenu(const QPoint& globalPos)
{
    const std::unique_ptr<QMenu> menu = buildAboutMenu();
    const QAction* chosen = menu->exec(globalPos);
    if (!chosen || chosen->objectName() != QStringLiteral("about"))
        return;
    ctx_.dialogs.message(this,
                         tr2("QX410-Orvane Version 1.1\nConfiguration of the QX410 gaming keyboard.",
                             "QX410-Orvane 版本 1.1\nQX410 游戏键盘设置程序。"),
                         tr2("About QX410-Orvane", "关于 QX410-Orvane"), ui::MessageButtons::Ok,
                         ui::MessageIcon::Information);
}

// ---- Commands ----------------------------------------------------------------------------

void CVelkorDlg::runCommand(int command)
{
    switch (command) {
    case cmd::kMinimise: hideToTray(); break;
    case cmd::kClose: exitProgram(true); break;
    case cmd::kMacro: macroManager(); break;
    case cmd::kProfile: profilePanel(); break;
    case cmd::kReturn: factorySettings(); break;
    case cmd::kCancel: cancelEdits(); break;
    case cmd::kSave: saveToKeyboard(); break;
    default: break;
    }
}

void CVelkorDlg::runHelpRow(int row)
{
    switch (row) {
    case 0: companions_->openWebPage(this); break;
    case 1: companions_->startUpdater(this); break;
    case 2: companions_->startLcdTool(this); break;
    default: break;
    }
}

void CVelkorDlg::keymapClick(int key)
{
    const KeyMapRequest request = session_.beginKeyAssignment(uint8_t(key));
    keymap::PendingAssignment pending;
    uint8_t enabled = session_.keyEnabled();
    if (!panels_->runKeyMap(this, request, pending, enabled))
        return;
    session_.commitKeyAssignment(pending, enabled);
}

void CVelkorDlg::macroManager()
{
    session_.beginMacroEdit();
    if (!panels_->runMacroManager(this)) {
        session_.dropMacroEdit();
        return;
    }
    session_.commitMacroEdit();
}

void CVelkorDlg::profilePanel()
{
    panels_->runProfile(this, geometry());
    QTimer::singleShot(kProfileSettleMs, this, [this] { session_.configurationLoaded(1); });
}

void CVelkorDlg::factorySettings()
{
    if (ctx_.dialogs.message(this, tr2("Confirm to return Factory Setting?", "确认恢复至出厂设置吗？"),
                             tr2("Factory Setting", "出厂设置"), ui::MessageButtons::OkCancel,
                             ui::MessageIcon::Question) != ui::MessageResult::Ok)
        return;
    // The factory reset reads the keyboard back on the link thread; factoryResetFinished ends it.
    linkStarted();
    session_.factoryReset();
}

void CVelkorDlg::linkStarted()
{
    // The window goes on answering while the keyboard is busy; the cursor says it is.
    QApplication::setOverrideCursor(Qt::BusyCursor);
}

void CVelkorDlg::linkFinished()
{
    QApplication::restoreOverrideCursor();
}

void CVelkorDlg::cancelEdits()
{
    hideToTray();
    session_.cancelEdits();
}

void CVelkorDlg::saveToKeyboard()
{
    storeSliderPositions();
    linkStarted();
    session_.save();   // saveFinished ends it
}

void CVelkorDlg::saveFailed()
{
    ctx_.dialogs.message(this,
                         tr2("The settings could not be saved to the keyboard. Your changes are kept; check that "
                             "the keyboard is connected and press Save again.",
                             "设置未能保存到键盘。您的修改已保留，请检查键盘连接后再次点击保存。"),
                         tr2("Save", "保存"), ui::MessageButtons::Ok, ui::MessageIcon::Warning);
}

void CVelkorDlg::exitProgram(bool saveShadow)
{
    if (exiting_)
        return;
    exiting_ = true;
    session_.exit(saveShadow);
    if (tray_)
        tray_->hide();
    hide();
    emit exitRequested();
}

}   // namespace orvane::shell
