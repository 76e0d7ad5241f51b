// The renderer's behaviour at its edges: level, the first block, crossfades on a move, the
// distance gain, the zenith, clamping and the end of a clip. Each case runs on the scalar
// definition and on the fast renderer.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "audio/renderer.h"
#include "audio/renderer_test_support.h"
#include "common/constants.h"

namespace yumo
{
namespace
{

using test::MakeOneDirectionSet;
using test::MakeRandomClip;
using test::OneTap;
using test::RenderFunction;
using test::RenderPosition;
using test::RenderStream;

constexpr double kUnityTap = 65538 * 1.25; // reproduces the source at its own level

// First-half (or carried) value of one sample through a one-tap response, computed here from
// the definition in integers: trunc(trunc(s * w * tap) / 65538) / 1.25.
double HalfValue(int16_t sample, double window, double tap)
{
    auto convolution = static_cast<int64_t>(sample * window * tap);
    return static_cast<double>(convolution / 65538) / 1.25;
}

class RendererEdgeTest : public ::testing::TestWithParam<bool>
{
protected:
    RenderFunction Render() const
    {
        if (GetParam())
        {
            return RenderBinauralBlock;
        }
        return RenderBinauralBlockScalar;
    }
};

TEST_P(RendererEdgeTest, OneTapResponseReproducesTheScaledSource)
{
    const HrirSet set = MakeOneDirectionSet(OneTap(kUnityTap), OneTap(kUnityTap * 0.375));
    const std::vector<int16_t> clip = MakeRandomClip(3, 40 * 512, 7000.0);
    const std::vector<int16_t> out =
        RenderStream(Render(), set, clip, std::vector<RenderPosition>(40));
    // From the second block on every frame is a first half plus a carried second half.
    for (size_t n = 512; n < clip.size(); ++n)
    {
        double expectedLeft = clip[n];
        double expectedRight = clip[n] * 0.375;
        int left = out[2 * n];
        int right = out[2 * n + 1];
        // Three truncations toward zero: never louder than the source, at most 4 quieter.
        ASSERT_LE(std::abs(left), std::abs(expectedLeft) + 1e-9) << "frame " << n;
        ASSERT_LT(std::abs(left - expectedLeft), 4.0) << "frame " << n;
        ASSERT_LE(std::abs(right), std::abs(expectedRight) + 1e-9) << "frame " << n;
        ASSERT_LT(std::abs(right - expectedRight), 4.0) << "frame " << n;
    }
}

TEST_P(RendererEdgeTest, FirstCallWithZeroOverlapGivesTheFirstHalfAlone)
{
    const double leftTap = kUnityTap;
    const double rightTap = -0.5 * kUnityTap;
    const HrirSet set = MakeOneDirectionSet(OneTap(leftTap), OneTap(rightTap));
    const std::vector<int16_t> clip = MakeRandomClip(5, 1024, 9000.0);
    const double* w = CrossfadeWindow();
    std::vector<int16_t> overlapLeft(512, 0), overlapRight(512, 0), out(1024);
    EXPECT_EQ(Render()(set, clip.data(), clip.size(), 0, 90, -40, 0.3, 0.3, overlapLeft.data(),
                       overlapRight.data(), out.data()),
              0);
    for (int n = 0; n < 512; ++n)
    {
        ASSERT_EQ(out[2 * n], static_cast<int16_t>(HalfValue(clip[n], w[n], leftTap))) << n;
        ASSERT_EQ(out[2 * n + 1], static_cast<int16_t>(HalfValue(clip[n], w[n], rightTap))) << n;
        ASSERT_EQ(overlapLeft[n],
                  static_cast<int16_t>(HalfValue(clip[n + 512], w[n + 512], leftTap)))
            << n;
        ASSERT_EQ(overlapRight[n],
                  static_cast<int16_t>(HalfValue(clip[n + 512], w[n + 512], rightTap)))
            << n;
    }
    // A constant source fades in with the rising half of the window.
    const std::vector<int16_t> constant(1024, 20000);
    std::fill(overlapLeft.begin(), overlapLeft.end(), 0);
    Render()(set, constant.data(), constant.size(), 0, 0, 0, 0.3, 0.3, overlapLeft.data(),
             overlapRight.data(), out.data());
    EXPECT_EQ(out[0], 0); // 20000 * sin^2(pi / 1024) is below one unit
    EXPECT_EQ(out[2 * 511], static_cast<int16_t>(HalfValue(20000, 1.0, leftTap)));
    for (int n = 1; n < 512; ++n)
    {
        ASSERT_GE(out[2 * n], out[2 * (n - 1)]) << n;
    }
}

TEST_P(RendererEdgeTest, MoveFrom90To270CrossfadesOverOneBlock)
{
    const double loud = kUnityTap;
    const double quiet = kUnityTap / 4;
    const HrirSet set =
        test::MakeSet({{0, {{90, OneTap(loud), OneTap(quiet)}, {270, OneTap(quiet), OneTap(loud)}}},
                       {90, {{0, OneTap(0), OneTap(0)}}}});
    const std::vector<int16_t> clip(3 * 512, 16000);
    const std::vector<int16_t> out = RenderStream(
        Render(), set, clip, {{90, -40, 0.3, 0.3}, {270, -40, 0.3, 0.3}, {270, -40, 0.3, 0.3}});
    const double* w = CrossfadeWindow();
    for (int n = 0; n < 512; ++n)
    {
        // Second call: the new direction's rising first half plus the old one's falling second.
        double carriedLeft = std::trunc(HalfValue(16000, w[n + 512], loud));
        double carriedRight = std::trunc(HalfValue(16000, w[n + 512], quiet));
        int16_t left = static_cast<int16_t>(HalfValue(16000, w[n], quiet) + carriedLeft);
        int16_t right = static_cast<int16_t>(HalfValue(16000, w[n], loud) + carriedRight);
        ASSERT_EQ(out[1024 + 2 * n], left) << n;
        ASSERT_EQ(out[1024 + 2 * n + 1], right) << n;
    }
    // The left ear fades from the old level to the new one, the right ear the other way.
    EXPECT_NEAR(out[1024], 16000, 4);
    EXPECT_NEAR(out[1024 + 1], 4000, 4);
    EXPECT_NEAR(out[1024 + 2 * 511], 4000, 4);
    EXPECT_NEAR(out[1024 + 2 * 511 + 1], 16000, 4);
    // Third call, no move: steady at the new direction.
    EXPECT_NEAR(out[2048 + 2 * 200], 4000, 4);
    EXPECT_NEAR(out[2048 + 2 * 200 + 1], 16000, 4);
}

TEST(DistanceGainTest, FollowsTheInverseSquareInSinglePrecision)
{
    EXPECT_EQ(DistanceGain(0.3, 0.3), 1.0f);
    EXPECT_EQ(DistanceGain(0.3, 1.0), 1.0f); // never amplified inside the reference
    EXPECT_EQ(DistanceGain(0.6, 0.3), 0.25f);
    EXPECT_EQ(DistanceGain(0.0, 0.3), 1.0f);
    EXPECT_EQ(DistanceGain(0.5, 0.0), 0.0f);
    // The ratio, its square and the inverse are each rounded to float: 1/9 in float, not double.
    float ratio = static_cast<float>(0.9 / 0.3);
    EXPECT_EQ(DistanceGain(0.9, 0.3), 1.0f / (ratio * ratio));
    EXPECT_NE(static_cast<double>(DistanceGain(0.9, 0.3)), 1.0 / 9.0);

    std::vector<double> y(kConvolutionLength, 8.0);
    ApplyDistanceGain(y.data(), 0.6, 0.3);
    EXPECT_EQ(y[0], 2.0);
    EXPECT_EQ(y[1023], 2.0);
    EXPECT_EQ(y[1024], 8.0); // the dropped tail is left alone
}

TEST_P(RendererEdgeTest, DistanceAttenuatesTheOutput)
{
    const HrirSet set = MakeOneDirectionSet(OneTap(kUnityTap), OneTap(kUnityTap));
    const std::vector<int16_t> clip(4 * 512, 20000);
    auto steady = [&](double distance, double reference) {
        std::vector<RenderPosition> positions(4, RenderPosition{90, -40, distance, reference});
        return RenderStream(Render(), set, clip, positions)[2 * (2 * 512 + 100)];
    };
    EXPECT_NEAR(steady(0.3, 0.3), 20000, 4);
    EXPECT_NEAR(steady(0.3, 1.0), 20000, 4);
    EXPECT_NEAR(steady(0.6, 0.3), 5000, 4);
    EXPECT_EQ(steady(2.0, 0.0), 0);
}

TEST_P(RendererEdgeTest, ZenithRendersWhateverTheAzimuth)
{
    std::vector<test::TestRow> rows;
    double tap = 1000.0;
    for (int elevation : {-40, 0})
    {
        test::TestRow row{elevation, {}};
        for (int azimuth : {0, 90, 180, 270})
        {
            row.directions.push_back({azimuth, OneTap(tap), OneTap(-tap)});
            tap += 1000.0;
        }
        rows.push_back(row);
    }
    rows.push_back({90, {{0, OneTap(77777.0), OneTap(-33333.0)}}});
    const HrirSet set = test::MakeSet(rows);
    const HrirSet zenithOnly = MakeOneDirectionSet(OneTap(77777.0), OneTap(-33333.0));
    const std::vector<int16_t> clip = MakeRandomClip(9, 3 * 512, 8000.0);
    const std::vector<int16_t> expected =
        RenderStream(Render(), zenithOnly, clip, std::vector<RenderPosition>(3));
    for (double elevation : {90.0, 90.5, 135.0, 1e9})
    {
        for (double azimuth : {0.0, 45.5, 180.0, 359.9, -10.0, 400.0})
        {
            std::vector<RenderPosition> positions(3, RenderPosition{azimuth, elevation, 0.3, 0.3});
            ASSERT_EQ(RenderStream(Render(), set, clip, positions), expected)
                << "azimuth " << azimuth << " elevation " << elevation;
        }
    }
    std::vector<RenderPosition> ear(3, RenderPosition{90, 0, 0.3, 0.3});
    EXPECT_NE(RenderStream(Render(), set, clip, ear), expected);
}

TEST_P(RendererEdgeTest, ClampsSumsBeyondSixteenBits)
{
    const HrirSet set = MakeOneDirectionSet(OneTap(kUnityTap), OneTap(-kUnityTap));
    const std::vector<int16_t> clip(1024, 32000);
    std::vector<int16_t> overlapLeft(512, 30000), overlapRight(512, -30000), out(1024);
    Render()(set, clip.data(), clip.size(), 0, 0, 0, 0.3, 0.3, overlapLeft.data(),
             overlapRight.data(), out.data());
    // Near the window's peak each half is about 26000: 30000 + 26000 stops at the limits.
    for (int n = 400; n < 512; ++n)
    {
        ASSERT_EQ(out[2 * n], 32767) << n;
        ASSERT_EQ(out[2 * n + 1], -32768) << n;
    }
    // Where the rising half is still small the overlap passes through.
    EXPECT_EQ(out[0], 30000);
    EXPECT_EQ(out[1], -30000);
}

TEST_P(RendererEdgeTest, ReadsZerosPastTheEndOfTheClip)
{
    const HrirSet set = test::MakeRandomSet(21, 20000.0);
    const std::vector<int16_t> source = MakeRandomClip(13, 1500, 9000.0);
    // Allocated to exactly 1500 samples, so that a read past the end is caught by the
    // address sanitizer.
    std::unique_ptr<int16_t[]> exact(new int16_t[source.size()]);
    std::copy(source.begin(), source.end(), exact.get());
    std::vector<int16_t> padded(source);
    padded.resize(4096, 0);

    for (int64_t start : {int64_t{0}, int64_t{512}, int64_t{1024}, int64_t{1499}, int64_t{1500},
                          int64_t{7000}, int64_t{-300}, INT64_MAX, INT64_MIN})
    {
        std::vector<int16_t> overlapA(1024, 5), overlapB(1024, 5), outA(1024), outB(1024);
        Render()(set, exact.get(), source.size(), start, 10, 0, 0.3, 0.3, overlapA.data(),
                 overlapA.data() + 512, outA.data());
        // The reference: the same block read from a zero-extended copy (shifted for a negative
        // start), or silence when nothing of the clip lies in the block.
        std::vector<int16_t> shifted(4096 + 1024, 0);
        for (int64_t n = 0; n < 1024; ++n)
        {
            if (start > -1024 && start < 4096 && start + n >= 0 && start + n < 4096)
            {
                shifted[n] = padded[start + n];
            }
        }
        Render()(set, shifted.data(), shifted.size(), 0, 10, 0, 0.3, 0.3, overlapB.data(),
                 overlapB.data() + 512, outB.data());
        ASSERT_EQ(outA, outB) << "start " << start;
        ASSERT_EQ(overlapA, overlapB) << "start " << start;
    }
}

TEST_P(RendererEdgeTest, EmptySetRendersSilenceAndPassesTheOverlapOn)
{
    const HrirSet empty;
    const std::vector<int16_t> clip = MakeRandomClip(17, 1024, 9000.0);
    std::vector<int16_t> overlapLeft(512, 123), overlapRight(512, -45), out(1024);
    Render()(empty, clip.data(), clip.size(), 0, 90, -40, 0.3, 0.3, overlapLeft.data(),
             overlapRight.data(), out.data());
    for (int n = 0; n < 512; ++n)
    {
        ASSERT_EQ(out[2 * n], 123);
        ASSERT_EQ(out[2 * n + 1], -45);
        ASSERT_EQ(overlapLeft[n], 0);
        ASSERT_EQ(overlapRight[n], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(ScalarAndFast, RendererEdgeTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& tested) {
                             return tested.param ? "Fast" : "Scalar";
                         });

} // namespace
} // namespace yumo
