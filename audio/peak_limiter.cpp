#include "audio/peak_limiter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace yumo
{
namespace
{

constexpr uint32_t kUnity = 1u << 24;
constexpr int kMinRing = kLimiterRampFrames + 1;
constexpr int kPhases = kTruePeakOversampling - 1; // the frames themselves are the fourth
// The gain recovers with an 80 ms time constant: quick enough not to duck what follows a
// peak for long, slow enough not to ripple with the waveform of a loud low tone.
constexpr double kReleaseSeconds = 0.080;
constexpr double kAverage = 1.0 / (static_cast<double>(kUnity) * kLimiterRampFrames);
// A gain of exactly 1 at rest needs the sum of unity gains times the average to be 1.
static_assert(static_cast<double>(kUnity) * kLimiterRampFrames * kAverage == 1.0);
// The interpolator's Kaiser window; 6 keeps its ripple far below what a limiter can hear.
constexpr double kKaiserBeta = 6.0;
// Near the top of the band a short interpolator reads the peaks lower than a longer one does
// (on white noise far above full scale by 0.2 dB against 64 taps a phase, by 0.5 dB against a
// meter that reads 4.35 points a frame), so the gain aims this far below the ceiling.
constexpr double kDetectionMarginDb = 0.6;

double BesselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 30; ++k)
    {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
    }
    return sum;
}

struct Interpolator
{
    std::array<std::array<float, kTruePeakTaps>, kPhases> taps{};
    double aim = 0; // the peak the gain brings what it detects down to
    // No sample of a run at or below this, whatever its neighbours, interpolates above the
    // aim: the aim over the largest sum of a phase's absolute taps.
    double quietBound = 0;
};

// Windowed sinc per phase, each phase's taps summing to 1 so that a steady level is kept.
Interpolator MakeInterpolator()
{
    Interpolator interpolator;
    constexpr double kHalf = kTruePeakTaps / 2.0;
    double widest = 1.0;
    for (int p = 0; p < kPhases; ++p)
    {
        std::array<double, kTruePeakTaps> h{};
        double sum = 0;
        for (int i = 0; i < kTruePeakTaps; ++i)
        {
            const double d =
                (i - (kTruePeakLagFrames - 1)) - static_cast<double>(p + 1) / kTruePeakOversampling;
            const double r = d / kHalf;
            const double window = BesselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) /
                                  BesselI0(kKaiserBeta);
            h[static_cast<size_t>(i)] =
                std::sin(std::numbers::pi * d) / (std::numbers::pi * d) * window;
            sum += h[static_cast<size_t>(i)];
        }
        double absolute = 0;
        for (int i = 0; i < kTruePeakTaps; ++i)
        {
            const double tap = h[static_cast<size_t>(i)] / sum;
            interpolator.taps[static_cast<size_t>(p)][static_cast<size_t>(i)] =
                static_cast<float>(tap);
            absolute += std::fabs(tap);
        }
        widest = std::max(widest, absolute);
    }
    interpolator.aim = LimiterCeiling() * std::pow(10.0, -kDetectionMarginDb / 20.0);
    interpolator.quietBound = interpolator.aim / widest;
    return interpolator;
}

const Interpolator& TheInterpolator()
{
    static const Interpolator interpolator = MakeInterpolator();
    return interpolator;
}

uint32_t NeededGain(double peak, double ceiling)
{
    if (peak <= ceiling)
    {
        return kUnity;
    }
    // Rounded down, so the quantised gain never lets a peak above the ceiling.
    return static_cast<uint32_t>(std::floor(ceiling / peak * kUnity));
}

void PushRecent(PeakLimiter& limiter, float left, float right)
{
    const auto at = static_cast<size_t>(2 * limiter.recentAt);
    limiter.recent[at] = left;
    limiter.recent[at + 1] = right;
    limiter.recent[at + 2 * kTruePeakTaps] = left;
    limiter.recent[at + 2 * kTruePeakTaps + 1] = right;
    limiter.recentAt = limiter.recentAt + 1 == kTruePeakTaps ? 0 : limiter.recentAt + 1;
}

