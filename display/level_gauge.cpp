#include "display/level_gauge.h"

#include <algorithm>
#include <cmath>

namespace yumo
{

namespace
{

constexpr double kFullScalePeak = 32767;
constexpr int kLampWidth = 10;

GaugeBar DescribeBar(int width, double peak)
{
    GaugeBar bar;
    bar.level = GaugeLevel(peak);
    bar.end = GaugeBarEnd(bar.level, width);
    bar.over = bar.end >= width - kGaugeMargin;
    // A peak above full scale (32768) ends a hair past the scale: never draw past the pane.
    const double end = std::min(bar.end, static_cast<double>(width));
    const int firstEnd = kGaugeMargin + kGaugeSegmentPitch;
    if (end >= firstEnd)
    {
        bar.segments = static_cast<int>((end - firstEnd) / kGaugeSegmentPitch) + 1;
    }
    return bar;
}

} // namespace

double GaugeLevel(double peak)
{
    const double level = 10 * std::log(std::fabs(peak) / kFullScalePeak) + kGaugeFullScale;
    return level >= 0 ? level : 0; // also a silent block (log 0) and NaN
}

double GaugeBarEnd(double level, int width)
{
    return level * (width - 2 * kGaugeMargin) / kGaugeFullScale + kGaugeMargin;
}

GaugeBars DescribeLevelGauge(int width, BlockPeak peaks)
{
    return {DescribeBar(width, peaks.left), DescribeBar(width, peaks.right)};
}

PaneRect GaugeSegmentRect(int index, bool rightChannel)
{
    return {kGaugeMargin + kGaugeSegmentPitch * index,
            rightChannel ? kGaugeRightBarTop : kGaugeLeftBarTop, kGaugeSegmentWidth,
            kGaugeSegmentHeight};
}

Rgb GaugeSegmentColour(int x, int width)
{
    const int scale = width - 2 * kGaugeMargin;
    if (x < (4 * scale) / 7)
    {
        return kGaugeLowColour;
    }
    return x < (6 * scale) / 7 ? kGaugeMiddleColour : kGaugeHighColour;
}

PaneRect GaugeLampRect(int width, bool rightChannel)
{
    return {width - 1 - kLampWidth, rightChannel ? 15 : 2, kLampWidth, 12};
}

} // namespace yumo
