// The activity draw: what she does next, from the sleep depth and the sliders, and the depth,
// dream and alarm updates that follow the clock.

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "night/behaviour.h"
#include "night/behaviour_detail.h"

namespace yumo
{

namespace
{

constexpr int kMinutesPerDay = 1440;
constexpr int kElapsedFold = 720; // past half a day the clock is read the other way round
constexpr int kNightLengthMinutes = 600;
constexpr int kLightSleep = 20; // below this depth she may wake, start from a dream or call

// Depth, dreams and the alarm move only in these two windows of each minute.
bool InUpdateWindow(int second)
{
    return (second >= 0 && second <= 5) || (second >= 31 && second <= 34);
}

// The 90-minute cycle: 0 at h = 0, 100 at 45, 0 again at 90. The multiplier is a 15-digit 2 pi
// on purpose: values near whole numbers truncate by it.
int32_t BaseDepth(double h)
{
    return static_cast<int32_t>(100 - (std::cos(h * 6.28318530717958 / 90) + 1) * 50);
}

// The same draw `a` decides whether she turns over; turning back (facing 1) is less likely.
void TestRollOver(SleepRecord& sleep, int a)
{
    if (a < 985 - 20 * sleep.facing)
    {
        sleep.rolledOver = 1;
        sleep.facing = 1 - sleep.facing;
    }
}

// The first choice, before a breath-in: silence, breathing, sleep talk, snoring or mumbling.
int32_t ChooseWithoutBreathIn(AppState& state, int a, int depth, int nezou)
{
    SleepRecord& sleep = state.sleep;
    if (depth < 20)
    {
        if (a < 600)
        {
            return HasClip(state, kKindSilence) ? kKindSilence : kKindBuiltInSilence;
        }
        if (a < 950)
        {
            sleep.midBreath = 1;
            return kKindBreathIn;
        }
        TestRollOver(sleep, a);
        return kKindMumble;
    }
    if (depth <= 50)
    {
        if (a < 600)
        {
            return kKindBreathInOut;
        }
        if (a < 900)
        {
            sleep.midBreath = 1;
            return kKindBreathIn;
        }
        if (a < 950)
        {
            return kKindSleepTalk;
        }
        TestRollOver(sleep, a);
        return kKindMumble;
    }
    if (nezou > 2)
    {
        if (a < 600)
        {
            return kKindBreathInOut;
        }
        if (a < 950)
        {
            sleep.midBreath = 1;
            return kKindBreathIn;
        }
        TestRollOver(sleep, a);
        return kKindMumble;
    }
    // A restless sleeper snores in deep sleep; her breath-in here has no breath-out phase.
    if (a < (7 - nezou) * 100)
    {
        return kKindSnore;
    }
    if (a <= 950)
    {
        return kKindBreathIn;
    }
    TestRollOver(sleep, a);
    return kKindMumble;
}

// The choice after a breath-in: its breath-out, or what interrupts it.
int32_t ChooseAfterBreathIn(AppState& state, int a, int depth, int nezou)
{
    SleepRecord& sleep = state.sleep;
    if (depth < 20)
    {
        if (a < 950)
        {
            return HasClip(state, kKindSilence) ? kKindSilence : kKindBuiltInSilenceMidBreath;
        }
        if (a < 970)
        {
            TestRollOver(sleep, a);
            return kKindSigh;
        }
        return kKindGrumble;
    }
    if (depth <= 50)
    {
        if (a < 900)
        {
            return kKindBreathOut;
        }
        if (a < 950)
        {
            return kKindSleepTalk;
        }
        TestRollOver(sleep, a);
        return kKindMumble;
    }
    if (nezou > 2)
    {
        if (a < 950)
        {
            return kKindBreathOut;
        }
        TestRollOver(sleep, a);
        return kKindMumble;
    }
    if (a < (7 - nezou) * 100)
    {
        return kKindSnore;
    }
    if (a <= 950)
    {
        return kKindBreathOut;
    }
    TestRollOver(sleep, a);
    return kKindMumble;
}

void CallToWake(AppState& state)
{
    state.behaviourState = FallBackToSilence(state, kKindWakeCall);
    state.clipIndex = DrawClipIndex(state, state.behaviourState);
    state.sleep.calledForMinute = state.alarm.minuteOfDay;
}

// Depth from the time slept, then alertness, dreams and the alarm. Runs only inside the
// update windows; the draws happen in this order, each only when its condition is reached.
void UpdateSleepDepth(AppState& state, int now)
{
    SleepRecord& sleep = state.sleep;
    const Personality& personality = state.personality;

    // Falling asleep well moves the start of the cycle forward by up to 25 minutes.
    double h = sleep.elapsedMinutes;
    if (sleep.elapsedMinutes < 30)
    {
        const double lead = personality.netsuki * 0.5;
        h += lead * lead;
    }
    sleep.depth = BaseDepth(h) + personality.suimin - 1 - DrawRandom(state.rng) % 10;
    // Integer division truncates toward zero, so light sleep can lower alertness too.
    sleep.alertness += (sleep.depth - DrawRandom(state.rng) % 50) / 10;

    if (sleep.depth > 40 || sleep.depth == 20)
    {
        if (sleep.dreaming == 1 && DrawRandom(state.rng) % 1000 + sleep.alertness < 200)
        {
            sleep.dreaming = 0;
        }
    }
    else if (sleep.depth > 20)
    {
        if (sleep.dreaming == 0 && DrawRandom(state.rng) % 1000 + sleep.alertness > 800)
        {
            sleep.dreaming = 1;
        }
    }
    else if (sleep.dreaming == 1)
    {
        state.behaviourState = FallBackToSilence(state, kKindStartle);
        state.clipIndex = DrawClipIndex(state, state.behaviourState);
        sleep.dreaming = 0;
    }

    // Minutes compare without wrapping at midnight (00:05 is not near from 23:55), on purpose: a
    // wrap would change the draws, and so the nights, that a start and an alarm always gave.
    const WakeAlarm& alarm = state.alarm;
    if (alarm.mode == kWakeUserSet && std::abs(now - alarm.minuteOfDay) < kWakeWindowMinutes)
    {
        sleep.depth = std::max(0, sleep.depth - personality.neoki * 10);
        if (now >= alarm.minuteOfDay && sleep.depth < kLightSleep && sleep.alertness > 50)
        {
            CallToWake(state);
        }
    }
}

// A wake time she has not called for yet. Only then may a night past its ten hours go on.
bool WakeCallPending(const AppState& state)
{
    return state.alarm.mode == kWakeUserSet &&
           state.sleep.calledForMinute != state.alarm.minuteOfDay;
}

// Her own call comes when her sleep allows; an alarm that was set must sound all the same, so
// by this many minutes after the wake minute she calls whatever her depth. The minutes wrap
// at midnight here: a wake time of 23:59 is kept at 00:01.
constexpr int kLatestCallMinutes = 2;

void KeepWakeCall(AppState& state, int now)
{
    if (!WakeCallPending(state))
    {
        return;
    }
    const int late =
        ((now - state.alarm.minuteOfDay) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
    if (late >= kLatestCallMinutes && late < kWakeWindowMinutes)
    {
        CallToWake(state);
    }
}

} // namespace

int ChooseNextActivity(AppState& state)
{
    SleepRecord& sleep = state.sleep;
    const int a = DrawRandom(state.rng) % 1000;
    const int depth = sleep.depth;
    const int nezou = state.personality.nezou;
    sleep.rolledOver = 0;

    int32_t next = 0;
    if (sleep.midBreath == 0)
    {
        next = ChooseWithoutBreathIn(state, a, depth, nezou);
    }
    else
    {
        next = ChooseAfterBreathIn(state, a, depth, nezou);
        sleep.midBreath = 0;
    }
    state.behaviourState = FallBackToSilence(state, next);
    state.clipIndex = DrawClipIndex(state, state.behaviourState);

    const LocalTime time = ReadLocalTime(state.clock);
    const int now = MinuteOfDay(time);
    sleep.elapsedMinutes = std::abs(now - sleep.startMinute);
    if (sleep.elapsedMinutes > kElapsedFold)
    {
        sleep.elapsedMinutes = kMinutesPerDay - sleep.elapsedMinutes;
    }
    if (sleep.elapsedMinutes >= kNightLengthMinutes)
    {
        sleep.tenHoursUp = 1;
    }
    if (sleep.tenHoursUp == 1 && !WakeCallPending(state))
    {
        state.behaviourState = kStateNotAsleep;
        sleep.depth = 0;
        sleep.elapsedMinutes = 0;
        sleep.tenHoursUp = 0;
        return state.behaviourState;
    }
    if (InUpdateWindow(time.second))
    {
        UpdateSleepDepth(state, now);
    }
    KeepWakeCall(state, now);
    return state.behaviourState;
}

} // namespace yumo
