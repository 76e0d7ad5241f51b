// The silent device keeps a night's pace without a sound card: blocks come back one per
// 11.6 ms, in order, never early and without drift, with no allocation per block; a reset hands
// the pending blocks back at once; a block written after the queue ran dry starts a new run.

#include <chrono>
#include <gtest/gtest.h>

#include <QTest>

#include "gui/sound/null_audio_device.h"
#include "gui/test_application.h"
#include "support/block_feeder.h"
#include "tools/figures/allocation_counter.h"

namespace yumo
{
namespace
{

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// When the k-th block (from 1) after a start of play has been heard, to the nanosecond.
Clock::duration DueAfter(int blocks)
{
    return std::chrono::nanoseconds(int64_t{blocks} * kFramesPerBlock * 1000000000 / kSampleRate);
}

TEST(NullAudioDevice, ReturnsBlocksInOrderAtTheRateOfPlayWithoutDriftOrAllocation)
{
    test::EnsureTestApplication();
    constexpr int kBlocks = 160; // 1.86 s
    NullAudioDevice device;
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(kBlocks);
    feeder.returned.reserve(kBlocks);
    feeder.returnTimes.reserve(kBlocks);
    long allocationsAt20 = 0;
    long allocationsAt150 = 0;
    feeder.onReturn = [&](int returns) {
        if (returns == 20)
        {
            allocationsAt20 = CountedAllocations();
        }
        if (returns == 150)
        {
            allocationsAt150 = CountedAllocations();
        }
    };
    ASSERT_TRUE(feeder.Open(device));
    feeder.Prime();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return static_cast<int>(feeder.returned.size()) == kBlocks; }, 5000));

    for (int k = 0; k < kBlocks; ++k)
    {
        EXPECT_EQ(feeder.returned[static_cast<size_t>(k)], k % kOutputBlockCount) << k;
        // The run starts at the first write, a moment after primeTime: never before this.
        EXPECT_GE(feeder.returnTimes[static_cast<size_t>(k)], feeder.primeTime + DueAfter(k + 1))
            << k;
    }
    // A timer of 11 or 12 ms would be 93 ms early or 58 ms late by the end.
    EXPECT_LT(feeder.returnTimes.back(), feeder.primeTime + DueAfter(kBlocks) + 30ms);
    EXPECT_EQ(allocationsAt150 - allocationsAt20, 0);
    EXPECT_EQ(device.PendingBlocks(), 0);
}

TEST(NullAudioDevice, UnwatchedBlocksComeBackFourAtATimeInOrderAndNeverEarly)
{
    test::EnsureTestApplication();
    constexpr int kBlocks = 80;
    NullAudioDevice device;
    device.SetWatched(false);
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(kBlocks);
    ASSERT_TRUE(feeder.Open(device));
    feeder.Prime();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return static_cast<int>(feeder.returned.size()) == kBlocks; }, 3000));
    int wakeUps = 1;
    for (int k = 0; k < kBlocks; ++k)
    {
        EXPECT_EQ(feeder.returned[static_cast<size_t>(k)], k % kOutputBlockCount) << k;
        EXPECT_GE(feeder.returnTimes[static_cast<size_t>(k)], feeder.primeTime + DueAfter(k + 1))
            << k;
        if (k > 0 && feeder.returnTimes[static_cast<size_t>(k)] -
                             feeder.returnTimes[static_cast<size_t>(k - 1)] >
                         2ms)
        {
            ++wakeUps;
        }
    }
    EXPECT_LE(wakeUps, kBlocks / kUnwatchedBlocksPerWakeup + 2);
}

TEST(NullAudioDevice, ResetHandsPendingBlocksBackAtOnceAndALateBlockStartsANewRun)
{
    test::EnsureTestApplication();
    NullAudioDevice device;
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(40);
    ASSERT_TRUE(feeder.Open(device));
    feeder.Prime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.returned.size() >= 3; }, 2000));

    // The night ends: nothing is refilled, and the ten queued blocks come back unplayed.
    feeder.refill = false;
    const int backBefore = static_cast<int>(feeder.returned.size());
    const Clock::time_point resetTime = Clock::now();
    device.Reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.Outstanding() == 0; }, 1000));
    EXPECT_LT(feeder.returnTimes.back() - resetTime, 20ms);
    ASSERT_EQ(static_cast<int>(feeder.returned.size()), backBefore + kOutputBlockCount);
    for (int k = backBefore; k < backBefore + kOutputBlockCount; ++k)
    {
        EXPECT_EQ(feeder.returned[static_cast<size_t>(k)], k % kOutputBlockCount); // in order
    }

    // Long after, a new night: its first block plays from now, not from where the clock of
    // the old run would be (which would hand the blocks back at once). Blocks come back in
    // pairs, so the first one comes with the second.
    QTest::qWait(100);
    const size_t before = feeder.returned.size();
    feeder.refill = true;
    feeder.Prime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.returned.size() > before; }, 1000));
    const Clock::duration firstWait = feeder.returnTimes[before] - feeder.primeTime;
    EXPECT_GE(firstWait, DueAfter(1));
    EXPECT_LT(firstWait, DueAfter(kBlocksPerWakeup) + 25ms);

    // Closed, it refuses blocks and hands nothing back.
    device.Close();
    const size_t atClose = feeder.returned.size();
    EXPECT_FALSE(device.Write(0, feeder.blocks[0].data(), kBytesPerBlock));
    QTest::qWait(50);
    EXPECT_EQ(feeder.returned.size(), atClose);
}

TEST(NullAudioDevice, ANotificationThatRunsTheEventLoopLosesNoBlock)
{
    // The core reports a failure with a modal message box from inside the refill: the event
    // loop runs inside the notification, and the device's timer fires in it.
    test::EnsureTestApplication();
    NullAudioDevice device;
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(30);
    bool nested = false;
    feeder.onReturn = [&](int returns) {
        if (returns == 1 && !nested)
        {
            nested = true;
            QTest::qWait(60); // five more blocks fall due meanwhile
        }
    };
    ASSERT_TRUE(feeder.Open(device));
    feeder.Prime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.returned.size() == 30; }, 3000));
    for (int k = 0; k < 30; ++k)
    {
        EXPECT_EQ(feeder.returned[static_cast<size_t>(k)], k % kOutputBlockCount) << k;
    }
}

} // namespace
} // namespace yumo
