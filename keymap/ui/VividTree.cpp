#include "keymap/ui/VividTree.h"

#include "platform/ui/SkinImages.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace orvane::keymap {

namespace {

// Rows one pixel taller than the text above and below: the text is drawn one pixel below the
// row's top and must keep its descenders.
class RowHeightDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + 2));
        return size;
    }
};

}   // namespace

VividTree::VividTree(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setFrameShape(QFrame::NoFrame);   // the skin around the tree is the frame
    setUniformRowHeights(true);
    setItemDelegate(new RowHeightDelegate(this));
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);   // every pixel is painted: never erase
    // The background spans the scrolled area, which grows and shrinks with expansion.
    connect(this, &QTreeWidget::itemExpanded, viewport(), qOverload<>(&QWidget::update));
    connect(this, &QTreeWidget::itemCollapsed, viewport(), qOverload<>(&QWidget::update));
}

bool VividTree::SetBitmaps(const orvane::ui::SkinImages& images)
{
    const QImage background = images.image(QLatin1String(kTreeBackgroundImage));
    const QImage collapsed = images.image(QLatin1String(kTreeCollapsedImage));
    const QImage expanded = images.image(QLatin1String(kTreeExpandedImage));
    SetBitmaps(background, collapsed, expanded);
    return !background.isNull() && !collapsed.isNull() && !expanded.isNull();
}

void VividTree::SetBitmaps(const QImage& background, const QImage& collapsed, const QImage& expanded)
{
    m_bmpBackground = QPixmap::fromImage(background);
    m_bmpCollapsed = QPixmap::fromImage(collapsed);
    m_bmpExpanded = QPixmap::fromImage(expanded);
    viewport()->update();
}

void VividTree::setBkMode(int mode)
{
    m_nBkMode = mode;
    viewport()->update();
}

void VividTree::setGradient(const QColor& from, const QColor& to, bool horizontal)
{
    m_crGradientFrom = from;
    m_crGradientTo = to;
    m_bGradientHorizontal = horizontal;
    viewport()->update();
}

void VividTree::setTile(bool tile)
{
    m_bTile = tile;
    viewport()->update();
}

void VividTree::setShowSelectionAlways(bool on)
{
    m_bShowSelAlways = on;
    viewport()->update();
}

QRect VividTree::itemTextRect(const QTreeWidgetItem* item) const
{
    const QModelIndex index = indexFromItem(item, 0);
    const QRect row = visualRect(index);
    if (!row.isValid())
        return {};
    const int width = fontMetrics().horizontalAdvance(item->text(0)) + 2;
    return QRect(row.left() + kTextShift, row.top(), width, row.height());
}

QRect VividTree::glyphRect(const QTreeWidgetItem* item) const
{
    if (!item || item->childCount() == 0)
        return {};
    const QPixmap& glyph = item->isExpanded() ? m_bmpExpanded : m_bmpCollapsed;
    if (glyph.isNull())
        return {};
    const QRect text = itemTextRect(item);
    if (!text.isValid())
        return {};
    const QSize size = glyph.deviceIndependentSize().toSize();
    return QRect(QPoint(text.left() - size.width() - kGlyphGap, text.top() + kGlyphTop), size);
}

QTreeWidgetItem* VividTree::itemWithGlyphAt(const QPoint& pos) const
{
    QTreeWidgetItem* item = itemAt(pos);
    return glyphRect(item).contains(pos) ? item : nullptr;
}

void VividTree::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (QTreeWidgetItem* item = itemWithGlyphAt(event->position().toPoint())) {
            item->setExpanded(!item->isExpanded());
            event->accept();
            return;
        }
    }
    QTreeWidget::mousePressEvent(event);
}

