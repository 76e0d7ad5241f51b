// The window's sound output without a sound server: a fake link stands for the server, so a
// server that is missing, refuses, dies in the middle of a night (a write failing on the Nth
// call), hangs or is stopped is played out exactly. Without a server the output keeps a night's
// pace in silence: blocks come back one per 11.6 ms, in order, never early, without drift or
// allocation. A lost server never stops the night; it is looked for again no more often than
// every 2 s, and once it answers the sound goes on from where the silent pace had come.

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include <QTest>
#include <QTimer>

#include "gui/sound/sound_device.h"
#include "gui/test_application.h"
#include "night/byte_clock.h"
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

// A server as the output sees it. It answers a connection on the next turn of the event loop
// (or refuses it while down), plays what it is given in real time from the moment its stream
// is ready, and keeps what each stream was given.
class FakeLink final : public QObject, public ServerLink
{
public:
    bool up = true;            // a connection is answered (else it fails, as libpulse's does)
    bool refuseAtOnce = false; // Connect itself fails
    bool frozen = false;       // the stream never plays (a server that hangs)
    int failOnWrite = 0;       // the Write call with this number fails (the server dies)
    int writes = 0;
    std::vector<Clock::time_point> connectTimes;
    std::vector<std::vector<int16_t>> streams; // what each stream was given
    // Stopped (SIGSTOP) since then: it answers nothing, a connection waits, the clock runs on.
    std::optional<Clock::time_point> stoppedSince;

    void SetListener(Listener listener) override { listener_ = std::move(listener); }
    bool Connect(const PcmFormat&) override
    {
        connectTimes.push_back(Clock::now());
        if (refuseAtOnce)
        {
            state_ = LinkState::Lost;
            return false;
        }
        state_ = LinkState::Connecting;
        Answer();
        return true;
    }
    void Close() override { state_ = LinkState::Closed; }
    LinkState State() const override { return state_; }
    bool RestartStream() override
    {
        if (state_ != LinkState::Ready)
        {
            return false;
        }
        state_ = LinkState::Connecting;
        Answer();
        return true;
    }
    bool Write(const void* data, size_t byteCount) override
    {
        ++writes;
        if (state_ != LinkState::Ready || writes == failOnWrite)
        {
            Become(LinkState::Lost);
            return false;
        }
        const auto* samples = static_cast<const int16_t*>(data);
        streams.back().insert(streams.back().end(), samples, samples + byteCount / 2);
        return true;
    }
    bool PlayedBytes(uint64_t& bytes) override
    {
        if (state_ != LinkState::Ready || frozen)
        {
            return false;
        }
        const uint64_t given = streams.back().size() * 2;
        bytes = std::min(given, BytesInDuration(Clock::now() - readyTime_, kSampleRate * 4));
        bytes -= bytes % 4;
        return true;
    }
    Clock::duration UnansweredFor() const override
    {
        return stoppedSince && state_ == LinkState::Ready ? Clock::now() - *stoppedSince
                                                          : Clock::duration::zero();
    }
    void SetStreamName(const std::string&) override {}
    uint64_t Underruns() const override { return 0; }

    // The server goes away by itself.
    void Die() { Become(LinkState::Lost); }
    // The server goes on after being stopped, and answers what waits.
    void Continue()
    {
        stoppedSince.reset();
        Answer();
    }

private:
    void Answer()
    {
        QTimer::singleShot(0, this, [this] {
            if (state_ != LinkState::Connecting || stoppedSince)
            {
                return;
            }
            if (!up)
            {
                Become(LinkState::Lost);
                return;
            }
            streams.emplace_back();
            readyTime_ = Clock::now();
            Become(LinkState::Ready);
        });
    }
    void Become(LinkState state)
    {
        state_ = state;
        QTimer::singleShot(0, this, [this] {
            if (listener_)
            {
                listener_();
            }
        });
    }

    Listener listener_;
    LinkState state_ = LinkState::Closed;
    Clock::time_point readyTime_{};
};

// An output whose server is missing from the start.
struct SilentOutput
{
    SilentOutput()
    {
        test::EnsureTestApplication();
        link->refuseAtOnce = true;
    }
    FakeLink* link = new FakeLink;
    SoundOutput output{std::unique_ptr<ServerLink>(link)};
};

