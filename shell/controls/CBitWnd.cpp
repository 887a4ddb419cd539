#include "shell/controls/CBitWnd.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

namespace orvane::controls {

CBitWnd::CBitWnd(int id, QImage image, QWidget* parent) : QWidget(parent), id_(id), image_(std::move(image))
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::ArrowCursor);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    if (!image_.isNull())
        resize(image_.deviceIndependentSize().toSize());
}

void CBitWnd::setHover(bool hover)
{
    hover_ = hover;
    state_ = latched_ ? Pressed : (hover ? Hover : Normal);
    update();
}

void CBitWnd::enterEvent(QEnterEvent*)
{
    setHover(true);
}
void CBitWnd::leaveEvent(QEvent*)
{
    setHover(false);
}

void CBitWnd::forward(QMouseEvent* event)
{
    QWidget* parent = parentWidget();
    if (!forward_ || !parent)
        return;
    const QPointF at = mapToParent(event->position());
    QMouseEvent copy(event->type(), at, mapToGlobal(event->position()), event->button(), event->buttons(),
                     event->modifiers());
    QCoreApplication::sendEvent(parent, &copy);
}

void CBitWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (!hover_)
        setHover(true);
    forward(event);
}

void CBitWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (toggle_) {
            latched_ = !latched_;
            setHover(hover_);
        }
        if (sendCommand_)
            emit command(id_);
        forward(event);
    }
    event->accept();
}

void CBitWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        forward(event);
    event->accept();
}

void CBitWnd::paintEvent(QPaintEvent*)
{
    if (image_.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, image_);
}

}   // namespace orvane::controls
