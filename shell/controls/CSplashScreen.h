#pragma once
// The borderless picture shown while the main window initialises. A 20 ms timer tests and then
// increments the process-wide tick counter (owned by the application object, never reset); the
// splash closes, as with OK, once the counter was above 50: the first splash lasts 52 ticks,
// about 1.04 s, and any later one closes at its first tick.

#include <QDialog>
#include <QImage>
#include <QTimer>

namespace orvane::controls {

inline constexpr int kSplashTickMs = 20;
inline constexpr int kSplashLastTick = 50;
inline constexpr QSize kSplashTemplateSize{400, 240};   // used when the image is missing

// "<install folder>png/chinese/SplashScreen.png" or ".../english/...". The install folder ends in '/'.
QString splashImagePath(const QString& installFolder, bool chinese);

class CSplashScreen : public QDialog {
    Q_OBJECT
public:
    CSplashScreen(const QString& installFolder, bool chinese, int& tickCounter, QWidget* parent = nullptr);
    ~CSplashScreen() override;

    const QImage& image() const { return image_; }
    const QTimer& timer() const { return timer_; }
    // One timer tick (public so that tests can drive the splash without waiting).
    void tick();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
    int& ticks_;
    QTimer timer_;
};

}   // namespace orvane::controls
