#include "night/gentle_stage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "night/app_state.h"
#include "night/night_phase.h"

namespace yumo
{
namespace
{

// The stage's frame count stands at the block being refilled, which follows the primed ones.
constexpr int64_t kQueuedFrames = int64_t{kOutputBlockCount} * kFramesPerBlock;
// The one-ear gain follows the blocks' power ratio with this share per block (about 50 ms).
constexpr float kMonoFollow = 0.2f;

void Mark(const AppState& state, GentleMark mark)
{
    if (state.gentle.observer != nullptr)
    {
        state.gentle.observer->OnGentleMark(state, mark);
    }
}

void StartFade(GentleStage& stage, int64_t start, int length, bool in)
{
    stage.fadeStart = start;
    stage.fadeLength = std::max(length, 1);
    stage.fadeFrom = stage.gain;
    stage.fadingIn = in;
}

int FadeFramesOrDefault(int frames) { return frames > 0 ? frames : kDefaultFadeFrames; }

int TimerFadeFrames(const GentleStage& stage)
{
    return FadeFramesOrDefault(stage.settings.timerFadeFrames);
}

// Back from the timer's fade-out or its silence: the sound comes in again from where it stands.
void FadeBackIn(AppState& state)
{
    GentleStage& stage = state.gentle;
    stage.timerFading = false;
    stage.timerDone = false;
    if (stage.gain < 1.0f || (stage.fadeLength > 0 && !stage.fadingIn))
    {
        StartFade(stage, stage.frame, FadeFramesOrDefault(stage.settings.fadeFrames), true);
        Mark(state, GentleMark::FadeIn);
    }
}

// The sleep timer's course within the block starting at stage.frame: its fade-out begins so
// as to reach silence at its end; what follows the end depends on the wake time as it stands.
void RunSleepTimer(AppState& state, int64_t blockEnd)
{
    GentleStage& stage = state.gentle;
    if (stage.timerEnd < 0 || stage.stopAtFrame >= 0)
    {
        return;
    }
    stage.timerStops = state.alarm.mode != kWakeUserSet;
    const int64_t fadeAt = stage.timerEnd - TimerFadeFrames(stage);
    if (!stage.timerFading && blockEnd > fadeAt)
    {
        const int64_t start = std::max(stage.frame, fadeAt);
        StartFade(stage, start, static_cast<int>(stage.timerEnd - start), false);
        stage.timerFading = true;
        Mark(state, GentleMark::FadeOut);
    }
    if (stage.timerFading && !stage.timerDone && blockEnd > stage.timerEnd)
    {
        stage.timerDone = true;
        Mark(state, GentleMark::TimerEnd);
    }
}

// The marks and fades that begin within the block starting at stage.frame.
void BeginBlock(AppState& state)
{
    GentleStage& stage = state.gentle;
    const GentleSettings& settings = stage.settings;
    const int64_t blockEnd = stage.frame + kFramesPerBlock;
    if (stage.frame == kQueuedFrames && settings.fadeFrames > 0)
    {
        StartFade(stage, stage.frame, settings.fadeFrames, true);
        Mark(state, GentleMark::FadeIn);
    }
    const bool wakeCall = state.behaviourState == kKindWakeCall;
    const bool callBegins = wakeCall && !stage.calling;
    stage.calling = wakeCall;
    if (callBegins && stage.timerEnd >= 0 && stage.stopAtFrame < 0)
    {
        // The timer was for falling asleep: her call is heard whole, never faded.
        const bool faded = stage.timerFading;
        stage.timerEnd = -1;
        if (faded)
        {
            FadeBackIn(state);
        }
    }
    RunSleepTimer(state, blockEnd);
    if (callBegins && settings.wakeRampFrames > 0 &&
        (stage.wakeRampStart < 0 || stage.frame >= stage.wakeRampStart + settings.wakeRampFrames))
    {
        stage.wakeRampStart = stage.frame;
        Mark(state, GentleMark::WakeRamp);
    }
}

// The fade gain at frame `n`, moving the fade on; equal-power curves from where it stood.
float FadeGain(GentleStage& stage, int64_t n)
{
    if (stage.fadeLength == 0 || n < stage.fadeStart)
    {
        return stage.gain;
    }
    const double t = static_cast<double>(n - stage.fadeStart) / stage.fadeLength;
    if (t >= 1.0)
    {
        stage.gain = stage.fadingIn ? 1.0f : 0.0f;
        stage.fadeLength = 0;
        return stage.gain;
    }
    const double angle = t * std::numbers::pi / 2;
    const double from = stage.fadeFrom;
    stage.gain = static_cast<float>(stage.fadingIn ? from + (1.0 - from) * std::sin(angle)
                                                   : from * std::cos(angle));
    return stage.gain;
}

// The wake-up call's voice gain at frame `n`: -20 dB rising to 0 dB in decibels.
float WakeRampGain(const GentleStage& stage, int64_t n)
{
    const int length = stage.settings.wakeRampFrames;
    if (stage.wakeRampStart < 0 || length <= 0 || n >= stage.wakeRampStart + length)
    {
        return 1.0f;
    }
    const double t = static_cast<double>(std::max<int64_t>(n - stage.wakeRampStart, 0)) / length;
    return static_cast<float>(std::pow(10.0, kWakeRampStartDb * (1.0 - t) / 20.0));
}

// Both channels carry (L + R) / 2 at the gain that keeps the block's power: 1 for a source
// in the middle, up to 2 for sides that cancel. Followed smoothly so the gain never steps.
void SumToMono(GentleStage& stage, float* x)
{
    double stereo = 0;
    double mono = 0;
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        const double l = x[2 * n];
        const double r = x[2 * n + 1];
        stereo += l * l + r * r;
        mono += (l + r) * (l + r) / 2;
    }
    const float from = stage.monoGain;
    float to = from;
    if (stereo > 1.0 * kFramesPerBlock)
    {
        const double ratio = mono > 0 ? std::sqrt(stereo / mono) : 2.0;
        to = from + kMonoFollow * (static_cast<float>(std::clamp(ratio, 1.0, 2.0)) - from);
    }
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        const float k = from + (to - from) * static_cast<float>(n + 1) / kFramesPerBlock;
        const float m = (x[2 * n] + x[2 * n + 1]) * 0.5f * k;
        x[2 * n] = m;
        x[2 * n + 1] = m;
    }
    stage.monoGain = to;
}

} // namespace

