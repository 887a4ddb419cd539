#pragma once
// A bitmap child window with hover tracking: normal, hover and pressed/latched states; optionally
// latching on click, sending its owner a command on click, and forwarding its mouse input to
// its parent (in the parent's coordinates).

#include <QImage>
#include <QWidget>

namespace orvane::controls {

class CBitWnd : public QWidget {
    Q_OBJECT
public:
    enum State { Normal = 0, Hover = 1, Pressed = 2 };

    CBitWnd(int id, QImage image, QWidget* parent);

    int id() const { return id_; }
    State state() const { return state_; }
    bool latched() const { return latched_; }
    const QImage& image() const { return image_; }

    void setToggle(bool on) { toggle_ = on; }             // a click latches / unlatches
    void setSendCommand(bool on) { sendCommand_ = on; }   // a click emits command(id)
    void setForwarding(bool on) { forward_ = on; }        // mouse input also goes to the parent

signals:
    void command(int id);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHover(bool hover);
    void forward(QMouseEvent* event);

    int id_;
    QImage image_;
    State state_ = Normal;
    bool latched_ = false;
    bool hover_ = false;
    bool toggle_ = false;
    bool sendCommand_ = false;
    bool forward_ = false;
};

}   // namespace orvane::controls
