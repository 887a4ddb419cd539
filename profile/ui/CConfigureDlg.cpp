#include "profile/ui/CConfigureDlg.h"

#include "ui/CTransparentListBox.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"
#include "ui/Texts.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace orvane::profile::ui {

namespace {

const QColor kListText(255, 255, 255);
const QColor kListSelectedText(0, 255, 255);
const QColor kListShadow(0, 0, 0);
const QColor kPanelBack(16, 17, 21);   // under Config.png, and without it

QFont captionFont(int px)
{
    QFont f;
    // "Arial" resolves to Liberation Sans; the Chinese captions come from WenQuanYi Zen Hei.
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Zen Hei")});
    f.setPixelSize(px);
    return f;
}

std::string toPath(const QString& s)
{
    return s.toStdString();
}

}   // namespace

CConfigureDlg::CConfigureDlg(ConfigureEnvironment env, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_env(std::move(env)),
      m_profiles(toPath(m_env.configureFolder), m_env.sleeper),
      m_menuExec([](QMenu& menu, const QPoint& at) { return menu.exec(at); })
{
    setObjectName(QStringLiteral("CConfigureDlg"));
    setWindowTitle(tr2(kTitleEnglish, "\xE9\x85\x8D\xE7\xBD\xAE"));
    setModal(true);
    m_env.images.preload({kBackgroundImage, kCloseImage, kNewImage, kDeleteImage});
    setFocusPolicy(Qt::TabFocus);   // its painted buttons take the focus from the keyboard only
    setUpList();
}

CConfigureDlg::~CConfigureDlg() = default;

QString CConfigureDlg::tr2(const char* english, const char* chinese) const
{
    return orvane::ui::text(m_env.language, english, chinese);
}

void CConfigureDlg::setUpList()
{
    m_list = new macro::CTransparentListBox(this);
    m_list->setObjectName(QStringLiteral("ProfileList%1").arg(kListId));
    m_list->setSorted(true);
    m_list->setEditMode(macro::CTransparentListBox::FileNamesOverParent);
    m_list->setListFont(QString::fromLatin1(kListFace), kListFontPx);
    m_list->setTextColours(kListText, kListSelectedText);
    m_list->setShadow(true, kListShadow, kListShadowPx);
    m_list->setGeometry(kListPos.x, kListPos.y, kListSize.width, kListSize.height);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);
    m_list->setAccessibleName(tr2(kCaptions[0].english, kCaptions[0].chinese));
    connect(m_list, &macro::CTransparentListBox::WM_LISTEDITDONE, this, &CConfigureDlg::onListEditDone);
}

void CConfigureDlg::prepare(const QRect& mainWindowRect)
{
    const QSize back = m_env.images.size(QString::fromLatin1(kBackgroundImage));
    setFixedSize(back.isEmpty() ? QSize(kListPos.x + kListSize.width + 3, 632) : back);
    // The background's transparent corners are no part of the window (no window colour there).
    const QRegion shape = orvane::ui::opaqueRegion(m_env.images.image(QString::fromLatin1(kBackgroundImage)));
    if (shape.isEmpty())
        clearMask();
    else
        setMask(shape);
    move(mainWindowRect.topLeft() + QPoint(kPlacementOffset.x, kPlacementOffset.y));
    m_list->setGeometry(kListPos.x, kListPos.y, kListSize.width, kListSize.height);
    m_list->captureBackground();
    m_profiles.Scan();
    refillList();
    setResult(0);
}

int CConfigureDlg::run(const QRect& mainWindowRect)
{
    prepare(mainWindowRect);
    return m_env.dialogs.runModal(*this);
}

int CConfigureDlg::selectedLine() const
{
    const int row = m_list->currentRow();
    if (row < 0 || row >= m_list->count() || !m_list->item(row)->isSelected())
        return -1;
    return row;
}

// The list shows the folder's lines in the folder's order, so line i is always the file of entry i.
void CConfigureDlg::refillList()
{
    m_list->endEdit(false);
    m_list->clear();
    for (int i = 0; i < m_profiles.count(); ++i)
        m_list->insertLine(i, QString::fromStdString(m_profiles.names()[std::size_t(i)]));
    m_list->viewport()->update();
    m_access.refresh();
}

