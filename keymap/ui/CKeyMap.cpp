#include "keymap/ui/CKeyMap.h"

#include "hook/Vantrel.h"
#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/ui/KeyMapTexts.h"
#include "keymap/ui/VividTree.h"
#include "platform/ui/FramedText.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "ui/Texts.h"

#include <QApplication>
#include <QDir>
#include <QFocusEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QTreeWidgetItem>

#include <algorithm>
#include <array>

namespace orvane::keymap {

using namespace keymap_texts;

namespace {

constexpr int kCaptureMode = 0;   // presses only
constexpr QRgb kControlBrush = qRgb(109, 109, 109);
constexpr QRgb kSelectionBrush = VividTree::kSelectionBar;
constexpr QRgb kInactiveTabText = qRgb(192, 192, 192);
// Arial of cell height 14 (the panel's font) has an em of 12 pixels.
constexpr int kTextPixelSize = 12;
constexpr int kLeftLine = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
constexpr int kCentredLine = Qt::AlignCenter | Qt::TextSingleLine;
using ui::kTextMarginX;
constexpr QSize kFallbackSize{325, 276};

struct ControlPlace {
    int x, y, w, h;
};
constexpr ControlPlace kTreePlace{10, 60, 295, 160};
constexpr ControlPlace kSinglePlace{20, 89, 280, 15};
constexpr ControlPlace kCombinePlace{20, 139, 280, 15};
constexpr ControlPlace kListPlace{20, 79, 280, 150};

// File choosers of rows 0..2.
struct ChooserRow {
    const char* filter;
    const char* suffix;
};
constexpr std::array<ChooserRow, 3> kChoosers = {
    {{"mp3 Files(*.mp3)", "mp3"}, {"exe Files(*.exe)", "exe"}, {"txt Files(*.txt)", "txt"}}};
constexpr int kStartupRow = 1, kFolderRow = 3;
constexpr PanelText kTxtNotAProgram{"Please select a program file", "请选择程序文件"};
constexpr const char* kFolderTitle = "modification path";

const char* kImages[] = {"Custom_BK.png",
                         "button-close-normal.png",
                         "button-close-over.png",
                         "large_button.png",
                         "single_combine_option.png",
                         "Disable.png",
                         "Enable.png",
                         "button-cancel-normal.png",
                         "button-cancel-over.png",
                         "button-save-normal.png",
                         "button-save-over.png",
                         "cursor.png",
                         "Macro_BK.png",
                         "Advanced.png",
                         "view.png",
                         "view02.png",
                         "disable.png",
                         "enable.png"};

QString customName(const char* name)
{
    return QStringLiteral("Custom/") + QLatin1String(name);
}

void place(QWidget* w, const ControlPlace& at)
{
    w->setGeometry(at.x, at.y, at.w, at.h);
}

void styleControl(QWidget* w)
{
    QPalette pal = w->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(g, QPalette::Base, QColor(kControlBrush));
        pal.setColor(g, QPalette::Window, QColor(kControlBrush));
        pal.setColor(g, QPalette::Text, Qt::white);
        pal.setColor(g, QPalette::WindowText, Qt::white);
        pal.setColor(g, QPalette::Highlight, QColor(kSelectionBrush));
        pal.setColor(g, QPalette::HighlightedText, Qt::white);
    }
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setTextIfChanged(QLineEdit* box, const std::u16string& text)
{
    const QString t = QString::fromStdU16String(text);
    if (box->text() != t)
        box->setText(t);
}

}   // namespace

// ---- Choosers and messages ---------------------------------------------------

class CKeyMap::Services final : public KeyMapServices {
public:
    explicit Services(CKeyMap& panel) : panel_(panel) {}

    std::u16string choosePath(int row) override
    {
        const QString path = row == kFolderRow ? chooseFolder() : chooseFile(row);
        return path.toStdU16String();
    }

