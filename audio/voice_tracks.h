#pragma once
// Playback counters of every clip slot, and the per-block and keyframe position tracks.

#include <array>
#include <cstdint>
#include <vector>

#include "common/constants.h"

namespace yumo
{

// Six parallel columns over the 150 clip slots (slot = kind * 10 + position), stored in the
// voice-data file as they stand.
struct VoiceTrackTable
{
    std::array<int32_t, kClipSlotCount> spare1{};
    std::array<int32_t, kClipSlotCount> spare2{};
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
};

using BlockTracks = PositionTracks;
using KeyframeTracks = PositionTracks;

constexpr int kTrackAzimuth = 0;
constexpr int kTrackElevation = 1;
constexpr int kTrackDistance = 2;
constexpr int kKeyframeCapacity = 10000;

// The start-up state: single-element tracks holding azimuth 90, elevation -40, distance 0.3.
BlockTracks MakeInitialBlockTracks();

// Music-slot set-up: keyframes at 0 and lengthFrames, one block entry per 2048 bytes + 1.
// Moves the source position to azimuth 0, elevation 0, distance 0.3.
void SetUpSlotTracks(int32_t lengthFrames, int32_t lengthBytes, KeyframeTracks& keyframes,
                     BlockTracks& blocks);

} // namespace yumo
