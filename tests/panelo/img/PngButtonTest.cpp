#include "panelo/img/pngbutton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <gtest/gtest.h>

using orvane::panelo::ChooseSurfaceState;
using orvane::panelo::CPngButton;
using orvane::panelo::SurfaceState;

namespace {

struct StateCase {
    bool enabled, pressed, hover;
    SurfaceState expected;
};

class StateChoice : public ::testing::TestWithParam<StateCase> {};

TEST_P(StateChoice, DisabledWinsThenPressedThenHover)
{
    const StateCase c = GetParam();
    EXPECT_EQ(ChooseSurfaceState(c.enabled, c.pressed, c.hover), c.expected);
}

INSTANTIATE_TEST_SUITE_P(All, StateChoice,
                         ::testing::Values(StateCase{true, false, false, SurfaceState::Normal},
                                           StateCase{true, false, true, SurfaceState::Over},
                                           StateCase{true, true, false, SurfaceState::Down},
                                           StateCase{true, true, true, SurfaceState::Down},
                                           StateCase{false, false, false, SurfaceState::Disabled},
                                           StateCase{false, true, false, SurfaceState::Disabled},
                                           StateCase{false, false, true, SurfaceState::Disabled},
                                           StateCase{false, true, true, SurfaceState::Disabled}));

// Four whole-window surfaces of one colour each, with a marker square at (30, 20) on the normal
// one so that the source offset shows.
class ButtonFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        normal = surface(Qt::darkGray);
        {
            QPainter p(&normal);
            p.fillRect(QRect(30, 20, 4, 4), Qt::yellow);
        }
        over = surface(Qt::blue);
        down = surface(Qt::red);
        disabled = surface(Qt::green);
        window.resize(200, 100);
        button = new CPngButton(&window);
        button->setGeometry(30, 20, 40, 16);
        button->SetStateSurfaces({30, 20}, {&normal, &over, &down, &disabled, &normal});
        window.show();
    }
    static QPixmap surface(QColor colour)
    {
        QPixmap pixmap(300, 200);
        pixmap.fill(colour);
        return pixmap;
    }
    QColor shownAt(QPoint p) { return button->grab().toImage().pixelColor(p); }
    void waitForHover()
    {
        QElapsedTimer clock;
        clock.start();
        while (!button->IsHovered() && clock.elapsed() < 2000)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    void enter()
    {
        QEnterEvent e(QPointF(5, 5), QPointF(35, 25), button->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(button, &e);
    }

    QPixmap normal, over, down, disabled;
    QWidget window;
    CPngButton* button = nullptr;
};

TEST_F(ButtonFixture, CopiesItsOwnRectangleOutOfTheChosenSurface)
{
    EXPECT_EQ(shownAt({0, 0}), QColor(Qt::yellow));
    EXPECT_EQ(shownAt({5, 5}), QColor(Qt::darkGray));
    EXPECT_EQ(button->LastDrawn(), &normal);

    button->setDown(true);
    EXPECT_EQ(shownAt({5, 5}), QColor(Qt::red));
    button->setEnabled(false);
    EXPECT_EQ(shownAt({5, 5}), QColor(Qt::green));
    EXPECT_EQ(button->LastDrawn(), &disabled);
}

TEST_F(ButtonFixture, HoverShowsTheOverImageShortlyAfterEnteringAndLeaveRestoresAtOnce)
{
    enter();
    EXPECT_EQ(button->CurrentState(), SurfaceState::Normal);   // not before the hover delay
    waitForHover();
    ASSERT_TRUE(button->IsHovered());
    EXPECT_EQ(shownAt({5, 5}), QColor(Qt::blue));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(button->CurrentState(), SurfaceState::Normal);
    EXPECT_EQ(shownAt({5, 5}), QColor(Qt::darkGray));
}

TEST_F(ButtonFixture, DisabledImageEvenWhileHoveredAndPressed)
{
    enter();
    waitForHover();
    button->setDown(true);
    button->setEnabled(false);
    EXPECT_EQ(button->CurrentState(), SurfaceState::Disabled);
    EXPECT_EQ(shownAt({5, 5}), QColor(Qt::green));
}

TEST_F(ButtonFixture, DoubleClickCountsAsTwoClicks)
{
    int clicks = 0;
    QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent e(type, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(button, &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    EXPECT_EQ(button->CurrentState(), SurfaceState::Down);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonFixture, TextStaysOnOneLineInsideItsInsetRectangle)
{
    button->setText(QString(60, u'W'));
    button->SetTextStyle(true, 11, QString::fromUtf16(u"宋体"), QColor(224, 224, 224),
                         Qt::AlignLeft | Qt::AlignVCenter);
    button->SetTextInsets({2, 0, 0, 0});
    const QImage shot = button->grab().toImage();
    // The inset columns keep the surface; text is drawn from there on to the right edge.
    // (Rows 0..3 hold the marker square.)
    for (int y = 4; y < shot.height(); ++y) {
        ASSERT_EQ(shot.pixelColor(0, y), QColor(Qt::darkGray)) << y;
        ASSERT_EQ(shot.pixelColor(1, y), QColor(Qt::darkGray)) << y;
    }
    int lit = 0;
    for (int x = 2; x < shot.width(); ++x)
        for (int y = 0; y < shot.height(); ++y)
            lit += shot.pixelColor(x, y).red() > 180;
    EXPECT_GT(lit, 20);
    // 11 points at the widget's vertical resolution, rounded to the nearest pixel.
    EXPECT_EQ(button->TextFont().pixelSize(), orvane::panelo::MulDivRound(11, button->logicalDpiY(), 72));
}

TEST(PngButton, WithoutSurfacesDrawsNothing)
{
    QWidget window;
    auto* button = new CPngButton(&window);
    button->resize(20, 20);
    window.show();
    button->grab();
    EXPECT_EQ(button->LastDrawn(), nullptr);
}

TEST(MulDivRound, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(orvane::panelo::MulDivRound(11, 96, 72), 15);   // 14.67
    EXPECT_EQ(orvane::panelo::MulDivRound(3, 1, 2), 2);       // 1.5
    EXPECT_EQ(orvane::panelo::MulDivRound(-3, 1, 2), -2);
    EXPECT_EQ(orvane::panelo::MulDivRound(24, 96, 72), 32);
}

}   // namespace
