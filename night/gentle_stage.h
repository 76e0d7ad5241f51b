#pragma once
// The gentle stage: a gain stage after the mix. It fades the night's first clip in and the end
// of a night out (equal-power, per sample), lets the wake-up call rise, runs the sleep timer,
// sums to one ear or swaps the sides, and limits the peaks instead of clipping them. The
// user's volumes are untouched, and nothing here draws from the behaviour's generator. With
// every setting off the stage is not run at all and the mix is what it always was.

#include <array>
#include <cstdint>

#include "audio/peak_limiter.h"
#include "common/constants.h"

namespace yumo
{

struct AppState;

constexpr int kDefaultFadeFrames = 3 * kSampleRate;
constexpr double kWakeRampStartDb = -20.0;

// What the stage marks in a night's log.
enum class GentleMark : uint8_t
{
    FadeIn,
    FadeOut,
    WakeRamp,
    TimerEnd,
};

// "fade-in", "fade-out", "wake-ramp", "timer-end".
const char* GentleMarkName(GentleMark mark);

// Told of each mark from inside the refill: must not allocate nor block.
class GentleObserver
{
public:
    virtual ~GentleObserver() = default;
    virtual void OnGentleMark(const AppState& state, GentleMark mark) = 0;
};

struct GentleSettings
{
    int fadeFrames = 0; // the first clip's fade-in; 0: none (起きます then fades over the default)
    int timerFadeFrames = kDefaultFadeFrames; // the sleep timer's fade-out
    int wakeRampFrames = 0;                   // the wake-up call's rise from -20 dB; 0: none
    // The timer a night starts with, from its first frame to the timer's end; 0: no timer.
    // A change during the night moves that night's end (GentleStage::timerEnd) instead.
    int64_t sleepTimerFrames = 0;
    bool limit = false;
    bool mono = false;
    bool swap = false;
};

constexpr int kSleepTimerStepMinutes = 15;
constexpr int kSleepTimerMostMinutes = 120;

// A sleep timer's length kept within 15-120 minutes in steps of 15, or 0 (off).
int ClampSleepTimerMinutes(int minutes);

// True when any setting asks the stage to run.
bool GentleStageActive(const GentleSettings& settings);

struct GentleStage
{
    GentleSettings settings;
    GentleObserver* observer = nullptr; // not owned

    // One night's course, from ResetGentleStage.
    int64_t frame = 0; // output frames since the night started, at the block being mixed
    float gain = 1.0f; // the fade gain reached so far
    int64_t fadeStart = 0;
    int fadeLength = 0; // 0: no fade under way
    float fadeFrom = 0.0f;
    bool fadingIn = false;
    int64_t stopAtFrame = -1; // 起きます's fade-out ends here and the night with it
    // The sleep timer's end: the frame at which its fade-out reaches silence; -1: no timer.
    int64_t timerEnd = -1;
    bool timerFading = false; // its fade-out has begun (silence follows its end)
    bool timerDone = false;   // its end has passed
    bool timerStops = false;  // its end ends the night (no wake time set)
    bool calling = false;     // the block before was her wake-up call
    int64_t wakeRampStart = -1;
    float monoGain = 1.0f;
    // The output byte, counted as the device counts its heard bytes, of the night's frame 0.
    uint64_t startByte = 0;
    PeakLimiter limiter;
    std::array<float, kSamplesPerBlock> mix{};
};

// A night starts: the course starts over (the settings stay).
void ResetGentleStage(GentleStage& stage);

// Fades the night out from where the fade gain stands, over the fade length (the default
// length when the settings have none), and ends the night once the ear reaches silence.
// False, with nothing changed, when the stage does not run or a fade-out is already under way.
bool BeginGentleStop(AppState& state);

// The minutes left on the sleep timer, rounded up; 0 without a timer or after its end.
int SleepTimerMinutesLeft(const GentleStage& stage);

constexpr int64_t kMinuteFrames = int64_t{60} * kSampleRate;
// A night's timer ends within this much from the present...
constexpr int64_t kSleepTimerNearestFrames = kMinuteFrames;
constexpr int64_t kSleepTimerFarthestFrames = kSleepTimerMostMinutes * kMinuteFrames;

// ...set during a night to end `frames` from the block being mixed next (0 or less: off). An end
// that falls inside the fade-out moves to where the fade, begun now, reaches silence. When the
// timer's fade-out had begun (or its silence followed), its course starts again: the sound
// fades back in from where it stands.
void SetNightSleepTimer(AppState& state, int64_t frames);
// ±15分 during a night: without a timer, +1 sets it 15 minutes from now and -1 does nothing;
// with one, its end moves by 15 minutes a step, kept within the bounds above, and a step that
// leaves less than the nearest turns it off.
void StepNightSleepTimer(AppState& state, int steps);

// The music sample heard on `side` (0 left, 1 right) of frame `frame` in 16-bit frames of
// `channels` samples, packed as the music slot keeps them: one sample is heard on both sides.
inline int16_t PackedMusicSample(const uint8_t* frames, int channels, size_t frame, int side)
{
    const uint8_t* at = frames + (frame * static_cast<size_t>(channels) +
                                  (channels == 2 ? static_cast<size_t>(side) : 0)) *
                                     kBytesPerSample;
    return static_cast<int16_t>(at[0] | (at[1] << 8));
}

// Music for the block, already cut to its place: 16-bit frames of `channels` samples (one
// sample is heard on both sides); nullptr when none plays.
struct GentleMusic
{
    const uint8_t* frames = nullptr;
    int channels = 2;
    float gain = 1.0f;
};

// The stage's own mix of one block into `out` (interleaved 16-bit): the rendered voice at
// `voiceGain`, the music, then mono or swap, the fade and the limiter.
void MixGentleBlock(AppState& state, int16_t* out, float voiceGain, const GentleMusic& music);

// The frame the night ends with once the ear has heard it: 起きます's fade-out's end, or the
// sleep timer's when no wake time is set, the limiter's delay included; -1 when none.
int64_t GentleLastFrame(const GentleStage& stage);

// After the refilled block went to the device: true when the night should end now, because
// the ear has heard `heardBytes` (the device's count) and with them the last frame.
bool GentleStageEndsNight(const GentleStage& stage, uint64_t heardBytes);

} // namespace yumo
