#include "macro/ui/CMacroRecordDlg.h"

#include "hook/KeyTranslation.h"
#include "hook/Vantrel.h"
#include "ui/CTransparentListBox.h"
#include "ui/VantrelKeyHook.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "ui/Texts.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QRegularExpressionValidator>

#include <utility>

namespace orvane::macro {

namespace {

constexpr int kMacroListId = 1001;
constexpr int kEventListId = 1000;
constexpr int kLoopBoxId = 1002;
constexpr QRect kMacroListRect(20, 80, 113, 275);
constexpr QRect kEventListRect(150, 80, 113, 275);
constexpr QRect kLoopBoxRect(296, 331, 84, 18);
constexpr int kLoopBoxChars = 3;
constexpr int kRenameTimerMs = 100;
constexpr int kListFontPx = 16;
constexpr int kShadowPx = 2;
constexpr QSize kFallbackSize(410, 440);   // when the background image is missing
const QColor kSelectedText(0, 255, 255);
const QColor kPanelBack(16, 17, 21);   // under the background image, and without one
const QColor kFullNotice(255, 92, 100);

// Text labels on the background: English position, Chinese position, pixel height.
struct Label {
    const char* english;
    const char* chinese;   // nullptr: the line has no Chinese counterpart
    QPoint en, zh;
    int height;
};
constexpr Label kLabels[] = {
    {"Macro Manager", "宏管理器", {16, 9}, {16, 9}, 18},
    {"Select Macro", "选择宏", {39, 60}, {39, 60}, 15},
    {"Keystrobe Sequence", "按键系列", {151, 60}, {151, 60}, 15},
    {"Options", "录制选项", {311, 60}, {311, 60}, 15},
    {"Record Delay", "记录按键动作", {290, 153}, {290, 168}, 15},
    {"between", "间的延迟", {290, 168}, {290, 184}, 15},
    {"keystrokes", nullptr, {290, 183}, {0, 0}, 15},
    {"Number of Loops", "循环次数", {295, 300}, {295, 300}, 15},
};
constexpr std::size_t kRecordDelayLabel = 4;   // and the two lines after it
constexpr std::size_t kLoopsLabel = 7;

struct Caption {
    int button;
    const char* english;
    const char* chinese;
    QPoint en, zh;
};
constexpr Caption kCaptions[] = {
    {kBtnNew, "New", "新建", {35, 372}, {35, 372}},
    {kBtnDelete, "Delete", "删除", {92, 372}, {95, 372}},
    {kBtnOk, "OK", "确定", {300, 404}, {300, 404}},
    {kBtnCancel, "Cancel", "取消", {352, 404}, {352, 404}},
};
constexpr QPoint kRecordCaptionEn(291, 103);
constexpr QPoint kRecordCaptionZh(310, 103);
constexpr QPoint kFullNoticeAt(150, 357);

struct MenuRow {
    int command;
    const char* english;
    const char* chinese;
};
constexpr MenuRow kMouseMenus[3][4] = {
    {{0, "Left", "左键"}, {kCmdLeftDown, "Down", "压下"}, {kCmdLeftUp, "Up", "释放"}, {kCmdLeftClick, "Click", "单击"}},
    {{0, "Right", "右键"},
     {kCmdRightDown, "Down", "压下"},
     {kCmdRightUp, "Up", "释放"},
     {kCmdRightClick, "Click", "单击"}},
    {{0, "Middle", "中健"},
     {kCmdMiddleDown, "Down", "压下"},
     {kCmdMiddleUp, "Up", "释放"},
     {kCmdMiddleClick, "Click", "单击"}},
};

QString imageName(const char* file)
{
    return QString::fromLatin1(kMacroFolder) + QString::fromLatin1(file);
}

// The labels' heights are cell heights (ascent plus descent): the largest pixel size whose line
// fits in them.
QFont labelFont(int cellHeight, bool chinese)
{
    QFont f;
    f.setFamilies(chinese ? QStringList{QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Arial")}
                          : QStringList{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    f.setWeight(QFont::Light);
    int px = cellHeight;
    for (; px > 6; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).height() <= cellHeight)
            break;
    }
    f.setPixelSize(px);
    return f;
}

QStringList toQt(const std::vector<std::u16string>& lines)
{
    QStringList out;
    for (const std::u16string& l : lines)
        out.push_back(QString::fromStdU16String(l));
    return out;
}

}   // namespace

int macroButtonAt(const QPoint& p)
{
    for (int i = 0; i < kButtonCount; ++i) {
        const MacroButtonRow& b = kMacroButtons[std::size_t(i)];
        if (p.x() >= b.left && p.x() < b.right && p.y() >= b.top && p.y() < b.bottom)
            return i;
    }
    return -1;
}

// ---- Construction and opening -----------------------------------------------------------------

CMacroRecordDlg::CMacroRecordDlg(MacroStore& store, const keymap::KeyNameTable& names, ui::UserDialogs& dialogs,
                                 const ui::SkinImages& images, bool chinese, QWidget* parent, KeyHook* hook,
                                 MonotonicClock* clock)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog), m_store(store), m_dialogs(dialogs), m_images(images),
      m_chinese(chinese), m_ownHook(hook ? nullptr : std::make_unique<ui::VantrelKeyHook>(this)),
      m_ownClock(clock ? nullptr : std::make_unique<SteadyTickClock>()),
      m_manager(store, names, hook ? *hook : *m_ownHook, clock ? *clock : *m_ownClock)
{
    setObjectName(QStringLiteral("CMacroRecordDlg"));
    setWindowTitle(tr2("Macro Manager", "宏管理器"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    QStringList wanted{QString::fromLatin1(kMacroBackground)};
    for (const MacroButtonRow& b : kMacroButtons)
        wanted << imageName(b.normal) << imageName(b.over);
    m_images.preload(wanted);
    createControls();
    nameControls();
    m_renameTimer.setInterval(kRenameTimerMs);
    connect(&m_renameTimer, &QTimer::timeout, this, [this] { m_manager.onTimer(); });
}

CMacroRecordDlg::~CMacroRecordDlg()
{
    m_manager.closed();
}

QString CMacroRecordDlg::tr2(const char* english, const char* chinese) const
{
    return ui::text(model::languageFor(m_chinese), english, chinese);
}

void CMacroRecordDlg::createControls()
{
    const auto makeList = [this](int id, const QRect& r, int mode) {
        auto* list = new CTransparentListBox(this);
        list->setObjectName(QStringLiteral("list%1").arg(id));
        list->setGeometry(r);
        list->setSkin(&m_images);
        list->setEditMode(mode);
        list->setListFont(QStringLiteral("Arial"), kListFontPx);
        list->setTextColours(Qt::white, kSelectedText);
        list->setShadow(true, Qt::black, kShadowPx);
        connect(list, &CTransparentListBox::WM_LISTEDITBEGIN, this, [this] {
            m_manager.listEditBegin();
            update();
        });
        return list;
    };
    m_macroList = makeList(kMacroListId, kMacroListRect, CTransparentListBox::FreeText);
    m_eventList = makeList(kEventListId, kEventListRect, CTransparentListBox::DelayValues);
    m_eventList->viewport()->installEventFilter(this);
    // The mouse can leave a button straight into a control: the panel then gets no more moves.
    for (QWidget* w : {static_cast<QWidget*>(m_macroList), static_cast<QWidget*>(m_eventList)})
        w->installEventFilter(this);
    connect(m_macroList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_syncing)
            return;
        m_manager.selectMacro(row);
        syncFromManager();
    });
    connect(m_eventList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_syncing)
            m_manager.selectLine(row);
    });
    connect(m_macroList, &CTransparentListBox::WM_LISTITEMRENAMED, this, &CMacroRecordDlg::onMacroRenamed);
    connect(m_eventList, &CTransparentListBox::WM_LISTEDITDONE, this, [this](int line, int value) {
        const PanelNotice n = m_manager.delayEdited(line, value);
        // Always put the stored lines in: the list would otherwise show the typed value also when
        // the edit was refused.
        m_syncing = true;
        m_eventList->setLines(toQt(m_manager.eventLines()));
        m_syncing = false;
        syncFromManager();
        showNotice(n);
    });

    m_loopBox = new QLineEdit(this);
    m_loopBox->setObjectName(QStringLiteral("edit%1").arg(kLoopBoxId));
    m_loopBox->setGeometry(kLoopBoxRect);
    m_loopBox->setMaxLength(kLoopBoxChars);
    m_loopBox->setFrame(false);
    m_loopBox->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; color: white; padding-left: 3px; }"
                                            "QLineEdit:disabled { color: rgb(120, 125, 138); }"));
    m_loopBox->installEventFilter(this);
    m_loopBox->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), m_loopBox));
    connect(m_loopBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_syncing)
            return;
        const QString shown = QString::fromStdU16String(m_manager.setLoopText(text.toStdU16String()));
        if (shown != text)
            m_loopBox->setText(shown);
        m_access.refresh();
    });
}