// The oldest of the newest kTruePeakTaps frames, the others after it in one piece.
const float* RecentWindow(const PeakLimiter& limiter)
{
    return limiter.recent.data() + 2 * limiter.recentAt;
}

// The highest value, samples and interpolated points, around the frame now detected (the
// one kTruePeakLagFrames before the newest).
double DetectedPeak(PeakLimiter& limiter, const Interpolator& interpolator)
{
    const float* window = RecentWindow(limiter);
    // Every phase of both channels in one pass, whose sums are independent of one another.
    std::array<float, 2 * kPhases> sums{};
    for (int i = 0; i < kTruePeakTaps; ++i)
    {
        const float left = window[2 * i];
        const float right = window[2 * i + 1];
        for (int p = 0; p < kPhases; ++p)
        {
            const float tap = interpolator.taps[static_cast<size_t>(p)][static_cast<size_t>(i)];
            sums[static_cast<size_t>(2 * p)] += tap * left;
            sums[static_cast<size_t>(2 * p + 1)] += tap * right;
        }
    }
    float between = 0;
    for (float sum : sums)
    {
        between = std::max(between, std::fabs(sum));
    }
    const float* detected = window + 2 * (kTruePeakLagFrames - 1);
    const float sample = std::max(std::fabs(detected[0]), std::fabs(detected[1]));
    const float peak = std::max({sample, between, limiter.lastBetween});
    limiter.lastBetween = between;
    return static_cast<double>(peak);
}

// The smallest gain needed by the detected frames within reach, kept by a rising queue.
uint32_t WindowMinimum(PeakLimiter& limiter, int64_t detected, uint32_t gain)
{
    while (limiter.minCount > 0)
    {
        const int back = (limiter.minHead + limiter.minCount - 1) % kMinRing;
        if (limiter.minGain[static_cast<size_t>(back)] < gain)
        {
            break;
        }
        --limiter.minCount;
    }
    const int slot = (limiter.minHead + limiter.minCount) % kMinRing;
    limiter.minFrame[static_cast<size_t>(slot)] = detected;
    limiter.minGain[static_cast<size_t>(slot)] = gain;
    ++limiter.minCount;
    if (limiter.minFrame[static_cast<size_t>(limiter.minHead)] <= detected - kLimiterRampFrames - 1)
    {
        limiter.minHead = (limiter.minHead + 1) % kMinRing;
        --limiter.minCount;
    }
    return limiter.minGain[static_cast<size_t>(limiter.minHead)];
}

bool AtRest(const PeakLimiter& limiter)
{
    return limiter.released == kUnity && limiter.heldSum == uint64_t{kUnity} * kLimiterRampFrames &&
           limiter.minCount <= 1;
}

bool StaysQuiet(const float* samples, int count, float bound)
{
    for (int i = 0; i < count; ++i)
    {
        if (!(std::fabs(samples[i]) <= bound))
        {
            return false;
        }
    }
    return true;
}

// At rest (every gain in the window and every held gain unity) a run of frames that cannot
// need a gain, its newest neighbours included, only passes through the delay: the same
// arithmetic as the full step, without the interpolation and the window's bookkeeping, which
// then holds the newest detected frame alone. Most of a night is quiet.
bool PassQuietFrames(PeakLimiter& limiter, float* samples, int frames, double ceiling,
                     const Interpolator& interpolator)
{
    const auto bound = static_cast<float>(interpolator.quietBound);
    if (frames <= 0 || !AtRest(limiter) ||
        !StaysQuiet(RecentWindow(limiter), 2 * kTruePeakTaps, bound) ||
        !StaysQuiet(samples, 2 * frames, bound))
    {
        return false;
    }
    for (int n = std::max(0, frames - kTruePeakTaps); n < frames; ++n)
    {
        PushRecent(limiter, samples[2 * n], samples[2 * n + 1]);
    }
    limiter.lastBetween = 0; // below the ceiling, so it cannot decide a later gain
    const double gain = static_cast<double>(limiter.heldSum) * kAverage;
    int at = limiter.position;
    for (int n = 0; n < frames; ++n)
    {
        float& left = samples[2 * n];
        float& right = samples[2 * n + 1];
        const float outLeft = limiter.delay[static_cast<size_t>(2 * at)];
        const float outRight = limiter.delay[static_cast<size_t>(2 * at + 1)];
        limiter.delay[static_cast<size_t>(2 * at)] = left;
        limiter.delay[static_cast<size_t>(2 * at + 1)] = right;
        left = static_cast<float>(std::clamp(outLeft * gain, -ceiling, ceiling));
        right = static_cast<float>(std::clamp(outRight * gain, -ceiling, ceiling));
        at = at + 1 == kLimiterLookAheadFrames ? 0 : at + 1;
    }
    limiter.position = at;
    limiter.heldAt = static_cast<int>((limiter.heldAt + frames) % kLimiterRampFrames);
    limiter.frame += frames;
    limiter.minCount = 1;
    limiter.minFrame[static_cast<size_t>(limiter.minHead)] = limiter.frame - 1 - kTruePeakLagFrames;
    limiter.minGain[static_cast<size_t>(limiter.minHead)] = kUnity;
    return true;
}

} // namespace

