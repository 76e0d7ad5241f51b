#pragma once
// Helpers shared by the scheduler's source files: clip counts, clip draws and the fallback
// to silence, and the clock's minute of the day.

#include <algorithm>

#include "night/app_state.h"

namespace yumo
{

inline bool IsVoiceKind(int32_t value) { return value >= 0 && value < kVoiceKindCount; }

// Clips of one kind; a count outside 0-10 from a damaged set must not index past the slots.
inline int ClipCount(const AppState& state, int kind)
{
    return std::clamp(state.voices.clipCounts[kind], 0, kMaxClipsPerKind);
}

inline bool HasClip(const AppState& state, int kind) { return ClipCount(state, kind) > 0; }

// rand() % count. Every caller makes sure the kind has a clip; a kind without one gets index
// 0 without a draw rather than a division by zero.
inline int32_t DrawClipIndex(AppState& state, int kind)
{
    const int count = ClipCount(state, kind);
    if (count == 0)
    {
        return 0;
    }
    return DrawRandom(state.rng) % count;
}

// A kind without clips is never played: recorded silence instead, else the built-in silence
// that matches a pending breath-in.
inline int32_t FallBackToSilence(const AppState& state, int32_t kind)
{
    if (HasClip(state, kind))
    {
        return kind;
    }
    if (HasClip(state, kKindSilence))
    {
        return kKindSilence;
    }
    return kKindBuiltInSilence + state.sleep.midBreath;
}

inline int MinuteOfDay(const LocalTime& time) { return time.hour * 60 + time.minute; }

} // namespace yumo
