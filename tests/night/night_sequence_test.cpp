// A night's course: starting and stopping it, the clip sequence with its silences, the end
// after ten hours, and what carries over from one night to the next.

#include <gtest/gtest.h>
#include <vector>

#include "night/behaviour.h"
#include "night_fixture.h"

namespace yumo::test
{
namespace
{

class NightSequenceTest : public ::testing::Test
{
protected:
    void SetUp() override { state = MakeLoadedState(reporter, device); }

    // Puts the current clip's cursor at its end, as the refill leaves it after its last block.
    void FinishCurrentClip()
    {
        const int slot = ClipSlot(state->behaviourState, state->clipIndex);
        state->voices.tracks.playPosition[slot] = state->voices.tracks.lengthFrames[slot];
        state->voices.tracks.outputByteCounter[slot] = state->voices.tracks.lengthBytes[slot] * 2;
    }

    CapturingReporter reporter;
    RecordingDevice device;
    std::unique_ptr<AppState> state;
};

TEST_F(NightSequenceTest, StartNightDrawsClipAndAutomaticTimeInOrder)
{
    GiveClips(*state, kKindGoodNight, 3, 4096);
    SetTime(*state, 23, 17, 40);
    state->referenceDistance.fill(0.3);
    state->stream.overlapLeft.fill(7);
    state->stream.overlapRight.fill(-7);
    state->blockTracks.values[kTrackAzimuth][0] = 300;
    StartNight(*state);

    // Seed 1 draws 41 then 18467: clip 41 % 3 = 2, wake time 420 + 18467 % 120 = 527.
    EXPECT_EQ(state->behaviourState, kKindGoodNight);
    EXPECT_EQ(state->clipIndex, 2);
    EXPECT_EQ(state->alarm.mode, kWakeAutomatic);
    EXPECT_EQ(state->alarm.minuteOfDay, 527);
    EXPECT_EQ(state->sleep.startMinute, 23 * 60 + 17);
    EXPECT_EQ(state->sleep.stateBeforeSilence, kKindGoodNight);
    EXPECT_EQ(state->referenceDistance[kKindGoodNight], 1.0);
    EXPECT_EQ(state->referenceDistance[kKindBreathIn], 0.3);
    EXPECT_EQ(state->phase, NightPhase::Running);
    EXPECT_EQ(state->blockTracks.values[kTrackAzimuth][0], 90.0);
    for (size_t i = 0; i < state->stream.overlapLeft.size(); ++i)
    {
        ASSERT_EQ(state->stream.overlapLeft[i], 0);
        ASSERT_EQ(state->stream.overlapRight[i], 0);
    }
    // The stream is primed: ten silent blocks in index order.
    EXPECT_EQ(device.writtenBlocks, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(NightSequenceTest, UserSetAlarmIsKeptWithoutADraw)
{
    state->alarm.mode = kWakeUserSet;
    state->alarm.minuteOfDay = 6 * 60 + 45;
    StartNight(*state);
    EXPECT_EQ(state->alarm.mode, kWakeUserSet);
    EXPECT_EQ(state->alarm.minuteOfDay, 6 * 60 + 45);
    EXPECT_EQ(CountDraws(1, state->rng.state), 1);
}

TEST_F(NightSequenceTest, StartNightRefusesWithoutVoicesOrPermission)
{
    struct Case
    {
        NightPhase phase; // no voice data; a night that ended by itself; a set without clips
        int goodNightClips;
    };
    for (const Case& c :
         {Case{NightPhase::NoVoice, 1}, Case{NightPhase::Ended, 1}, Case{NightPhase::Loaded, 0}})
    {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.phase) << c.goodNightClips);
        RecordingDevice fresh;
        state = MakeLoadedState(reporter, fresh);
        state->phase = c.phase;
        GiveClips(*state, kKindGoodNight, c.goodNightClips, 1024);
        StartNight(*state);
        EXPECT_EQ(state->behaviourState, kStateNotAsleep);
        EXPECT_EQ(state->phase, c.phase);
        EXPECT_EQ(state->alarm.mode, kWakeOff);
        EXPECT_EQ(state->rng.state, 1u); // nothing drawn
        EXPECT_TRUE(fresh.writtenBlocks.empty());
    }
}

TEST_F(NightSequenceTest, GoodNightClipAlreadyAtItsEndStartsNothing)
{
    GiveClips(*state, kKindGoodNight, 1, 1024);
    state->voices.tracks.playPosition[ClipSlot(kKindGoodNight, 0)] = 1024;
    StartNight(*state);
    EXPECT_EQ(state->phase, NightPhase::Loaded);
    EXPECT_TRUE(device.writtenBlocks.empty());
    EXPECT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Stop);
}

TEST_F(NightSequenceTest, MissingBuiltInSilencesAreRestoredAtStart)
{
    state->voices.clipCounts[kKindBuiltInSilence] = 0;
    GiveClips(*state, kKindSilence, 0, 0);
    StartNight(*state);
    ASSERT_EQ(state->voices.clipCounts[kKindBuiltInSilence], 4);
    FinishCurrentClip();
    state->silenceGapPending = true;
    EXPECT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Continue);
    EXPECT_EQ(state->behaviourState, kKindBuiltInSilence);
    EXPECT_EQ(state->voices.tracks.lengthFrames[ClipSlot(kKindBuiltInSilence, state->clipIndex)],
              10240 * (state->clipIndex + 1));
}

