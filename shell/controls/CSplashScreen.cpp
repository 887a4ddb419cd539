#include "shell/controls/CSplashScreen.h"

#include "platform/ui/SkinImages.h"

#include <QFileInfo>
#include <QPainter>

namespace orvane::controls {

QString splashImagePath(const QString& installFolder, bool chinese)
{
    return installFolder + (chinese ? QStringLiteral("png/chinese/") : QStringLiteral("png/english/")) +
        QStringLiteral("SplashScreen.png");
}

namespace {

// The image at the path, or one whose file name differs only in letter case; at the screen's
// scale (its @2x form on a high-density screen).
QImage loadSplash(const QString& path)
{
    const int scale = orvane::ui::SkinImages::screenScale();
    QImage img = orvane::ui::SkinImages::decodeFile(path, scale);
    if (img.isNull()) {
        const QFileInfo info(path);
        const QString other = orvane::ui::findCaseInsensitive(info.absolutePath(), info.fileName());
        if (!other.isEmpty())
            img = orvane::ui::SkinImages::decodeFile(other, scale);
    }
    return img;
}

}   // namespace

CSplashScreen::CSplashScreen(const QString& installFolder, bool chinese, int& tickCounter, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      image_(loadSplash(splashImagePath(installFolder, chinese))), ticks_(tickCounter)
{
    setModal(true);
    setFixedSize(image_.isNull() ? kSplashTemplateSize : image_.deviceIndependentSize().toSize());
    timer_.setInterval(kSplashTickMs);
    connect(&timer_, &QTimer::timeout, this, &CSplashScreen::tick);
    timer_.start();
}

CSplashScreen::~CSplashScreen()
{
    timer_.stop();
}

void CSplashScreen::tick()
{
    if (ticks_++ > kSplashLastTick) {
        timer_.stop();
        accept();
    }
}

void CSplashScreen::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (image_.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(0, 0, image_);
}

}   // namespace orvane::controls
