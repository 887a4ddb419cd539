#pragma once
// Moving a frameless window by its own surface, as by a caption: the window manager moves it when
// it takes the move (QWindow::startSystemMove), otherwise the window follows the mouse itself
// until the button is released.
//
// The window decides where a drag may start (outside its buttons, after some travel, ...); this
// class only carries the move out.

#include <QPoint>

class QMouseEvent;
class QWidget;

namespace orvane::ui {

class WindowDrag {
public:
    // Remembers where the window is held; call on the left-button press.
    void press(const QWidget& window, const QMouseEvent& e);
    // Starts the move. True when the window manager moves the window; false when the window
    // follows the mouse itself from now on (no window manager, or it refused).
    bool start(QWidget& window);
    // While the window follows the mouse: moves it to the mouse and returns true. False (and no
    // move) otherwise or when the left button is not held.
    bool follow(QWidget& window, const QMouseEvent& e) const;
    // Ends the drag on the release. True when the window had followed the mouse itself (so the
    // release belongs to the drag and is no click).
    bool release();

    bool following() const { return following_; }

private:
    QPoint grab_;   // the press's offset from the window's top-left corner
    bool following_ = false;
};

}   // namespace orvane::ui