void CMacroRecordDlg::initDialog()
{
    const QSize size = m_images.has(kMacroBackground) ? m_images.size(kMacroBackground) : kFallbackSize;
    setFixedSize(size);
    // The background's transparent corners are no part of the window (no window colour there).
    const QRegion shape = ui::opaqueRegion(m_images.image(kMacroBackground));
    if (shape.isEmpty())
        clearMask();
    else
        setMask(shape);
    m_hover = -1;
    m_manager.open();
    syncFromManager();
    m_renameTimer.start();
}

bool CMacroRecordDlg::run()
{
    initDialog();
    const int result = m_dialogs.runModal(*this);
    m_renameTimer.stop();
    m_manager.closed();
    return result == QDialog::Accepted;
}

void CMacroRecordDlg::done(int r)
{
    m_renameTimer.stop();
    m_manager.closed();
    QDialog::done(r);
}

// ---- State into the controls ------------------------------------------------------------------

void CMacroRecordDlg::syncList(CTransparentListBox* list, const std::vector<std::u16string>& lines, int selected)
{
    const QStringList wanted = toQt(lines);
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->lineText(i);
    if (shown != wanted)
        list->setLines(wanted);
    if (list->currentRow() != selected)
        list->setCurrentRow(selected);
    if (selected >= 0)
        list->scrollToItem(list->item(selected));
}

