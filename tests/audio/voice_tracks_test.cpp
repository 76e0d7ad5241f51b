#include <gtest/gtest.h>

#include "audio/voice_tracks.h"

namespace yumo
{
namespace
{

struct TrackCase
{
    int32_t lengthBytes;
    int32_t expectedEntries;
    int32_t setEntries; // entries that get a position and the per-block values
};

class SetUpSlotTracksTest : public ::testing::TestWithParam<TrackCase>
{
};

TEST_P(SetUpSlotTracksTest, FillsOneEntryPerStartedBlockPlusOne)
{
    const TrackCase c = GetParam();
    KeyframeTracks keyframes;
    BlockTracks blocks = MakeInitialBlockTracks();
    SetUpSlotTracks(c.lengthBytes / 4, c.lengthBytes, keyframes, blocks);

    const double blockValues[4] = {0.0, 0.0, 0.3, 100.0};
    const double keyValues[4] = {5000.0, 5000.0, 9000.0, 270.0};
    for (int t = 0; t < 4; ++t)
    {
        SCOPED_TRACE(t);
        ASSERT_EQ(blocks.counts[t], c.expectedEntries);
        ASSERT_EQ(blocks.positions[t].size(), static_cast<size_t>(c.expectedEntries));
        ASSERT_EQ(blocks.values[t].size(), static_cast<size_t>(c.expectedEntries));
        for (int i = 0; i < c.expectedEntries; ++i)
        {
            const bool set = i < c.setEntries;
            EXPECT_EQ(blocks.positions[t][i], set ? 2048 * i : 0) << "entry " << i;
            EXPECT_EQ(blocks.values[t][i], set ? blockValues[t] : 0.0) << "entry " << i;
        }

        EXPECT_EQ(keyframes.counts[t], 2);
        ASSERT_EQ(keyframes.positions[t].size(), static_cast<size_t>(kKeyframeCapacity));
        ASSERT_EQ(keyframes.values[t].size(), static_cast<size_t>(kKeyframeCapacity));
        EXPECT_EQ(keyframes.positions[t][0], 0);
        EXPECT_EQ(keyframes.positions[t][1], c.lengthBytes / 4);
        EXPECT_EQ(keyframes.values[t][0], keyValues[t]);
        EXPECT_EQ(keyframes.values[t][1], keyValues[t]);
        EXPECT_EQ(keyframes.values[t][2], 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(MusicLengths, SetUpSlotTracksTest,
                         ::testing::Values(
                             // 1024 frames: a whole number of blocks leaves the last entry zero.
                             TrackCase{4096, 3, 2},
                             // A partial third block gets an entry of its own.
                             TrackCase{5000, 3, 3},
                             // Empty music: one entry left at zero, keyframes at 0 and 0.
                             TrackCase{0, 1, 0}, TrackCase{2047, 1, 1}, TrackCase{2048, 2, 1}));

TEST(SetUpSlotTracks, ReplacesTheArraysOfEarlierMusicAndMovesTheVoiceToTheFront)
{
    KeyframeTracks keyframes;
    BlockTracks blocks = MakeInitialBlockTracks();
    EXPECT_EQ(blocks.values[kTrackAzimuth][0], 90.0);
    EXPECT_EQ(blocks.values[kTrackElevation][0], -40.0);
    EXPECT_EQ(blocks.values[kTrackDistance][0], 0.3);

    SetUpSlotTracks(100000, 400000, keyframes, blocks);
    ASSERT_EQ(blocks.counts[0], 400000 / 2048 + 1);
    SetUpSlotTracks(1024, 4096, keyframes, blocks);
    for (int t = 0; t < 4; ++t)
    {
        // No entry of the longer music survives in the shorter one's arrays.
        EXPECT_EQ(blocks.positions[t].size(), 3u);
        EXPECT_EQ(blocks.values[t].size(), 3u);
        EXPECT_EQ(blocks.positions[t][2], 0);
        EXPECT_EQ(keyframes.positions[t][1], 1024);
    }
    EXPECT_EQ(blocks.values[kTrackAzimuth][0], 0.0);
    EXPECT_EQ(blocks.values[kTrackElevation][0], 0.0);
    EXPECT_EQ(blocks.values[kTrackDistance][0], 0.3);
}

TEST(SetUpSlotTracks, NegativeLengthIsTakenAsEmptyMusic)
{
    KeyframeTracks keyframes;
    BlockTracks blocks;
    SetUpSlotTracks(-1, -5000, keyframes, blocks);
    for (int t = 0; t < 4; ++t)
    {
        EXPECT_EQ(blocks.counts[t], 1);
        EXPECT_EQ(blocks.positions[t].size(), 1u);
        EXPECT_EQ(blocks.values[t][0], 0.0);
    }
}

} // namespace
} // namespace yumo