    void showMessage(const PanelText& t) override
    {
        panel_.env_.dialogs.message(&panel_, ui::text(panel_.env_.language, t.english, t.chinese), QString(),
                                    ui::MessageButtons::Ok, ui::MessageIcon::Information);
    }

private:
    QString chooseFile(int row)
    {
        const ChooserRow& c = kChoosers[std::size_t(row)];
        const ui::FileRequest request{QString(), panel_.startFolder(),
                                      QLatin1String(c.filter) + QStringLiteral(";;All files (*)"),
                                      QLatin1String(c.suffix)};
        const QString path = panel_.env_.dialogs.openFile(&panel_, request);
        if (path.isEmpty())
            return {};
        const QFileInfo info(path);
        if (!info.isFile())
            return {};   // the chooser only offers existing files
        // A program is started as it is: anything that cannot be executed is refused here.
        if (row == kStartupRow && !info.isExecutable()) {
            showMessage(kTxtNotAProgram);
            return {};
        }
        return info.absoluteFilePath();
    }

    QString chooseFolder()
    {
        const QString path =
            panel_.env_.dialogs.chooseFolder(&panel_, QLatin1String(kFolderTitle), panel_.startFolder());
        if (path.isEmpty())
            return {};   // cancelled
        if (!QFileInfo(path).isDir()) {
            showMessage(kTxtPleaseSelectFolder);
            return {};
        }
        return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    }

    CKeyMap& panel_;
};

// ---- Construction ---------------------------------------------------------------

CKeyMap::CKeyMap(KeyMapEnvironment env, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), env_(env), state_(env.names, env.language),
      services_(std::make_unique<Services>(*this))
{
    setObjectName(QStringLiteral("CKeyMap"));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);   // erase background: nothing
    m_tree = new VividTree(this);
    m_single = new QLineEdit(this);
    m_combine = new QLineEdit(this);
    m_list = new QListWidget(this);
    m_tree->setObjectName(QString::number(kTreeId));
    m_single->setObjectName(QString::number(kSingleBoxId));
    m_combine->setObjectName(QString::number(kCombineBoxId));
    m_list->setObjectName(QString::number(kMacroListId));
    m_tree->setHeaderHidden(true);
    m_tree->setBkMode(VividTree::BkSolid);
    m_tree->setShowSelectionAlways(true);   // the key's function is seen before the tree is clicked
    m_tree->SetBitmaps(env_.images);
    for (QWidget* w : std::initializer_list<QWidget*>{m_single, m_combine, m_list, m_tree})
        w->installEventFilter(this);
    for (QWidget* w : std::initializer_list<QWidget*>{m_single, m_combine, m_list})
        styleControl(w);
    for (QWidget* w : std::initializer_list<QWidget*>{m_single, m_combine, m_list})
        w->setFont(panelFont());
    m_single->setFrame(false);
    m_combine->setFrame(false);
    m_list->setFrameShape(QFrame::NoFrame);
    // The panel itself takes the focus only from the keyboard (its painted controls): a click on
    // a painted button leaves the focus, and a capture, in the box that has it.
    setFocusPolicy(Qt::TabFocus);
    nameControls();
    loadImages();
    placeControls();
}

CKeyMap::~CKeyMap()
{
    if (m_bHook)
        env_.hook.remove();
}

void CKeyMap::loadImages()
{
    QStringList names;
    for (const char* n : kImages)
        names << customName(n);
    env_.images.preload(names);
    const QSize bk = env_.images.size(customName("Custom_BK.png"));
    setFixedSize(bk.isEmpty() ? kFallbackSize : bk);
}

void CKeyMap::placeControls()
{
    place(m_tree, kTreePlace);
    place(m_single, kSinglePlace);
    place(m_combine, kCombinePlace);
    place(m_list, kListPlace);
}

const QPixmap& CKeyMap::image(const char* name) const
{
    return env_.images.pixmap(customName(name));
}

QString CKeyMap::startFolder() const
{
    const QString profile = env_.dataFolder + QStringLiteral("Profile");
    return QFileInfo(profile).isDir() ? profile : QDir::homePath();
}

// ---- Opening ----------------------------------------------------------------