void CMacroRecordDlg::syncFromManager()
{
    m_syncing = true;
    syncList(m_macroList, m_manager.macroNames(), m_manager.selectedMacro());
    syncList(m_eventList, m_manager.eventLines(), m_manager.selectedLine());
    const QString loops = QString::fromStdU16String(m_manager.loopText());
    if (m_loopBox->text() != loops)
        m_loopBox->setText(loops);
    m_loopBox->setEnabled(m_manager.useLoops());
    applyKeyCapture();
    m_syncing = false;
    m_access.refresh();   // repaints too
}

// While typed keys go into the selected macro, no control may take one: Tab would move the focus
// into a list whose type-ahead then selects another macro, and a list or the loop box would take
// the keys as edits. The panel itself keeps the focus until the capture ends.
// When the capture ends, a keyboard user goes on where the focus was (the event list after an
// insert from its menu).
void CMacroRecordDlg::applyKeyCapture()
{
    const bool capturing = m_manager.capturingKeys();
    const Qt::FocusPolicy policy = capturing ? Qt::NoFocus : Qt::StrongFocus;
    for (QWidget* w :
         {static_cast<QWidget*>(m_macroList), static_cast<QWidget*>(m_eventList), static_cast<QWidget*>(m_loopBox)})
        w->setFocusPolicy(policy);
    if (capturing && focusWidget() != this) {
        m_focusBeforeCapture = focusWidget();
        setFocus(Qt::OtherFocusReason);
    } else if (!capturing && m_focusBeforeCapture) {
        QWidget* back = m_focusBeforeCapture;
        m_focusBeforeCapture = nullptr;
        if (focusWidget() == this && back->isEnabled() && back->isVisible())
            back->setFocus(Qt::OtherFocusReason);
    }
}

bool CMacroRecordDlg::focusNextPrevChild(bool next)
{
    if (m_manager.capturingKeys())
        return true;   // Tab is a key of the macro
    return m_access.moveFocus(next);
}

QString CMacroRecordDlg::recordCaption() const
{
    return m_manager.recording() ? tr2("Stop Recording", "停止录制") : tr2("Start Recording", "开始录制");
}

void CMacroRecordDlg::showNotice(PanelNotice notice)
{
    const QString title = tr2("Macro Manager", "宏管理器");
    const QString shortTitle = tr2("Macro Manager", "宏管理");
    QString text;
    QString caption = shortTitle;
    switch (notice) {
    case PanelNotice::None: return;
    case PanelNotice::SelectMacroToRecord:
        text = tr2("Please select a Macro file to record \n", "请选择一个宏指令文件录制\n");
        caption = title;
        break;
    case PanelNotice::SelectMacroToDelete:
        text = tr2("Please select a Macro file to delete\n", "请选择一个宏指令文件删除\n");
        break;
    case PanelNotice::EditCurrentDelay: text = tr2("Please edit current delay\n", "请编辑当前延时\n"); break;
    case PanelNotice::EmptyName: text = tr2("The macro name cannot be empty.\n", "宏名称不能为空\n"); break;
    case PanelNotice::NameTooLong:
        text = tr2("The macro name cannot be longer than 254 characters.\n", "宏名称不能超过254个字符\n");
        break;
    case PanelNotice::DuplicateName: text = tr2("Another macro already has this name.\n", "已有同名的宏\n"); break;
    case PanelNotice::SequenceFull:
        text = tr2("The macro is full: no more events fit.\n", "宏已满，无法再添加事件\n");
        break;
    }
    m_dialogs.message(this, text, caption, ui::MessageButtons::Ok, ui::MessageIcon::None);
}

