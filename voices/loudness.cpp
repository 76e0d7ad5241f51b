#include "voices/loudness.h"

#include <algorithm>
#include <cmath>
#include <ebur128.h>
#include <memory>

#include "audio/peak_limiter.h"
#include "common/constants.h"

namespace yumo
{
namespace
{

struct MeterDeleter
{
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

// The limiter works in blocks of this many frames.
constexpr int kChunkFrames = 512;
constexpr int kMatchRounds = 6;
constexpr double kMatchToleranceLu = 0.2;

// The clip scaled by `gain` and limited, into `out`, as long as the clip.
void ScaleAndLimit(const std::vector<int16_t>& clip, double gain, std::vector<int16_t>& out)
{
    out.assign(clip.size(), 0);
    // The limiter is stereo: the clip runs on both sides, then through the limiter's delay.
    PeakLimiter limiter;
    ResetPeakLimiter(limiter);
    std::vector<float> frames(2 * kChunkFrames);
    const size_t total = clip.size() + kLimiterLookAheadFrames;
    for (size_t start = 0; start < total; start += kChunkFrames)
    {
        const size_t count = std::min<size_t>(kChunkFrames, total - start);
        for (size_t i = 0; i < count; ++i)
        {
            const size_t at = start + i;
            const float x = at < clip.size() ? static_cast<float>(clip[at] * gain) : 0.0f;
            frames[2 * i] = x;
            frames[2 * i + 1] = x;
        }
        LimitFrames(limiter, frames.data(), static_cast<int>(count));
        for (size_t i = 0; i < count; ++i)
        {
            const size_t at = start + i;
            if (at >= kLimiterLookAheadFrames)
            {
                out[at - kLimiterLookAheadFrames] =
                    static_cast<int16_t>(std::clamp(std::lround(frames[2 * i]), -32767l, 32767l));
            }
        }
    }
}

} // namespace

bool MeasureLoudness(const int16_t* samples, size_t frames, int channels, double& lufs)
{
    if (channels < 1 || channels > 2 || frames == 0)
    {
        return false;
    }
    std::unique_ptr<ebur128_state, MeterDeleter> meter(
        ebur128_init(static_cast<unsigned>(channels), kSampleRate, EBUR128_MODE_I));
    if (!meter || ebur128_add_frames_short(meter.get(), samples, frames) != EBUR128_SUCCESS)
    {
        return false;
    }
    double value = 0;
    if (ebur128_loudness_global(meter.get(), &value) != EBUR128_SUCCESS || !std::isfinite(value))
    {
        return false;
    }
    lufs = value;
    return true;
}

bool MatchClipLoudness(std::vector<int16_t>& clip, double target)
{
    double loudness = 0;
    if (!MeasureLoudness(clip.data(), clip.size(), 1, loudness))
    {
        return false;
    }
    // Limited peaks take loudness with them (a clip of sparse clicks most of all), so the gain
    // is raised by what is still missing, from the original samples each time.
    double gainDb = target - loudness;
    std::vector<int16_t> out;
    for (int round = 0; round < kMatchRounds; ++round)
    {
        ScaleAndLimit(clip, std::pow(10.0, gainDb / 20.0), out);
        double reached = 0;
        if (!MeasureLoudness(out.data(), out.size(), 1, reached) ||
            std::fabs(target - reached) < kMatchToleranceLu)
        {
            break;
        }
        gainDb += target - reached;
    }
    clip = std::move(out);
    return true;
}

} // namespace yumo