const char* GentleMarkName(GentleMark mark)
{
    switch (mark)
    {
    case GentleMark::FadeIn:
        return "fade-in";
    case GentleMark::FadeOut:
        return "fade-out";
    case GentleMark::WakeRamp:
        return "wake-ramp";
    case GentleMark::TimerEnd:
        return "timer-end";
    }
    return "";
}

int ClampSleepTimerMinutes(int minutes)
{
    if (minutes <= 0)
    {
        return 0;
    }
    return std::clamp(minutes / kSleepTimerStepMinutes * kSleepTimerStepMinutes,
                      kSleepTimerStepMinutes, kSleepTimerMostMinutes);
}

bool GentleStageActive(const GentleSettings& settings)
{
    return settings.fadeFrames > 0 || settings.wakeRampFrames > 0 ||
           settings.sleepTimerFrames > 0 || settings.limit || settings.mono || settings.swap;
}

void ResetGentleStage(GentleStage& stage)
{
    stage.frame = kQueuedFrames;
    stage.gain = stage.settings.fadeFrames > 0 ? 0.0f : 1.0f;
    stage.fadeStart = 0;
    stage.fadeLength = 0;
    stage.fadeFrom = stage.gain;
    stage.fadingIn = false;
    stage.stopAtFrame = -1;
    stage.timerEnd = -1;
    if (stage.settings.sleepTimerFrames > 0)
    {
        stage.timerEnd =
            std::max(stage.settings.sleepTimerFrames, stage.frame + TimerFadeFrames(stage));
    }
    stage.timerFading = false;
    stage.timerDone = false;
    stage.timerStops = false;
    stage.calling = false;
    stage.wakeRampStart = -1;
    stage.monoGain = 1.0f;
    stage.startByte = 0;
    ResetPeakLimiter(stage.limiter);
}

bool BeginGentleStop(AppState& state)
{
    GentleStage& stage = state.gentle;
    if (!GentleStageActive(stage.settings) || !NightPlays(state.phase) || stage.stopAtFrame >= 0)
    {
        return false;
    }
    const int length = FadeFramesOrDefault(stage.settings.fadeFrames);
    StartFade(stage, stage.frame, length, false);
    stage.stopAtFrame = stage.frame + length;
    Mark(state, GentleMark::FadeOut);
    return true;
}

