// The limiter holds the true peak, the signal between its samples, at -1 dBTP on material far
// above full scale, measured on the output rounded to 16 bits and interpolated four times over
// by a long filter of the test's own; and it limits no more than it must.

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

#include "audio/peak_limiter.h"
#include "common/rng.h"

namespace yumo::test
{
namespace
{

// The highest magnitude of interleaved stereo 16-bit-valued samples at four times their rate:
// a Blackman-windowed sinc of 64 taps per phase, far longer than the limiter's own.
double TruePeak(const std::vector<float>& samples)
{
    constexpr int kHalf = 32;
    std::vector<std::vector<double>> phases(3, std::vector<double>(2 * kHalf));
    for (int p = 1; p <= 3; ++p)
    {
        for (int i = 0; i < 2 * kHalf; ++i)
        {
            const double d = (i - (kHalf - 1)) - p / 4.0;
            const double w = 0.42 + 0.5 * std::cos(std::numbers::pi * d / kHalf) +
                             0.08 * std::cos(2 * std::numbers::pi * d / kHalf);
            phases[static_cast<size_t>(p - 1)][static_cast<size_t>(i)] =
                std::sin(std::numbers::pi * d) / (std::numbers::pi * d) * w;
        }
    }
    const size_t frames = samples.size() / 2;
    double peak = 0;
    for (size_t channel = 0; channel < 2; ++channel)
    {
        for (size_t n = 0; n + 2 * kHalf < frames; ++n)
        {
            peak = std::max(peak, std::fabs(double{samples[2 * (n + kHalf - 1) + channel]}));
            for (const std::vector<double>& taps : phases)
            {
                double value = 0;
                for (size_t i = 0; i < taps.size(); ++i)
                {
                    value += taps[i] * samples[2 * (n + i) + channel];
                }
                peak = std::max(peak, std::fabs(value));
            }
        }
    }
    return peak;
}

double Dbtp(double peak) { return 20 * std::log10(peak / 32767.0); }

struct Material
{
    std::string name;
    std::vector<float> samples; // interleaved stereo, at full scale before the gain
};

std::vector<float> Square(double hz, double phase, int frames)
{
    std::vector<float> x(2 * static_cast<size_t>(frames));
    for (int n = 0; n < frames; ++n)
    {
        const double cycle = std::fmod(n * hz / kSampleRate + phase, 1.0);
        x[2 * static_cast<size_t>(n)] = cycle < 0.5 ? 32767.0f : -32767.0f;
        x[2 * static_cast<size_t>(n) + 1] = cycle < 0.5 ? -32767.0f : 32767.0f;
    }
    return x;
}

std::vector<float> WhiteNoise(int frames, uint32_t seed)
{
    Rng rng;
    SeedRandom(rng, seed);
    std::vector<float> x(2 * static_cast<size_t>(frames));
    for (float& s : x)
    {
        s = static_cast<float>((DrawRandom(rng) - 16384) * 2);
    }
    return x;
}

// Through the limiter in blocks at +30 dB, rounded to 16 bits as the mix is.
std::vector<float> LimitAt30Db(const std::vector<float>& source)
{
    const auto gain = static_cast<float>(std::pow(10.0, 30.0 / 20.0));
    std::vector<float> y(source.size());
    for (size_t i = 0; i < y.size(); ++i)
    {
        y[i] = source[i] * gain;
    }
    PeakLimiter limiter;
    ResetPeakLimiter(limiter);
    const int frames = static_cast<int>(y.size() / 2);
    for (int at = 0; at < frames; at += kFramesPerBlock)
    {
        LimitFrames(limiter, y.data() + 2 * at, std::min(kFramesPerBlock, frames - at));
    }
    for (float& s : y)
    {
        s = std::round(s);
    }
    return y;
}

TEST(TruePeakLimiter, HoldsMinusOneDbtpOnSquaresAndNoiseFarAboveFullScale)
{
    constexpr int kFrames = 2 * kSampleRate;
    const std::vector<Material> materials = {
        {"square 997 Hz", Square(997, 0.13, kFrames)},
        {"square 3001 Hz", Square(3001, 0.0, kFrames)},
        {"square 5512.5 Hz, edges between samples", Square(5512.5, 0.06, kFrames)},
        {"square 11025 Hz", Square(11025, 0.125, kFrames)},
        {"white noise", WhiteNoise(kFrames, 42)},
        {"other white noise", WhiteNoise(kFrames, 4242)},
    };
    for (const Material& material : materials)
    {
        SCOPED_TRACE(material.name);
        const double limited = Dbtp(TruePeak(LimitAt30Db(material.samples)));
        EXPECT_LE(limited, -1.0);
        // A sample-peak limiter lets these through above -1 dBTP; one that limits far more
        // than it must would duck the sound.
        EXPECT_GE(limited, -3.0);
    }
}

} // namespace
} // namespace yumo::test
