#include "audio/voice_tracks.h"

#include <algorithm>

namespace yumo
{

BlockTracks MakeInitialBlockTracks()
{
    BlockTracks tracks;
    const double initial[4] = {kStandingPosition.azimuth, kStandingPosition.elevation,
                               kStandingPosition.distance, 100.0};
    for (int t = 0; t < 4; ++t)
    {
        tracks.positions[t].assign(1, 0);
        tracks.values[t].assign(1, initial[t]);
        tracks.counts[t] = 1;
    }
    return tracks;
}

namespace
{

constexpr double kBlockValues[4] = {0.0, 0.0, kStandingPosition.distance, 100.0};

} // namespace

bool TrackEntry(const PositionTracks& tracks, int t, int32_t i, int32_t& position, double& value)
{
    const size_t held = std::min(tracks.positions[t].size(), tracks.values[t].size());
    if (i < 0 || i >= tracks.counts[t] ||
        (tracks.patternBytes <= 0 && static_cast<size_t>(i) >= held))
    {
        return false;
    }
    if (static_cast<size_t>(i) < held)
    {
        position = tracks.positions[t][static_cast<size_t>(i)];
        value = tracks.values[t][static_cast<size_t>(i)];
        return true;
    }
    const int64_t bytes = int64_t{i} * kBytesPerBlock;
    const bool inside = bytes < tracks.patternBytes;
    position = inside ? static_cast<int32_t>(bytes) : 0;
    value = inside ? kBlockValues[t] : 0.0;
    return true;
}

void SetUpSlotTracks(int32_t lengthFrames, int32_t lengthBytes, KeyframeTracks& keyframes,
                     BlockTracks& blocks)
{
    // A negative length (never produced by an import) is taken as empty music rather than
    // turned into an absurd array size.
    lengthBytes = lengthBytes < 0 ? 0 : lengthBytes;
    const int32_t blockCount = lengthBytes / kBytesPerBlock + 1;
    const double keyValues[4] = {5000.0, 5000.0, 9000.0, 270.0};
    blocks.patternBytes = blockCount > kHeldBlockEntries ? lengthBytes : 0;
    for (int t = 0; t < 4; ++t)
    {
        // Assigning fresh vectors releases the arrays of the previous music.
        keyframes.positions[t].assign(kKeyframeCapacity, 0);
        keyframes.values[t].assign(kKeyframeCapacity, 0.0);
        keyframes.positions[t][1] = lengthFrames;
        keyframes.values[t][0] = keyValues[t];
        keyframes.values[t][1] = keyValues[t];
        keyframes.counts[t] = 2;

        const int32_t held = std::min(blockCount, kHeldBlockEntries);
        blocks.positions[t].assign(static_cast<size_t>(held), 0);
        blocks.values[t].assign(static_cast<size_t>(held), 0.0);
        blocks.counts[t] = blockCount;
        // Entries while 2048 * i is below the length; a whole-block length leaves the last zero.
        for (int64_t i = 0; i < held && i * kBytesPerBlock < lengthBytes; ++i)
        {
            blocks.positions[t][static_cast<size_t>(i)] = static_cast<int32_t>(i * kBytesPerBlock);
            blocks.values[t][static_cast<size_t>(i)] = kBlockValues[t];
        }
    }
}

} // namespace yumo