// ---- Commands ---------------------------------------------------------------------------------

void CMacroRecordDlg::clickButton(int button)
{
    switch (button) {
    case kBtnRecord: showNotice(m_manager.toggleRecording()); break;
    case kBtnRecordDelay: m_manager.toggleRecordDelays(); break;
    case kBtnUseLoops: m_manager.toggleUseLoops(); break;
    case kBtnNew: m_manager.newMacro(); break;
    case kBtnDelete: confirmDelete(); break;
    case kBtnOk:
        m_manager.ok();
        accept();
        return;
    case kBtnCancel:
        m_manager.cancel();
        reject();
        return;
    default: return;
    }
    syncFromManager();
}

void CMacroRecordDlg::confirmDelete()
{
    if (m_dialogs.message(this, tr2("Confirm to delete?", "确认删除吗？"), tr2("Macro Manager", "宏管理"),
                          ui::MessageButtons::OkCancel, ui::MessageIcon::Question) != ui::MessageResult::Ok)
        return;
    showNotice(m_manager.deleteMacro());
}

void CMacroRecordDlg::onMacroRenamed(int index, const QString& text)
{
    const PanelNotice n = m_manager.renameMacro(index, text.toStdU16String());
    syncFromManager();   // a refused name goes back to the old one
    showNotice(n);
}

void CMacroRecordDlg::onCommand(int command)
{
    PanelNotice notice = PanelNotice::None;
    switch (command) {
    case kCmdInsertBefore: m_manager.insertBefore(); break;
    case kCmdInsertAfter: m_manager.insertAfter(); break;
    case kCmdInsertDelay: notice = m_manager.insertDelay(); break;
    case kCmdDelete: m_manager.deleteSelectedLine(); break;
    default:
        for (int b = 0; b < 3; ++b)
            for (int a = 1; a < 4; ++a)
                if (kMouseMenus[b][a].command == command)
                    notice = m_manager.mouseCommand(MouseButton(b), MouseAction(a - 1));
        break;
    }
    syncFromManager();
    showNotice(notice);
}

std::unique_ptr<QMenu> CMacroRecordDlg::buildContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("MacroDefine"));
    const auto add = [this](QMenu* m, int command, const char* en, const char* zh) {
        m->addAction(tr2(en, zh))->setData(command);
    };
    add(menu.get(), kCmdInsertBefore, "Insert Before", "在之前开始录入");
    add(menu.get(), kCmdInsertAfter, "Insert After", "在之后开始录入");
    QMenu* mouse = menu->addMenu(tr2("Insert Mouse Key", "插入鼠标按键"));
    for (const auto& rows : kMouseMenus) {
        QMenu* sub = mouse->addMenu(tr2(rows[0].english, rows[0].chinese));
        for (int a = 1; a < 4; ++a)
            add(sub, rows[a].command, rows[a].english, rows[a].chinese);
    }
    add(menu.get(), kCmdInsertDelay, "Insert Delay", "插入延迟");
    add(menu.get(), kCmdDelete, "Delete", "删除");
    return menu;
}

// ---- Events -----------------------------------------------------------------------------------

bool CMacroRecordDlg::event(QEvent* e)
{
    if (e->type() == WM_KEYHOOK) {
        const auto* k = static_cast<KeyHookEvent*>(e);
        const uint8_t startKey = std::exchange(m_startKeyUp, 0);
        if (k->isRelease() && k->vk() == startKey)
            return true;   // the key that started the capture coming up: no key of the macro
        m_manager.onKeyHook(k->vk(), k->isRelease());
        syncFromManager();
        return true;
    }
    return QDialog::event(e);
}

void CMacroRecordDlg::setHover(int button)
{
    if (button == m_hover)
        return;
    m_hover = button;
    update();
}

void CMacroRecordDlg::leaveEvent(QEvent* e)
{
    setHover(-1);
    QDialog::leaveEvent(e);
}

