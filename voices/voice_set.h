#pragma once
// A voice set in memory: the owner's name, up to ten clips per kind, the clip catalogue, the
// playback counters and the mono 16-bit samples. The voice-data file is its byte image.

#include <array>
#include <cstdint>
#include <vector>

#include "audio/voice_tracks.h"
#include "common/constants.h"

namespace yumo
{

enum VoiceKind : int
{
    kKindGoodNight = 0,   // おやすみ
    kKindBreathInOut = 1, // すぅはぁ
    kKindBreathIn = 2,    // すぅ
    kKindBreathOut = 3,   // はぁ
    kKindSnore = 4,       // ぐぅぐぅ
    kKindMumble = 5,      // うーんむにゃむにゃ
    kKindSleepTalk = 6,   // 寝言
    kKindStartle = 7,     // …はっ
    kKindGrumble = 8,     // ぶつぶつ
    kKindSigh = 9,        // はーぁ
    kKindWakeCall = 10,   // 起きて
    kKindSilence = 11,    // 静寂
    kKindFileOnly = 12,
    kKindBuiltInSilence = 13,
    kKindBuiltInSilenceMidBreath = 14,
};

using VoiceText = std::array<char16_t, kVoiceTextUnits>; // NUL-terminated UTF-16

struct ClipCatalog
{
    std::array<VoiceText, kClipSlotCount> sourcePath{};
    std::array<VoiceText, kClipSlotCount> secondText{};
    std::array<int32_t, kClipSlotCount> pathLength{}; // code units without the terminator
    std::array<int32_t, kClipSlotCount> sampleCount{};
    std::array<int32_t, kClipSlotCount> byteSize{};
    std::array<int32_t, kClipSlotCount> spare1{};
    std::array<int32_t, kClipSlotCount> spare2{};
    std::array<int32_t, kClipSlotCount> spare3{};
};

struct VoiceSet
{
    VoiceText ownerName{};
    std::array<int32_t, kVoiceKindCount> clipCounts{};
    ClipCatalog catalog;
    VoiceTrackTable tracks;
    std::array<std::vector<int16_t>, kClipSlotCount> samples; // per slot, owned by the set
};

// Empties kinds 0-13 (paths, catalogue and track entries, samples, counts); kind 14 stays.
void ClearVoiceClips(VoiceSet& set);

// Gives kinds 13 and 14 their four built-in silent clips of 10240 * (j + 1) samples.
void EstablishBuiltInSilences(VoiceSet& set);

} // namespace yumo
