#include "ui/CTransparentListBox.h"

#include "platform/ui/SkinImages.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>

#include <algorithm>
#include <utility>

Q_LOGGING_CATEGORY(lcListBox, "orvane.macro.listbox", QtWarningMsg)

namespace orvane::macro {

namespace {

constexpr int kMinDelayValue = 2;
constexpr int kMaxDelayValue = 60000;
constexpr int kEditorGrow = 2;            // the editor covers the line grown by this above and below
const QColor kFallbackBack(40, 41, 46);   // when the list background image is missing

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}   // namespace

// ---- CEditHelper ----------------------------------------------------------------------------

CEditHelper::CEditHelper(QWidget* parent) : QLineEdit(parent) {}

void CEditHelper::keyPressEvent(QKeyEvent* e)
{
    // Enter and Escape belong to the edit: the owner dialog must not take them as OK or Cancel.
    if (isEnterKey(e->key()) || e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CEditHelper::keyReleaseEvent(QKeyEvent* e)
{
    if (isEnterKey(e->key())) {
        e->accept();
        emit WM_ENDLISTEDIT(1);
        return;
    }
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        emit WM_ENDLISTEDIT(0);
        return;
    }
    QLineEdit::keyReleaseEvent(e);
}

void CEditHelper::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    emit WM_ENDLISTEDIT(1);
}

// ---- CTransparentListBox --------------------------------------------------------------------

CTransparentListBox::CTransparentListBox(QWidget* parent)
    : QListWidget(parent), m_normalColour(palette().color(QPalette::WindowText)),
      m_selectedColour(palette().color(QPalette::HighlightedText))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);   // every pixel comes from the background copy
    connect(this, &QListWidget::currentRowChanged, this, [this] { viewport()->update(); });
    setListFont(QStringLiteral("Arial"), m_fontHeight);
}

CTransparentListBox::~CTransparentListBox()
{
    if (m_editor)
        m_editor->disconnect(this);
}

void CTransparentListBox::setEditMode(int mode)
{
    m_nEditMode = std::clamp(mode, int(FreeText), int(FileNamesOverParent));
    setIconWords(m_iconWords);   // the lines' accessible texts follow the mode
    m_backgroundCaptured = false;
    viewport()->update();
}

void CTransparentListBox::setListFont(const QString& face, int pixelHeight)
{
    m_font = QFont(face);
    m_font.setPixelSize(pixelHeight);
    m_font.setWeight(QFont::Bold);
    m_fontHeight = pixelHeight;
    setFont(m_font);
    m_lineHeight = QFontMetrics(m_font).size(Qt::TextSingleLine, QStringLiteral("XYZ")).height();
    applyLineHeight();
}

void CTransparentListBox::setTextColours(const QColor& normal, const QColor& selected)
{
    m_normalColour = normal;
    m_selectedColour = selected;
    viewport()->update();
}

void CTransparentListBox::setShadow(bool on, const QColor& colour, int offset)
{
    m_shadow = on;
    m_shadowColour = colour;
    m_shadowOffset = offset;
    viewport()->update();
}

void CTransparentListBox::setSkin(const ui::SkinImages* skin)
{
    m_skin = skin;
    if (m_skin)
        m_skin->preload({kListBackImage, kPressIconImage, kReleaseIconImage, kDelayIconImage});
    m_backgroundCaptured = false;
    viewport()->update();
}

void CTransparentListBox::applyLineHeight()
{
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(1, m_lineHeight));
    doItemsLayout();
}

// ---- Lines ----------------------------------------------------------------------------------

int CTransparentListBox::addLine(const QString& text, qulonglong value)
{
    int at = count();
    if (m_sorted) {
        at = 0;
        while (at < count() && QString::compare(item(at)->text(), text, Qt::CaseInsensitive) <= 0)
            ++at;
    }
    return insertLine(at, text, value);
}

int CTransparentListBox::insertLine(int index, const QString& text, qulonglong value)
{
    index = std::clamp(index, 0, count());
    auto* line = new QListWidgetItem(text);
    line->setData(Qt::UserRole, value);
    line->setData(Qt::AccessibleTextRole, spokenText(text));
    line->setSizeHint(QSize(1, m_lineHeight));
    insertItem(index, line);
    ++m_linesPut;
    viewport()->update();
    return index;
}

void CTransparentListBox::setLines(const QStringList& lines)
{
    endEdit(true);
    clear();
    ++m_linesPut;   // also when no line follows
    for (const QString& l : lines)
        addLine(l);
}

QString CTransparentListBox::lineText(int index) const
{
    const QListWidgetItem* line = item(index);
    return line ? line->text() : QString();
}

qulonglong CTransparentListBox::lineValue(int index) const
{
    const QListWidgetItem* line = item(index);
    return line ? line->data(Qt::UserRole).toULongLong() : 0;
}

