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
    int fadeFrames = 0; // the first clip's fade-in and 起きます's fade-out; 0: none
    int timerFadeFrames = kDefaultFadeFrames; // the sleep timer's fade-out
    int wakeRampFrames = 0;                   // the wake-up call's rise from -20 dB; 0: none
    int64_t sleepTimerFrames = 0; // from the night's start to the timer's end; 0: no timer
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

// What follows a fade-out that reached silence.
enum class FadeOutEnd : uint8_t
{
    None,
    StopNight,  // 起きます, closing the window, or a timer with no wake time set
    StaySilent, // a timer's end with a wake time set: silent until the wake-up call
};

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
    FadeOutEnd fadeOutEnd = FadeOutEnd::None;
    int64_t stopAtFrame = -1; // the night ends once the ear reaches this frame
    bool silent = false;      // after the timer's end, until the wake-up call
    bool timerDone = false;
    int64_t wakeRampStart = -1;
    float monoGain = 1.0f;
    PeakLimiter limiter;
    std::array<float, kFramesPerBlock * kOutputChannels> mix{};
};

// A night starts: the course starts over (the settings stay).
void ResetGentleStage(GentleStage& stage);

// Fades the night out from where the fade gain stands, over the fade length (the default
// length when the settings have none), and ends the night once the ear reaches silence.
// False, with nothing changed, when the stage does not run or a fade-out is already under way.
bool BeginGentleStop(AppState& state);

// The minutes left on the sleep timer, rounded up; 0 without a timer or after its end.
int SleepTimerMinutesLeft(const GentleStage& stage);

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

// After the refilled block went to the device: true when the night should end now, because
// the block the ear has just heard reached the stop frame.
bool GentleStageEndsNight(const GentleStage& stage);

} // namespace yumo
