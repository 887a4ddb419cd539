#pragma once
// A horizontal track bar whose track and thumb are drawn by its owner (drawBitSlider) from the
// track bitmaps 140 (left of the thumb) and 139 (right of it) and Thumb.png. The control itself
// draws nothing; it keeps the thumb position and tells its owner with sliderChanged(id) each time
// it recomputes it (on paint and on every mouse move over it). Owners repaint only when the
// position differs from the last one they drew, which ends the paint → notify → paint cycle.

#include "shell/controls/CBitWnd.h"
#include "shell/controls/SliderGeometry.h"

#include <QImage>
#include <QPoint>
#include <QSlider>

namespace orvane::ui {
class SkinImages;
}

namespace orvane::controls {

inline constexpr int kSpeedSliderId = 1007;
inline constexpr int kBrightnessSliderId = 1017;
inline constexpr int kReportRateSliderId = 1010;

// Names of the slider artwork in the image folder.
inline constexpr const char* kTrackLeftImage = "bitmap140.png";
inline constexpr const char* kTrackRightImage = "bitmap139.png";
inline constexpr const char* kThumbWindowImage = "bitmap141.png";
inline constexpr const char* kThumbImage = "Thumb.png";

class CBitSlider : public QSlider {
    Q_OBJECT
public:
    CBitSlider(int id, QWidget* parent);

    int id() const { return id_; }
    // Loads the track bitmaps and resizes the control to bitmap 140; creates the thumb window
    // (visible child, then hidden: the owner draws the thumb); sets up the tooltip.
    void setUp(const orvane::ui::SkinImages& images);
    // Thumb position last computed (left, top of the thumb in control coordinates).
    QPoint thumbPos() const { return thumbPos_; }
    const CBitWnd* thumbWindow() const { return thumb_; }
    // Recomputes the thumb position and notifies the owner.
    void recomputeThumb();

signals:
    void sliderChanged(int id);   // message 0x779

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void jumpTo(int x);

    int id_;
    QPoint thumbPos_;
    CBitWnd* thumb_ = nullptr;
};

// The images an owner needs to draw sliders, loaded once at set-up.
struct SliderImages {
    QImage left;    // bitmap 140
    QImage right;   // bitmap 139
    QImage thumb;   // Thumb.png
    static SliderImages load(const orvane::ui::SkinImages& images);
};

// Owner-side drawing: bitmap 140 from the control's left edge to the thumb's x, bitmap 139 from
// there to the right edge, Thumb.png at (thumb x, thumb y + 1); for the report-rate slider the
// thumb x is held within 0..205 and moved 2 px right at position 0. `origin` is the control's
// top-left in the painter's coordinates.
void drawBitSlider(QPainter& painter, QPoint origin, const CBitSlider& slider, const SliderImages& images);

}   // namespace orvane::controls
