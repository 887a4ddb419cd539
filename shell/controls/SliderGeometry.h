#pragma once
// Geometry of the bitmap slider, free of widgets: where the thumb sits for a position, and which
// position a click at a point of the channel selects.
//
// The thumb (15 px wide) travels from x 0 to width − 15 of the control; the channel is the path of
// the thumb's centre, from x 7 to x width − 8, so its width is width − 15.

namespace orvane::controls {

inline constexpr int kThumbWidth = 15;   // Thumb.png
inline constexpr int kThumbHeight = 14;
inline constexpr int kChannelInset = kThumbWidth / 2;

struct SliderRange {
    int min = 0;
    int max = 0;
};

constexpr int channelWidth(int controlWidth)
{
    return controlWidth > kThumbWidth ? controlWidth - kThumbWidth : 1;
}

// Position for a click at control x: offset in the channel × (max − min) / channel width, to the
// nearest integer with halves going up, kept within the range.
constexpr int positionForClick(int x, int controlWidth, SliderRange r)
{
    const int w = channelWidth(controlWidth);
    int offset = x - kChannelInset;
    offset = offset < 0 ? 0 : (offset > w ? w : offset);
    const long long span = r.max - r.min;
    if (span <= 0)
        return r.min;
    return r.min + static_cast<int>((2LL * offset * span + w) / (2LL * w));
}

// Left edge of the thumb for a position, in control coordinates.
constexpr int thumbLeft(int position, int controlWidth, SliderRange r)
{
    const long long span = r.max - r.min;
    if (span <= 0)
        return 0;
    const int p = position < r.min ? r.min : (position > r.max ? r.max : position);
    return static_cast<int>((static_cast<long long>(p - r.min) * channelWidth(controlWidth) + span / 2) / span);
}

// Top of the thumb: centred vertically in the control.
constexpr int thumbTop(int controlHeight)
{
    return (controlHeight - kThumbHeight) / 2;
}

// The report-rate slider's drawing rule: thumb x within 0..205, and 2 px right at position 0.
constexpr int reportRateThumbX(int thumbX, int position)
{
    int x = thumbX < 0 ? 0 : (thumbX > 205 ? 205 : thumbX);
    if (position == 0)
        x += 2;
    return x;
}

}   // namespace orvane::controls
