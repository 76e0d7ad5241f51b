#include "app/behaviour.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/output_stream.h"

namespace yumo
{

namespace
{

constexpr int kMinutesPerDay = 1440;
constexpr int kElapsedFold = 720; // past half a day the clock is read the other way round
constexpr int kNightLengthMinutes = 600;
constexpr int kWakeWindowMinutes = 15; // the alarm acts while |now - wake time| is below this
constexpr int kLightSleep = 20;        // below this depth she may wake, start from a dream or call

bool IsVoiceKind(int32_t value) { return value >= 0 && value < kVoiceKindCount; }

// Clips of one kind; a count outside 0-10 from a damaged set must not index past the slots.
int ClipCount(const AppState& state, int kind)
{
    return std::clamp(state.voices.clipCounts[kind], 0, kMaxClipsPerKind);
}

bool HasClip(const AppState& state, int kind) { return ClipCount(state, kind) > 0; }

// rand() % count. Every caller makes sure the kind has a clip; a kind without one gets index
// 0 without a draw rather than a division by zero.
int32_t DrawClipIndex(AppState& state, int kind)
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
int32_t FallBackToSilence(const AppState& state, int32_t kind)
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

void ResetSlotCounters(VoiceTrackTable& tracks, int slot)
{
    tracks.playPosition[slot] = 0;
    tracks.outputByteCounter[slot] = 0;
}

// Element 0 of the first three block tracks; a track loaded empty leaves no position to move.
bool HasSourcePosition(const AppState& state)
{
    return !state.blockTracks.values[kTrackAzimuth].empty() &&
           !state.blockTracks.values[kTrackElevation].empty() &&
           !state.blockTracks.values[kTrackDistance].empty();
}

double& Azimuth(AppState& state) { return state.blockTracks.values[kTrackAzimuth][0]; }
double& Elevation(AppState& state) { return state.blockTracks.values[kTrackElevation][0]; }
double& Distance(AppState& state) { return state.blockTracks.values[kTrackDistance][0]; }

int MinuteOfDay(const LocalTime& time) { return time.hour * 60 + time.minute; }

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

    // Minutes compare without wrapping at midnight: 00:05 is not near from 23:55.
    const WakeAlarm& alarm = state.alarm;
    if (alarm.mode == kWakeUserSet && std::abs(now - alarm.minuteOfDay) < kWakeWindowMinutes)
    {
        sleep.depth = std::max(0, sleep.depth - personality.neoki * 10);
        if (now >= alarm.minuteOfDay && sleep.depth < kLightSleep && sleep.alertness > 50)
        {
            state.behaviourState = FallBackToSilence(state, kKindWakeCall);
            state.clipIndex = DrawClipIndex(state, state.behaviourState);
        }
    }
}

} // namespace

void StartNight(AppState& state)
{
    if (state.voiceLoaded != 1 || state.startAllowed != 1)
    {
        return;
    }
    // The good-night clip is the night's first; a set without one cannot start a night.
    if (!HasClip(state, kKindGoodNight))
    {
        return;
    }
    // Silences follow every clip; a set that lost its built-in ones gets them back here.
    if (!HasClip(state, kKindBuiltInSilence) || !HasClip(state, kKindBuiltInSilenceMidBreath))
    {
        EstablishBuiltInSilences(state.voices);
    }

    state.behaviourState = kKindGoodNight;
    state.sleep.stateBeforeSilence = kKindGoodNight;
    state.clipIndex = DrawClipIndex(state, kKindGoodNight);
    state.sleep.startMinute = MinuteOfDay(ReadLocalTime(state.clock));
    if (state.alarm.mode == kWakeOff)
    {
        // Shown by the countdown only: a time between 7:00 and 8:59.
        state.alarm.mode = kWakeAutomatic;
        state.alarm.minuteOfDay = 420 + DrawRandom(state.rng) % 120;
    }

    const int slot = ClipSlot(kKindGoodNight, state.clipIndex);
    if (state.voices.tracks.playPosition[slot] >= state.voices.tracks.lengthFrames[slot])
    {
        return;
    }

    state.referenceDistance[kKindGoodNight] = 1.0;
    state.idle = 0;
    state.startAllowed = 2;
    state.nightStarted = 1;
    state.stream.overlapLeft.fill(0);
    state.stream.overlapRight.fill(0);

    PrimeStream(state);

    if (HasSourcePosition(state))
    {
        Azimuth(state) = 90;
    }
    state.menuState = MenuState::Running;
    state.comeHereEnabled = 0;
    state.repaintPending = 1;
}

