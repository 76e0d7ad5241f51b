#pragma once
// Integrated loudness (EBU R128, with libebur128) and the match of a new clip to one target, so
// that clips from different sources sound alike in level.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace yumo
{

constexpr double kClipLoudnessTarget = -23.0; // LUFS

// How an added clip's level is treated.
enum class ClipLevel : uint8_t
{
    Kept,    // the samples as imported
    Matched, // scaled to kClipLoudnessTarget, true peaks limited at -1 dBTP
};

// The integrated loudness in LUFS of `frames` interleaved 16-bit frames at 44.1 kHz; false
// when it cannot be measured (shorter than one 400 ms block, or silent below the gate).
bool MeasureLoudness(const int16_t* samples, size_t frames, int channels, double& lufs);

// Scales a mono clip to `target` LUFS; what the gain lifts above -1 dBTP is limited, not
// clipped, and the clip keeps its length. False, the clip unchanged, when its loudness cannot
// be measured.
bool MatchClipLoudness(std::vector<int16_t>& clip, double target = kClipLoudnessTarget);

} // namespace yumo
