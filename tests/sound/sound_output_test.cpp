// The sound output on a private PulseAudio null sink: blocks come back in order and only once
// they can have been heard (while watched), the sink's monitor records exactly what was
// written with no gap between blocks, watched or not, and a reset silences at once and hands
// the blocks back. A server killed in the middle of a night leaves the night running, and its
// sound is heard again on the restarted server; a server started after the output is found.

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include "gui/sound/sound_device.h"
#include "sound/sound_fixture.h"
#include "support/block_feeder.h"

namespace yumo
{
namespace
{

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Match
{
    size_t recorded = 0; // where the recording starts to sound
    size_t offset = 0;   // the sample of the sound it starts with; the sound's size if none
};

// Where the recording from `from` on first sounds, and where in `sound` that is. A null sink's
// monitor misses the first few milliseconds of a stream that starts (the sink rewinds to play
// it at once, and what the monitor had passed on stays passed on), so the start is looked for
// within the sound's first 46 ms.
Match FindStart(const std::vector<int16_t>& recorded, size_t from,
                const std::vector<int16_t>& sound)
{
    Match match{from, sound.size()};
    while (match.recorded < recorded.size() && recorded[match.recorded] == 0)
    {
        ++match.recorded;
    }
    match.recorded -= match.recorded % 2;
    const auto probe = recorded.begin() + static_cast<std::ptrdiff_t>(match.recorded);
    for (size_t offset = 0;
         offset <= 4096 && offset + 16 <= sound.size() && match.recorded + 16 <= recorded.size();
         offset += 2)
    {
        if (std::equal(probe, probe + 16, sound.begin() + static_cast<std::ptrdiff_t>(offset)))
        {
            match.offset = offset;
            break;
        }
    }
    return match;
}

// How many samples of the recording from the match on equal the sound's from its offset on.
size_t MatchingSamples(const std::vector<int16_t>& recorded, Match match,
                       const std::vector<int16_t>& sound)
{
    size_t n = 0;
    while (match.offset + n < sound.size() && match.recorded + n < recorded.size() &&
           recorded[match.recorded + n] == sound[match.offset + n])
    {
        ++n;
    }
    return n;
}

using SoundOutputTest = test::SoundServerTest;

TEST_F(SoundOutputTest, BlocksComeBackInOrderWhenHeardAndThePlayedSoundIsExactlyWhatWasWritten)
{
    constexpr int kBlocks = 200; // 2.3 s
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());

    SoundOutput device;
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(kBlocks);
    ASSERT_TRUE(feeder.Open(device));
    feeder.Prime();
    ASSERT_TRUE(
        test::RunUntil([&] { return static_cast<int>(feeder.returned.size()) == kBlocks; }, 10000));
    EXPECT_EQ(feeder.failedWrites, 0);
    for (int k = 0; k < kBlocks; ++k)
    {
        EXPECT_EQ(feeder.returned[static_cast<size_t>(k)], k % kOutputBlockCount) << k;
        // Heard, not merely taken: no block is back before its sound could have played. The
        // sink takes about 100 ms ahead of the ear; the played position is an estimate good to a
        // few milliseconds, and the server may start a stream a few milliseconds in.
        EXPECT_GE(feeder.returnTimes[static_cast<size_t>(k)] + 15ms,
                  feeder.primeTime + test::BlocksOfTime(k + 1))
            << k;
    }
    const std::vector<int16_t> recorded = recorder.Stop();
    const Match match = FindStart(recorded, 0, feeder.signal);
    ASSERT_LT(match.offset, feeder.signal.size()) << "the sound is not in the recording";
    const size_t matching = MatchingSamples(recorded, match, feeder.signal);
    EXPECT_EQ(matching, feeder.signal.size() - match.offset)
        << "the recording departs from what was written in block "
        << (match.offset + matching) / (2 * kFramesPerBlock);
}

TEST_F(SoundOutputTest, UnwatchedBlocksComeBackAheadInOrderWithoutAGapAndWatchedAgainWhenHeard)
{
    constexpr int kBlocks = 300; // 3.5 s: 1.7 s unwatched, then watched
    constexpr int kUnwatchedReturns = 150;
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());