void StopNight(AppState& state)
{
    if (state.nightStarted != 1)
    {
        return;
    }
    // A night that ended by itself (state 100) has nothing playing; its counters stay.
    if (IsVoiceKind(state.behaviourState))
    {
        for (int i = 0; i < kMaxClipsPerKind; ++i)
        {
            ResetSlotCounters(state.voices.tracks, ClipSlot(state.behaviourState, i));
        }
    }
    state.music.cursorFrames = 0;
    state.music.cursorBytes = 0;

    state.idle = 1;
    state.startAllowed = 1;
    state.nightStarted = 0;
    ResetStream(state);

    state.sleep.depth = 0;
    state.behaviourState = kStateNotAsleep;
    if (state.alarm.mode == kWakeAutomatic)
    {
        state.alarm.mode = kWakeOff;
    }

    state.comeHereEnabled = 1;
    state.menuState = MenuState::Stopped;
    state.stream.peaks.fill(BlockPeak{});
    state.stream.overLeft = false;
    state.stream.overRight = false;
    state.repaintPending = 1;
}

SequenceAnswer AdvanceClipSequence(AppState& state)
{
    if (state.idle == 1)
    {
        return SequenceAnswer::Stop;
    }
    // Only a kind can be playing while the night runs; anything else has no slot to advance.
    if (!IsVoiceKind(state.behaviourState) || state.clipIndex < 0 ||
        state.clipIndex >= kMaxClipsPerKind)
    {
        return SequenceAnswer::Stop;
    }
    VoiceTrackTable& tracks = state.voices.tracks;
    const int slot = ClipSlot(state.behaviourState, state.clipIndex);
    if (tracks.playPosition[slot] < tracks.lengthFrames[slot])
    {
        return SequenceAnswer::Continue;
    }
    ResetSlotCounters(tracks, slot);

    if (state.silenceGapPending == 1)
    {
        state.sleep.stateBeforeSilence = state.behaviourState;
        state.behaviourState = HasClip(state, kKindSilence)
                                   ? kKindSilence
                                   : kKindBuiltInSilence + state.sleep.midBreath;
        state.clipIndex = DrawClipIndex(state, state.behaviourState);
        state.silenceGapPending = 0;
    }
    else
    {
        state.silenceGapPending = 1;
        const int32_t next = ChooseNextActivity(state);
        if (next == kStateNotAsleep)
        {
            state.idle = 1;
            return SequenceAnswer::Stop;
        }
        // A silence chosen for its own sake is not followed by another one.
        if (next == kKindSilence || next == kKindBuiltInSilence ||
            next == kKindBuiltInSilenceMidBreath)
        {
            state.silenceGapPending = 0;
        }
    }
    ResetSlotCounters(tracks, ClipSlot(state.behaviourState, state.clipIndex));
    return SequenceAnswer::Continue;
}

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
        state.behaviourState = kStateNotAsleep;
        sleep.depth = 0;
        sleep.elapsedMinutes = 0;
        return state.behaviourState;
    }
    if (InUpdateWindow(time.second))
    {
        UpdateSleepDepth(state, now);
    }
    return state.behaviourState;
}

void DriftSourcePosition(AppState& state)
{
    if (!HasSourcePosition(state))
    {
        return;
    }
    Distance(state) = 0.3;
    double& azimuth = Azimuth(state);
    if (state.behaviourState == kKindWakeCall)
    {
        // She calls from a fixed place on the side she lies on, a little below the ears.
        azimuth = azimuth < 180 ? 90 : 270;
        Elevation(state) = -10;
        return;
    }

    const int b = DrawRandom(state.rng) % 1000;
    if (b < 800)
    {
        return;
    }
    // Climbing through 80-180 and descending through 180-280 is slowed to about a fifth, so
    // she drifts away from the median plane toward 80 and 280.
    if (b < 900)
    {
        if (!(azimuth > 80 && azimuth < 180 && b <= 880))
        {
            azimuth += 1;
        }
        if (azimuth > 360)
        {
            azimuth = 0;
        }
    }
    else
    {
        if (!(azimuth > 180 && azimuth < 280 && b <= 980))
        {
            azimuth -= 1;
        }
        if (azimuth < 0)
        {
            azimuth = 360;
        }
    }

    // Her head moves up or down only while she is silent, and stays within -40 to -10.
    const int32_t s = state.behaviourState;
    if (s != kKindSilence && s != kKindBuiltInSilence && s != kKindBuiltInSilenceMidBreath)
    {
        return;
    }
    const int c = DrawRandom(state.rng) % 1000;
    if (c < 900)
    {
        return;
    }
    double& elevation = Elevation(state);
    if (elevation >= -10)
    {
        elevation -= 1;
    }
    else if (elevation <= -40)
    {
        elevation += 1;
    }
    else
    {
        elevation += c > 950 ? 1 : -1;
    }
}

void SwapSides(AppState& state)
{
    if (!HasSourcePosition(state))
    {
        return;
    }
    double& azimuth = Azimuth(state);
    azimuth = azimuth < 180 ? 270 : 90;
}

} // namespace yumo
