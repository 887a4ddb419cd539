#include "ui/WindowDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace orvane::ui {

void WindowDrag::press(const QWidget& window, const QMouseEvent& e)
{
    grab_ = e.globalPosition().toPoint() - window.frameGeometry().topLeft();
    following_ = false;
}

bool WindowDrag::start(QWidget& window)
{
    QWindow* handle = window.windowHandle();
    following_ = !(handle && handle->startSystemMove());
    return !following_;
}

bool WindowDrag::follow(QWidget& window, const QMouseEvent& e) const
{
    if (!following_ || !(e.buttons() & Qt::LeftButton))
        return false;
    window.move(e.globalPosition().toPoint() - grab_);
    return true;
}

bool WindowDrag::release()
{
    const bool was = following_;
    following_ = false;
    return was;
}

}   // namespace orvane::ui
