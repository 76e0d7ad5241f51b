#pragma once
// Small data for the stream and night tests: a response set whose every direction passes the
// source through at known levels, and clips appended to a voice set the way the editor does.

#include <cstdint>
#include <vector>

#include "audio/hrir_set.h"
#include "voices/voice_set.h"

namespace yumo::test
{

// One row at elevation 0 (azimuths 0, 90, 180, 270) and the zenith. Every direction's left
// response is a lone unity tap and its right response the same at `rightScale`, so the output
// is the source on the left and a scaled copy on the right, up to the renderer's truncations.
inline HrirSet MakePassThroughHrirSet(double rightScale = 0.5)
{
    HrirSet set;
    set.rowCount = 2;
    set.directionsPerRow = {4, 1};
    const int azimuths[4] = {0, 90, 180, 270};
    for (int row = 0; row < 2; ++row)
    {
        for (int column = 0; column < set.directionsPerRow[static_cast<size_t>(row)]; ++column)
        {
            HrirDirection& d =
                set.directions[static_cast<size_t>(row)][static_cast<size_t>(column)];
            d.azimuth = row == 0 ? azimuths[column] : 0;
            d.elevation = row == 0 ? 0 : 90;
            d.tapCount = kHrirTapCount;
            d.left.assign(kHrirTapCount, 0.0);
            d.right.assign(kHrirTapCount, 0.0);
            d.left[0] = kHrirUnityTap;
            d.right[0] = kHrirUnityTap * rightScale;
        }
    }
    return set;
}

// Appends a clip of `samples` (the caller pads to whole blocks when it wants editor clips).
inline void AppendTestClip(VoiceSet& set, int kind, const std::vector<int16_t>& samples)
{
    const int slot = ClipSlot(kind, set.clipCounts[kind]);
    const auto count = static_cast<int32_t>(samples.size());
    set.catalog.sampleCount[slot] = count;
    set.catalog.byteSize[slot] = count * 2;
    set.tracks.lengthFrames[slot] = count;
    set.tracks.lengthBytes[slot] = count * 2;
    set.tracks.playPosition[slot] = 0;
    set.tracks.outputByteCounter[slot] = 0;
    set.samples[slot] = samples;
    ++set.clipCounts[kind];
}

// A tone-like clip of whole blocks: a triangle wave of the given amplitude.
inline std::vector<int16_t> MakeTriangleClip(int blocks, int amplitude, int period = 200)
{
    std::vector<int16_t> samples(static_cast<size_t>(blocks) * 512);
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const int phase = static_cast<int>(i % static_cast<size_t>(period));
        const int half = period / 2;
        const int ramp = phase < half ? phase : period - phase; // 0..half..0
        samples[i] = static_cast<int16_t>((2 * ramp - half) * amplitude / half);
    }
    return samples;
}

} // namespace yumo::test