TEST_F(NightSequenceTest, EveryClipIsFollowedByOneSilenceThenAChoice)
{
    StartNight(*state);
    ASSERT_TRUE(state->silenceGapPending);
    // The clip is still playing: nothing changes and nothing is drawn.
    const uint32_t rngBefore = state->rng.state;
    EXPECT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Continue);
    EXPECT_EQ(state->rng.state, rngBefore);
    EXPECT_EQ(state->behaviourState, kKindGoodNight);

    int previous = kKindGoodNight;
    int gapsAfterClips = 0;
    int silentChoices = 0;
    for (int step = 0; step < 400; ++step)
    {
        const bool gapWasPending = state->silenceGapPending;
        const int endedSlot = ClipSlot(state->behaviourState, state->clipIndex);
        FinishCurrentClip();
        ASSERT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Continue);
        EXPECT_EQ(state->voices.tracks.playPosition[endedSlot], 0);
        EXPECT_EQ(state->voices.tracks.outputByteCounter[endedSlot], 0);
        const int now = state->behaviourState;
        const bool silent = now == kKindSilence || now == kKindBuiltInSilence ||
                            now == kKindBuiltInSilenceMidBreath;
        if (gapWasPending)
        {
            // The gap after a clip: a silence that remembers the clip before it.
            EXPECT_EQ(now, kKindSilence);
            EXPECT_EQ(state->sleep.stateBeforeSilence, previous);
            EXPECT_FALSE(state->silenceGapPending);
            ++gapsAfterClips;
        }
        else
        {
            // A choice: a silence chosen for itself is followed directly by the next choice.
            EXPECT_EQ(state->silenceGapPending, !silent);
            silentChoices += silent;
        }
        previous = now;
    }
    EXPECT_GT(gapsAfterClips, 50);
    EXPECT_GT(silentChoices, 50);
}

TEST_F(NightSequenceTest, GapWithoutRecordedSilenceFollowsTheBreathPhase)
{
    GiveClips(*state, kKindSilence, 0, 0);
    StartNight(*state);
    for (int midBreath : {0, 1})
    {
        state->behaviourState = kKindBreathIn;
        state->clipIndex = 0;
        state->silenceGapPending = true;
        state->sleep.midBreath = midBreath;
        FinishCurrentClip();
        ASSERT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Continue);
        EXPECT_EQ(state->behaviourState, kKindBuiltInSilence + midBreath);
        EXPECT_EQ(state->sleep.stateBeforeSilence, kKindBreathIn);
    }
}

TEST_F(NightSequenceTest, TenHourEndStopsTheSequenceUntilStopNight)
{
    SetTime(*state, 22, 0, 10);
    StartNight(*state);
    state->silenceGapPending = false;
    // Kind 1 was left half played by an earlier night; a night ended by itself keeps it.
    state->voices.tracks.playPosition[ClipSlot(kKindBreathInOut, 0)] = 512;
    SetTime(*state, 8, 0, 10);
    FinishCurrentClip();
    EXPECT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Stop);
    EXPECT_EQ(state->phase, NightPhase::Ended);
    EXPECT_EQ(state->behaviourState, kStateNotAsleep);
    EXPECT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Stop);

    // Menus stay as in a running night, and a new night may not start yet.
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::Running);
    EXPECT_EQ(PlayPaneState(state->phase), PlayPaneLook::Pressed);
    device.writtenBlocks.clear();
    StartNight(*state);
    EXPECT_EQ(state->phase, NightPhase::Ended);
    EXPECT_TRUE(device.writtenBlocks.empty());

    StopNight(*state);
    EXPECT_EQ(state->voices.tracks.playPosition[ClipSlot(kKindBreathInOut, 0)], 512);
    EXPECT_EQ(state->phase, NightPhase::Stopped);
    EXPECT_EQ(device.resets, 1);
    StartNight(*state);
    EXPECT_EQ(state->phase, NightPhase::Running);
    EXPECT_EQ(device.writtenBlocks.size(), 10u);
}

