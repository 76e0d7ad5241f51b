#pragma once
// The companion's picture as data: the animation table the script fills and the character-data
// file stores, and the picture files themselves. Plain data beside her voice set, below the
// night's record that holds both; display/ reads, fills and ticks it, and decoding the pictures
// is the window's work: the core keeps each file's bytes exactly as read.

#include <array>
#include <cstdint>
#include <vector>

namespace yumo
{

constexpr int kAnimationCount = 128; // ids 0-127
constexpr int kAnimationStepCount = 128;
constexpr int kPictureSlotCount = 255;    // pictures and masks 0-254 (255 slots, not 256)
constexpr int kCharacterTickWrap = 20000; // the tick counter runs 0-19999
constexpr int kIdleAnimationFirst = 1;    // 1, 2, 3: before sleep, started at random
constexpr int kFacingZeroBase = 20;       // animation 20 + s for state s while facing is 0
constexpr int kFacingOneBase = 60;        // and 60 + s while facing is 1
constexpr int kRollToFacingZero = 50;     // rolling over, facing 0 afterwards
constexpr int kRollToFacingOne = 51;

inline bool IsAnimationId(int64_t id) { return id >= 0 && id < kAnimationCount; }
inline bool IsAnimationStep(int64_t step) { return step >= 0 && step < kAnimationStepCount; }
inline bool IsPictureIndex(int64_t index) { return index >= 0 && index < kPictureSlotCount; }

struct CharacterAnimation
{
    int32_t tickCounter = 0; // one per 40 ms tick, 0-19999
    int32_t playing = 0;
    int32_t currentAnimation = 0;
    std::array<int32_t, kAnimationCount> duration{}; // paints, when self-timed (state 100)
    int32_t stepCounter = 0;                         // paints since self-timing started
    // [animation][step]: the picture shown during the step and the normalised time (0-1) at
    // which the step ends.
    std::array<std::array<int32_t, kAnimationStepCount>, kAnimationCount> stepPicture{};
    std::array<std::array<float, kAnimationStepCount>, kAnimationCount> stepEnd{};
};

// Picture i is always drawn with mask i. An empty picture is a slot without a picture; an empty
// mask means "no mask of its own" (the window then takes it from the picture's transparency).
struct CharacterPictures
{
    int32_t count = 0; // pictures 0..count-1 are filled
    std::array<std::vector<uint8_t>, kPictureSlotCount> pictureFiles;
    std::array<std::vector<uint8_t>, kPictureSlotCount> maskFiles;
};

} // namespace yumo