    SoundOutput device;
    device.SetWatched(false);
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(kBlocks);
    uint64_t underrunsBeforeTheEnd = 1;
    feeder.onReturn = [&](int returns) {
        if (returns == kUnwatchedReturns)
        {
            device.SetWatched(true);
        }
        // Once the signal ends the stream runs dry by design.
        if (returns == kBlocks - 2 * kOutputBlockCount)
        {
            underrunsBeforeTheEnd = device.Underruns();
        }
    };
    ASSERT_TRUE(feeder.Open(device));
    feeder.Prime();
    ASSERT_TRUE(
        test::RunUntil([&] { return static_cast<int>(feeder.returned.size()) == kBlocks; }, 10000));
    EXPECT_EQ(feeder.failedWrites, 0);
    EXPECT_EQ(underrunsBeforeTheEnd, 0u);
    bool cameBackAhead = false;
    for (int k = 0; k < kBlocks; ++k)
    {
        EXPECT_EQ(feeder.returned[static_cast<size_t>(k)], k % kOutputBlockCount) << k;
        const Clock::time_point heard = feeder.primeTime + test::BlocksOfTime(k + 1);
        const Clock::time_point back = feeder.returnTimes[static_cast<size_t>(k)];
        if (k < kUnwatchedReturns)
        {
            cameBackAhead = cameBackAhead || back + 60ms < heard;
        }
        else if (k >= kUnwatchedReturns + 40) // the lead built while unwatched has played
        {
            EXPECT_GE(back + 15ms, heard) << k;
        }
    }
    EXPECT_TRUE(cameBackAhead) << "unwatched blocks waited to be heard";

    const std::vector<int16_t> recorded = recorder.Stop();
    device.Close();
    const Match match = FindStart(recorded, 0, feeder.signal);
    ASSERT_LT(match.offset, feeder.signal.size()) << "the sound is not in the recording";
    const size_t matching = MatchingSamples(recorded, match, feeder.signal);
    EXPECT_EQ(matching, feeder.signal.size() - match.offset)
        << "the recording departs from what was written in block "
        << (match.offset + matching) / (2 * kFramesPerBlock);
}

// A reset silences what the server holds and hands every block back at once; a block written
// long after goes to a fresh stream and comes back once heard, not when written.
TEST_F(SoundOutputTest, ResetSilencesAtOnceHandsTheBlocksBackAndANewStreamPlaysTheNextOne)
{
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());

    SoundOutput device;
    std::vector<int> returned;
    const PcmFormat format{1, 2, kSampleRate, kSampleRate * 4, 4, 16, 0};
    ASSERT_TRUE(device.Open(format, [&](int index) { returned.push_back(index); }));
    const std::vector<int16_t> longSound = test::MakeTestSignal(260); // 3 s
    const std::vector<int16_t> shortSound = test::MakeTestSignal(4);
    const Clock::time_point writeTime = Clock::now();
    ASSERT_TRUE(device.Write(0, longSound.data(), longSound.size() * 2));
    ASSERT_TRUE(device.Write(1, shortSound.data(), shortSound.size() * 2));
    test::RunFor(400);
    EXPECT_TRUE(returned.empty());

    const Clock::time_point resetTime = Clock::now();
    device.Reset();
    ASSERT_TRUE(test::RunUntil([&] { return returned.size() == 2; }, 1000));
    EXPECT_LT(Clock::now() - resetTime, 50ms);
    EXPECT_EQ(returned, (std::vector<int>{0, 1}));

    // After the reset a block goes to a new stream and comes back once heard.
    test::RunFor(300);
    const Clock::time_point againTime = Clock::now();
    ASSERT_TRUE(device.Write(2, shortSound.data(), shortSound.size() * 2));
    ASSERT_TRUE(test::RunUntil([&] { return returned.size() == 3; }, 3000));
    EXPECT_GE(Clock::now() - againTime, test::BlocksOfTime(4) - 5ms);
    device.Close();
    const std::vector<int16_t> recorded = recorder.Stop();

    // The long sound was heard from its start until the reset and not a buffer longer, then
    // silence, then the block written after the reset.
    const Match match = FindStart(recorded, 0, longSound);
    ASSERT_LT(match.offset, longSound.size()) << "the sound is not in the recording";
    const size_t matching = MatchingSamples(recorded, match, longSound);
    const auto heard =
        std::chrono::microseconds((match.offset + matching) / 2 * 1000000 / kSampleRate);
    EXPECT_GT(heard, 200ms);
    EXPECT_LT(heard, resetTime - writeTime + 25ms) << "the server played on after the reset";
    ASSERT_LT(match.recorded + matching, recorded.size());
    EXPECT_EQ(recorded[match.recorded + matching], 0);
    const Match after = FindStart(recorded, match.recorded + matching, shortSound);
    EXPECT_EQ(MatchingSamples(recorded, after, shortSound), shortSound.size() - after.offset);
}

