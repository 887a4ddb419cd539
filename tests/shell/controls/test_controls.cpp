#include "shell/controls/CBitSlider.h"
#include "shell/controls/CBitWnd.h"
#include "shell/controls/CSplashScreen.h"
#include "shell/controls/SliderGeometry.h"
#include "platform/ui/SkinImages.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

using namespace orvane::controls;

namespace {

constexpr int kTrackWidth = 220;   // the width of bitmap 140
constexpr int kChannel = kTrackWidth - kThumbWidth;

struct ClickCase {
    int channelOffset;
    int expected;
};

class ClickRounding : public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickRounding, ZeroToThreeChannel)
{
    const ClickCase c = GetParam();
    EXPECT_EQ(positionForClick(kChannelInset + c.channelOffset, kTrackWidth, {0, 3}), c.expected);
}

// Channel width 205: a sixth is 34.17, half a step; three sixths 102.5.
INSTANTIATE_TEST_SUITE_P(Cases, ClickRounding,
                         ::testing::Values(ClickCase{kChannel, 3},        // far right
                                           ClickCase{kChannel + 30, 3},   // beyond the channel
                                           ClickCase{0, 0}, ClickCase{-9, 0},
                                           ClickCase{34, 0},   // still in the first sixth
                                           ClickCase{35, 1},   // the next third starts
                                           ClickCase{102, 1}, ClickCase{103, 2}));

TEST(SliderGeometry, ThumbTravelsTheWholeControlAndRoundTrips)
{
    EXPECT_EQ(thumbLeft(0, kTrackWidth, {0, 3}), 0);
    EXPECT_EQ(thumbLeft(3, kTrackWidth, {0, 3}), 205);
    for (int pos = 0; pos <= 50; ++pos) {
        const int x = thumbLeft(pos, kTrackWidth, {0, 50}) + kChannelInset;
        EXPECT_EQ(positionForClick(x, kTrackWidth, {0, 50}), pos) << pos;
    }
}

TEST(SliderGeometry, ReportRateThumbLimits)
{
    EXPECT_EQ(reportRateThumbX(0, 0), 2);
    EXPECT_EQ(reportRateThumbX(-4, 0), 2);
    EXPECT_EQ(reportRateThumbX(68, 1), 68);
    EXPECT_EQ(reportRateThumbX(240, 3), 205);
}

void sendMouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(at), w.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &e);
}

struct SliderFixture : ::testing::Test {
    QWidget owner;
    CBitSlider slider{kReportRateSliderId, &owner};
    std::vector<int> notified;

    void SetUp() override
    {
        slider.setRange(0, 3);
        slider.setValue(1);
        slider.resize(kTrackWidth, 12);
        QObject::connect(&slider, &CBitSlider::sliderChanged, [this](int id) { notified.push_back(id); });
    }
};

TEST_F(SliderFixture, ClickJumpsToThePointAndNotifiesWithTheId)
{
    sendMouse(slider, QEvent::MouseButtonPress, QPoint(kTrackWidth - 1, 6));
    sendMouse(slider, QEvent::MouseButtonRelease, QPoint(kTrackWidth - 1, 6));
    EXPECT_EQ(slider.value(), 3);
    EXPECT_EQ(slider.thumbPos(), QPoint(205, -1));
    ASSERT_FALSE(notified.empty());
    EXPECT_EQ(notified.back(), kReportRateSliderId);

    sendMouse(slider, QEvent::MouseButtonPress, QPoint(kChannelInset + 10, 6));
    EXPECT_EQ(slider.value(), 0);
}

TEST_F(SliderFixture, MouseMoveRecomputesAndNotifies)
{
    notified.clear();
    sendMouse(slider, QEvent::MouseMove, QPoint(50, 6), Qt::NoButton);
    EXPECT_EQ(notified, std::vector<int>{kReportRateSliderId});
    EXPECT_EQ(slider.value(), 1);   // moving without the button changes nothing
}

