// The limiter holds -1 dBTP on material far above full scale, measured on its output rounded
// to 16 bits by the test's own four-times interpolation (64 taps a phase, far longer than the
// limiter's), and limits no more than it must.

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

#include "audio/peak_limiter.h"
#include "common/rng.h"

namespace yumo::test
{
namespace
{

// The highest magnitude of interleaved stereo samples and of the Blackman-windowed sinc's
// points at a quarter, a half and three quarters between them, in dB against 32767.
double TruePeakDb(const std::vector<float>& x)
{
    constexpr int kHalf = 32;
    double peak = 0;
    for (int p = 1; p <= 3; ++p)
    {
        std::vector<double> taps(2 * kHalf);
        for (int i = 0; i < 2 * kHalf; ++i)
        {
            const double d = (i - (kHalf - 1)) - p / 4.0;
            taps[static_cast<size_t>(i)] = std::sin(std::numbers::pi * d) / (std::numbers::pi * d) *
                                           (0.42 + 0.5 * std::cos(std::numbers::pi * d / kHalf) +
                                            0.08 * std::cos(2 * std::numbers::pi * d / kHalf));
        }
        for (size_t n = 0; n + 2 * (2 * kHalf) < x.size(); ++n)
        {
            double value = 0; // channel n % 2
            for (size_t i = 0; i < taps.size(); ++i)
            {
                value += taps[i] * x[n + 2 * i];
            }
            peak = std::max({peak, std::fabs(value), std::fabs(double{x[n + 2 * (kHalf - 1)]})});
        }
    }
    return 20 * std::log10(peak / 32767.0);
}

TEST(TruePeakLimiter, HoldsMinusOneDbtpOnSquaresAndNoiseFarAboveFullScale)
{
    Rng rng;
    SeedRandom(rng, 42);
    const auto square = [](double hz, double phase) {
        return [=](int n, int side) {
            const bool high = std::fmod(n * hz / kSampleRate + phase, 1.0) < 0.5;
            return (high == (side == 0)) ? 32767.0 : -32767.0;
        };
    };
    const std::function<double(int, int)> materials[] = {
        square(997, 0.13),
        square(3001, 0),
        square(5512.5, 0.06),
        square(11025, 0.125),
        [&](int, int) { return (DrawRandom(rng) - 16384) * 2.0; }, // white noise
    };
    for (const auto& material : materials)
    {
        SCOPED_TRACE(&material - materials);
        std::vector<float> y(2 * 172 * kFramesPerBlock); // 2 s
        for (size_t i = 0; i < y.size(); ++i)
        {
            y[i] = static_cast<float>(material(static_cast<int>(i / 2), static_cast<int>(i % 2)) *
                                      std::pow(10.0, 30.0 / 20.0));
        }
        PeakLimiter limiter;
        ResetPeakLimiter(limiter);
        for (size_t at = 0; at < y.size(); at += 2 * kFramesPerBlock)
        {
            LimitFrames(limiter, y.data() + at, kFramesPerBlock);
        }
        for (float& s : y)
        {
            s = std::round(s);
        }
        // A sample-peak limiter lets these through above -1 dBTP; far below would duck them.
        const double dbtp = TruePeakDb(y);
        EXPECT_LE(dbtp, -1.0);
        EXPECT_GE(dbtp, -3.0);
    }
}

} // namespace
} // namespace yumo::test
