// The bookkeeping under the real-time devices: the byte timeline of written blocks, sending in
// pieces that cross block boundaries, handing back what was heard or dropped, notifications
// that write, reset or close the device while blocks are handed back, and exact byte times.

#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <numeric>
#include <vector>

#include "night/block_timeline.h"
#include "night/byte_clock.h"

namespace yumo
{
namespace
{

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

TEST(BlockTimeline, SendsInOrderAcrossBlocksAndHandsBackWhatWasPlayedOrDropped)
{
    std::vector<uint8_t> bytes(16);
    std::iota(bytes.begin(), bytes.end(), 0);
    BlockTimeline timeline;
    ASSERT_TRUE(timeline.Push(3, bytes.data(), 10));
    ASSERT_TRUE(timeline.Push(7, bytes.data() + 10, 6));
    EXPECT_EQ(SendAll(timeline, 4), bytes); // pieces of 4 straddle the boundary at 10

    TimelineBlock block;
    EXPECT_FALSE(timeline.PopFinished(9, block)); // block 3's last byte not yet heard
    ASSERT_TRUE(timeline.PopFinished(10, block));
    EXPECT_EQ(block.blockIndex, 3);

    // A reset: block 7 comes back at once, the unsent half of block 8 is never sent, and a
    // block written afterwards is sent and waits to be heard behind them.
    ASSERT_TRUE(timeline.Push(8, bytes.data(), 8));
    timeline.MarkSent(4);
    timeline.DropAll();
    ASSERT_TRUE(timeline.Push(9, bytes.data() + 8, 2));
    EXPECT_EQ(SendAll(timeline, 100), (std::vector<uint8_t>{8, 9}));
    for (int expected : {7, 8})
    {
        ASSERT_TRUE(timeline.PopFinished(0, block));
        EXPECT_EQ(block.blockIndex, expected);
        EXPECT_TRUE(block.dropped);
    }
    EXPECT_FALSE(timeline.PopFinished(25, block));
    ASSERT_TRUE(timeline.PopFinished(26, block));
    EXPECT_EQ(block.blockIndex, 9);
    EXPECT_TRUE(timeline.Empty());
}

// A new stream after a lost one: what was sent is sent again from a position, but never from
// before the oldest block still held (the earlier ones are back with their owner) nor from a
// dropped block, and never beyond what was sent.
TEST(BlockTimeline, RewindSendsAgainFromAPositionWithinTheBlocksStillHeld)
{
    std::vector<uint8_t> bytes(16);
    std::iota(bytes.begin(), bytes.end(), 0);
    BlockTimeline timeline;
    ASSERT_TRUE(timeline.Push(0, bytes.data(), 6));
    ASSERT_TRUE(timeline.Push(1, bytes.data() + 6, 6));
    ASSERT_TRUE(timeline.Push(2, bytes.data() + 12, 4));
    SendAll(timeline, 100);
    TimelineBlock block;
    ASSERT_TRUE(timeline.PopFinished(6, block)); // block 0 is back

    EXPECT_EQ(timeline.RewindTo(8), 8u);
    EXPECT_EQ(SendAll(timeline, 5), (std::vector<uint8_t>{8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(timeline.RewindTo(2), 6u); // block 0's bytes are gone: from block 1's start
    EXPECT_EQ(SendAll(timeline, 100).front(), 6);
    EXPECT_EQ(timeline.RewindTo(40), 16u);

    // Dropped blocks are never sent again; a block written after the drop is.
    timeline.DropAll();
    EXPECT_EQ(timeline.RewindTo(0), 16u);
    ASSERT_TRUE(timeline.Push(3, bytes.data(), 4));
    SendAll(timeline, 100);
    EXPECT_EQ(timeline.RewindTo(0), 16u);
    EXPECT_EQ(SendAll(timeline, 100), (std::vector<uint8_t>{0, 1, 2, 3}));
}

TEST(BlockTimeline, NeighbouringBlocksGoOutAsOneRunAndOthersApart)
{
    std::vector<uint8_t> ring(12);
    std::iota(ring.begin(), ring.end(), 0);
    BlockTimeline timeline;
    // Blocks 2 and 0 of a ring of three: the wrap splits the run; 0 and 1 are neighbours.
    ASSERT_TRUE(timeline.Push(2, ring.data() + 8, 4));
    ASSERT_TRUE(timeline.Push(0, ring.data(), 4));
    ASSERT_TRUE(timeline.Push(1, ring.data() + 4, 4));
    UnsentBytes run = timeline.NextUnsent(100);
    EXPECT_EQ(run.data, ring.data() + 8);
    EXPECT_EQ(run.byteCount, 4u);
    timeline.MarkSent(2);
    run = timeline.NextUnsent(100);
    EXPECT_EQ(run.data, ring.data() + 10);
    EXPECT_EQ(run.byteCount, 2u);
    timeline.MarkSent(2);
    run = timeline.NextUnsent(6); // capped inside block 1
    EXPECT_EQ(run.data, ring.data());
    EXPECT_EQ(run.byteCount, 6u);
    EXPECT_EQ(timeline.NextUnsent(100).byteCount, 8u);
    EXPECT_EQ(timeline.WakeUpEnd(2), 8u);
    EXPECT_EQ(timeline.WakeUpEnd(5), 12u); // fewer held: the newest
}

TEST(DeliverFinishedBlocks, NotificationsMayWriteResetOrCloseWhileBlocksComeBack)
{
    const std::vector<uint8_t> bytes(4);
    BlockTimeline timeline;
    uint64_t generation = 0;
    std::vector<int> seen;
    AudioDevice::BlockDone notify = [&](int index) {
        seen.push_back(index);
        if (index == 0)
        {
            timeline.Push(10, bytes.data(), 4); // a refill: written behind, not yet heard
        }
        if (index == 1)
        {
            timeline.DropAll(); // a reset: block 2 and the refill come back in the same pass
        }
    };
    for (int i = 0; i < 3; ++i)
    {
        timeline.Push(i, bytes.data(), 4);
    }
    EXPECT_EQ(DeliverFinishedBlocks(timeline, 8, notify, generation), 4);
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 10}));
    ASSERT_TRUE(notify); // back in its place after each call

    // A notification that closes the device (a new generation) ends the pass.
    timeline.Push(20, bytes.data(), 4);
    timeline.Push(21, bytes.data(), 4);
    notify = [&](int index) {
        seen.push_back(index);
        ++generation;
    };
    EXPECT_EQ(DeliverFinishedBlocks(timeline, timeline.WrittenEnd(), notify, generation), 1);
    EXPECT_EQ(timeline.Count(), 1);
}

TEST(ByteClock, ConvertsExactlyOverATenHourNightAtTheHighestRate)
{
    using std::chrono::nanoseconds;
    const uint64_t rate = uint64_t{kMaxDeviceSampleRate} * 4; // stereo 16-bit
    // 3.6e13 ns x 1.5e6 B/s would overflow 64 bits if formed at once.
    EXPECT_EQ(BytesInDuration(std::chrono::hours(10), rate), 36000 * rate);
    EXPECT_EQ(DurationOfBytes(36000 * rate, rate), std::chrono::hours(10));

    // One 2048-byte block at 44.1 kHz stereo lasts 11.609977... ms, rounded up.
    EXPECT_EQ(DurationOfBytes(2048, 176400), nanoseconds(11609978));
    EXPECT_EQ(BytesInDuration(nanoseconds(11609978), 176400), 2048u);
    EXPECT_EQ(BytesInDuration(nanoseconds(11609977), 176400), 2047u);
    EXPECT_EQ(BytesInDuration(nanoseconds(-5), 176400), 0u);

    EXPECT_EQ(BytesPerSecond(PcmFormat{1, 1, 22050, 44100, 2, 16, 0}), 44100u);
    EXPECT_EQ(BytesPerSecond(PcmFormat{1, 6, 44100, 529200, 12, 16, 0}), 0u); // six channels
}

} // namespace
} // namespace yumo
