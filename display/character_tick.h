#pragma once
// Which animation runs and which of its pictures shows. The tick follows the companion's
// behaviour state and facing every 40 ms; each paint turns progress into a picture index.

#include "night/app_state.h"
#include "night/heard_facts.h"
#include "voices/character_animation.h"

namespace yumo
{

// Once per 40 ms tick, before the repaint request: moves the tick counter (0-19999, wrapping),
// picks the animation of the behaviour state, facing and roll-over, and in state 100 may start
// an idle animation (1, 2 or 3) with one draw from state.rng.
void AdvanceCharacterTick(AppState& state);
// The same for what is shown: the block being heard, which may be older than the state.
void AdvanceCharacterTick(AppState& state, const HeardFacts& shown);

// The picture of the first step whose end reaches `progress` (the search stops at step 127);
// 0 while nothing plays. Progress above 0.99999 ends the animation after this step.
int SelectCharacterPicture(CharacterAnimation& animation, float progress);

// How far the animation has run, for one paint: the clip's play position over its length while
// asleep, otherwise the self-timed step counter over the animation's duration (the counter then
// moves by one). A duration of 0 or less ends the animation (progress 1); a clip length of 0
// or less keeps it at its start (progress 0).
float AdvanceCharacterProgress(AppState& state);
float AdvanceCharacterProgress(AppState& state, const HeardFacts& shown);

// The first steps of each paint: progress, then the picture to show.
int ChooseCharacterPicture(AppState& state);
int ChooseCharacterPicture(AppState& state, const HeardFacts& shown);

// A click on the picture: the tick counter starts again, and with it the idle motion.
void RestartCharacterTicks(AppState& state);

} // namespace yumo
