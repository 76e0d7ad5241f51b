#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

#include "tools/voicegen/dsp.h"

namespace yumo::voicegen
{
namespace
{

// Steady-state gain of a filter for a sine: one second of signal, measured over the second half
// so that the start-up transient has died away.
double MeasureSineGain(Biquad filter, double hz)
{
    size_t n = static_cast<size_t>(kRate);
    double in = 0;
    double out = 0;
    for (size_t i = 0; i < n; ++i)
    {
        double x = std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / kRate);
        double y = FilterSample(filter, x);
        if (i >= n / 2)
        {
            in += x * x;
            out += y * y;
        }
    }
    return std::sqrt(out / in);
}

double MeasureBankGain(FormantBank bank, double hz)
{
    size_t n = static_cast<size_t>(kRate);
    double in = 0;
    double out = 0;
    for (size_t i = 0; i < n; ++i)
    {
        double x = std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / kRate);
        double y = FilterFormants(bank, x);
        if (i >= n / 2)
        {
            in += x * x;
            out += y * y;
        }
    }
    return std::sqrt(out / in);
}

TEST(Biquad, LowAndHighPassHaveTheirCornerAndSlopes)
{
    Biquad low = MakeLowPass(1000, std::numbers::sqrt2 / 2);
    EXPECT_NEAR(MeasureSineGain(low, 30), 1.0, 0.01);
    EXPECT_NEAR(MeasureSineGain(low, 1000), std::numbers::sqrt2 / 2, 0.01);
    // Second order: a decade above the corner is at most -40 dB.
    EXPECT_LT(MeasureSineGain(low, 10000), 0.01);

    Biquad high = MakeHighPass(1000, std::numbers::sqrt2 / 2);
    EXPECT_LT(MeasureSineGain(high, 100), 0.011);
    EXPECT_NEAR(MeasureSineGain(high, 1000), std::numbers::sqrt2 / 2, 0.01);
    EXPECT_NEAR(MeasureSineGain(high, 15000), 1.0, 0.01);
}

TEST(Biquad, BandPassPeaksAtUnityAndFollowsItsQ)
{
    const double q = 4;
    Biquad band = MakeBandPass(2000, q);
    EXPECT_NEAR(MeasureSineGain(band, 2000), 1.0, 0.005);
    // The analogue prototype: 1 / sqrt(1 + Q^2 (f/f0 - f0/f)^2); a tenth of the corner frequency
    // is far below Nyquist, so the digital filter must be close to it.
    for (double hz : {1000.0, 1500.0, 3000.0})
    {
        double r = hz / 2000 - 2000 / hz;
        double expected = 1 / std::sqrt(1 + q * q * r * r);
        EXPECT_NEAR(MeasureSineGain(band, hz), expected, 0.1 * expected) << hz;
    }
    // Retuning moves the peak without a fresh filter.
    RetuneBandPass(band, 500, q);
    EXPECT_NEAR(MeasureSineGain(band, 500), 1.0, 0.005);
    EXPECT_LT(MeasureSineGain(band, 2000), 0.2);
}

TEST(FormantBank, PassesItsFormantsAndDampsTheGapsAbove)
{
    FormantBank bank = MakeFormantBank({800, 1200, 2600, 1.0, 0.5, 0.25});
    // Each band has unity gain at its centre; the bank adds them with the vowel's gains, so at
    // F1 the other two bands add a little on top of 1.
    EXPECT_NEAR(MeasureSineGain(bank.bands[0], 800), 1.0, 0.005);
    EXPECT_NEAR(MeasureSineGain(bank.bands[2], 2600), 1.0, 0.005);
    EXPECT_NEAR(MeasureBankGain(bank, 800), 1.0, 0.15);
    EXPECT_NEAR(MeasureBankGain(bank, 2600), 0.25, 0.1);
    EXPECT_LT(MeasureBankGain(bank, 6000), 0.08);
    TuneFormantBank(bank, {300, 2300, 3000, 1.0, 0.5, 0.25});
    EXPECT_NEAR(MeasureBankGain(bank, 300), 1.0, 0.15);
    EXPECT_LT(MeasureBankGain(bank, 800), 0.3);
}

TEST(Noise, IsRepeatableUniformAndSeedDependent)
{
    Noise a = MakeNoise(7);
    Noise b = MakeNoise(7);
    Noise c = MakeNoise(8);
    double sum = 0;
    double sumSquares = 0;
    int differences = 0;
    const int n = 100000;
    for (int i = 0; i < n; ++i)
    {
        double x = DrawUniform(a);
        ASSERT_EQ(x, DrawUniform(b));
        differences += x != DrawUniform(c);
        ASSERT_GE(x, -1.0);
        ASSERT_LT(x, 1.0);
        sum += x;
        sumSquares += x * x;
    }
    EXPECT_GT(differences, n - 10);
    EXPECT_NEAR(sum / n, 0.0, 0.01);
    EXPECT_NEAR(sumSquares / n, 1.0 / 3.0, 0.01); // variance of U(-1, 1)
    Noise zero = MakeNoise(0);
    EXPECT_NE(DrawUnit(zero), DrawUnit(zero)); // seed 0 still gives a moving state
}