void CKeyMap::fillTree(const std::u16string& functionName)
{
    m_tree->clear();
    QTreeWidgetItem* group = nullptr;
    FunctionGroup groupKind = FunctionGroup::TopLevel;
    for (const FunctionEntry& f : FunctionCatalogue) {
        QTreeWidgetItem* parent = nullptr;
        if (f.group != FunctionGroup::TopLevel) {
            if (!group || groupKind != f.group) {
                group = new QTreeWidgetItem(
                    m_tree, {QString::fromStdU16String(std::u16string(functionGroupName(f.group, env_.language)))});
                groupKind = f.group;
            }
            parent = group;
        } else {
            group = nullptr;
        }
        const QString name = QString::fromStdU16String(std::u16string(f.name(env_.language)));
        auto* item = parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(m_tree, {name});
        if (!functionName.empty() && name == QString::fromStdU16String(functionName)) {
            m_tree->setCurrentItem(item);
            if (parent)
                parent->setExpanded(true);
        }
    }
}

void CKeyMap::fillMacroList(const macro::MacroStore::Records& macros)
{
    m_list->clear();
    // Only the first 32 macros have a block on the keyboard: a later one could not be assigned.
    for (const macro::MacroRecord& r : macros) {
        const std::u16string name = macro::recordName(r);
        if (name.empty() || std::size_t(m_list->count()) >= macro::kMaxMacrosInUse)
            break;
        m_list->addItem(QString::fromStdU16String(name));
    }
}

void CKeyMap::prepare(const KeyMapOpening& opening)
{
    byKeyboard_ = opening.byKeyboard;
    defaultVk_ = opening.defaultVk;
    setWindowTitle(ui::text(env_.language, kTxtCurrentKey.english, kTxtCurrentKey.chinese) +
                   currentKeyName().trimmed());
    if (byKeyboard_)
        capture_.stop();
    else
        capture_.openByMouse();
    access_.hideMark();
    syncing_ = true;
    defaultVk_ = opening.defaultVk;
    state_.open(*opening.record, opening.enabled);
    fillTree(state_.functionName());
    fillMacroList(opening.macros ? *opening.macros : macro::MacroStore::Records{});
    if (state_.macroSelection() >= 0 && state_.macroSelection() < m_list->count())
        m_list->setCurrentRow(state_.macroSelection());
    else
        m_list->setCurrentRow(-1);
    m_single->clear();
    m_combine->clear();
    syncing_ = false;
    syncControls();
    if (byKeyboard_ && !m_single->hasFocus() && !m_combine->hasFocus() && !m_list->hasFocus())
        access_.focus(QStringLiteral("tab:%1").arg(state_.tab()), true);
    if (m_bHook)
        env_.hook.remove();
    m_bHook = env_.hook.install(kCaptureMode);
}

bool CKeyMap::run(QWidget* owner, const KeyMapOpening& opening, PendingAssignment& result, uint8_t& keyEnabled)
{
    if (owner && !isVisible()) {
        const QRect o = owner->frameGeometry();
        move(o.center() - QPoint(width() / 2, height() / 2));
    }
    KeyMapOpening o = opening;
    if (const ui::PaintedAccess* a = ui::PaintedAccess::of(owner); a && a->markShown())
        o.byKeyboard = true;
    prepare(o);
    const int code = env_.dialogs.runModal(*this);
    if (m_bHook) {   // a scripted run never reached done()
        env_.hook.remove();
        m_bHook = false;
    }
    if (code != QDialog::Accepted)
        return false;
    result = state_.pending();
    keyEnabled = state_.keyEnabled();
    return true;
}

void CKeyMap::done(int result)
{
    if (m_bHook) {
        env_.hook.remove();
        m_bHook = false;
    }
    QDialog::done(result);
}

// ---- State to controls ------------------------------------------------------------

void CKeyMap::syncControls()
{
    syncing_ = true;
    const int tab = state_.tab();
    m_single->setVisible(tab == kTabSingleCombine);
    m_combine->setVisible(tab == kTabSingleCombine);
    // With no macros the list's place shows a hint instead of a blank box.
    m_list->setVisible(tab == kTabMacro && m_list->count() > 0);
    m_tree->setVisible(tab == kTabBasic);
    setTextIfChanged(m_single, state_.singleText());
    setTextIfChanged(m_combine, state_.combineText());
    applyRequests();
    syncing_ = false;
    access_.refresh();
    update();
}

