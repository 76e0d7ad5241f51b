// The bookkeeping under the real-time devices: the byte timeline of written blocks, sending in
// pieces that cross block boundaries, handing back what was heard or dropped, and notifications
// that write, reset or close the device while the blocks are being handed back.

#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

#include "gui/block_timeline.h"
#include "gui/byte_clock.h"

namespace yumo
{
namespace
{

std::vector<uint8_t> Bytes(size_t count, uint8_t first)
{
    std::vector<uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// Sends everything in pieces of `piece` bytes and returns the bytes in the order sent.
std::vector<uint8_t> SendAll(BlockTimeline& timeline, size_t piece)
{
    std::vector<uint8_t> sent;
    for (UnsentBytes run = timeline.NextUnsent(piece); run.byteCount > 0;
         run = timeline.NextUnsent(piece))
    {
        sent.insert(sent.end(), run.data, run.data + run.byteCount);
        timeline.MarkSent(run.byteCount);
    }
    return sent;
}

TEST(BlockTimeline, SendsInOrderAcrossBlocksAndHandsBackOnlyWhatWasPlayed)
{
    const std::vector<uint8_t> a = Bytes(10, 0);
    const std::vector<uint8_t> b = Bytes(6, 100);
    BlockTimeline timeline;
    ASSERT_TRUE(timeline.Push(3, a.data(), a.size()));
    ASSERT_TRUE(timeline.Push(7, b.data(), b.size()));
    EXPECT_FALSE(timeline.Push(8, b.data(), 0));

    std::vector<uint8_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    EXPECT_EQ(SendAll(timeline, 4), expected); // pieces of 4 straddle the boundary at 10
    EXPECT_EQ(timeline.UnsentByteCount(), 0u);

    TimelineBlock block;
    EXPECT_FALSE(timeline.PopFinished(9, block)); // one byte of block 3 not yet heard
    ASSERT_TRUE(timeline.PopFinished(10, block));
    EXPECT_EQ(block.blockIndex, 3);
    EXPECT_FALSE(timeline.PopFinished(15, block));
    ASSERT_TRUE(timeline.PopFinished(16, block));
    EXPECT_EQ(block.blockIndex, 7);
    EXPECT_TRUE(timeline.Empty());
}

TEST(BlockTimeline, DroppedBlocksComeBackAtOnceAndTheirUnsentBytesAreNeverSent)
{
    const std::vector<uint8_t> a = Bytes(8, 0);
    const std::vector<uint8_t> b = Bytes(8, 50);
    BlockTimeline timeline;
    ASSERT_TRUE(timeline.Push(0, a.data(), a.size()));
    ASSERT_TRUE(timeline.Push(1, b.data(), b.size()));
    timeline.MarkSent(5);
    timeline.DropAll();
    EXPECT_EQ(timeline.UnsentByteCount(), 0u);

    // A block written after the reset is sent, and waits to be heard, behind the dropped ones.
    ASSERT_TRUE(timeline.Push(2, b.data(), 3));
    EXPECT_EQ(SendAll(timeline, 100), std::vector<uint8_t>(b.begin(), b.begin() + 3));
    TimelineBlock block;
    ASSERT_TRUE(timeline.PopFinished(0, block));
    EXPECT_TRUE(block.dropped);
    ASSERT_TRUE(timeline.PopFinished(0, block));
    EXPECT_EQ(block.blockIndex, 1);
    EXPECT_FALSE(timeline.PopFinished(18, block));
    ASSERT_TRUE(timeline.PopFinished(19, block));
    EXPECT_FALSE(block.dropped);
}

TEST(BlockTimeline, RefusesBlocksBeyondItsCapacity)
{
    const std::vector<uint8_t> a = Bytes(4, 0);
    BlockTimeline timeline;
    for (int i = 0; i < BlockTimeline::kCapacity; ++i)
    {
        ASSERT_TRUE(timeline.Push(i, a.data(), a.size()));
    }
    EXPECT_FALSE(timeline.Push(99, a.data(), a.size()));
    EXPECT_EQ(timeline.Count(), BlockTimeline::kCapacity);
}

TEST(DeliverFinishedBlocks, NotificationsMayWriteResetOrCloseWhileBlocksComeBack)
{
    const std::vector<uint8_t> a = Bytes(4, 0);
    BlockTimeline timeline;
    uint64_t generation = 0;
    std::vector<int> seen;
    AudioDevice::BlockDone notify = [&](int index) {
        seen.push_back(index);
        if (index == 0)
        {
            timeline.Push(10, a.data(), a.size()); // a refill: written behind, not yet heard
        }
        if (index == 1)
        {
            timeline.DropAll(); // a reset: block 2 and the refill come back in the same pass
        }
    };
    for (int i = 0; i < 3; ++i)
    {
        timeline.Push(i, a.data(), a.size());
    }
    EXPECT_EQ(DeliverFinishedBlocks(timeline, 8, notify, generation), 4);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 10}));
    ASSERT_TRUE(notify); // handed back to its place after each call

    // A notification that closes the device (a new generation) ends the pass.
    timeline.Push(20, a.data(), a.size());
    timeline.Push(21, a.data(), a.size());
    notify = [&](int index) {
        seen.push_back(index);
        ++generation;
    };
    EXPECT_EQ(DeliverFinishedBlocks(timeline, timeline.WrittenEnd(), notify, generation), 1);
    EXPECT_EQ(seen.back(), 20);
    EXPECT_EQ(timeline.Count(), 1);
}

TEST(ByteClock, ConvertsExactlyOverATenHourNightAtTheHighestRate)
{
    using std::chrono::nanoseconds;
    const uint64_t rate = uint64_t{kMaxDeviceSampleRate} * 4; // stereo 16-bit
    const nanoseconds tenHours = std::chrono::hours(10);
    // 3.6e13 ns x 1.5e6 B/s would overflow 64 bits if formed at once.
    EXPECT_EQ(BytesInDuration(tenHours, rate), 36000 * rate);
    EXPECT_EQ(DurationOfBytes(36000 * rate, rate), tenHours);

    // One 2048-byte block at 44.1 kHz stereo lasts 11.609977... ms, rounded up.
    EXPECT_EQ(DurationOfBytes(2048, 176400), nanoseconds(11609978));
    EXPECT_EQ(BytesInDuration(nanoseconds(11609978), 176400), 2048u);
    EXPECT_EQ(BytesInDuration(nanoseconds(11609977), 176400), 2047u);
    EXPECT_EQ(BytesInDuration(nanoseconds(-5), 176400), 0u);

    PcmFormat mono22k{1, 1, 22050, 44100, 2, 16, 0};
    EXPECT_EQ(BytesPerSecond(mono22k), 44100u);
    PcmFormat surround{1, 6, 44100, 529200, 12, 16, 0};
    EXPECT_EQ(BytesPerSecond(surround), 0u);
    PcmFormat eightBit{1, 2, 44100, 88200, 2, 8, 0};
    EXPECT_FALSE(IsPlayableFormat(eightBit));
}

} // namespace
} // namespace yumo
