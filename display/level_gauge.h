#pragma once
// The level gauge: two bars of segments on a logarithmic scale, one per channel, each with an
// over lamp at its right end. Coordinates are pixels of the gauge pane (width x height).

#include "display/pane_colours.h"
#include "display/window_layout.h"
#include "night/app_state.h"

namespace yumo
{

constexpr double kGaugeFullScale = 70; // the level of a full-scale peak (32767)
constexpr int kGaugeMargin = 10;       // the bars run from x = 10 to width - 10
constexpr int kGaugeSegmentPitch = 8;  // a segment starts every 8 pixels
constexpr int kGaugeSegmentWidth = 6;  // and covers 6 columns
constexpr int kGaugeLeftBarTop = 3;    // rows 3-13 for the left channel
constexpr int kGaugeRightBarTop = 16;  // rows 16-26 for the right
constexpr int kGaugeSegmentHeight = 11;

// The channels' letters at the left end of their bars: the same in every language.
constexpr const char* kGaugeLeftLetter = "L";
constexpr const char* kGaugeRightLetter = "R";

// 10 ln(|peak| / 32767) + 70, at least 0: full scale is 70, 0 is reached at a peak of about 30.
double GaugeLevel(double peak);

// The x where a bar of `level` ends: 10 at level 0, width - 10 at full scale.
double GaugeBarEnd(double level, int width);

struct GaugeBar
{
    double level = 0;
    double end = 0;
    int segments = 0;  // drawn at x = 10, 18, 26, ... while x + 8 <= end
    bool over = false; // the bar reached the end of its scale: the lamp is red
};

struct GaugeBars
{
    GaugeBar left;
    GaugeBar right;
};

GaugeBars DescribeLevelGauge(int width, BlockPeak peaks);

// Segment `index` of a bar (0 from the left): columns x to x + 5, 11 rows from the bar's top.
PaneRect GaugeSegmentRect(int index, bool rightChannel);

// Low levels are cyan, then green from 4/7 of the scale, magenta from 6/7 (by the segment's x).
Rgb GaugeSegmentColour(int x, int width);

// The lamp with its black outline: rows 2-13 for the left channel, 15-26 for the right, the
// 10 columns before the last one.
PaneRect GaugeLampRect(int width, bool rightChannel);

} // namespace yumo