// Where the recording from `from` on first sounds, and where anywhere in `sound` that is: a
// stream that goes on after a lost one starts inside the sound.
Match FindAnywhere(const std::vector<int16_t>& recorded, size_t from,
                   const std::vector<int16_t>& sound)
{
    Match match = FindStart(recorded, from, sound);
    if (match.offset < sound.size() || match.recorded + 16 > recorded.size())
    {
        return match;
    }
    const auto probe = recorded.begin() + static_cast<std::ptrdiff_t>(match.recorded);
    const auto at = std::search(sound.begin(), sound.end(), probe, probe + 16);
    match.offset = static_cast<size_t>(at - sound.begin());
    return match;
}

// The first sounding sample of `recorded` from `from` on, or its size when all is silent.
size_t FirstSound(const std::vector<int16_t>& recorded, size_t from)
{
    const auto at = std::find_if(recorded.begin() + static_cast<std::ptrdiff_t>(from),
                                 recorded.end(), [](int16_t s) { return s != 0; });
    return static_cast<size_t>(at - recorded.begin());
}

TEST_F(SoundOutputTest, AServerKilledInANightLeavesItRunningAndTheRestartedServerPlaysItSoon)
{
    SoundOutput output;
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(2000); // 23 s
    ASSERT_TRUE(feeder.Open(output));
    ASSERT_TRUE(test::RunUntil([&] { return output.OnServer(); }, 3000));
    feeder.Prime();
    ASSERT_TRUE(test::RunUntil([&] { return feeder.returned.size() >= 80; }, 3000));

    server.Kill();
    ASSERT_TRUE(test::RunUntil([&] { return output.ServerAway(); }, 4000));
    const size_t returnsAtLoss = feeder.returned.size();
    test::RunFor(3000);
    // The night keeps its pace in silence (3 s is 258 blocks) and no block is refused.
    EXPECT_EQ(feeder.failedWrites, 0);
    EXPECT_GT(feeder.returned.size(), returnsAtLoss + 230);

    ASSERT_TRUE(server.Start());
    const Clock::time_point restartTime = Clock::now();
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    const Clock::time_point recordTime = Clock::now();
    ASSERT_TRUE(test::RunUntil([&] { return output.OnServer(); }, 5000));
    test::RunFor(1000);
    const std::vector<int16_t> recorded = recorder.Stop();
    EXPECT_EQ(feeder.failedWrites, 0);
    EXPECT_FALSE(output.ServerAway());

    // The night's sound is on the new server within 5 s of its start, and plays on as written.
    const size_t first = FirstSound(recorded, 0);
    ASSERT_LT(first, recorded.size()) << "nothing was heard on the restarted server";
    const auto heardAfter =
        recordTime - restartTime + std::chrono::microseconds(first / 2 * 1000000 / kSampleRate);
    EXPECT_LT(heardAfter, 5s);
    const Match match = FindAnywhere(recorded, first, feeder.signal);
    ASSERT_LT(match.offset, feeder.signal.size());
    EXPECT_GT(MatchingSamples(recorded, match, feeder.signal), 2u * kSampleRate / 2)
        << "less than half a second of the night played on as written";
}

using NoSoundServerOutputTest = test::NoSoundServerTest;

TEST_F(NoSoundServerOutputTest, AServerStartedLaterIsFoundAndPlaysTheNight)
{
    SoundOutput output;
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(1500);
    ASSERT_TRUE(feeder.Open(output));
    ASSERT_TRUE(test::RunUntil([&] { return output.ServerAway(); }, 3000));
    feeder.Prime();
    test::RunFor(1000);
    EXPECT_GT(feeder.returned.size(), 70u); // silently, at the pace of play

    test::PrivatePulseServer server;
    ASSERT_TRUE(server.Start());
    const Clock::time_point startTime = Clock::now();
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    ASSERT_TRUE(test::RunUntil([&] { return output.OnServer(); }, 5000));
    EXPECT_LT(Clock::now() - startTime, 4500ms);
    test::RunFor(500);
    const std::vector<int16_t> recorded = recorder.Stop();
    const Match match = FindAnywhere(recorded, FirstSound(recorded, 0), feeder.signal);
    ASSERT_LT(match.offset, feeder.signal.size()) << "the night was not heard";
    EXPECT_EQ(feeder.failedWrites, 0);
}

} // namespace
} // namespace yumo
