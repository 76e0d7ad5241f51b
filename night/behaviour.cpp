// Night start and stop, the clip sequence of each block, and where her voice comes from.

#include "night/behaviour.h"

#include "night/behaviour_detail.h"
#include "night/output_stream.h"

namespace yumo
{

namespace
{

void ResetSlotCounters(VoiceTrackTable& tracks, int slot)
{
    tracks.playPosition[slot] = 0;
    tracks.outputByteCounter[slot] = 0;
}

double& Azimuth(AppState& state) { return state.blockTracks.values[kTrackAzimuth][0]; }
double& Elevation(AppState& state) { return state.blockTracks.values[kTrackElevation][0]; }
double& Distance(AppState& state) { return state.blockTracks.values[kTrackDistance][0]; }

} // namespace

void StartNight(AppState& state)
{
    if (!MayStartNight(state.phase))
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
    state.sleep.calledForMinute = -1;
    state.sleep.tenHoursUp = 0;
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
    EnterNightPhase(state, NightPhase::Running);
    state.stream.overlapLeft.fill(0);
    state.stream.overlapRight.fill(0);

    if (!PrimeStream(state))
    {
        EndNightOnDeviceFailure(state);
        return;
    }

    if (HasSourcePosition(state.blockTracks))
    {
        Azimuth(state) = 90;
    }
}

void StopNight(AppState& state)
{
    if (!NightStarted(state.phase))
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

    EnterNightPhase(state, NightPhase::Stopped);
    ResetStream(state);

    state.sleep.depth = 0;
    state.behaviourState = kStateNotAsleep;
    if (state.alarm.mode == kWakeAutomatic)
    {
        state.alarm.mode = kWakeOff;
    }

    state.stream.peaks.fill(BlockPeak{});
}

void DrainNight(AppState& state)
{
    if (NightPlays(state.phase))
    {
        EnterNightPhase(state, NightPhase::Ended);
    }
}

SequenceAnswer AdvanceClipSequence(AppState& state)
{
    if (!NightPlays(state.phase))
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

    if (state.silenceGapPending)
    {
        state.sleep.stateBeforeSilence = state.behaviourState;
        state.behaviourState = HasClip(state, kKindSilence)
                                   ? kKindSilence
                                   : kKindBuiltInSilence + state.sleep.midBreath;
        state.clipIndex = DrawClipIndex(state, state.behaviourState);
        state.silenceGapPending = false;
    }
    else
    {
        state.silenceGapPending = true;
        const int32_t next = ChooseNextActivity(state);
        if (next == kStateNotAsleep)
        {
            DrainNight(state); // ten hours have passed
            return SequenceAnswer::Stop;
        }
        // A silence chosen for its own sake is not followed by another one.
        if (IsSilenceKind(next))
        {
            state.silenceGapPending = false;
        }
    }
    ResetSlotCounters(tracks, ClipSlot(state.behaviourState, state.clipIndex));
    return SequenceAnswer::Continue;
}

void DriftSourcePosition(AppState& state)
{
    if (!HasSourcePosition(state.blockTracks))
    {
        return;
    }
    Distance(state) = kStandingPosition.distance;
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
    if (!IsSilenceKind(state.behaviourState))
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
    if (!HasSourcePosition(state.blockTracks))
    {
        return;
    }
    double& azimuth = Azimuth(state);
    azimuth = azimuth < 180 ? 270 : 90;
}

} // namespace yumo