// ---- Background and painting ----------------------------------------------------------------

void CTransparentListBox::captureBackground()
{
    const QSize size = viewport()->size();
    const qreal dpr = viewport()->devicePixelRatioF();   // sharp on a high-density screen
    m_background = QImage(size * dpr, QImage::Format_ARGB32_Premultiplied);
    m_background.setDevicePixelRatio(dpr);
    m_background.fill(kFallbackBack);
    QWidget* parent = parentWidget();
    if (m_nEditMode == FileNamesOverParent && parent) {
        // The parent's own painting under the list (its other children are not part of it).
        const QPoint origin = viewport()->mapTo(parent, QPoint(0, 0));
        QPainter p(&m_background);
        parent->render(&p, QPoint(0, 0), QRegion(QRect(origin, size)), QWidget::DrawWindowBackground);
    } else if (m_skin && m_skin->has(kListBackImage)) {
        QPainter p(&m_background);
        const QImage& back = m_skin->image(kListBackImage);
        const qreal scale = back.devicePixelRatio();   // the source rectangle is in the picture's pixels
        p.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), back,
                    QRectF(QPointF(kListBackOriginX, kListBackOriginY) * scale, QSizeF(size) * scale));
    }
    m_backgroundCaptured = true;
}

CTransparentListBox::LineLook CTransparentListBox::lookOf(const QString& text) const
{
    LineLook look{text, Icon::None};
    if (m_nEditMode != DelayValues)
        return look;
    if (text.contains(QLatin1String("dn"))) {
        look.text.remove(QLatin1String("dn"));
        look.icon = Icon::Press;
    } else if (text.contains(QLatin1String("up"))) {
        look.text.remove(QLatin1String("up"));
        look.icon = Icon::Release;
    } else if (text.contains(QLatin1String("ms"))) {
        look.icon = Icon::Delay;
    }
    return look;
}

void CTransparentListBox::setIconWords(const IconWords& words)
{
    m_iconWords = words;
    for (int i = 0; i < count(); ++i)
        item(i)->setData(Qt::AccessibleTextRole, spokenText(item(i)->text()));
}

QString CTransparentListBox::spokenText(const QString& text) const
{
    const LineLook look = lookOf(text);
    const QString shown = look.text.trimmed();
    switch (look.icon) {
    case Icon::Press: return m_iconWords.press.arg(shown);
    case Icon::Release: return m_iconWords.release.arg(shown);
    case Icon::Delay: return m_iconWords.delay.arg(shown);
    case Icon::None: break;
    }
    return text;
}

const QPixmap* CTransparentListBox::iconPixmap(Icon icon) const
{
    if (!m_skin)
        return nullptr;
    const char* name = icon == Icon::Press ? kPressIconImage
        : icon == Icon::Release            ? kReleaseIconImage
        : icon == Icon::Delay              ? kDelayIconImage
                                           : nullptr;
    if (!name || !m_skin->has(name))
        return nullptr;
    return &m_skin->pixmap(name);
}

void CTransparentListBox::drawLine(QPainter& p, const QRect& r, const QString& text, bool selected) const
{
    const LineLook look = lookOf(text);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs;
    const bool enabled = isEnabled();
    p.setFont(m_font);
    if (m_shadow) {
        p.setPen(enabled ? m_shadowColour : QColor(Qt::white));
        p.drawText(r.translated(m_shadowOffset, m_shadowOffset), flags, look.text);
    }
    p.setPen(!enabled ? QColor(Qt::black) : selected ? m_selectedColour : m_normalColour);
    p.drawText(r, flags, look.text);
    if (const QPixmap* icon = iconPixmap(look.icon))
        p.drawPixmap(r.x() + r.width() - kIconInset, r.top(), *icon);
}

void CTransparentListBox::paintEvent(QPaintEvent*)
{
    const qreal dpr = viewport()->devicePixelRatioF();
    if (!m_backgroundCaptured || m_background.size() != viewport()->size() * dpr)
        captureBackground();
    QPixmap frame(viewport()->size() * dpr);   // off-screen: the screen sees only the finished picture
    frame.setDevicePixelRatio(dpr);
    frame.fill(Qt::transparent);
    QPainter p(&frame);
    p.drawImage(0, 0, m_background);
    const int height = viewport()->height();
    for (int i = 0; i < count(); ++i) {
        const QRect r = visualItemRect(item(i));
        if (r.bottom() < 0)
            continue;
        if (r.top() >= height)
            break;
        drawLine(p, r, item(i)->text(), item(i)->isSelected());
    }
    p.end();
    QPainter screen(viewport());
    screen.drawPixmap(0, 0, frame);
}

void CTransparentListBox::scrollContentsBy(int, int)
{
    endEdit(true);
    viewport()->update();   // a full redraw: blitting would move the background with the lines
}