TEST(SilentOutput, ReturnsBlocksInOrderAtTheRateOfPlayWithoutDriftOrAllocation)
{
    test::EnsureTestApplication();
    constexpr int kBlocks = 160; // 1.86 s
    SilentOutput silent;
    SoundOutput& device = silent.output;
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

TEST(SilentOutput, UnwatchedBlocksComeBackEightAtATimeInOrderAndNeverEarly)
{
    test::EnsureTestApplication();
    constexpr int kBlocks = 80;
    SilentOutput silent;
    SoundOutput& device = silent.output;
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

TEST(SilentOutput, ResetHandsPendingBlocksBackAtOnceAndALateBlockStartsANewRun)
{
    test::EnsureTestApplication();
    SilentOutput silent;
    SoundOutput& device = silent.output;
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

TEST(SilentOutput, ANotificationThatRunsTheEventLoopLosesNoBlock)
{
    // The core reports a failure with a modal message box from inside the refill: the event
    // loop runs inside the notification, and the device's timer fires in it.
    test::EnsureTestApplication();
    SilentOutput silent;
    SoundOutput& device = silent.output;
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

// Where `run` (at least 16 samples) stands in `signal`, or the signal's size when it is not in it.
size_t FindInSignal(const std::vector<int16_t>& signal, const std::vector<int16_t>& run)
{
    const auto at = std::search(signal.begin(), signal.end(), run.begin(), run.begin() + 16);
    return static_cast<size_t>(at - signal.begin());
}

TEST(SoundOutputServer, ALostServerLeavesTheNightRunningAndItsSoundGoesOnWhereThePaceIsOnItsReturn)
{
    test::EnsureTestApplication();
    auto* link = new FakeLink;
    SoundOutput output{std::unique_ptr<ServerLink>(link)};
    std::vector<bool> awayTold;
    QObject::connect(&output, &SoundOutput::ServerAwayChanged,
                     [&](bool away) { awayTold.push_back(away); });
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(1500); // 17 s
    ASSERT_TRUE(feeder.Open(output));
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.OnServer(); }, 1000));
    feeder.Prime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.returned.size() >= 40; }, 2000));
    // What the server played is what was written, in order.
    ASSERT_EQ(link->streams.size(), 1u);
    EXPECT_EQ(FindInSignal(feeder.signal, link->streams[0]), 0u);

    // The server dies at the third write from now; from then on it refuses connections.
    link->failOnWrite = link->writes + 3;
    link->up = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.ServerAway(); }, 1000));
    const Clock::time_point lostTime = Clock::now();
    const size_t returnsAtLoss = feeder.returned.size();
    QTest::qWait(5000);
    // The night went on in real time: 5 s is 431 blocks (fewer only when a loaded machine let
    // the queue run dry); none was refused.
    EXPECT_EQ(feeder.failedWrites, 0);
    EXPECT_LE(feeder.returned.size() - returnsAtLoss, 431u + 2);
    EXPECT_GE(feeder.returned.size() - returnsAtLoss, 431u * 85 / 100);
    for (size_t k = 0; k < feeder.returned.size(); ++k)
    {
        ASSERT_EQ(feeder.returned[k], static_cast<int>(k % kOutputBlockCount)) << k;
    }
    // Looked for after 2 s and 2 s more, never sooner.
    ASSERT_EQ(link->connectTimes.size(), 3u);
    EXPECT_GE(link->connectTimes[1] - lostTime, ReconnectWait(0) - 20ms);
    EXPECT_GE(link->connectTimes[2] - link->connectTimes[1], ReconnectWait(1) - 5ms);
    EXPECT_EQ(awayTold, std::vector<bool>{true});

    // The server is back: found at the next search (3 s after the last), and the new stream
    // starts near the oldest block not yet back, going on without a gap from there.
    link->up = true;
    const Clock::time_point upTime = Clock::now();
    size_t returnsAtResume = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            returnsAtResume = feeder.returned.size();
            return output.OnServer();
        },
        5000));
    EXPECT_LT(Clock::now() - upTime, ReconnectWait(2) + 100ms);
    EXPECT_EQ(awayTold, (std::vector<bool>{true, false}));
    const size_t moreReturns = returnsAtResume + 30;
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.returned.size() >= moreReturns; }, 2000));
    ASSERT_EQ(link->streams.size(), 2u);
    const std::vector<int16_t>& again = link->streams[1];
    ASSERT_GE(again.size(), 16u);
    const size_t at = FindInSignal(feeder.signal, again);
    ASSERT_LT(at, feeder.signal.size()) << "the new stream plays nothing that was written";
    const size_t block = at / (kFramesPerBlock * kOutputChannels);
    // Blocks come back in pairs, so the position may be up to two blocks past the count.
    EXPECT_GE(block + 3, returnsAtResume);
    EXPECT_LE(block, returnsAtResume + 2);
    EXPECT_TRUE(std::equal(again.begin(), again.end(),
                           feeder.signal.begin() + static_cast<std::ptrdiff_t>(at)));
    EXPECT_EQ(feeder.failedWrites, 0);
}

// The window's night output (unwatched, a 250 ms buffer) on a fake server, playing the test
// signal from a night's start.
struct UnwatchedNight
{
    UnwatchedNight() { test::EnsureTestApplication(); }
    void Start(int blocks)
    {
        output.SetWatched(false);
        feeder.signal = test::MakeTestSignal(blocks);
        ASSERT_TRUE(feeder.Open(output));
        ASSERT_TRUE(QTest::qWaitFor([&] { return output.OnServer(); }, 1000));
        feeder.Prime();
    }
    FakeLink* link = new FakeLink;
    SoundOutput output{std::unique_ptr<ServerLink>(link), nullptr, 250ms};
    test::BlockFeeder feeder;
};

