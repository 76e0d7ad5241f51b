// The crossfade window: its exact identities, which the overlap-add relies on.

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "audio/renderer.h"

namespace yumo
{
namespace
{

TEST(CrossfadeWindowTest, IsExactlySymmetricAndHasTheNamedValues)
{
    const double* w = CrossfadeWindow();
    for (int n = 0; n <= 1022; ++n)
    {
        ASSERT_EQ(w[n], w[1022 - n]) << "n = " << n;
    }
    EXPECT_EQ(w[1023], 0.0);
    EXPECT_FALSE(std::signbit(w[1023]));
    EXPECT_EQ(w[511], 1.0);
    EXPECT_EQ(w[255], 0.5);
    EXPECT_EQ(w[767], 0.5);
    EXPECT_GT(w[0], 0.0); // sin^2(pi / 1024), not 0
}

TEST(CrossfadeWindowTest, HalvesSumToOne)
{
    const double* w = CrossfadeWindow();
    for (int n = 0; n < 512; ++n)
    {
        ASSERT_NEAR(w[n] + w[n + 512], 1.0, 1e-15) << "n = " << n;
    }
}

TEST(CrossfadeWindowTest, FollowsSineSquaredToFifteenDecimals)
{
    const double* w = CrossfadeWindow();
    for (int n = 0; n < 1024; ++n)
    {
        double s = std::sin(std::numbers::pi * (n + 1) / 1024.0);
        // 15-decimal rounding (5e-16) plus the rounding of sin() in double.
        ASSERT_NEAR(w[n], s * s, 1e-15) << "n = " << n;
        // Each value is the double nearest a 15-decimal number (within 0.25 of the last digit,
        // while an unrounded sine would miss by up to 0.5).
        double scaled = w[n] * 1e15;
        ASSERT_NEAR(scaled, std::round(scaled), 0.25) << "n = " << n;
    }
}

TEST(CrossfadeWindowTest, RisesThroughTheFirstHalf)
{
    const double* w = CrossfadeWindow();
    for (int n = 1; n < 512; ++n)
    {
        ASSERT_GT(w[n], w[n - 1]) << "n = " << n;
    }
}

} // namespace
} // namespace yumo