void CTransparentListBox::wheelEvent(QWheelEvent* e)
{
    endEdit(true);
    QListWidget::wheelEvent(e);
    viewport()->update();
}

void CTransparentListBox::resizeEvent(QResizeEvent* e)
{
    endEdit(true);
    QListWidget::resizeEvent(e);
    m_backgroundCaptured = false;
}

void CTransparentListBox::moveEvent(QMoveEvent* e)
{
    QListWidget::moveEvent(e);
    m_backgroundCaptured = false;
    viewport()->update();
}

void CTransparentListBox::showEvent(QShowEvent* e)
{
    QListWidget::showEvent(e);
    m_backgroundCaptured = false;
}

void CTransparentListBox::changeEvent(QEvent* e)
{
    QListWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange)
        viewport()->update();
}

// ---- In-place edit --------------------------------------------------------------------------

void CTransparentListBox::mouseDoubleClickEvent(QMouseEvent* e)
{
    QListWidget::mouseDoubleClickEvent(e);
    beginEdit(e->position().toPoint());
}

bool CTransparentListBox::beginEdit(const QPoint& pos)
{
    const int line = currentRow();
    if (m_editor || line < 0 || !item(line)->isSelected())
        return false;
    const QString text = item(line)->text();
    if (m_nEditMode == DelayValues && (text.contains(QLatin1String("up")) || text.contains(QLatin1String("dn"))))
        return false;
    const QRect r = visualItemRect(item(line));
    if (!r.contains(pos))
        return false;
    emit WM_LISTEDITBEGIN();
    m_editor = new CEditHelper(viewport());
    m_editor->setFrame(true);
    m_editor->setFont(m_font);
    m_editor->setGeometry(r.adjusted(0, -kEditorGrow, 0, kEditorGrow));
    if (m_nEditMode == DelayValues) {
        QString digits = text;
        digits.remove(QLatin1String(" ms"));
        digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
        m_editor->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_editor));
        m_editor->setText(digits);
    } else {
        m_editor->setText(text);
    }
    connect(m_editor, &CEditHelper::WM_ENDLISTEDIT, this, [this](int commit) { endEdit(commit != 0); });
    m_iItemBeingEdited = line;
    m_iEditStartIndex = line;
    m_editor->show();
    m_editor->selectAll();
    m_editor->setFocus(Qt::OtherFocusReason);
    qCDebug(lcListBox, "m_iItemBeingEdited=%d \n", m_iItemBeingEdited);
    return true;
}

QString CTransparentListBox::committedText(const QString& typed, int* value) const
{
    if (m_nEditMode == DelayValues) {
        bool ok = false;
        const qulonglong n = typed.toULongLong(&ok);
        const bool tooLong =
            !ok && !typed.isEmpty() && typed.count(QRegularExpression(QStringLiteral("[0-9]"))) == typed.size();
        const qulonglong limited =
            tooLong ? kMaxDelayValue : std::clamp<qulonglong>(ok ? n : 0, kMinDelayValue, kMaxDelayValue);
        *value = int(limited);
        return QStringLiteral("%1 ms").arg(*value);
    }
    if (m_nEditMode == BinFileNames && !typed.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive))
        return typed + QLatin1String(".bin");
    return typed;
}

void CTransparentListBox::replaceLine(int index, const QString& text)
{
    const qulonglong value = lineValue(index);
    delete takeItem(index);
    const int now = m_sorted ? addLine(text, value) : insertLine(index, text, value);
    setCurrentRow(now);
    m_iItemBeingEdited = now;
}

void CTransparentListBox::endEdit(bool commit)
{
    if (!m_editor)
        return;
    CEditHelper* editor = std::exchange(m_editor, nullptr);
    editor->disconnect(this);
    const int line = m_iItemBeingEdited;
    const int start = m_iEditStartIndex;
    if (commit && line >= 0 && line < count()) {
        const QString old = lineText(line);
        int value = 0;
        const QString now = committedText(editor->text(), &value);
        const quint64 putBefore = m_linesPut;
        if (m_nEditMode == DelayValues)
            emit WM_LISTEDITDONE(line, value);
        // A receiver that reloaded the list has shown what it stored (perhaps not the typed value).
        const bool reloaded = m_linesPut != putBefore;
        if (now != old && !reloaded) {
            replaceLine(line, now);
            const int index = m_iItemBeingEdited;
            if (m_notify)
                emit WM_LISTITEMRENAMED(index, now);
            if (m_nEditMode == BinFileNames || m_nEditMode == FileNamesOverParent)
                emit WM_LISTEDITDONE(start, index);
        }
    }
    m_iItemBeingEdited = -1;
    m_iEditStartIndex = -1;
    const bool hadFocus = editor->hasFocus();
    editor->hide();
    editor->deleteLater();
    if (hadFocus)
        setFocus(Qt::OtherFocusReason);
    viewport()->update();
}

}   // namespace orvane::macro