double LimiterCeiling()
{
    // A whole number, so that rounding to 16 bits never lands above it.
    return std::floor(32767.0 * std::pow(10.0, kLimiterCeilingDb / 20.0));
}

void ResetPeakLimiter(PeakLimiter& limiter)
{
    limiter.delay.fill(0.0f);
    limiter.recent.fill(0.0f);
    limiter.recentAt = 0;
    limiter.lastBetween = 0;
    limiter.minHead = 0;
    limiter.minCount = 0;
    limiter.held.fill(kUnity);
    limiter.heldSum = uint64_t{kUnity} * kLimiterRampFrames;
    limiter.released = kUnity;
    limiter.position = 0;
    limiter.heldAt = 0;
    limiter.frame = 0;
}

void LimitFrames(PeakLimiter& limiter, float* samples, int frames)
{
    const double ceiling = LimiterCeiling();
    const Interpolator& interpolator = TheInterpolator();
    if (PassQuietFrames(limiter, samples, frames, ceiling, interpolator))
    {
        return;
    }
    const double release = 1.0 - std::exp(-1.0 / (kReleaseSeconds * kSampleRate));
    for (int n = 0; n < frames; ++n)
    {
        float& left = samples[2 * n];
        float& right = samples[2 * n + 1];
        PushRecent(limiter, left, right);
        const uint32_t need = NeededGain(DetectedPeak(limiter, interpolator), interpolator.aim);
        const uint32_t minimum = WindowMinimum(limiter, limiter.frame - kTruePeakLagFrames, need);
        // Each held gain is at most the window minimum around it, so the average over the
        // ramp, applied to the frame leaving the delay, is at most what that frame needs: the
        // frame was detected kTruePeakLagFrames after it came in, a ramp before it leaves.
        const uint32_t rise = std::max<uint32_t>(
            1, static_cast<uint32_t>(std::ceil((kUnity - limiter.released) * release)));
        limiter.released = std::min(minimum, std::min(kUnity, limiter.released + rise));
        const auto held = static_cast<size_t>(limiter.heldAt);
        limiter.heldSum = limiter.heldSum - limiter.held[held] + limiter.released;
        limiter.held[held] = limiter.released;
        const double gain = static_cast<double>(limiter.heldSum) * kAverage;

        const auto at = static_cast<size_t>(limiter.position);
        const float outLeft = limiter.delay[2 * at];
        const float outRight = limiter.delay[2 * at + 1];
        limiter.delay[2 * at] = left;
        limiter.delay[2 * at + 1] = right;
        left = static_cast<float>(std::clamp(outLeft * gain, -ceiling, ceiling));
        right = static_cast<float>(std::clamp(outRight * gain, -ceiling, ceiling));
        limiter.position = (limiter.position + 1) % kLimiterLookAheadFrames;
        limiter.heldAt = (limiter.heldAt + 1) % kLimiterRampFrames;
        ++limiter.frame;
    }
}

} // namespace yumo