// A server that is stopped rather than gone keeps its connection and answers nothing, while
// the interpolated clock runs on: it is noticed as soon as its answers are overdue, the night
// keeps its pace, and once the server goes on the night is heard again within 5 s.
TEST(SoundOutputServer, AStoppedServerIsNoticedWithin3SecondsAndHeardAgainSoonAfterItGoesOn)
{
    UnwatchedNight night;
    ASSERT_NO_FATAL_FAILURE(night.Start(1500)); // 17 s
    FakeLink* link = night.link;
    SoundOutput& output = night.output;
    test::BlockFeeder& feeder = night.feeder;
    QTest::qWait(500);

    link->stoppedSince = Clock::now();
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.ServerAway(); }, 3000));
    EXPECT_GE(Clock::now() - *link->stoppedSince, kAnswerLimit);
    const size_t returnsAtLoss = feeder.returned.size();
    QTest::qWait(5500);
    EXPECT_GE(feeder.returned.size() - returnsAtLoss, 474u * 85 / 100); // 5.5 s of blocks

    // The search 2 s after the loss left a connection waiting, which the server answers as it
    // goes on.
    link->Continue();
    const Clock::time_point continueTime = Clock::now();
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.OnServer(); }, 5000));
    EXPECT_LT(Clock::now() - continueTime, 1s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->streams.back().size() > 4096; }, 1000));
    EXPECT_LT(FindInSignal(feeder.signal, link->streams.back()), feeder.signal.size())
        << "the night is not what the server plays again";
    EXPECT_EQ(feeder.failedWrites, 0);
}

// A night's output, which nobody watches, gives the server one write a wake-up (each is a
// message the server answers), blocks joined across the ring's end, every byte in order.
TEST(SoundOutputServer, UnwatchedTheServerGetsOneWriteAWakeUpWithEveryByteInOrder)
{
    UnwatchedNight night;
    ASSERT_NO_FATAL_FAILURE(night.Start(600)); // 7 s
    FakeLink* link = night.link;
    test::BlockFeeder& feeder = night.feeder;
    QTest::qWait(1000); // the stream's lead is built
    const int writesBefore = link->writes;
    const Clock::time_point from = Clock::now();
    QTest::qWait(3000);
    const double wakeUps =
        std::chrono::duration<double, std::milli>(Clock::now() - from).count() / 92.88;
    // Now and then it wakes early, when the lead ran short; two or three writes a wake-up
    // (tiny top-ups, runs split at the ring's end) are what this rules out.
    EXPECT_LE(link->writes - writesBefore, static_cast<int>(1.25 * wakeUps) + 2);
    ASSERT_EQ(link->streams.size(), 1u);
    const std::vector<int16_t>& heard = link->streams[0];
    ASSERT_GT(heard.size(), size_t{3} * kSampleRate * kOutputChannels);
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), feeder.signal.begin()));
}

TEST(SoundOutputServer, AMissingOrHangingServerIsLookedForAtGrowingIntervalsAndUsedOnceItAnswers)
{
    test::EnsureTestApplication();
    auto* link = new FakeLink;
    link->up = false;
    SoundOutput output{std::unique_ptr<ServerLink>(link)};
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(2000);
    ASSERT_TRUE(feeder.Open(output));
    feeder.Prime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.ServerAway(); }, 500));
    // Searched at the start, then after 2, 2 and 3 s; the night keeps its pace meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return link->connectTimes.size() == 4; }, 8000));
    for (int i = 0; i < 3; ++i)
    {
        const Clock::duration gap = link->connectTimes[static_cast<size_t>(i) + 1] -
                                    link->connectTimes[static_cast<size_t>(i)];
        EXPECT_GE(gap, ReconnectWait(i) - 5ms) << i;
        EXPECT_LT(gap, ReconnectWait(i) + 300ms) << i;
    }
    EXPECT_GE(feeder.returned.size(), 550u); // 7 s of blocks
    EXPECT_EQ(feeder.failedWrites, 0);

    // It answers, but its stream never plays: after the stall limit it counts as lost, and the
    // blocks come back at the silent pace again.
    link->up = true;
    link->frozen = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.OnServer(); }, 4500));
    const size_t returnsAtHang = feeder.returned.size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.ServerAway(); },
                                static_cast<int>((kStallLimit + 500ms).count())));
    EXPECT_LE(feeder.returned.size(), returnsAtHang + kOutputBlockCount);
    const size_t returnsAfterHang = feeder.returned.size();
    QTest::qWait(500);
    EXPECT_GE(feeder.returned.size(), returnsAfterHang + 35);
    EXPECT_EQ(feeder.failedWrites, 0);
}

} // namespace
} // namespace yumo
