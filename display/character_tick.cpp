#include "display/character_tick.h"

namespace yumo
{

void AdvanceCharacterTick(AppState& state) { AdvanceCharacterTick(state, LiveFacts(state)); }

void AdvanceCharacterTick(AppState& state, const HeardFacts& shown)
{
    CharacterAnimation& animation = state.character;
    animation.tickCounter = (animation.tickCounter + 1) % kCharacterTickWrap;
    const int32_t behaviour = shown.behaviourState;
    if (behaviour != kStateNotAsleep)
    {
        int32_t id = behaviour + kFacingZeroBase;
        if (shown.sleep.facing == 1)
        {
            id = behaviour + kFacingOneBase;
        }
        if (shown.sleep.rolledOver == 1)
        {
            id = shown.sleep.facing == 0 ? kRollToFacingZero : kRollToFacingOne;
        }
        // States are 0-14; anything else has no animation and shows the resting picture.
        animation.currentAnimation = IsAnimationId(id) ? id : 0;
        animation.playing = IsAnimationId(id) ? 1 : 0;
        return;
    }
    if (animation.playing != 0)
    {
        return; // an idle animation runs to its end
    }
    const int r = DrawRandom(state.rng) % 1000;
    int start = 0;
    if (r == 100)
    {
        start = kIdleAnimationFirst + 2;
    }
    else if (r == 900)
    {
        start = kIdleAnimationFirst + 1;
    }
    else if (r > 990)
    {
        start = kIdleAnimationFirst;
    }
    if (start != 0)
    {
        animation.currentAnimation = start;
        animation.playing = 1;
    }
}

int SelectCharacterPicture(CharacterAnimation& animation, float progress)
{
    if (animation.playing == 0 || !IsAnimationId(animation.currentAnimation))
    {
        return 0;
    }
    const auto& ends = animation.stepEnd[static_cast<size_t>(animation.currentAnimation)];
    int step = 0;
    while (step < kAnimationStepCount - 1 && !(ends[static_cast<size_t>(step)] >= progress))
    {
        ++step;
    }
    if (progress > 0.99999)
    {
        animation.playing = 0;
        animation.stepCounter = 0;
    }
    const int picture = animation.stepPicture[static_cast<size_t>(animation.currentAnimation)]
                                             [static_cast<size_t>(step)];
    return IsPictureIndex(picture) ? picture : 0;
}

float AdvanceCharacterProgress(AppState& state)
{
    return AdvanceCharacterProgress(state, LiveFacts(state));
}

float AdvanceCharacterProgress(AppState& state, const HeardFacts& shown)
{
    CharacterAnimation& animation = state.character;
    const int32_t behaviour = shown.behaviourState;
    if (behaviour != kStateNotAsleep)
    {
        if (behaviour < 0 || behaviour >= kVoiceKindCount || shown.clipIndex < 0 ||
            shown.clipIndex >= kMaxClipsPerKind)
        {
            return 0.0f;
        }
        const size_t slot = static_cast<size_t>(ClipSlot(behaviour, shown.clipIndex));
        const int32_t length = state.voices.tracks.lengthFrames[slot];
        // A kind without a clip has length 0: its animation stays at the start.
        return length > 0 ? static_cast<float>(shown.playPosition) / static_cast<float>(length)
                          : 0.0f;
    }
    if (animation.playing == 0)
    {
        return 0.0f;
    }
    const int32_t duration = animation.duration[static_cast<size_t>(animation.currentAnimation)];
    // A duration of 0 or less would never reach the end (0/0); it ends on this paint.
    const float progress =
        duration > 0 ? static_cast<float>(animation.stepCounter) / static_cast<float>(duration)
                     : 1.0f;
    ++animation.stepCounter;
    return progress;
}

int ChooseCharacterPicture(AppState& state)
{
    return ChooseCharacterPicture(state, LiveFacts(state));
}

int ChooseCharacterPicture(AppState& state, const HeardFacts& shown)
{
    const float progress = AdvanceCharacterProgress(state, shown);
    return SelectCharacterPicture(state.character, progress);
}

void RestartCharacterTicks(AppState& state) { state.character.tickCounter = 0; }

} // namespace yumo
