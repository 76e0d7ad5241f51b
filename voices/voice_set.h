#pragma once
// A voice set in memory: the owner's name, up to ten clips per kind, the clip catalogue, the
// playback counters and the mono 16-bit samples. The voice-data file is its byte image.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
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

// 静寂 and the built-in silences: what plays between her sounds (the status pane shows the
// activity before it).
constexpr bool IsSilenceKind(int kind)
{
    return kind == kKindSilence || kind == kKindBuiltInSilence ||
           kind == kKindBuiltInSilenceMidBreath;
}

using VoiceText = std::array<char16_t, kVoiceTextUnits>; // NUL-terminated UTF-16

struct ClipCatalog
{
    std::array<VoiceText, kClipSlotCount> sourcePath{};
    std::array<VoiceText, kClipSlotCount> secondText{};
    std::array<int32_t, kClipSlotCount> pathLength{}; // code units without the terminator
    std::array<int32_t, kClipSlotCount> sampleCount{};
    std::array<int32_t, kClipSlotCount> byteSize{};
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

// The editor's new-set command: ClearVoiceClips, the built-in kinds again, an empty owner name.
void StartNewVoiceSet(VoiceSet& set);

// The owner name as UTF-8, and set from UTF-8: at most 255 UTF-16 units are kept (a longer
// name is cut), invalid UTF-8 becomes U+FFFD.
std::string OwnerNameUtf8(const VoiceSet& set);
void SetOwnerName(VoiceSet& set, std::string_view utf8);

// A slot's source path as UTF-8 (up to its terminator, or all 256 units when it has none).
std::string SourcePathUtf8(const VoiceSet& set, int slot);

// The editor's row labels of kinds 0-11 (UTF-8); nullptr for other kinds.
const char* VoiceKindLabel(int kind);
// The kind whose label is `label` exactly, or -1.
int FindVoiceKindByLabel(std::string_view label);

} // namespace yumo
