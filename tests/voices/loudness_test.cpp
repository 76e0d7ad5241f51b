// Clips matched to the loudness target when added: quiet, loud and peaky ones alike, never
// above -1 dBFS, and what cannot be measured is left alone.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <numbers>

#include "audio/peak_limiter.h"
#include "voices/loudness.h"

namespace yumo
{
namespace
{

// A two-second voice-like clip: a tone under a slow swell with noise on top.
std::vector<int16_t> Clip(double amplitude, double hertz, double noise, int seconds = 2)
{
    std::vector<int16_t> samples(static_cast<size_t>(seconds) * 44100);
    uint32_t seed = 99;
    for (size_t i = 0; i < samples.size(); ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        const double t = static_cast<double>(i) / 44100;
        const double swell = 0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.7 * t);
        const double value = amplitude * swell * std::sin(2 * std::numbers::pi * hertz * t) +
                             noise * (static_cast<double>(seed >> 8) / (1 << 24) - 0.5);
        samples[i] = static_cast<int16_t>(std::lround(std::clamp(value, -32767.0, 32767.0)));
    }
    return samples;
}

int Peak(const std::vector<int16_t>& x)
{
    int peak = 0;
    for (int16_t s : x)
    {
        peak = std::max(peak, std::abs(int{s}));
    }
    return peak;
}

TEST(ClipLoudness, QuietLoudAndPeakyClipsAllReachTheTargetWithinOneLu)
{
    std::vector<int16_t> peaky = Clip(300, 200, 50);
    for (size_t i = 1000; i < peaky.size(); i += 9000)
    {
        peaky[i] = 30000; // clicks far above the rest: the gain lifts them into the limiter
    }
    for (std::vector<int16_t> clip :
         {Clip(150, 180, 40), Clip(25000, 440, 3000), Clip(4000, 90, 200), peaky})
    {
        const size_t length = clip.size();
        double before = 0;
        ASSERT_TRUE(MeasureLoudness(clip.data(), clip.size(), 1, before));
        ASSERT_TRUE(MatchClipLoudness(clip));
        ASSERT_EQ(clip.size(), length);
        double after = 0;
        ASSERT_TRUE(MeasureLoudness(clip.data(), clip.size(), 1, after));
        EXPECT_NEAR(after, kClipLoudnessTarget, 1.0) << "from " << before;
        EXPECT_LE(Peak(clip), static_cast<int>(LimiterCeiling()));
    }
}

TEST(ClipLoudness, WhatCannotBeMeasuredKeepsItsSamples)
{
    const std::vector<int16_t> shortClip(10000, 500); // under one 400 ms block
    const std::vector<int16_t> silence(44100, 0);
    for (const std::vector<int16_t>& original : {shortClip, silence})
    {
        std::vector<int16_t> clip = original;
        EXPECT_FALSE(MatchClipLoudness(clip));
        EXPECT_EQ(clip, original);
    }
}

} // namespace
} // namespace yumo
