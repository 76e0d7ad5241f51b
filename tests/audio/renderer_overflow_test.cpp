// Loud input: convolution values beyond 32 bits and quotients beyond 16 bits saturate instead
// of wrapping round to a full-scale sample of the other sign.

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "audio/render_steps.h"
#include "audio/renderer.h"
#include "audio/renderer_test_support.h"

namespace yumo
{
namespace
{

using test::MakeOneDirectionSet;
using test::OneTap;
using test::RenderPosition;
using test::RenderStream;

constexpr double kUnityTap = 65538 * 1.25;

TEST(RescaleConvolutionValueTest, DividesTowardZeroAndSaturates)
{
    using render::RescaleConvolutionValue;
    EXPECT_EQ(RescaleConvolutionValue(0.0), 0);
    EXPECT_EQ(RescaleConvolutionValue(-0.0), 0);
    EXPECT_EQ(RescaleConvolutionValue(65537.99), 0);
    EXPECT_EQ(RescaleConvolutionValue(65538.0), 1);
    EXPECT_EQ(RescaleConvolutionValue(-65537.99), 0);
    EXPECT_EQ(RescaleConvolutionValue(-65538.0), -1);
    EXPECT_EQ(RescaleConvolutionValue(32767.0 * 65538 + 65537.5), 32767);
    EXPECT_EQ(RescaleConvolutionValue(-32767.0 * 65538 - 65537.5), -32767);
    EXPECT_EQ(RescaleConvolutionValue(-32768.0 * 65538), -32768);
    // Beyond 32 bits: 2^31 + 10 would convert to -2^31 in 32 bits.
    EXPECT_EQ(RescaleConvolutionValue(2147483658.0), 32767);
    EXPECT_EQ(RescaleConvolutionValue(-2147483658.0), -32767);
    // Quotients beyond 16 bits saturate rather than keep their low 16 bits.
    EXPECT_EQ(RescaleConvolutionValue(40000.0 * 65538), 32767);
    EXPECT_EQ(RescaleConvolutionValue(-40000.0 * 65538), -32768);
    EXPECT_EQ(RescaleConvolutionValue(65536.0 * 65538), 32767); // low 16 bits: 0
    EXPECT_EQ(RescaleConvolutionValue(1e300), 32767);
    EXPECT_EQ(RescaleConvolutionValue(-std::numeric_limits<double>::infinity()), -32768);
    EXPECT_EQ(RescaleConvolutionValue(std::numeric_limits<double>::quiet_NaN()), 0);
}

class LoudInputTest : public ::testing::TestWithParam<bool>
{
protected:
    test::RenderFunction Render() const
    {
        if (GetParam())
        {
            return RenderBinauralBlock;
        }
        return RenderBinauralBlockScalar;
    }
};

// A half-block value near the top of the range: 32767 through a unity tap reaches
// 32767 * 81922.5 = 2.68e9 at the window's peak, beyond 32 bits from w > 0.8 on.
TEST_P(LoudInputTest, LoudHalfKeepsItsSign)
{
    const HrirSet set = MakeOneDirectionSet(OneTap(kUnityTap), OneTap(kUnityTap));
    for (int16_t level : {int16_t{32767}, int16_t{-32768}})
    {
        const std::vector<int16_t> clip(1024, level);
        std::vector<int16_t> overlapLeft(512, 0), overlapRight(512, 0), out(1024);
        Render()(set, clip.data(), clip.size(), 0, 0, 0, 0.3, 0.3, overlapLeft.data(),
                 overlapRight.data(), out.data());
        const double* w = CrossfadeWindow();
        for (int n = 0; n < 512; ++n)
        {
            ASSERT_GE(out[2 * n] * level, 0) << "frame " << n << " level " << level;
            if (std::abs(level * w[n] * kUnityTap) >= 2147483648.0)
            {
                ASSERT_EQ(out[2 * n], level > 0 ? 26213 : -26214) << n;
            }
            ASSERT_GE(overlapLeft[n] * level, 0) << "carry " << n;
        }
        EXPECT_EQ(overlapLeft[0], level > 0 ? 26213 : -26214); // w[512] is near 1
    }
}

// Far beyond full scale (a response twice the unity tap, a full-scale source): every half
// saturates and the output stays at the limit instead of bursting into noise.
TEST_P(LoudInputTest, OverloadSaturatesInsteadOfWrapping)
{
    const HrirSet set = MakeOneDirectionSet(OneTap(2 * kUnityTap), OneTap(-2 * kUnityTap));
    std::vector<int16_t> clip(8 * 512);
    for (size_t n = 0; n < clip.size(); ++n)
    {
        // A slow ramp up to full scale, so every quotient from 0 to 2 x 32767 occurs.
        clip[n] = static_cast<int16_t>(std::min<size_t>(32767, n * 16));
    }
    const std::vector<int16_t> out =
        RenderStream(Render(), set, clip, std::vector<RenderPosition>(8));
    for (size_t n = 512; n < clip.size(); ++n)
    {
        // Each half is 2 s w before it saturates at 26213, so the pair lies between
        // min(2 s, 26213) and min(2 s, 32767), up to the truncations.
        int level = 2 * clip[n];
        int left = out[2 * n];
        int right = out[2 * n + 1];
        ASSERT_GE(left, std::min(level, 26213) - 4) << "frame " << n;
        ASSERT_LE(left, std::min(level, 32767)) << "frame " << n;
        ASSERT_LE(right, -(std::min(level, 26213) - 4)) << "frame " << n;
        ASSERT_GE(right, -std::min(level + 1, 32768)) << "frame " << n;
    }
    // Mid-block at full scale both halves saturate and so does their sum.
    const size_t middle = 7 * 512 + 255;
    EXPECT_EQ(out[2 * middle], 32767);
    EXPECT_EQ(out[2 * middle + 1], -32768);
}

TEST_P(LoudInputTest, NonFiniteResponsesStayDefined)
{
    std::vector<double> left(128, 0.0), right(128, 0.0);
    left[3] = std::numeric_limits<double>::infinity();
    right[5] = std::numeric_limits<double>::quiet_NaN();
    const HrirSet set = MakeOneDirectionSet(left, right);
    const std::vector<int16_t> clip = test::MakeRandomClip(4, 1024, 5000.0);
    std::vector<int16_t> overlapLeft(512, 0), overlapRight(512, 0), out(1024);
    Render()(set, clip.data(), clip.size(), 0, 0, 0, 0.3, 0.3, overlapLeft.data(),
             overlapRight.data(), out.data());
    for (int n = 10; n < 512; ++n)
    {
        double x = clip[n - 3] * CrossfadeWindow()[n - 3];
        int16_t expected = x > 0 ? 26213 : (x < 0 ? -26214 : 0);
        ASSERT_EQ(out[2 * n], expected) << n;
        ASSERT_EQ(out[2 * n + 1], 0) << n; // NaN reads as silence
    }
}

INSTANTIATE_TEST_SUITE_P(ScalarAndFast, LoudInputTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& tested) {
                             return tested.param ? "Fast" : "Scalar";
                         });

} // namespace
} // namespace yumo
