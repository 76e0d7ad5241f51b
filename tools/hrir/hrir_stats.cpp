#include "tools/hrir/hrir_stats.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/hrir/fourier.h"

namespace yumo
{
namespace
{

constexpr int kTransformSize = 1024; // 43 Hz bins at 44.1 kHz

struct Resonator
{
    double y1 = 0.0;
    double y2 = 0.0;
};

// A two-pole resonance at `frequency` Hz with `bandwidth` Hz, gain about 1 at its peak.
double Resonate(Resonator& state, double x, double frequency, double bandwidth)
{
    const double r = std::exp(-std::numbers::pi * bandwidth / kSampleRate);
    const double theta = 2.0 * std::numbers::pi * frequency / kSampleRate;
    const double y = (1.0 - r) * x + 2.0 * r * std::cos(theta) * state.y1 - r * r * state.y2;
    state.y2 = state.y1;
    state.y1 = y;
    return y;
}

double NormalisedPeak(const std::vector<double>& signal)
{
    double peak = 0.0;
    for (double v : signal)
    {
        peak = std::max(peak, std::fabs(v));
    }
    return peak;
}

} // namespace

double PeakMagnitudeResponse(const double* taps, int count)
{
    double peak = 0.0;
    for (double magnitude : MagnitudeSpectrum(taps, count, kTransformSize))
    {
        peak = std::max(peak, magnitude);
    }
    return peak;
}

std::vector<double> MakeSpeechLikeProbe()
{
    // Four vowels (formant frequencies and bandwidths in Hz) on a pitch gliding 100-220 Hz;
    // the same vowels driven into soft saturation, as a voice mastered loud sounds (dense,
    // square-shouldered waves overshoot most when filtered); then a hissing fricative at about
    // a third of the vowels' level.
    constexpr int kVowelSamples = 1024;
    constexpr int kVowels = 4;
    constexpr int kVoiced = kVowelSamples * kVowels;
    constexpr int kFricativeSamples = 2048;
    constexpr double kDrive = 4.0;
    static constexpr double kFormants[kVowels][3] = {
        {730, 1090, 2440}, {270, 2290, 3010}, {300, 870, 2240}, {530, 1840, 2480}};
    static constexpr double kBandwidths[3] = {80, 100, 120};

    std::vector<double> signal(2 * kVoiced + kFricativeSamples, 0.0);
    Resonator formants[3];
    double phase = 1.0;
    for (int t = 0; t < kVoiced; ++t)
    {
        const double pitch = 160.0 + 60.0 * std::sin(2.0 * std::numbers::pi * t / 4096.0);
        phase += pitch / kSampleRate;
        double x = 0.0;
        if (phase >= 1.0)
        {
            phase -= 1.0;
            x = 1.0; // one glottal pulse per period
        }
        const double* f = kFormants[t / kVowelSamples];
        for (int j = 0; j < 3; ++j)
        {
            x = Resonate(formants[j], x, f[j], kBandwidths[j]) * 4.0;
        }
        signal[t] = x;
    }
    const double voicedPeak = NormalisedPeak(signal);
    for (int t = 0; t < kVoiced; ++t)
    {
        signal[kVoiced + t] =
            voicedPeak * std::tanh(kDrive * signal[t] / voicedPeak) / std::tanh(kDrive);
    }

    uint32_t noise = 0x12345678u; // xorshift: a fixed, portable sequence
    Resonator hiss;
    double previous = 0.0;
    std::vector<double> fricative(kFricativeSamples);
    for (int t = 0; t < kFricativeSamples; ++t)
    {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        const double white = noise / 2147483648.0 - 1.0;
        const double bright = white - previous; // first difference: tilts the noise upward
        previous = white;
        fricative[t] = bright + Resonate(hiss, bright, 4500.0, 1500.0) * 2.0;
    }
    const double fricativePeak = NormalisedPeak(fricative);
    for (int t = 0; t < kFricativeSamples; ++t)
    {
        signal[2 * kVoiced + t] = fricative[t] * (0.35 * voicedPeak / fricativePeak);
    }
    const double peak = NormalisedPeak(signal);
    for (double& v : signal)
    {
        v /= peak;
    }
    return signal;
}

double ConvolutionPeak(const std::vector<double>& probe, const double* taps, int count)
{
    if (probe.empty() || count <= 0)
    {
        return 0.0;
    }
    std::vector<double> y(probe.size() + static_cast<size_t>(count) - 1, 0.0);
    for (int k = 0; k < count; ++k)
    {
        const double h = taps[k];
        double* out = y.data() + k;
        for (size_t n = 0; n < probe.size(); ++n)
        {
            out[n] += probe[n] * h;
        }
    }
    return NormalisedPeak(y);
}

double SpeechGain(const HrirSet& set, const std::vector<double>& probe, double azimuth,
                  double elevation, bool left)
{
    if (set.rowCount <= 0 || probe.empty())
    {
        return 0.0;
    }
    const HrirIndex index = FindHrirDirection(set, azimuth, elevation);
    const HrirDirection& direction = set.directions[index.row][index.column];
    const std::vector<double>& taps = left ? direction.left : direction.right;
    std::vector<double> y(probe.size() + taps.size(), 0.0);
    for (size_t k = 0; k < taps.size(); ++k)
    {
        const double h = taps[k] / kHrirUnityTap;
        for (size_t n = 0; n < probe.size(); ++n)
        {
            y[n + k] += probe[n] * h;
        }
    }
    double in = 0.0;
    double out = 0.0;
    for (double v : probe)
    {
        in += v * v;
    }
    for (double v : y)
    {
        out += v * v;
    }
    return in > 0.0 ? std::sqrt(out / in) : 0.0;
}

HrirSetStats MeasureHrirSet(const HrirSet& set, bool withSignals)
{
    HrirSetStats stats;
    const std::vector<double> probe = withSignals ? MakeSpeechLikeProbe() : std::vector<double>{};
    const int rows = std::min(set.rowCount, static_cast<int>(set.directionsPerRow.size()));
    for (int row = 0; row < rows; ++row)
    {
        for (int column = 0; column < set.directionsPerRow[row]; ++column)
        {
            const HrirDirection& direction = set.directions[row][column];
            for (bool left : {true, false})
            {
                const std::vector<double>& taps = left ? direction.left : direction.right;
                const int count = static_cast<int>(taps.size());
                double sum = 0.0;
                for (double tap : taps)
                {
                    stats.maxAbsTap = std::max(stats.maxAbsTap, std::fabs(tap));
                    sum += std::fabs(tap);
                }
                if (sum > stats.maxTapSum)
                {
                    stats.maxTapSum = sum;
                    stats.maxTapSumAt = {row, column};
                    stats.maxTapSumLeft = left;
                }
                if (!withSignals)
                {
                    continue;
                }
                const double magnitude = PeakMagnitudeResponse(taps.data(), count) / kHrirUnityTap;
                if (magnitude > stats.maxMagnitude)
                {
                    stats.maxMagnitude = magnitude;
                    stats.maxMagnitudeAt = {row, column};
                    stats.maxMagnitudeLeft = left;
                }
                const double peak = ConvolutionPeak(probe, taps.data(), count) / kHrirUnityTap;
                if (peak > stats.speechPeak)
                {
                    stats.speechPeak = peak;
                    stats.speechPeakAt = {row, column};
                    stats.speechPeakLeft = left;
                }
            }
        }
    }
    if (withSignals && rows > 0)
    {
        stats.frontSpeechGain = SpeechGain(set, probe, 0.0, 0.0, true);
        stats.sideSpeechGain = SpeechGain(set, probe, 90.0, 0.0, true);
    }
    return stats;
}

} // namespace yumo
