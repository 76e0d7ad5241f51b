#pragma once
// Playback counters of every clip slot, and the per-block and keyframe position tracks.

#include <array>
#include <cstdint>
#include <vector>

#include "common/constants.h"

namespace yumo
{

// Four parallel columns over the 150 clip slots (slot = kind * 10 + position), stored in the
// voice-data file as they stand.
struct VoiceTrackTable
{
    std::array<int32_t, kClipSlotCount> playPosition{};      // samples; the renderer's start
    std::array<int32_t, kClipSlotCount> outputByteCounter{}; // 2048 per rendered block
    std::array<int32_t, kClipSlotCount> lengthFrames{};      // samples in the clip
    std::array<int32_t, kClipSlotCount> lengthBytes{};       // lengthFrames * 2
};

constexpr int ClipSlot(int kind, int position) { return kind * kMaxClipsPerKind + position; }

// Four tracks of positions and values. In BlockTracks, value[0] of tracks 0-2 is the voice's
// source position: azimuth (degrees), elevation (degrees), distance (metres).
struct PositionTracks
{
    std::array<std::vector<int32_t>, 4> positions;
    std::array<std::vector<double>, 4> values;
    std::array<int32_t, 4> counts{};
    // Block tracks of long music hold their first entries only: the rest, up to the count, are
    // the music load's entries (2048 * i while below this many bytes, else zero), made when the
    // record is written. 0: every entry is held.
    int32_t patternBytes = 0;
};

using BlockTracks = PositionTracks;
using KeyframeTracks = PositionTracks;

constexpr int kTrackAzimuth = 0;
constexpr int kTrackElevation = 1;
constexpr int kTrackDistance = 2;
constexpr int kKeyframeCapacity = 10000;

// Where her voice comes from: azimuth in degrees (below 180 is the listener's left), elevation
// in degrees (negative below ear level), distance in metres.
struct SourcePosition
{
    double azimuth = 0.0;
    double elevation = 0.0;
    double distance = 0.0;
};

// Where the voice stands until the night moves it: beside the listener's left ear, a little
// below it, 0.3 m away.
constexpr SourcePosition kStandingPosition{90.0, -40.0, 0.3};

// The start-up state: single-element tracks holding the standing position.
BlockTracks MakeInitialBlockTracks();

// Whether the tracks hold a source position (element 0 of tracks 0-2): a set whose position
// tracks were loaded empty has none, and then nothing moves, renders or shows one.
inline bool HasSourcePosition(const BlockTracks& tracks)
{
    return !tracks.values[kTrackAzimuth].empty() && !tracks.values[kTrackElevation].empty() &&
           !tracks.values[kTrackDistance].empty();
}

// Block entries held in memory at most; music longer than 2 GiB / 16 keeps the rest as a
// pattern (PositionTracks::patternBytes).
constexpr int32_t kHeldBlockEntries = 65536;

// Entry `i` of track `t`, held or made from the pattern; false past the count or the arrays.
bool TrackEntry(const PositionTracks& tracks, int t, int32_t i, int32_t& position, double& value);

// Music-slot set-up: keyframes at 0 and lengthFrames, one block entry per 2048 bytes + 1.
// Moves the source position to azimuth 0, elevation 0, the standing distance.
void SetUpSlotTracks(int32_t lengthFrames, int32_t lengthBytes, KeyframeTracks& keyframes,
                     BlockTracks& blocks);

} // namespace yumo