void CConfigureDlg::showMessage(const MessageText& text, bool okCancel, bool* ok)
{
    const orvane::ui::MessageResult r =
        m_env.dialogs.message(this, tr2(text.english, text.chinese), tr2(text.englishTitle, text.chineseTitle),
                              okCancel ? orvane::ui::MessageButtons::OkCancel : orvane::ui::MessageButtons::Ok,
                              okCancel ? orvane::ui::MessageIcon::Question : orvane::ui::MessageIcon::None);
    if (ok)
        *ok = r == orvane::ui::MessageResult::Ok;
}

orvane::ui::FileRequest CConfigureDlg::fileRequest() const
{
    return {QString(), m_env.fileDialogFolder, QString::fromLatin1(kFileFilter), QString::fromLatin1(kFileSuffix),
            QString::fromLatin1(kFileNameStart)};
}

// ---- Commands ----------------------------------------------------------------------------------

void CConfigureDlg::runCommand(int command)
{
    switch (command) {
    case kCmdNew: onNew(); break;
    case kCmdCopy: onCopy(); break;
    case kCmdSave: onSave(); break;
    case kCmdLoad: onLoad(); break;
    case kCmdDelete: onDelete(); break;
    case kCmdClose: accept(); break;   // Escape too
    default: break;
    }
}

void CConfigureDlg::onNew()
{
    if (m_profiles.count() >= kMaxProfiles) {
        showMessage(msg::kSixProfiles);
        return;
    }
    m_profiles.Create();
    refillList();
}

void CConfigureDlg::onCopy()
{
    const int line = selectedLine();
    if (line < 0) {
        showMessage(msg::kSelectToCopy);
        return;
    }
    if (m_profiles.count() >= kMaxProfiles)
        return;
    NameProblem refused = NameProblem::None;
    const bool copied = m_profiles.Copy(line, m_env.language, &refused).has_value();
    refillList();
    if (!copied)
        showMessage(refused == NameProblem::TooLong ? msg::kNameTooLong : msg::kRenameFailed);
}

void CConfigureDlg::onSave()
{
    const int line = selectedLine();
    if (line < 0) {
        showMessage(msg::kSelectToSave);
        return;
    }
    const QString chosen = m_env.dialogs.saveFile(this, fileRequest());
    m_profiles.Save(line, m_env.store.image(), m_env.store.extTable(), toPath(chosen));
    m_list->viewport()->update();
}

void CConfigureDlg::onLoad()
{
    const int line = selectedLine();
    if (line < 0) {
        showMessage(msg::kSelectToOpen);
        return;
    }
    const QString chosen = m_env.dialogs.openFile(this, fileRequest());
    const ProfileFolder::LoadResult r = m_env.load
        ? m_env.load(m_profiles, line, toPath(chosen))
        : m_profiles.Load(line, toPath(chosen), m_env.store.image(), m_env.store.extTable());
    m_list->viewport()->update();
    if (r == ProfileFolder::LoadResult::NotAProfile)
        showMessage(msg::kNotAProfile);
}

void CConfigureDlg::onDelete()
{
    if (m_list->count() == 1) {
        showMessage(msg::kKeepOne);
        return;
    }
    const int line = selectedLine();
    if (line < 0) {
        showMessage(msg::kSelectToDelete);
        return;
    }
    bool ok = false;
    showMessage(msg::kConfirmDelete, true, &ok);
    if (ok)
        m_profiles.Delete(line);
    else
        m_profiles.Scan();
    refillList();
}

void CConfigureDlg::onListEditDone(int startIndex, int newIndex)
{
    const QString text = m_list->lineText(newIndex);
    const RenameResult r = m_profiles.Rename(startIndex, text.toStdString());
    refillList();
    if (r == RenameResult::Unsafe)
        showMessage(msg::kUnsafeName);
    else if (r == RenameResult::TooLong)
        showMessage(msg::kNameTooLong);
    else if (r == RenameResult::CopyFailed)
        showMessage(msg::kRenameFailed);
}