bool CMacroRecordDlg::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::Enter)
        setHover(-1);   // the mouse went from a button into a list or the loop box
    if (watched == m_eventList->viewport() && e->type() == QEvent::MouseButtonRelease) {
        const auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::RightButton) {
            showContextMenu(m->globalPosition().toPoint());
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress && qobject_cast<QMenu*>(watched)) {
        const auto* k = static_cast<QKeyEvent*>(e);
        m_menuKey.emplace(k->type(), k->key(), k->modifiers());
    }
    if (e->type() == QEvent::KeyPress && (watched == m_macroList || watched == m_eventList) &&
        listKey(static_cast<CTransparentListBox*>(watched), *static_cast<QKeyEvent*>(e)))
        return true;
    return QDialog::eventFilter(watched, e);
}

void CMacroRecordDlg::showContextMenu(const QPoint& globalPos)
{
    std::unique_ptr<QMenu> menu = buildContextMenu();
    const QPointer<QWidget> focused = focusWidget();
    m_menuKey.reset();
    menu->installEventFilter(this);
    QAction* chosen = menu->exec(globalPos);
    if (focused && isVisible())
        focused->setFocus(Qt::PopupFocusReason);   // the keyboard goes on where the menu was opened
    if (!chosen)
        return;
    onCommand(chosen->data().toInt());
    if (m_menuKey)
        keyMayStartCapture(*m_menuKey);
}

// A capture started by a key press (Space on Start Recording, Enter on Insert After) would take
// that key's release, which comes after, as the first key of the macro: it is let pass once.
void CMacroRecordDlg::keyMayStartCapture(const QKeyEvent& e)
{
    m_startKeyUp = m_manager.capturingKeys() ? hook::vkFromQtKey(e.key(), e.modifiers() & Qt::KeypadModifier) : 0;
}

bool CMacroRecordDlg::listKey(CTransparentListBox* list, const QKeyEvent& e)
{
    const bool menuKey = e.key() == Qt::Key_Menu || (e.key() == Qt::Key_F10 && (e.modifiers() & Qt::ShiftModifier));
    if (list->itemBeingEdited() >= 0 || !((menuKey && list == m_eventList) || e.key() == Qt::Key_F2))
        return false;
    const QListWidgetItem* current = list->currentItem();
    const QRect line = current ? list->visualItemRect(current) : QRect();
    if (menuKey)
        showContextMenu(list->viewport()->mapToGlobal(line.isValid() ? line.center() : QPoint(0, 0)));
    else if (current && current->isSelected())
        list->beginEdit(line.center());   // as a double-click: the event list edits delays only
    return true;
}

void CMacroRecordDlg::keyPressEvent(QKeyEvent* e)
{
    if (m_manager.capturingKeys()) {
        e->accept();   // every key belongs to the macro: none presses a control or closes the panel
        return;
    }
    // A key a child passed on (Enter in the loop box) never presses the painted control focused
    // before it.
    if (focusWidget() == this && m_access.handleKey(*e)) {
        keyMayStartCapture(*e);
        return;
    }
    if (e->key() == Qt::Key_Escape && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        e->accept();
        clickButton(kBtnCancel);   // the panel's closing button
        return;
    }
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();   // Enter does not close the panel
        return;
    }
    QDialog::keyPressEvent(e);
}

void CMacroRecordDlg::mousePressEvent(QMouseEvent* e)
{
    m_access.hideMark();
    m_drag.press(*this, *e);
    QDialog::mousePressEvent(e);
}

void CMacroRecordDlg::mouseMoveEvent(QMouseEvent* e)
{
    const int at = macroButtonAt(e->position().toPoint());
    setHover((at == kBtnRecord || at >= kBtnNew) ? at : -1);
    const bool off = at < 0;
    if (off && m_lastMoveOffButtons && (e->buttons() & Qt::LeftButton)) {
        // Dragging the background moves the window.
        if (!m_drag.start(*this))
            m_drag.follow(*this, *e);
    }
    m_lastMoveOffButtons = off;
}

void CMacroRecordDlg::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        const int b = macroButtonAt(e->position().toPoint());
        if (b >= 0)
            clickButton(b);
    }
}

// ---- Painting ---------------------------------------------------------------------------------

void CMacroRecordDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The image's soft edge blends into the panel's dark colour, not the light window colour.
    p.fillRect(rect(), kPanelBack);
    if (m_images.has(kMacroBackground))
        p.drawPixmap(0, 0, m_images.pixmap(kMacroBackground));
    paintLabels(p);
    paintButtons(p);
    m_access.paintFocus(p);
}

