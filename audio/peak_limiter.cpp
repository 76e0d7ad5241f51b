#include "audio/peak_limiter.h"

#include <algorithm>
#include <cmath>

namespace yumo
{
namespace
{

constexpr uint32_t kUnity = 1u << 24;
constexpr int kMinRing = kLimiterLookAheadFrames + 1;
// The gain recovers with an 80 ms time constant: quick enough not to duck what follows a
// peak for long, slow enough not to ripple with the waveform of a loud low tone.
constexpr double kReleaseSeconds = 0.080;
constexpr double kSampleRateHz = 44100.0;

uint32_t NeededGain(float left, float right, double ceiling)
{
    const double peak =
        std::max(std::fabs(static_cast<double>(left)), std::fabs(static_cast<double>(right)));
    if (peak <= ceiling)
    {
        return kUnity;
    }
    // Rounded down, so the quantised gain never lets a peak above the ceiling.
    return static_cast<uint32_t>(std::floor(ceiling / peak * kUnity));
}

// The smallest gain needed within the look-ahead window, kept by a rising queue.
uint32_t WindowMinimum(PeakLimiter& limiter, uint32_t gain)
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
    limiter.minFrame[static_cast<size_t>(slot)] = limiter.frame;
    limiter.minGain[static_cast<size_t>(slot)] = gain;
    ++limiter.minCount;
    if (limiter.minFrame[static_cast<size_t>(limiter.minHead)] <=
        limiter.frame - kLimiterLookAheadFrames - 1)
    {
        limiter.minHead = (limiter.minHead + 1) % kMinRing;
        --limiter.minCount;
    }
    return limiter.minGain[static_cast<size_t>(limiter.minHead)];
}

// At rest (every gain in the window and every held gain unity) a run of frames that needs no
// gain only passes through the delay: the same arithmetic as the full step, without the
// window's bookkeeping, which then holds the newest frame alone. Most of a night is quiet.
bool PassQuietFrames(PeakLimiter& limiter, float* samples, int frames, double ceiling,
                     double average)
{
    if (limiter.released != kUnity ||
        limiter.heldSum != uint64_t{kUnity} * kLimiterLookAheadFrames || limiter.minCount > 1 ||
        frames <= 0)
    {
        return false;
    }
    const auto limit = static_cast<float>(ceiling);
    for (int i = 0; i < 2 * frames; ++i)
    {
        if (!(std::fabs(samples[i]) <= limit))
        {
            return false;
        }
    }
    const double gain = static_cast<double>(limiter.heldSum) * average;
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
    limiter.frame += frames;
    limiter.minCount = 1;
    limiter.minFrame[static_cast<size_t>(limiter.minHead)] = limiter.frame - 1;
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
    limiter.minHead = 0;
    limiter.minCount = 0;
    limiter.held.fill(kUnity);
    limiter.heldSum = uint64_t{kUnity} * kLimiterLookAheadFrames;
    limiter.released = kUnity;
    limiter.position = 0;
    limiter.frame = 0;
}

void LimitFrames(PeakLimiter& limiter, float* samples, int frames)
{
    const double ceiling = LimiterCeiling();
    const double average = 1.0 / (static_cast<double>(kUnity) * kLimiterLookAheadFrames);
    if (PassQuietFrames(limiter, samples, frames, ceiling, average))
    {
        return;
    }
    const double release = 1.0 - std::exp(-1.0 / (kReleaseSeconds * kSampleRateHz));
    for (int n = 0; n < frames; ++n)
    {
        float& left = samples[2 * n];
        float& right = samples[2 * n + 1];
        const uint32_t minimum = WindowMinimum(limiter, NeededGain(left, right, ceiling));
        // Each held gain is at most the window minimum around it, so the average over the
        // look-ahead, applied to the frame leaving the delay, is at most what that frame needs.
        const uint32_t rise = std::max<uint32_t>(
            1, static_cast<uint32_t>(std::ceil((kUnity - limiter.released) * release)));
        limiter.released = std::min(minimum, std::min(kUnity, limiter.released + rise));
        const auto at = static_cast<size_t>(limiter.position);
        limiter.heldSum = limiter.heldSum - limiter.held[at] + limiter.released;
        limiter.held[at] = limiter.released;
        const double gain = static_cast<double>(limiter.heldSum) * average;

        const float outLeft = limiter.delay[2 * at];
        const float outRight = limiter.delay[2 * at + 1];
        limiter.delay[2 * at] = left;
        limiter.delay[2 * at + 1] = right;
        left = static_cast<float>(std::clamp(outLeft * gain, -ceiling, ceiling));
        right = static_cast<float>(std::clamp(outRight * gain, -ceiling, ceiling));
        limiter.position = (limiter.position + 1) % kLimiterLookAheadFrames;
        ++limiter.frame;
    }
}

} // namespace yumo
