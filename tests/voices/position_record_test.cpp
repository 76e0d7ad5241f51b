#include <gtest/gtest.h>

#include "common/byte_io.h"
#include "common/results.h"
#include "support/test_support.h"
#include "voices/position_record.h"

namespace yumo
{
namespace
{

PositionRecordInput MakeInput()
{
    PositionRecordInput input;
    input.musicLoadCount = 2;
    input.musicPath = "/music/雨.wav";
    input.lengthFrames = 1024;
    input.lengthBytes = 4096;
    input.channels = 1;
    input.sampleRate = 44100;
    input.bitsPerSample = 16;
    input.format = PcmFormat{1, 1, 44100, 88200, 2, 16, 0};
    input.referenceDistance = 0.0;
    return input;
}

TEST(PositionRecord, LaysOutTheMusicSlotAndBothTrackRecords)
{
    KeyframeTracks keyframes;
    BlockTracks blocks = MakeInitialBlockTracks();
    SetUpSlotTracks(1024, 4096, keyframes, blocks);
    blocks.values[kTrackAzimuth][0] = 270.5; // the voice has moved since the music load
    const std::vector<uint8_t> bytes = MakePositionRecord(MakeInput(), keyframes, blocks);

    ByteReader reader = MakeByteReader(bytes);
    EXPECT_EQ(ReadI32(reader), -1);
    EXPECT_EQ(ReadI32(reader), 101);
    EXPECT_EQ(ReadI32(reader), 2);
    EXPECT_EQ(ReadI32(reader), 520);
    std::u16string path;
    for (int i = 0; i < 260; ++i)
    {
        path.push_back(static_cast<char16_t>(ReadU16(reader)));
    }
    EXPECT_EQ(path.substr(0, 12), u"/music/雨.wav");
    EXPECT_EQ(path.find_first_not_of(u'\0', 12), std::u16string::npos);
    for (int32_t expected : {1024, 4096, 1, 44100, 16, 0, 0})
    {
        EXPECT_EQ(ReadI32(reader), expected);
    }
    EXPECT_EQ(ReadU16(reader), 1);
    EXPECT_EQ(ReadU16(reader), 1);
    EXPECT_EQ(ReadU32(reader), 44100u);
    EXPECT_EQ(ReadU32(reader), 88200u);
    EXPECT_EQ(ReadU16(reader), 2);
    EXPECT_EQ(ReadU16(reader), 16);

    // Keyframes: counts of tracks 0-2, their positions, their values, then track 3.
    EXPECT_EQ(ReadI32(reader), 2);
    EXPECT_EQ(ReadI32(reader), 2);
    EXPECT_EQ(ReadI32(reader), 2);
    for (int t = 0; t < 3; ++t)
    {
        EXPECT_EQ(ReadI32(reader), 0);
        EXPECT_EQ(ReadI32(reader), 1024);
    }
    for (double value : {5000.0, 5000.0, 5000.0, 5000.0, 9000.0, 9000.0})
    {
        EXPECT_EQ(ReadF64(reader), value);
    }
    EXPECT_EQ(ReadI32(reader), 2);
    EXPECT_EQ(ReadI32(reader), 0);
    EXPECT_EQ(ReadI32(reader), 1024);
    EXPECT_EQ(ReadF64(reader), 270.0);
    EXPECT_EQ(ReadF64(reader), 270.0);

    // Block tracks: three entries each (4096 bytes), the last left at zero.
    for (int t = 0; t < 3; ++t)
    {
        EXPECT_EQ(ReadI32(reader), 3);
    }
    for (int t = 0; t < 3; ++t)
    {
        EXPECT_EQ(ReadI32(reader), 0);
        EXPECT_EQ(ReadI32(reader), 2048);
        EXPECT_EQ(ReadI32(reader), 0);
    }
    for (double value : {270.5, 0.0, 0.0, 0.0, 0.0, 0.0, 0.3, 0.3, 0.0})
    {
        EXPECT_EQ(ReadF64(reader), value);
    }
    EXPECT_EQ(ReadI32(reader), 3);
    EXPECT_EQ(ReadI32(reader), 0);
    EXPECT_EQ(ReadI32(reader), 2048);
    EXPECT_EQ(ReadI32(reader), 0);
    EXPECT_EQ(ReadF64(reader), 100.0);
    EXPECT_EQ(ReadF64(reader), 100.0);
    EXPECT_EQ(ReadF64(reader), 0.0);

    EXPECT_EQ(ReadF64(reader), 0.0); // reference distance of kind 0
    EXPECT_TRUE(reader.ok);
    EXPECT_EQ(RemainingBytes(reader), 0u);
}

TEST(PositionRecord, NeverFollowsACountPastTheArraysItDescribes)
{
    KeyframeTracks empty; // no music loaded: no keyframe arrays at all
    BlockTracks blocks = MakeInitialBlockTracks();
    blocks.counts[1] = 50; // larger than its one-element arrays
    blocks.counts[3] = -3;
    const std::vector<uint8_t> bytes = MakePositionRecord(MakeInput(), empty, blocks);
    // Header 4 * 4 + 520 + 28 + 16, empty keyframes 3 * 4 + 4, block tracks
    // 3 * 4 + 3 * (4 + 8) + 4, reference distance 8.
    EXPECT_EQ(bytes.size(), 16u + 520 + 28 + 16 + 16 + 12 + 36 + 4 + 8);
}

TEST(PositionRecord, WriteReplacesTheTargetOnlyWhenComplete)
{
    test::TempDir dir;
    KeyframeTracks keyframes;
    BlockTracks blocks = MakeInitialBlockTracks();
    CapturingReporter reporter;
    const std::string path = (dir / "position.ymv").string();
    ASSERT_EQ(WritePositionRecord(path, MakeInput(), keyframes, blocks, reporter), kOk);
    EXPECT_EQ(test::ReadBytesFile(path), MakePositionRecord(MakeInput(), keyframes, blocks));
    EXPECT_EQ(WritePositionRecord((dir / "no" / "p.ymv").string(), MakeInput(), keyframes, blocks,
                                  reporter),
              kWriteFailed);
    EXPECT_EQ(reporter.messages.size(), 1u);
}

// Long music holds only its first block entries; the record still has every one, as the full
// arrays the music load describes would give them.
TEST(PositionRecord, LongMusicWritesEveryBlockEntryItDoesNotHold)
{
    constexpr int64_t kHeldBytes = int64_t{kHeldBlockEntries} * kBytesPerBlock;
    for (int64_t length :
         {kHeldBytes - 5000, kHeldBytes, kHeldBytes + 3 * 2048 + 100, int64_t{INT32_MAX}})
    {
        const auto bytes = static_cast<int32_t>(length);
        KeyframeTracks keyframes;
        BlockTracks held = MakeInitialBlockTracks();
        SetUpSlotTracks(bytes / 4, bytes, keyframes, held);
        held.values[kTrackAzimuth][0] = 33.0;
        EXPECT_LE(held.positions[0].size(), static_cast<size_t>(kHeldBlockEntries)) << length;

        BlockTracks full;
        const double values[4] = {0.0, 0.0, 0.3, 100.0};
        for (int t = 0; t < 4; ++t)
        {
            full.counts[t] = bytes / kBytesPerBlock + 1;
            full.positions[t].assign(static_cast<size_t>(full.counts[t]), 0);
            full.values[t].assign(static_cast<size_t>(full.counts[t]), 0.0);
            for (int64_t e = 0; e * kBytesPerBlock < length; ++e)
            {
                full.positions[t][static_cast<size_t>(e)] =
                    static_cast<int32_t>(e * kBytesPerBlock);
                full.values[t][static_cast<size_t>(e)] = values[t];
            }
        }
        full.values[kTrackAzimuth][0] = 33.0;
        ASSERT_EQ(MakePositionRecord(MakeInput(), keyframes, held),
                  MakePositionRecord(MakeInput(), keyframes, full))
            << length;
    }
}

} // namespace
} // namespace yumo
