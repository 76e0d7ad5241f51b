#pragma once
// The companion's mind: what she does next, how deep she sleeps, where her voice comes from.
// Runs inside the output refill, once per block; every decision is a draw from state.rng.

#include "night/app_state.h"

namespace yumo
{

// The alarm acts while |now - wake time| is below this many minutes.
inline constexpr int kWakeWindowMinutes = 15;

// おやすみなさい: only when a night may start (MayStartNight) and the set has a good-night clip
// that can play; the phase becomes Running.
void StartNight(AppState& state);
// 起きます: only once a night was started (NightStarted); the phase becomes Stopped.
void StopNight(AppState& state);
// The night stops queuing blocks (those queued play out); 起きます still has to end it.
void DrainNight(AppState& state);

enum class SequenceAnswer
{
    Continue,
    Stop,
};

SequenceAnswer AdvanceClipSequence(AppState& state);
int ChooseNextActivity(AppState& state); // returns the new behaviour state
void DriftSourcePosition(AppState& state);
void SwapSides(AppState& state);

} // namespace yumo