TEST_F(SliderFixture, WheelLeavesTheValue)
{
    for (int delta : {120, -120, 480}) {
        QWheelEvent e(QPointF(50, 6), slider.mapToGlobal(QPointF(50, 6)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&slider, &e);
    }
    EXPECT_EQ(slider.value(), 1);
}

TEST_F(SliderFixture, SetUpSizesToTrackAndHidesThumbWindow)
{
    QTemporaryDir dir;
    QImage track(kTrackWidth, 12, QImage::Format_ARGB32);
    track.fill(Qt::red);
    ASSERT_TRUE(track.save(dir.filePath("BITMAP140.png")));
    QImage thumb(15, 14, QImage::Format_ARGB32);
    thumb.fill(Qt::white);
    ASSERT_TRUE(thumb.save(dir.filePath("bitmap141.png")));
    slider.resize(30, 10);
    slider.setUp(orvane::ui::SkinImages(dir.path()));
    EXPECT_EQ(slider.size(), QSize(kTrackWidth, 12));
    ASSERT_NE(slider.thumbWindow(), nullptr);
    EXPECT_FALSE(slider.thumbWindow()->isVisible());
    EXPECT_EQ(slider.thumbWindow()->size(), QSize(15, 14));
}

TEST_F(SliderFixture, OwnerDrawingSplitsTracksAtTheThumb)
{
    SliderImages images;
    images.left = QImage(kTrackWidth, 12, QImage::Format_ARGB32);
    images.left.fill(Qt::red);
    images.right = QImage(kTrackWidth, 12, QImage::Format_ARGB32);
    images.right.fill(Qt::blue);
    images.thumb = QImage(15, 14, QImage::Format_ARGB32);
    images.thumb.fill(Qt::green);
    slider.setValue(2);   // thumb at 137
    QImage canvas(300, 40, QImage::Format_ARGB32);
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        drawBitSlider(p, QPoint(10, 10), slider, images);
    }
    EXPECT_EQ(canvas.pixelColor(10 + 136, 15), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(10 + 137 + 15, 15), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(10 + 137, 10), QColor(Qt::green));   // y − 1 + 1
    slider.setValue(0);                                              // report rate at 0: thumb 2 px right
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        drawBitSlider(p, QPoint(10, 10), slider, images);
    }
    EXPECT_EQ(canvas.pixelColor(11, 15), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(12, 15), QColor(Qt::green));
}

// ---- CBitWnd -----------------------------------------------------------------------------

struct Recorder : QWidget {
    std::vector<std::pair<QEvent::Type, QPoint>> got;
    void mousePressEvent(QMouseEvent* e) override { got.push_back({e->type(), e->position().toPoint()}); }
    void mouseReleaseEvent(QMouseEvent* e) override { got.push_back({e->type(), e->position().toPoint()}); }
    void mouseMoveEvent(QMouseEvent* e) override { got.push_back({e->type(), e->position().toPoint()}); }
};

TEST(CBitWnd, LatchSurvivesHoverAndLeave)
{
    QWidget parent;
    CBitWnd w(7, QImage(20, 10, QImage::Format_ARGB32), &parent);
    w.setToggle(true);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&w, &enter);
    EXPECT_EQ(w.state(), CBitWnd::Hover);
    sendMouse(w, QEvent::MouseButtonPress, QPoint(2, 2));
    EXPECT_TRUE(w.latched());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&w, &leave);
    EXPECT_EQ(w.state(), CBitWnd::Pressed);
    sendMouse(w, QEvent::MouseButtonPress, QPoint(2, 2));
    EXPECT_FALSE(w.latched());
    EXPECT_EQ(w.state(), CBitWnd::Normal);
}

TEST(CBitWnd, WithoutToggleAClickDoesNotLatch)
{
    QWidget parent;
    CBitWnd w(7, QImage(), &parent);
    sendMouse(w, QEvent::MouseButtonPress, QPoint(2, 2));
    EXPECT_FALSE(w.latched());
}

