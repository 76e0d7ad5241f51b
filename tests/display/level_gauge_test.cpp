#include <cmath>
#include <gtest/gtest.h>
#include <limits>

#include "display/level_gauge.h"

namespace yumo
{
namespace
{

constexpr int kWidth = 624; // the gauge of a 664-pixel client

TEST(LevelGauge, LevelsAndBarEnds)
{
    EXPECT_DOUBLE_EQ(GaugeLevel(32767), 70);
    EXPECT_DOUBLE_EQ(GaugeLevel(-32767), 70);
    EXPECT_EQ(GaugeLevel(0), 0);
    EXPECT_EQ(GaugeLevel(29), 0); // below about 30 the bar is empty
    EXPECT_NEAR(GaugeLevel(3276.7), 70 - 10 * std::log(10.0), 1e-12);
    EXPECT_EQ(GaugeLevel(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(GaugeBarEnd(70, kWidth), kWidth - 10); // exactly, so the lamp lights
    EXPECT_EQ(GaugeBarEnd(0, kWidth), 10);
    EXPECT_EQ(GaugeBarEnd(35, kWidth), 312);
}

TEST(LevelGauge, FullScaleLightsTheLampAndSilenceDrawsNothing)
{
    const GaugeBars full = DescribeLevelGauge(kWidth, {32767, 0});
    EXPECT_TRUE(full.left.over);
    EXPECT_EQ(full.left.end, kWidth - 10);
    // x = 10, 18, ..., 602 while x + 8 <= 614.
    EXPECT_EQ(full.left.segments, 75);
    EXPECT_FALSE(full.right.over);
    EXPECT_EQ(full.right.segments, 0);

    EXPECT_FALSE(DescribeLevelGauge(kWidth, {32766, 0}).left.over);
    // The largest 16-bit magnitude ends past the scale but draws no segment more.
    const GaugeBar beyond = DescribeLevelGauge(kWidth, {0, 32768}).right;
    EXPECT_TRUE(beyond.over);
    EXPECT_EQ(beyond.segments, 75);
    EXPECT_LE(GaugeSegmentRect(beyond.segments - 1, true).left + kGaugeSegmentWidth,
              GaugeLampRect(kWidth, true).left);
    // A damaged peak neither loops nor draws past the pane.
    EXPECT_LE(
        DescribeLevelGauge(kWidth, {std::numeric_limits<double>::infinity(), 0}).left.segments,
        kWidth / 8);
}

TEST(LevelGauge, SegmentsAppearWhenTheirEndIsReached)
{
    // The first segment needs an end of 18, the second 26.
    const auto segmentsAt = [](double end) {
        const double level = (end - 10) * 70 / (kWidth - 20);
        return DescribeLevelGauge(kWidth, {32767 * std::exp((level - 70) / 10), 0}).left.segments;
    };
    EXPECT_EQ(segmentsAt(17.9), 0);
    EXPECT_EQ(segmentsAt(18.01), 1);
    EXPECT_EQ(segmentsAt(25.99), 1);
    EXPECT_EQ(segmentsAt(26.01), 2);
}

TEST(LevelGauge, ColourThresholdsAndRectangles)
{
    // (4 * 604) / 7 = 345 and (6 * 604) / 7 = 517, truncated.
    EXPECT_EQ(GaugeSegmentColour(10, kWidth), kGaugeLowColour);
    EXPECT_EQ(GaugeSegmentColour(344, kWidth), kGaugeLowColour);
    EXPECT_EQ(GaugeSegmentColour(345, kWidth), kGaugeMiddleColour);
    EXPECT_EQ(GaugeSegmentColour(516, kWidth), kGaugeMiddleColour);
    EXPECT_EQ(GaugeSegmentColour(517, kWidth), kGaugeHighColour);

    const PaneRect second = GaugeSegmentRect(1, false);
    EXPECT_EQ(second.left, 18);
    EXPECT_EQ(second.top, 3);
    EXPECT_EQ(second.top + second.height - 1, 13);
    EXPECT_EQ(GaugeSegmentRect(0, true).top, 16);
    const PaneRect lamp = GaugeLampRect(kWidth, true);
    EXPECT_EQ(lamp.left, kWidth - 11);
    EXPECT_EQ(lamp.left + lamp.width, kWidth - 1);
    EXPECT_EQ(lamp.top, 15);
    EXPECT_EQ(lamp.top + lamp.height, 27);
    EXPECT_EQ(GaugeLampRect(kWidth, false).top, 2);
}

} // namespace
} // namespace yumo