QString CMacroRecordDlg::buttonName(int button) const
{
    const auto labelText = [this](std::size_t first, std::size_t last) {
        QStringList lines;
        for (std::size_t i = first; i <= last; ++i)
            if (const char* t = m_chinese ? kLabels[i].chinese : kLabels[i].english)
                lines << QString::fromUtf8(t);
        return lines.join(m_chinese ? QString() : QStringLiteral(" "));
    };
    switch (button) {
    case kBtnRecord: return recordCaption();
    case kBtnRecordDelay: return labelText(kRecordDelayLabel, kRecordDelayLabel + 2);
    case kBtnUseLoops: return labelText(kLoopsLabel, kLoopsLabel);
    default: break;
    }
    for (const Caption& c : kCaptions)
        if (c.button == button)
            return tr2(c.english, c.chinese);
    return {};
}

QRect CMacroRecordDlg::labelRect(std::size_t label) const
{
    const Label& l = kLabels[label];
    const char* text = m_chinese ? l.chinese : l.english;
    if (!text)
        return {};
    const QFontMetrics fm(labelFont(l.height, m_chinese));
    return QRect(m_chinese ? l.zh : l.en, QSize(fm.horizontalAdvance(QString::fromUtf8(text)), fm.height()));
}

// The hit rectangle; a tick box with its caption, which the focus mark goes round.
QRect CMacroRecordDlg::controlRect(int button) const
{
    const MacroButtonRow& b = kMacroButtons[std::size_t(button)];
    QRect r(QPoint(b.left, b.top), QPoint(b.right - 1, b.bottom - 1));
    // Room round the caption's first letters and the box; none below Number of Loops, whose
    // box sits right over the loop box.
    if (button == kBtnRecordDelay) {
        for (std::size_t i = kRecordDelayLabel; i <= kRecordDelayLabel + 2; ++i)
            r = r.united(labelRect(i));
        r.adjust(-2, -2, 2, 1);
    }
    if (button == kBtnUseLoops)
        r = r.united(labelRect(kLoopsLabel)).adjusted(-2, -2, 2, 0);
    return r;
}

QRect CMacroRecordDlg::fullNoticeRect() const
{
    return QRect(kFullNoticeAt, QSize(kEventListRect.width(), 16));
}

void CMacroRecordDlg::paintLabels(QPainter& p)
{
    p.setPen(Qt::white);
    for (const Label& l : kLabels) {
        if (m_chinese && !l.chinese)
            continue;
        p.setFont(labelFont(l.height, m_chinese));
        const QPoint at = m_chinese ? l.zh : l.en;
        p.drawText(QRect(at, QSize(width() - at.x(), l.height + 6)), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromUtf8(m_chinese ? l.chinese : l.english));
    }
    if (m_manager.sequenceFull()) {
        p.setPen(kFullNotice);
        p.setFont(labelFont(13, m_chinese));
        p.drawText(fullNoticeRect(), Qt::AlignLeft | Qt::AlignTop, tr2("Macro full", "宏已满"));
    }
}

void CMacroRecordDlg::paintButtons(QPainter& p)
{
    const bool ticked[kButtonCount] = {false, m_manager.recordDelays(), m_manager.useLoops()};
    for (int i = 0; i < kButtonCount; ++i) {
        const MacroButtonRow& b = kMacroButtons[std::size_t(i)];
        const bool alt = (i == kBtnRecordDelay || i == kBtnUseLoops) ? ticked[i] : (m_hover == i);
        const QString name = imageName(alt ? b.over : b.normal);
        if (m_images.has(name))
            p.drawPixmap(b.left, b.top, m_images.pixmap(name));
    }
    p.setPen(Qt::white);
    p.setFont(labelFont(15, m_chinese));
    const QPoint rec = m_chinese ? kRecordCaptionZh : kRecordCaptionEn;
    const MacroButtonRow& rb = kMacroButtons[kBtnRecord];
    p.drawText(QRect(rec, QPoint(rb.right + 8, rb.bottom)), Qt::AlignLeft | Qt::AlignTop, recordCaption());
    for (const Caption& c : kCaptions) {
        const QPoint at = m_chinese ? c.zh : c.en;
        p.drawText(QRect(at, QSize(60, 20)), Qt::AlignLeft | Qt::AlignTop, tr2(c.english, c.chinese));
    }
}

}   // namespace orvane::macro