TEST_F(NightSequenceTest, StopNightResetsTheCurrentKindAndTheNightsFlags)
{
    GiveClips(*state, kKindSleepTalk, 4, 8192);
    StartNight(*state);
    state->behaviourState = kKindSleepTalk;
    state->clipIndex = 2;
    for (int i = 0; i < 4; ++i)
    {
        state->voices.tracks.playPosition[ClipSlot(kKindSleepTalk, i)] = 1024 * (i + 1);
        state->voices.tracks.outputByteCounter[ClipSlot(kKindSleepTalk, i)] = 4096 * (i + 1);
    }
    state->voices.tracks.playPosition[ClipSlot(kKindMumble, 0)] = 512;
    state->music.cursorFrames = 100;
    state->music.cursorBytes = 400;
    state->sleep.depth = 66;
    state->stream.peaks[3] = BlockPeak{1000, 2000};

    StopNight(*state);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(state->voices.tracks.playPosition[ClipSlot(kKindSleepTalk, i)], 0);
        EXPECT_EQ(state->voices.tracks.outputByteCounter[ClipSlot(kKindSleepTalk, i)], 0);
    }
    EXPECT_EQ(state->voices.tracks.playPosition[ClipSlot(kKindMumble, 0)], 512);
    EXPECT_EQ(state->music.cursorFrames, 0);
    EXPECT_EQ(state->music.cursorBytes, 0);
    EXPECT_EQ(state->phase, NightPhase::Stopped);
    EXPECT_EQ(state->sleep.depth, 0);
    EXPECT_EQ(state->behaviourState, kStateNotAsleep);
    EXPECT_EQ(state->alarm.mode, kWakeOff); // the automatic time is cleared
    EXPECT_EQ(state->stream.peaks[3].left, 0.0);
    EXPECT_EQ(state->stream.peaks[3].right, 0.0);
    EXPECT_EQ(device.resets, 1);

    // A second stop does nothing.
    state->music.cursorFrames = 5;
    StopNight(*state);
    EXPECT_EQ(state->music.cursorFrames, 5);
    EXPECT_EQ(device.resets, 1);

    // A user-set alarm outlives the night.
    state->alarm.mode = kWakeUserSet;
    StartNight(*state);
    StopNight(*state);
    EXPECT_EQ(state->alarm.mode, kWakeUserSet);
}

TEST_F(NightSequenceTest, MoodCarriesOverToTheNextNight)
{
    StartNight(*state);
    state->sleep.alertness = 321;
    state->sleep.facing = 1;
    state->sleep.dreaming = 1;
    state->sleep.midBreath = 1;
    state->silenceGapPending = false;
    StopNight(*state);
    StartNight(*state);
    EXPECT_EQ(state->sleep.alertness, 321);
    EXPECT_EQ(state->sleep.facing, 1);
    EXPECT_EQ(state->sleep.dreaming, 1);
    EXPECT_EQ(state->sleep.midBreath, 1);
    // The good-night clip is then followed directly by a choice, not by a silence.
    FinishCurrentClip();
    ASSERT_EQ(AdvanceClipSequence(*state), SequenceAnswer::Continue);
    EXPECT_NE(state->behaviourState, kKindGoodNight);
    EXPECT_EQ(state->sleep.midBreath, 0); // the pending breath-in was answered
}

// A whole night, block by block: the record of every state change and position.
struct NightLog
{
    std::vector<int> states;
    std::vector<int> clips;
    std::vector<double> azimuths;
    int64_t blocks = 0;
};

NightLog PlayLoggedNight(AppState& state)
{
    NightLog log;
    NightPlayer player(state, 22 * 3600 + 10);
    StartNight(state);
    int previous = -1;
    while (PlayBlock(player))
    {
        if (state.behaviourState != previous)
        {
            log.states.push_back(state.behaviourState);
            log.clips.push_back(state.clipIndex);
            log.azimuths.push_back(state.blockTracks.values[kTrackAzimuth][0]);
            previous = state.behaviourState;
        }
    }
    log.blocks = player.blocksPlayed;
    StopNight(state);
    return log;
}

TEST_F(NightSequenceTest, SameSeedAndClockPlayTheSameNight)
{
    SetTime(*state, 22, 0, 10);
    const NightLog first = PlayLoggedNight(*state);

    RecordingDevice otherDevice;
    std::unique_ptr<AppState> other = MakeLoadedState(reporter, otherDevice);
    SetTime(*other, 22, 0, 10);
    const NightLog second = PlayLoggedNight(*other);

    EXPECT_EQ(first.states, second.states);
    EXPECT_EQ(first.clips, second.clips);
    EXPECT_EQ(first.azimuths, second.azimuths);
    // The night ran from 22:00:10 to the first choice after 08:00:00, which comes within a
    // built-in silence's 80 blocks.
    const int64_t tenHours = (int64_t{600} * 60 - 10) * kSampleRate / kFramesPerBlock;
    EXPECT_GE(first.blocks, tenHours - 1);
    EXPECT_LE(first.blocks, tenHours + 80);

    // A second night from the same state continues the sequence rather than repeating it.
    SetTime(*state, 22, 0, 10);
    const NightLog third = PlayLoggedNight(*state);
    EXPECT_NE(first.states, third.states);
}

} // namespace
} // namespace yumo::test
