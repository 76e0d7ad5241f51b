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

// The clip scaled by `gain` and limited, as long as the clip, handed to `take` a piece at a
// time (its start in the clip, its samples). Nothing but the pieces is held, and a piece is
// handed over only once the samples it covers have been read, so `take` may write them back
// into the clip.
template <typename Take>
void ScaleAndLimit(const std::vector<int16_t>& clip, double gain, Take take)
{
    // The limiter is stereo: the clip runs on both sides, then through the limiter's delay.
    PeakLimiter limiter;
    ResetPeakLimiter(limiter);
    std::vector<float> frames(2 * kChunkFrames);
    std::vector<int16_t> piece(kChunkFrames);
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
        size_t given = 0;
        size_t first = 0;
        for (size_t i = 0; i < count; ++i)
        {
            const size_t at = start + i;
            if (at >= kLimiterLookAheadFrames)
            {
                first = given == 0 ? at - kLimiterLookAheadFrames : first;
                piece[given++] =
                    static_cast<int16_t>(std::clamp(std::lround(frames[2 * i]), -32767l, 32767l));
            }
        }
        if (given > 0)
        {
            take(first, piece.data(), given);
        }
    }
}

// The loudness the clip would have scaled by `gain` and limited, measured as it is made.
bool MeasureScaledLoudness(const std::vector<int16_t>& clip, double gain, double& lufs)
{
    std::unique_ptr<ebur128_state, MeterDeleter> meter(
        ebur128_init(1, kSampleRate, EBUR128_MODE_I));
    bool fed = meter != nullptr;
    ScaleAndLimit(clip, gain, [&](size_t, const int16_t* samples, size_t count) {
        fed = fed && ebur128_add_frames_short(meter.get(), samples, count) == EBUR128_SUCCESS;
    });
    double value = 0;
    if (!fed || ebur128_loudness_global(meter.get(), &value) != EBUR128_SUCCESS ||
        !std::isfinite(value))
    {
        return false;
    }
    lufs = value;
    return true;
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
    // is raised by what is still missing, from the original samples each time. Each round only
    // measures; the clip is scaled once, in place, with the last round's gain.
    double gainDb = target - loudness;
    double applied = gainDb;
    for (int round = 0; round < kMatchRounds; ++round)
    {
        applied = gainDb;
        double reached = 0;
        if (!MeasureScaledLoudness(clip, std::pow(10.0, gainDb / 20.0), reached) ||
            std::fabs(target - reached) < kMatchToleranceLu)
        {
            break;
        }
        gainDb += target - reached;
    }
    ScaleAndLimit(clip, std::pow(10.0, applied / 20.0),
                  [&clip](size_t first, const int16_t* samples, size_t count) {
                      std::copy_n(samples, count, clip.begin() + static_cast<ptrdiff_t>(first));
                  });
    return true;
}

} // namespace yumo