void CKeyMap::applyRequests()
{
    const PanelRequests r = state_.takeRequests();
    if (r.focusSingle) {
        m_single->setFocus();
        m_single->end(false);
    }
    if (r.focusCombine) {
        m_combine->setFocus();
        m_combine->end(false);
    }
    if (r.focusList)
        m_list->setFocus();
    if (r.selectFirstTreeItem && m_tree->topLevelItemCount() > 0)
        m_tree->setCurrentItem(m_tree->topLevelItem(0));
}

// ---- Input ----------------------------------------------------------------------

bool CKeyMap::event(QEvent* e)
{
    if (e->type() == WM_KEYHOOK) {
        if (m_bHook && capture_.capturing()) {
            state_.keyHook(static_cast<KeyHookEvent*>(e)->vk());
            syncControls();
        }
        return true;
    }
    return QDialog::event(e);
}

bool CKeyMap::eventFilter(QObject* watched, QEvent* e)
{
    QLineEdit* box = watched == m_single ? m_single : watched == m_combine ? m_combine : nullptr;
    const bool key = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease;
    if (key && box && m_bHook)
        return boxKey(box, *static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::MouseButtonPress && box && !capture_.capturing()) {
        access_.hideMark();
        capture_.openByMouse();   // a click on the box it has the focus of
    }
    if (e->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (box)
            boxFocused(box, reason);
        else if (watched == m_tree || watched == m_list)
            capture_.stop();
    }
    return QDialog::eventFilter(watched, e);
}

void CKeyMap::boxFocused(QLineEdit* box, Qt::FocusReason reason)
{
    if (syncing_) {
        // A focus the panel's state asked for: it captures when the operation came from the mouse.
        if (byKeyboard_)
            capture_.stop();
        else
            capture_.openByMouse();
        return;
    }
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
        capture_.stop();   // waits for Space or Enter
        return;
    }
    if (reason == Qt::MouseFocusReason)
        capture_.openByMouse();
    if (box == m_single)
        state_.singleBoxFocused();
    else
        state_.combineBoxFocused();
    syncControls();
}

bool CKeyMap::boxKey(QLineEdit* box, QKeyEvent& e)
{
    const bool press = e.type() == QEvent::KeyPress;
    if (capture_.capturing()) {
        // Every key is the hook's while the box captures; nothing is typed.
        if (press) {
            capture_.pressed(e.key(), e.isAutoRepeat());
        } else if (capture_.released(e.key(), e.isAutoRepeat())) {
            // The hook reports a key after Qt delivered it: the capture ends once the reports of
            // its keys are in.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (capture_.complete()) {
                        capture_.stop();
                        access_.refresh();
                    }
                },
                Qt::QueuedConnection);
        }
        return true;
    }
    const int k = e.key();
    const bool plain = !(e.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if ((k == Qt::Key_Tab || k == Qt::Key_Backtab) && plain)
        return false;   // to focusNextPrevChild
    if (k == Qt::Key_Escape && press && plain) {
        clickAt(buttonFace(kBtnClose).center(), true);
        return true;
    }
    if ((k == Qt::Key_Space || k == Qt::Key_Return || k == Qt::Key_Enter) && !press && !e.isAutoRepeat() && plain) {
        // On the release, and after the hook's report of this key: it is no key of the capture.
        const bool combine = box == m_combine;
        QMetaObject::invokeMethod(
            this,
            [this, box, combine] {
                if (!box->hasFocus() || capture_.capturing())
                    return;
                capture_.begin();
                state_.startCapture(combine);
                syncControls();
            },
            Qt::QueuedConnection);
    }
    return true;   // nothing is typed
}

bool CKeyMap::focusNextPrevChild(bool next)
{
    return access_.moveFocus(next);
}

void CKeyMap::keyPressEvent(QKeyEvent* e)
{
    if (access_.handleKey(*e))
        return;
    const bool plain = !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    switch (e->key()) {
    case Qt::Key_Escape:
        // As the close button: the panel ends without a change.
        if (plain)
            clickAt(buttonFace(kBtnClose).center(), true);
        e->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter: e->accept(); return;   // no default button: Enter never closes the panel
    default: QDialog::keyPressEvent(e);
    }
}

