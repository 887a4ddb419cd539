// orvane-startup-baseline IMAGE ICON: the least a skinned tray program does at start, as the
// yardstick for the main program's start-up: a frameless window that paints a 1000 x 645 PNG
// (decoded before the window is shown, as the skin loader does) and a tray icon.

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cstdio>

namespace {

class PictureWindow final : public QWidget {
public:
    explicit PictureWindow(QPixmap picture)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), picture_(std::move(picture))
    {
        resize(1000, 645);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawPixmap(0, 0, picture_);
    }

private:
    QPixmap picture_;
};

}   // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvane-startup-baseline IMAGE ICON\n");
        return 2;
    }
    QPixmap picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "orvane-startup-baseline: cannot read %s\n", argv[1]);
        return 1;
    }
    QSystemTrayIcon tray(QIcon(QString::fromLocal8Bit(argv[2])));
    tray.show();
    PictureWindow window(std::move(picture));
    window.show();
    return app.exec();
}