std::unique_ptr<QMenu> CConfigureDlg::buildContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("profile"));
    for (const MenuRow& row : kMenu) {
        QAction* a = menu->addAction(tr2(row.english, row.chinese));
        a->setData(row.command);
    }
    return menu;
}

// ---- Painting and input ------------------------------------------------------------------------

void CConfigureDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPixmap& back = m_env.images.pixmap(QString::fromLatin1(kBackgroundImage));
    p.fillRect(rect(), kPanelBack);   // the image's soft edge blends into it, not the window colour
    if (!back.isNull())
        p.drawPixmap(0, 0, back);
    for (const ImageRow& row : kImages)
        p.drawPixmap(row.at.x, row.at.y, m_env.images.pixmap(QString::fromLatin1(row.image)));
    p.setPen(Qt::white);
    for (const CaptionRow& c : kCaptions) {
        p.setFont(captionFont(c.heightPx));
        p.drawText(QRect(c.at.x, c.at.y, width() - c.at.x, c.heightPx + 6), Qt::AlignLeft | Qt::AlignTop,
                   tr2(c.english, c.chinese));
    }
    m_access.paintFocus(p);
}

void CConfigureDlg::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) {
        const QPoint at = e->position().toPoint();
        const int command = hitTest(at.x(), at.y());
        if (command != kCmdNone) {
            runCommand(command);
            return;
        }
    }
    QDialog::mouseReleaseEvent(e);
}

void CConfigureDlg::keyPressEvent(QKeyEvent* e)
{
    if (m_access.handleKey(*e))
        return;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();   // Enter does not close the panel
        return;
    }
    if (e->key() == Qt::Key_Escape && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        e->accept();
        runCommand(kCmdClose);   // as the close button
        return;
    }
    QDialog::keyPressEvent(e);
}

void CConfigureDlg::mousePressEvent(QMouseEvent* e)
{
    m_access.hideMark();
    QDialog::mousePressEvent(e);
}

bool CConfigureDlg::focusNextPrevChild(bool next)
{
    return m_access.moveFocus(next);
}

void CConfigureDlg::showContextMenu(const QPoint& globalPos)
{
    std::unique_ptr<QMenu> menu = buildContextMenu();
    const QPointer<QWidget> focused = focusWidget();
    QAction* chosen = m_menuExec(*menu, globalPos);
    if (focused && isVisible())
        focused->setFocus(Qt::PopupFocusReason);   // the keyboard goes on where the menu was opened
    if (chosen)
        runCommand(chosen->data().toInt());
}

bool CConfigureDlg::listKey(const QKeyEvent& e)
{
    const bool menuKey = e.key() == Qt::Key_Menu || (e.key() == Qt::Key_F10 && (e.modifiers() & Qt::ShiftModifier));
    if (m_list->itemBeingEdited() >= 0 || !(menuKey || e.key() == Qt::Key_F2))
        return false;
    const QListWidgetItem* current = m_list->currentItem();
    const QRect line = current ? m_list->visualItemRect(current) : QRect();
    if (menuKey) {
        showContextMenu(m_list->viewport()->mapToGlobal(line.isValid() ? line.center() : QPoint(0, 0)));
        return true;
    }
    if (current && current->isSelected())
        m_list->beginEdit(line.center());
    return true;
}

bool CConfigureDlg::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_list->viewport() && e->type() == QEvent::MouseButtonRelease) {
        const auto* m = static_cast<QMouseEvent*>(e);
        if (m->button() == Qt::RightButton) {
            showContextMenu(m->globalPosition().toPoint());
            return true;
        }
    }
    if (watched == m_list->viewport() && e->type() == QEvent::MouseButtonPress)
        m_access.hideMark();
    if (watched == m_list && e->type() == QEvent::KeyPress && listKey(*static_cast<QKeyEvent*>(e)))
        return true;
    return QDialog::eventFilter(watched, e);
}

}   // namespace orvane::profile::ui