void VividTree::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double-click on the glyph has toggled already, as on the branch
    // area; the double-click itself must not toggle once more as it does on the text.
    if (event->button() == Qt::LeftButton && itemWithGlyphAt(event->position().toPoint())) {
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

// The scrolled drawing area: the whole content, placed where the scroll position puts it, and
// never smaller than the viewport.
VividTree::Area VividTree::drawingArea() const
{
    const QSize client = viewport()->size();
    int contentHeight = 0;
    for (QModelIndex i = model()->index(0, 0, rootIndex()); i.isValid(); i = indexBelow(i))
        contentHeight += rowHeight(i);
    const int contentWidth = horizontalScrollBar()->maximum() + client.width();
    return {-horizontalOffset(), -verticalOffset(), std::max(contentWidth, client.width()),
            std::max(contentHeight, client.height())};
}

void VividTree::paintEvent(QPaintEvent*)
{
    const qreal dpr = viewport()->devicePixelRatioF();
    QPixmap buffer(viewport()->size() * dpr);
    buffer.setDevicePixelRatio(dpr);
    {
        QPainter p(&buffer);
        p.setFont(font());
        const Area area = drawingArea();
        drawBackground(p, area);
        drawItems(p, area);
    }
    QPainter screen(viewport());
    screen.drawPixmap(0, 0, buffer);
}

void VividTree::scrollContentsBy(int dx, int dy)
{
    QTreeWidget::scrollContentsBy(dx, dy);
    viewport()->update();   // the background moves with the content: redraw it whole
}

void VividTree::drawBackground(QPainter& p, const Area& area) const
{
    switch (m_nBkMode) {
    case BkBitmap:
        if (!m_bmpBackground.isNull()) {
            drawBitmapBackground(p, area);
            break;
        }
        [[fallthrough]];
    case BkGradient: drawGradient(p, area); break;
    case BkSolid: p.fillRect(QRect(QPoint(0, 0), viewport()->size()), QColor(kSolidBackground)); break;
    default:
        // No background of ours: start from the palette's base instead of leftover pixels.
        p.fillRect(QRect(QPoint(0, 0), viewport()->size()), palette().base());
        break;
    }
}

void VividTree::drawBitmapBackground(QPainter& p, const Area& area) const
{
    const QRect whole(area.x, area.y, area.width, area.height);
    if (!m_bTile) {
        p.drawPixmap(whole, m_bmpBackground);
        return;
    }
    const QSize step = m_bmpBackground.deviceIndependentSize().toSize();
    for (int i = 0; i <= area.width / step.width(); ++i)
        for (int j = 0; j <= area.height / step.height(); ++j)
            p.drawPixmap(area.x + i * step.width(), area.y + j * step.height(), m_bmpBackground);
}

void VividTree::drawGradient(QPainter& p, const Area& area) const
{
    const QPointF start(area.x, area.y);
    const QPointF end =
        m_bGradientHorizontal ? QPointF(area.x + area.width, area.y) : QPointF(area.x, area.y + area.height);
    QLinearGradient g(start, end);
    g.setColorAt(0, m_crGradientFrom);
    g.setColorAt(1, m_crGradientTo);
    p.fillRect(QRect(area.x, area.y, area.width, area.height), g);
}

void VividTree::drawItems(QPainter& p, const Area& area) const
{
    const int bottom = viewport()->height();
    for (QModelIndex i = model()->index(0, 0, rootIndex()); i.isValid(); i = indexBelow(i)) {
        const QRect row = visualRect(i);
        if (row.bottom() < 0)
            continue;
        if (row.top() >= bottom)
            break;
        drawItem(p, area, i);
    }
}

void VividTree::drawItem(QPainter& p, const Area& area, const QModelIndex& index) const
{
    const QTreeWidgetItem* item = itemFromIndex(index);
    QRect text = itemTextRect(item);
    if (item->isSelected() && selectionShown())
        p.fillRect(QRect(0, text.top(), area.x + area.width, text.height()), QColor(kSelectionBar));
    if (const QRect glyph = glyphRect(item); !glyph.isEmpty())
        p.drawPixmap(glyph.topLeft(), item->isExpanded() ? m_bmpExpanded : m_bmpCollapsed);
    text.adjust(0, 1, 0, -1);
    text.setRight(std::max(text.right(), viewport()->width()));
    p.setPen(QColor(kTextColour));
    p.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, item->text(0));
}

}   // namespace orvane::keymap
