#pragma once
// The companion's mind: what she does next, how deep she sleeps, where her voice comes from.
// Runs inside the output refill, once per block; every decision is a draw from state.rng.

#include "night/app_state.h"

namespace yumo
{

void StartNight(AppState& state);
void StopNight(AppState& state);

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
