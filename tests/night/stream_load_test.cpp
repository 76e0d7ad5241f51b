// Loading voice data and music as the window's commands do: positions, permissions, the
// device and a running night.

#include <gtest/gtest.h>

#include "common/results.h"
#include "night/behaviour.h"
#include "night/load_commands.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"
#include "support/test_support.h"
#include "voices/voice_data_file.h"

namespace yumo::test
{
namespace
{

class StreamLoad : public ::testing::Test
{
protected:
    void SetUp() override
    {
        VoiceSet set;
        EstablishBuiltInSilences(set);
        AppendTestClip(set, kKindGoodNight, MakeTriangleClip(4, 7000));
        AppendTestClip(set, kKindWakeCall, MakeTriangleClip(2, 7000));
        SilentReporter silent;
        ASSERT_EQ(WriteVoiceDataFile(Path("voice.ymv"), set, silent), kOk);
        state = CreateAppState(reporter);
        state->hrir = MakePassThroughHrirSet();
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    TempDir dir;
    CapturingReporter reporter;
    std::unique_ptr<AppState> state;
    OfflineDevice first;
    OfflineDevice second;
};

TEST_F(StreamLoad, AVoiceLoadPlacesTheVoiceAndOpensTheStream)
{
    state->blockTracks.values[kTrackAzimuth][0] = 200;
    state->blockTracks.values[kTrackElevation][0] = 3;
    state->blockTracks.values[kTrackDistance][0] = 2;
    ASSERT_EQ(LoadVoiceSet(*state, Path("voice.ymv"), first), kOk);
    EXPECT_EQ(state->phase, NightPhase::Loaded);
    EXPECT_EQ(state->voices.clipCounts[kKindGoodNight], 1);
    EXPECT_EQ(state->blockTracks.values[kTrackAzimuth][0], 90.0);
    EXPECT_EQ(state->blockTracks.values[kTrackElevation][0], -40.0);
    EXPECT_EQ(state->blockTracks.values[kTrackDistance][0], 0.3);
    EXPECT_TRUE(first.open);

    StartNight(*state);
    EXPECT_EQ(first.writtenBlocks, 10u);
}

TEST_F(StreamLoad, TheDeviceOfAnEarlierLoadIsClosedBeforeTheNextOpens)
{
    ASSERT_EQ(LoadVoiceSet(*state, Path("voice.ymv"), first), kOk);
    ASSERT_EQ(LoadVoiceSet(*state, Path("voice.ymv"), second), kOk);
    EXPECT_EQ(first.closeCount, 1);
    EXPECT_FALSE(first.open);
    EXPECT_TRUE(second.open);
    // Reloading onto the same device closes and reopens it.
    ASSERT_EQ(LoadVoiceSet(*state, Path("voice.ymv"), second), kOk);
    EXPECT_EQ(second.closeCount, 1);
    EXPECT_EQ(second.openCount, 2);
    EXPECT_TRUE(second.open);
}

TEST_F(StreamLoad, AFailedVoiceLoadLeavesNoVoiceAndTheDeviceAlone)
{
    ASSERT_EQ(LoadVoiceSet(*state, Path("voice.ymv"), first), kOk);
    EXPECT_EQ(LoadVoiceSet(*state, Path("missing.ymv"), second), kFileNotOpened);
    EXPECT_EQ(state->phase, NightPhase::NoVoice);
    EXPECT_EQ(state->voices.clipCounts[kKindGoodNight], 0);
    EXPECT_EQ(second.openCount, 0);
    EXPECT_TRUE(first.open);

    WriteBytesFile(dir / "short.ymv", {101, 0, 0, 0, 1, 2, 3});
    EXPECT_EQ(LoadVoiceSet(*state, Path("short.ymv"), second), kFileDamaged);
    EXPECT_EQ(state->phase, NightPhase::NoVoice);
    EXPECT_FALSE(reporter.messages.empty());
    StartNight(*state);
    EXPECT_EQ(state->phase, NightPhase::NoVoice);
}

TEST_F(StreamLoad, LoadingVoicesDuringANightDrainsItAndAllowsANewOne)
{
    ASSERT_EQ(LoadVoiceSet(*state, Path("voice.ymv"), first), kOk);
    StartNight(*state);
    while (first.playedBlocks < 14)
    {
        PumpOfflineDevice(first);
    }
    state->stream.peaks[2] = BlockPeak{5, 6};
    ASSERT_EQ(LoadVoiceSet(*state, Path("voice.ymv"), first), kOk);
    EXPECT_EQ(state->phase, NightPhase::Loaded); // drained, and a night may start
    EXPECT_EQ(state->stream.peaks[2].left, 0.0);
    EXPECT_FALSE(PumpOfflineDevice(first)); // the reopened device starts empty

    StartNight(*state);
    EXPECT_EQ(state->phase, NightPhase::Running);
    EXPECT_EQ(first.writtenBlocks, 10u + 14u + 10u);
}

} // namespace
} // namespace yumo::test