void CKeyMap::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint p = e->position().toPoint();
    if (pressedOutside_ && (e->buttons() & Qt::LeftButton)) {
        const QPoint global = e->globalPosition().toPoint();
        if (!dragging_ && (global - pressGlobal_).manhattanLength() < QApplication::startDragDistance())
            return;
        if (!dragging_) {
            dragging_ = true;
            // Outside the buttons the panel is its own caption.
            if (drag_.start(*this)) {
                pressedOutside_ = false;
                return;
            }
        }
        drag_.follow(*this, *e);
        return;
    }
    if (state_.hover(p.x(), p.y()))
        update();
}

void CKeyMap::mousePressEvent(QMouseEvent* e)
{
    access_.hideMark();
    const QPoint p = e->position().toPoint();
    pressedOutside_ = e->button() == Qt::LeftButton && buttonAt(p.x(), p.y()) == kNoButton;
    dragging_ = false;
    pressGlobal_ = e->globalPosition().toPoint();
    drag_.press(*this, *e);
}

void CKeyMap::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    pressedOutside_ = false;
    drag_.release();
    if (dragging_) {   // the end of a drag is no click
        dragging_ = false;
        return;
    }
    clickAt(e->position().toPoint(), false);
}

void CKeyMap::clickAt(QPoint p, bool byKeyboard)
{
    byKeyboard_ = byKeyboard;
    state_.setMacroRow(m_list->currentItem() && m_list->currentItem()->isSelected() ? m_list->currentRow() : -1);
    const QTreeWidgetItem* item = m_tree->currentItem();
    state_.setTreeSelection(item && item->isSelected() ? item->text(0).toStdU16String() : std::u16string());
    const PanelEnd end = state_.click(p.x(), p.y(), *services_);
    syncControls();
    if (end == PanelEnd::Ok)
        accept();
    else if (end == PanelEnd::Cancel)
        reject();
}

// ---- Painting -------------------------------------------------------------------

QString CKeyMap::currentKeyName() const
{
    if (defaultVk_ >= kFirstMacroKeyVk && defaultVk_ <= kLastMacroKeyVk)
        return QStringLiteral("M%1").arg(defaultVk_ - kFirstMacroKeyVk + 1);
    return QString::fromStdU16String(env_.names.name(defaultVk_));
}

void CKeyMap::drawText(QPainter& p, const QRect& frame, const QString& s, int flags) const
{
    const QFont font = ui::shrunkToFit(panelFont(), s, frame, flags);
    ui::drawFramed(p, {frame, s, font, flags}, &painted_);
}

void CKeyMap::paintEvent(QPaintEvent*)
{
    QPixmap frame(size() * devicePixelRatio());   // at the screen's ratio, so texts and @2x images stay sharp
    frame.setDevicePixelRatio(devicePixelRatio());
    frame.fill(Qt::black);
    painted_.clear();
    {
        QPainter p(&frame);
        p.setFont(panelFont());
        p.setPen(Qt::white);
        p.drawPixmap(0, 0, image("Custom_BK.png"));
        // The title strip up to the close button.
        drawText(p, QRect(kCurrentKeyAt, QSize(kPanelButtons[kBtnClose].rect.left - 4, 20)),
                 ui::text(env_.language, kTxtCurrentKey.english, kTxtCurrentKey.chinese) + currentKeyName(), kLeftLine);
        paintButtons(p, kBtnClose, kBtnStrip);
        paintTabs(p);
        paintBottom(p);
        access_.paintFocus(p);
    }
    QPainter(this).drawPixmap(0, 0, frame);
}

QFont CKeyMap::panelFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kTextPixelSize);
    font.setWeight(QFont::Light);
    return font;
}

void CKeyMap::paintButtons(QPainter& p, int from, int to) const
{
    for (int b = from; b <= to; ++b) {
        const PanelButton& btn = kPanelButtons[std::size_t(b)];
        p.drawPixmap(btn.rect.left, btn.rect.top, image(state_.buttonHot(b) ? btn.hover : btn.normal));
    }
}

