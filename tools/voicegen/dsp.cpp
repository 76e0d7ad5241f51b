#include "tools/voicegen/dsp.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace yumo::voicegen
{
namespace
{

constexpr double kSilenceDb = -1000.0;

struct Angle
{
    double cosw;
    double alpha;
};

Angle MakeAngle(double hz, double q)
{
    double w0 = 2.0 * std::numbers::pi * hz / kRate;
    return {std::cos(w0), std::sin(w0) / (2.0 * q)};
}

void SetCoefficients(Biquad& filter, double b0, double b1, double b2, double a0, double a1,
                     double a2)
{
    filter.b0 = b0 / a0;
    filter.b1 = b1 / a0;
    filter.b2 = b2 / a0;
    filter.a1 = a1 / a0;
    filter.a2 = a2 / a0;
}

double ToDb(double amplitude) { return amplitude > 0 ? 20.0 * std::log10(amplitude) : kSilenceDb; }

double FromDb(double db) { return std::pow(10.0, db / 20.0); }

double Rms(const std::vector<double>& samples)
{
    double sum = 0;
    for (double s : samples)
    {
        sum += s * s;
    }
    return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

double Peak(const std::vector<double>& samples)
{
    double peak = 0;
    for (double s : samples)
    {
        peak = std::max(peak, std::fabs(s));
    }
    return peak;
}

std::vector<double> ToUnit(const std::vector<int16_t>& samples)
{
    std::vector<double> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
    {
        out[i] = samples[i] / 32767.0;
    }
    return out;
}

} // namespace

Noise MakeNoise(uint64_t seed)
{
    // splitmix64 spreads small seeds over the whole state; xorshift needs a non-zero state.
    uint64_t z = seed + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return Noise{z == 0 ? 1 : z};
}

double DrawUnit(Noise& noise)
{
    uint64_t x = noise.state;
    x ^= x >> 12;
    x ^= x << 25;
    x ^= x >> 27;
    noise.state = x;
    uint64_t bits = (x * 0x2545F4914F6CDD1Dull) >> 11; // 53 bits
    return static_cast<double>(bits) * 0x1.0p-53;
}

double DrawUniform(Noise& noise) { return 2.0 * DrawUnit(noise) - 1.0; }

Biquad MakeLowPass(double hz, double q)
{
    Angle a = MakeAngle(hz, q);
    Biquad filter;
    SetCoefficients(filter, (1 - a.cosw) / 2, 1 - a.cosw, (1 - a.cosw) / 2, 1 + a.alpha,
                    -2 * a.cosw, 1 - a.alpha);
    return filter;
}

Biquad MakeHighPass(double hz, double q)
{
    Angle a = MakeAngle(hz, q);
    Biquad filter;
    SetCoefficients(filter, (1 + a.cosw) / 2, -(1 + a.cosw), (1 + a.cosw) / 2, 1 + a.alpha,
                    -2 * a.cosw, 1 - a.alpha);
    return filter;
}

Biquad MakeBandPass(double hz, double q)
{
    Biquad filter;
    RetuneBandPass(filter, hz, q);
    return filter;
}

void RetuneBandPass(Biquad& filter, double hz, double q)
{
    Angle a = MakeAngle(hz, q);
    SetCoefficients(filter, a.alpha, 0, -a.alpha, 1 + a.alpha, -2 * a.cosw, 1 - a.alpha);
}

double FilterSample(Biquad& f, double x)
{
    double y = f.b0 * x + f.b1 * f.x1 + f.b2 * f.x2 - f.a1 * f.y1 - f.a2 * f.y2;
    f.x2 = f.x1;
    f.x1 = x;
    f.y2 = f.y1;
    f.y1 = y;
    return y;
}

Vowel MixVowels(const Vowel& a, const Vowel& b, double t)
{
    auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return {mix(a.f1, b.f1), mix(a.f2, b.f2), mix(a.f3, b.f3),
            mix(a.g1, b.g1), mix(a.g2, b.g2), mix(a.g3, b.g3)};
}

// Bandwidths widen with frequency as in a real vocal tract: Q of about 6, 9 and 12.
FormantBank MakeFormantBank(const Vowel& vowel)
{
    FormantBank bank;
    TuneFormantBank(bank, vowel);
    return bank;
}

void TuneFormantBank(FormantBank& bank, const Vowel& vowel)
{
    RetuneBandPass(bank.bands[0], vowel.f1, 6.0);
    RetuneBandPass(bank.bands[1], vowel.f2, 9.0);
    RetuneBandPass(bank.bands[2], vowel.f3, 12.0);
    bank.gains = {vowel.g1, vowel.g2, vowel.g3};
}

double FilterFormants(FormantBank& bank, double x)
{
    double y = 0;
    for (size_t i = 0; i < bank.bands.size(); ++i)
    {
        y += bank.gains[i] * FilterSample(bank.bands[i], x);
    }
    return y;
}

double NextGlottalSample(Glottis& glottis, double hz)
{
    constexpr double kOpen = 0.6;    // fraction of the period the folds take to open
    constexpr double kClosing = 0.2; // and to close again; closed for the rest
    glottis.phase += hz / kRate;
    glottis.phase -= std::floor(glottis.phase);
    double p = glottis.phase;
    double pulse = 0;
    if (p < kOpen)
    {
        pulse = 0.5 * (1 - std::cos(std::numbers::pi * p / kOpen));
    }
    else if (p < kOpen + kClosing)
    {
        pulse = std::cos(0.5 * std::numbers::pi * (p - kOpen) / kClosing);
    }
    double slope = pulse - glottis.previous;
    glottis.previous = pulse;
    // The steepest closing slope is pi / (2 * kClosing) per period: scale it to about 1.
    double steepest = std::numbers::pi / (2 * kClosing) * hz / kRate;
    return slope / steepest;
}

double EnvelopeAt(const std::vector<EnvelopePoint>& points, double seconds)
{
    if (points.empty())
    {
        return 0;
    }
    if (seconds <= points.front().seconds)
    {
        return points.front().level;
    }
    for (size_t i = 1; i < points.size(); ++i)
    {
        const EnvelopePoint& a = points[i - 1];
        const EnvelopePoint& b = points[i];
        if (seconds < b.seconds)
        {
            double t = (seconds - a.seconds) / (b.seconds - a.seconds);
            double w = 0.5 - 0.5 * std::cos(std::numbers::pi * t);
            return a.level + (b.level - a.level) * w;
        }
    }
    return points.back().level;
}

size_t SamplesFor(double seconds) { return static_cast<size_t>(std::lround(seconds * kRate)); }

void ApplyEdgeFades(std::vector<double>& samples, double seconds)
{
    size_t n = std::min(SamplesFor(seconds), samples.size() / 2);
    for (size_t i = 0; i < n; ++i)
    {
        // Reaches exactly 0 at the outermost sample of each end.
        double w = 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(i) /
                                        static_cast<double>(n));
        samples[i] *= w;
        samples[samples.size() - 1 - i] *= w;
    }
}

void NormaliseLevel(std::vector<double>& samples, double targetRmsDbfs, double peakCeilingDbfs)
{
    double rms = Rms(samples);
    double peak = Peak(samples);
    if (rms <= 0 || peak <= 0)
    {
        return;
    }
    double gain = std::min(FromDb(targetRmsDbfs) / rms, FromDb(peakCeilingDbfs) / peak);
    for (double& s : samples)
    {
        s *= gain;
    }
}

std::vector<int16_t> QuantiseToPcm16(const std::vector<double>& samples)
{
    std::vector<int16_t> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
    {
        double v = std::clamp(std::round(samples[i] * 32767.0), -32768.0, 32767.0);
        out[i] = static_cast<int16_t>(v);
    }
    return out;
}

double RmsDbfs(const std::vector<double>& samples) { return ToDb(Rms(samples)); }
double PeakDbfs(const std::vector<double>& samples) { return ToDb(Peak(samples)); }
double RmsDbfs(const std::vector<int16_t>& samples) { return RmsDbfs(ToUnit(samples)); }
double PeakDbfs(const std::vector<int16_t>& samples) { return PeakDbfs(ToUnit(samples)); }

} // namespace yumo::voicegen