TEST(Envelope, EasesBetweenPointsAndHoldsOutside)
{
    std::vector<EnvelopePoint> points = {{0.5, 0.0}, {1.5, 1.0}, {2.0, 0.25}};
    EXPECT_EQ(EnvelopeAt(points, 0.0), 0.0);
    EXPECT_EQ(EnvelopeAt(points, 9.0), 0.25);
    EXPECT_NEAR(EnvelopeAt(points, 1.5), 1.0, 1e-12);
    EXPECT_NEAR(EnvelopeAt(points, 1.0), 0.5, 1e-12); // a raised cosine crosses halfway
    EXPECT_NEAR(EnvelopeAt(points, 1.75), 0.625, 1e-12);
    double previous = -1;
    for (double t = 0.5; t <= 1.5; t += 0.01)
    {
        double level = EnvelopeAt(points, t);
        EXPECT_GE(level, previous);
        previous = level;
    }
    EXPECT_EQ(EnvelopeAt({}, 1.0), 0.0);
}

TEST(Glottis, RepeatsAtItsPitchWithPeaksNearOne)
{
    for (double hz : {120.0, 250.0, 400.0})
    {
        Glottis glottis;
        std::vector<double> pulses(4410);
        double peak = 0;
        for (double& p : pulses)
        {
            p = NextGlottalSample(glottis, hz);
            peak = std::max(peak, std::fabs(p));
        }
        EXPECT_GT(peak, 0.8) << hz;
        EXPECT_LT(peak, 1.2) << hz;
        // The strongest repetition between 2 ms and 20 ms lies at one period.
        size_t bestLag = 0;
        double best = -1e300;
        for (size_t lag = 88; lag < 882; ++lag)
        {
            double sum = 0;
            for (size_t i = 0; i + lag < pulses.size(); ++i)
            {
                sum += pulses[i] * pulses[i + lag];
            }
            if (sum > best)
            {
                best = sum;
                bestLag = lag;
            }
        }
        EXPECT_NEAR(static_cast<double>(bestLag), kRate / hz, 1.5) << hz;
    }
}

TEST(Levels, FadesNormalisationAndQuantisation)
{
    std::vector<double> ones(1000, 0.5);
    ApplyEdgeFades(ones, 0.002); // 88 samples
    EXPECT_EQ(ones.front(), 0.0);
    EXPECT_EQ(ones.back(), 0.0);
    EXPECT_LT(ones[44], 0.5);
    EXPECT_EQ(ones[88], 0.5);
    EXPECT_EQ(ones[500], 0.5);
    std::vector<double> tiny(10, 1.0);
    ApplyEdgeFades(tiny, 1.0); // longer than the clip: each fade takes half
    EXPECT_EQ(tiny.front(), 0.0);
    EXPECT_EQ(tiny.back(), 0.0);

    std::vector<double> sine(44100);
    for (size_t i = 0; i < sine.size(); ++i)
    {
        sine[i] = 0.01 * std::sin(2 * std::numbers::pi * 441 * static_cast<double>(i) / kRate);
    }
    NormaliseLevel(sine, -20, -1);
    EXPECT_NEAR(RmsDbfs(sine), -20, 0.01);
    EXPECT_NEAR(PeakDbfs(sine), -20 + 20 * std::log10(std::numbers::sqrt2), 0.01);

    std::vector<double> click(1000, 0.0);
    click[500] = 0.1; // crest factor 30 dB: the ceiling must win over the RMS target
    NormaliseLevel(click, -20, -3);
    EXPECT_NEAR(PeakDbfs(click), -3, 0.01);
    EXPECT_LT(RmsDbfs(click), -20);

    std::vector<double> silence(100, 0.0);
    NormaliseLevel(silence, -20, -1);
    EXPECT_EQ(PeakDbfs(silence), -1000);

    std::vector<int16_t> pcm =
        QuantiseToPcm16({0.0, 1.0, -1.0, 2.0, -2.0, 0.5 / 32767, -0.4 / 32767});
    EXPECT_EQ(pcm, (std::vector<int16_t>{0, 32767, -32767, 32767, -32768, 1, 0}));
    EXPECT_NEAR(PeakDbfs(std::vector<int16_t>{0, -16384}), 20 * std::log10(16384 / 32767.0), 1e-9);
}

} // namespace
} // namespace yumo::voicegen