QRect CKeyMap::buttonFace(int button)
{
    const PanelRect& r = kPanelButtons[std::size_t(button)].rect;
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

void CKeyMap::paintTabs(QPainter& p) const
{
    for (int t = 0; t < int(kTabLabels.size()); ++t) {
        const PlacedText& l = kTabLabels[std::size_t(t)];
        p.setPen(t == state_.tab() ? QColor(Qt::white) : QColor(kInactiveTabText));
        // Each tab's caption is centred on its own button, above the strip's cursor row.
        const QRect tab = buttonFace(kBtnTabSingle + t);
        drawText(p, QRect(tab.left(), l.y - 2, tab.width(), 18),
                 ui::text(env_.language, l.text.english, l.text.chinese), kCentredLine);
    }
    p.setPen(Qt::white);
    p.drawPixmap(kCursorAt[std::size_t(state_.tab())], image("cursor.png"));
    if (state_.tab() == kTabSingleCombine) {
        for (const PlacedText& l : {kSingleLabel, kCombineLabel})
            drawText(p, QRect(l.x - kTextMarginX, l.y, kSinglePlace.w, 18),
                     ui::text(env_.language, l.text.english, l.text.chinese), kLeftLine);
    } else if (state_.tab() == kTabMacro) {
        if (m_list->count() == 0)
            drawText(p, QRect(kListPlace.x, kListPlace.y, kListPlace.w, kListPlace.h),
                     ui::text(env_.language, kTxtNoMacros.english, kTxtNoMacros.chinese),
                     Qt::AlignCenter | Qt::TextWordWrap);
    } else if (state_.tab() == kTabAdvance) {
        paintAdvance(p);
    }
}

void CKeyMap::paintAdvance(QPainter& p) const
{
    p.drawPixmap(kAdvanceBackAt, image("Macro_BK.png"));
    const int markRow = state_.launchMark() == kLaunchNone ? -1 : state_.launchMark() / 4;
    const int kindRow = state_.launchKind() == kLaunchNone ? -1 : state_.launchKind();
    for (int k = 0; k < kAdvanceRows; ++k) {
        const int dy = kAdvanceRowStep * k;
        const bool chosen = k == markRow || k == kindRow;
        p.drawPixmap(15, 72 + dy, image(chosen ? "enable.png" : "disable.png"));
        const PanelText& l = kAdvanceLabels[std::size_t(k)];
        // From the radio to the path field.
        drawText(p, QRect(26, 68 + dy, 83 - 26, 18), ui::text(env_.language, l.english, l.chinese), kLeftLine);
        p.drawPixmap(85, 68 + dy, image("Advanced.png"));
        p.drawPixmap(256, 68 + dy, image(k == state_.browseHoverRow() ? "view02.png" : "view.png"));
        if (k == kindRow)
            drawText(p, QRect(83, 68 + dy, 161, 16), QString::fromStdU16String(displayPath(state_.pending().path)),
                     kLeftLine);
    }
}

void CKeyMap::paintBottom(QPainter& p) const
{
    paintButtons(p, kBtnDisable, kBtnDisable);
    // From the Disable box to the first button.
    const QRect disableBox = buttonFace(kBtnDisable);
    drawText(p,
             QRect(QPoint(disableBox.right() + 2, disableBox.top() - 5),
                   QPoint(buttonFace(kBtnDefault).left() - 2, disableBox.bottom() + 5)),
             ui::text(env_.language, kDisableLabel.english, kDisableLabel.chinese), kLeftLine);
    paintButtons(p, kBtnDefault, kBtnSave);
    for (std::size_t i = 0; i < kBottomLabels.size(); ++i) {
        const PanelText& l = kBottomLabels[i];
        // The face's rounded edge takes two pixels on each side.
        drawText(p, buttonFace(kBtnDefault + int(i)).adjusted(2, 0, -2, 0),
                 ui::text(env_.language, l.english, l.chinese), kCentredLine);
    }
}

}   // namespace orvane::keymap