TEST(CBitWnd, ForwardsInParentCoordinatesAndSendsCommand)
{
    Recorder parent;
    parent.setMouseTracking(true);   // an owner that follows hover over its children
    CBitWnd w(42, QImage(20, 10, QImage::Format_ARGB32), &parent);
    w.move(100, 50);
    std::vector<int> commands;
    QObject::connect(&w, &CBitWnd::command, [&](int id) { commands.push_back(id); });

    sendMouse(w, QEvent::MouseButtonPress, QPoint(3, 4));
    EXPECT_TRUE(parent.got.empty());   // forwarding off
    EXPECT_TRUE(commands.empty());     // command flag off

    w.setForwarding(true);
    w.setSendCommand(true);
    sendMouse(w, QEvent::MouseMove, QPoint(5, 6), Qt::NoButton);
    sendMouse(w, QEvent::MouseButtonPress, QPoint(3, 4));
    sendMouse(w, QEvent::MouseButtonRelease, QPoint(3, 4));
    ASSERT_EQ(parent.got.size(), 3u);
    EXPECT_EQ(parent.got[0], std::make_pair(QEvent::MouseMove, QPoint(105, 56)));
    EXPECT_EQ(parent.got[1], std::make_pair(QEvent::MouseButtonPress, QPoint(103, 54)));
    EXPECT_EQ(parent.got[2], std::make_pair(QEvent::MouseButtonRelease, QPoint(103, 54)));
    EXPECT_EQ(commands, std::vector<int>{42});
}

// ---- CSplashScreen -----------------------------------------------------------------------

struct SplashFixture : ::testing::Test {
    QTemporaryDir install;
    QString folder() const { return install.path() + QLatin1Char('/'); }
    void writeSplash(const char* language, QSize size)
    {
        QDir(install.path()).mkpath(QStringLiteral("png/%1").arg(QLatin1String(language)));
        QImage img(size, QImage::Format_ARGB32);
        img.fill(Qt::darkRed);
        ASSERT_TRUE(img.save(folder() + QStringLiteral("png/%1/SplashScreen.png").arg(QLatin1String(language))));
    }
};

TEST_F(SplashFixture, PathAndSizeFollowTheLanguage)
{
    EXPECT_EQ(splashImagePath("/opt/x/", true), "/opt/x/png/chinese/SplashScreen.png");
    EXPECT_EQ(splashImagePath("/opt/x/", false), "/opt/x/png/english/SplashScreen.png");
    writeSplash("chinese", QSize(120, 80));
    writeSplash("english", QSize(90, 60));
    int ticks = 0;
    EXPECT_EQ(CSplashScreen(folder(), true, ticks).size(), QSize(120, 80));
    EXPECT_EQ(CSplashScreen(folder(), false, ticks).size(), QSize(90, 60));
}

TEST_F(SplashFixture, ClosesAfter52TicksAndALaterSplashAtOnce)
{
    int ticks = 0;   // the application's counter
    {
        CSplashScreen first(folder(), false, ticks);   // image missing: template size
        EXPECT_EQ(first.size(), kSplashTemplateSize);
        EXPECT_EQ(first.timer().interval(), 20);
        first.show();
        for (int i = 1; i <= 51; ++i) {
            first.tick();
            ASSERT_TRUE(first.isVisible()) << "closed after tick " << i;
        }
        first.tick();
        EXPECT_FALSE(first.isVisible());
        EXPECT_EQ(first.result(), QDialog::Accepted);
    }
    EXPECT_EQ(ticks, 52);
    // The counter is never reset: a second splash closes at its first real timer tick.
    CSplashScreen second(folder(), false, ticks);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &second, &QDialog::reject);
    guard.start(5000);
    EXPECT_EQ(second.exec(), QDialog::Accepted);
    EXPECT_EQ(ticks, 53);
}

}   // namespace
