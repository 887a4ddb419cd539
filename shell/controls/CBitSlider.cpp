#include "shell/controls/CBitSlider.h"

#include "platform/ui/SkinImages.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace orvane::controls {

CBitSlider::CBitSlider(int id, QWidget* parent) : QSlider(Qt::Horizontal, parent), id_(id)
{
    setAttribute(Qt::WA_NoSystemBackground);   // background erase suppressed: the owner draws
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QSlider::valueChanged, this, [this] {
        recomputeThumb();
        update();
    });
    connect(this, &QSlider::rangeChanged, this, [this] { recomputeThumb(); });
}

void CBitSlider::setUp(const orvane::ui::SkinImages& images)
{
    const QSize track = images.size(QLatin1String(kTrackLeftImage));
    if (!track.isEmpty())
        resize(track);
    if (!thumb_) {
        thumb_ = new CBitWnd(id_, images.image(QLatin1String(kThumbWindowImage)), this);
        thumb_->show();
        thumb_->hide();
    }
    setToolTip(QString::number(value()));
    recomputeThumb();
}

void CBitSlider::recomputeThumb()
{
    const SliderRange r{minimum(), maximum()};
    thumbPos_ = QPoint(thumbLeft(value(), width(), r), thumbTop(height()));
    if (thumb_) {
        thumb_->move(thumbPos_);
        thumb_->hide();
    }
    setToolTip(QString::number(value()));
    emit sliderChanged(id_);
}

void CBitSlider::jumpTo(int x)
{
    setValue(positionForClick(x, width(), SliderRange{minimum(), maximum()}));
}

void CBitSlider::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    // The style's own press handling would page-step or drag by its own geometry; ours decides.
    setSliderDown(true);
    jumpTo(qRound(event->position().x()));
    event->accept();
}

void CBitSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (isSliderDown() && (event->buttons() & Qt::LeftButton))
        jumpTo(qRound(event->position().x()));   // dragging follows the same geometry as a click
    recomputeThumb();
    event->accept();
}

void CBitSlider::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        setSliderDown(false);
    event->accept();
}

void CBitSlider::wheelEvent(QWheelEvent* event)
{
    event->accept();   // the wheel never changes the position
}

void CBitSlider::paintEvent(QPaintEvent*)
{
    recomputeThumb();   // the owner draws track and thumb
}

SliderImages SliderImages::load(const orvane::ui::SkinImages& images)
{
    return {images.image(QLatin1String(kTrackLeftImage)), images.image(QLatin1String(kTrackRightImage)),
            images.image(QLatin1String(kThumbImage))};
}

void drawBitSlider(QPainter& painter, QPoint origin, const CBitSlider& slider, const SliderImages& images)
{
    int x = slider.thumbPos().x();
    if (slider.id() == kReportRateSliderId)
        x = reportRateThumbX(x, slider.value());
    const int w = slider.width();
    const int h = slider.height();
    const int split = std::clamp(x, 0, w);
    // Source rectangles are in the track pictures' own pixels (twice the logical ones at @2x).
    const auto pixels = [](const QImage& image, int x, int width, int height) {
        const qreal s = image.devicePixelRatio();
        return QRectF(x * s, 0, width * s, height * s);
    };
    if (!images.left.isNull())
        painter.drawImage(QRectF(origin.x(), origin.y(), split, h), images.left, pixels(images.left, 0, split, h));
    if (!images.right.isNull())
        painter.drawImage(QRectF(origin.x() + split, origin.y(), w - split, h), images.right,
                          pixels(images.right, split, w - split, h));
    if (!images.thumb.isNull())
        painter.drawImage(QPoint(origin.x() + x, origin.y() + slider.thumbPos().y() + 1), images.thumb);
}

}   // namespace orvane::controls