int SleepTimerMinutesLeft(const GentleStage& stage)
{
    if (stage.timerEnd < 0 || stage.timerDone)
    {
        return 0;
    }
    const int64_t left = std::max<int64_t>(stage.timerEnd - stage.frame, 0);
    return static_cast<int>((left + kMinuteFrames - 1) / kMinuteFrames);
}

void SetNightSleepTimer(AppState& state, int64_t frames)
{
    GentleStage& stage = state.gentle;
    if (!GentleStageActive(stage.settings) || stage.stopAtFrame >= 0)
    {
        return; // 起きます's fade-out goes on whatever the timer says
    }
    if (stage.timerFading)
    {
        FadeBackIn(state);
    }
    stage.timerEnd =
        frames > 0 ? stage.frame + std::max<int64_t>(frames, TimerFadeFrames(stage)) : -1;
}

void StepNightSleepTimer(AppState& state, int steps)
{
    const GentleStage& stage = state.gentle;
    const int64_t step = kSleepTimerStepMinutes * kMinuteFrames;
    if (stage.timerEnd < 0 || stage.timerDone)
    {
        if (steps > 0)
        {
            SetNightSleepTimer(state, std::min(steps * step, kSleepTimerFarthestFrames));
        }
        return;
    }
    const int64_t left = stage.timerEnd - stage.frame + steps * step;
    SetNightSleepTimer(
        state, left < kSleepTimerNearestFrames ? 0 : std::min(left, kSleepTimerFarthestFrames));
}

void MixGentleBlock(AppState& state, int16_t* out, float voiceGain, const GentleMusic& music)
{
    GentleStage& stage = state.gentle;
    BeginBlock(state);
    float* x = stage.mix.data();
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        const float voice = voiceGain * WakeRampGain(stage, stage.frame + n);
        x[2 * n] = static_cast<float>(out[2 * n]) * voice;
        x[2 * n + 1] = static_cast<float>(out[2 * n + 1]) * voice;
    }
    if (music.frames != nullptr)
    {
        for (size_t n = 0; n < kFramesPerBlock; ++n)
        {
            x[2 * n] += static_cast<float>(PackedMusicSample(music.frames, music.channels, n, 0)) *
                        music.gain;
            x[2 * n + 1] +=
                static_cast<float>(PackedMusicSample(music.frames, music.channels, n, 1)) *
                music.gain;
        }
    }
    if (stage.settings.mono)
    {
        SumToMono(stage, x);
    }
    else if (stage.settings.swap)
    {
        for (int n = 0; n < kFramesPerBlock; ++n)
        {
            std::swap(x[2 * n], x[2 * n + 1]);
        }
    }
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        const float g = FadeGain(stage, stage.frame + n);
        x[2 * n] *= g;
        x[2 * n + 1] *= g;
    }
    if (stage.settings.limit)
    {
        LimitFrames(stage.limiter, x, kFramesPerBlock);
        for (int i = 0; i < kSamplesPerBlock; ++i)
        {
            out[i] = static_cast<int16_t>(std::lround(x[i]));
        }
    }
    else
    {
        // Without the limiter the mix saturates as the plain mix does.
        for (int i = 0; i < kSamplesPerBlock; ++i)
        {
            out[i] = static_cast<int16_t>(
                std::clamp(static_cast<int>(std::clamp(x[i], -40000.0f, 40000.0f)), -32768, 32767));
        }
    }
    stage.frame += kFramesPerBlock;
}

int64_t GentleLastFrame(const GentleStage& stage)
{
    int64_t last = stage.stopAtFrame;
    if (last < 0 && stage.timerFading && stage.timerStops)
    {
        last = stage.timerEnd;
    }
    if (last < 0)
    {
        return -1;
    }
    // What leaves the limiter is what went in its look-ahead earlier.
    return last + (stage.settings.limit ? kLimiterLookAheadFrames : 0);
}

bool GentleStageEndsNight(const GentleStage& stage, uint64_t heardBytes)
{
    const int64_t last = GentleLastFrame(stage);
    return last >= 0 && stage.frame >= last &&
           heardBytes >= stage.startByte + static_cast<uint64_t>(last) * kBytesPerFrame;
}

} // namespace yumo
