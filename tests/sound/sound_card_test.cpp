// The sound card on a private PulseAudio null sink: blocks come back in order and only once
// they can have been heard, the sink's monitor records exactly what was written with no gap
// between blocks, and a reset silences at once and hands the blocks back.

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include "gui/sound_card_device.h"
#include "sound/sound_fixture.h"
#include "support/block_feeder.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The index of the first frame with a sound in it from `from`, or the size when there is none.
size_t FirstSoundingSample(const std::vector<int16_t>& samples, size_t from = 0)
{
    size_t i = from;
    while (i < samples.size() && samples[i] == 0)
    {
        ++i;
    }
    return i - i % 2;
}

// The index of the first of `run` silent samples in a row from `from`.
size_t StartOfSilence(const std::vector<int16_t>& samples, size_t from, size_t run)
{
    size_t zeros = 0;
    for (size_t i = from; i < samples.size(); ++i)
    {
        zeros = samples[i] == 0 ? zeros + 1 : 0;
        if (zeros == run)
        {
            return i + 1 - run;
        }
    }
    return samples.size();
}

// Where in `sound` the recording from `recordedStart` begins. A null sink's monitor misses the
// first few milliseconds of any stream that starts (the sink rewinds to play it at once, and
// what the monitor already passed on stays passed on), so the start is looked for within the
// first 46 ms. Returns the sample offset, or the sound's size when it is not there.
size_t LocateStart(const std::vector<int16_t>& recorded, size_t recordedStart,
                   const std::vector<int16_t>& sound)
{
    constexpr size_t kProbe = 16;
    constexpr size_t kMaxLead = 2 * 2048;
    if (recordedStart + kProbe > recorded.size())
    {
        return sound.size();
    }
    const auto probe = recorded.begin() + static_cast<std::ptrdiff_t>(recordedStart);
    for (size_t offset = 0; offset <= kMaxLead && offset + kProbe <= sound.size(); offset += 2)
    {
        if (std::equal(probe, probe + kProbe, sound.begin() + static_cast<std::ptrdiff_t>(offset)))
        {
            return offset;
        }
    }
    return sound.size();
}

// The recording from `recordedStart` holds `sound` from `offset` to its end, sample for sample.
::testing::AssertionResult RecordedExactly(const std::vector<int16_t>& recorded,
                                           size_t recordedStart, const std::vector<int16_t>& sound,
                                           size_t offset)
{
    if (offset >= sound.size())
    {
        return ::testing::AssertionFailure() << "the sound's start is not in the recording";
    }
    const size_t length = sound.size() - offset;
    if (recordedStart + length > recorded.size())
    {
        return ::testing::AssertionFailure() << "the recording is too short";
    }
    const auto played = recorded.begin() + static_cast<std::ptrdiff_t>(recordedStart);
    const auto from = sound.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto mismatch = std::mismatch(from, sound.end(), played).first;
    if (mismatch != sound.end())
    {
        const auto at = mismatch - sound.begin();
        return ::testing::AssertionFailure()
               << "the recording departs from the written sound at frame " << at / 2 << " (block "
               << at / (2 * kFramesPerBlock) << ")";
    }
    return ::testing::AssertionSuccess();
}

using SoundCardDeviceTest = test::SoundServerTest;

TEST_F(SoundCardDeviceTest, BlocksComeBackInOrderWhenHeardAndThePlayedSoundIsExactlyWhatWasWritten)
{
    constexpr int kBlocks = 200; // 2.3 s
    test::TempDir dir;
    test::MonitorRecorder recorder(dir / "monitor.raw");
    ASSERT_TRUE(recorder.Start());

    SoundCardDevice device;
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(kBlocks);
    ASSERT_TRUE(feeder.Open(device));
    feeder.Prime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<int>(feeder.returned.size()) == kBlocks; },
                                10000));
    EXPECT_EQ(feeder.failedWrites, 0);
    for (int k = 0; k < kBlocks; ++k)
    {
        EXPECT_EQ(feeder.returned[static_cast<size_t>(k)], k % kOutputBlockCount) << k;
        // Heard, not merely taken: no block is back before its sound could have played. The
        // sink takes about 80 ms ahead of the ear; the played position is an estimate good to a few
        // milliseconds, and the server may start a stream a few milliseconds in.
        EXPECT_GE(feeder.returnTimes[static_cast<size_t>(k)] + 15ms,
                  feeder.primeTime + test::BlocksOfTime(k + 1))
            << k;
    }
    recorder.Stop();

    const std::vector<int16_t> recorded = recorder.Samples();
    const size_t start = FirstSoundingSample(recorded);
    EXPECT_TRUE(RecordedExactly(recorded, start, feeder.signal,
                                LocateStart(recorded, start, feeder.signal)));
}

TEST_F(SoundCardDeviceTest, ResetSilencesAtOnceHandsTheBlocksBackAndANewSinkPlaysTheNextOne)
{
    test::TempDir dir;
    test::MonitorRecorder recorder(dir / "monitor.raw");
    ASSERT_TRUE(recorder.Start());

    SoundCardDevice device;
    std::vector<int> returned;
    const PcmFormat format{1, 2, kSampleRate, kSampleRate * 4, 4, 16, 0};
    ASSERT_TRUE(device.Open(format, [&](int index) { returned.push_back(index); }));
    const std::vector<int16_t> longSound = test::MakeTestSignal(260); // 3 s
    const std::vector<int16_t> shortSound = test::MakeTestSignal(4);
    const Clock::time_point writeTime = Clock::now();
    ASSERT_TRUE(device.Write(0, longSound.data(), longSound.size() * 2));
    ASSERT_TRUE(device.Write(1, shortSound.data(), shortSound.size() * 2));
    QTest::qWait(400);
    EXPECT_TRUE(returned.empty());

    const Clock::time_point resetTime = Clock::now();
    device.Reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.size() == 2; }, 1000));
    EXPECT_LT(Clock::now() - resetTime, 50ms);
    EXPECT_EQ(returned, (std::vector<int>{0, 1}));

    // After the reset a block starts a new sink and comes back once heard.
    QTest::qWait(300);
    const Clock::time_point againTime = Clock::now();
    ASSERT_TRUE(device.Write(2, shortSound.data(), shortSound.size() * 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return returned.size() == 3; }, 3000));
    EXPECT_GE(Clock::now() - againTime, test::BlocksOfTime(4) - 5ms);
    device.Close();
    recorder.Stop();

    // The long sound was heard from its start until the reset and not a buffer longer.
    const std::vector<int16_t> recorded = recorder.Samples();
    const size_t start = FirstSoundingSample(recorded);
    const size_t lead = LocateStart(recorded, start, longSound);
    const size_t end = StartOfSilence(recorded, start, 2 * 441);
    ASSERT_LT(lead, longSound.size());
    const std::vector<int16_t> heardPart(
        longSound.begin(), longSound.begin() + static_cast<std::ptrdiff_t>(lead + end - start));
    EXPECT_TRUE(RecordedExactly(recorded, start, heardPart, lead));
    const auto heard = std::chrono::microseconds(heardPart.size() / 2 * 1000000 / kSampleRate);
    EXPECT_GT(heard, 200ms);
    EXPECT_LT(heard, resetTime - writeTime + 25ms) << "the sink played on after the reset";
    // Then the block written after the reset.
    const size_t after = FirstSoundingSample(recorded, end);
    EXPECT_TRUE(
        RecordedExactly(recorded, after, shortSound, LocateStart(recorded, after, shortSound)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace yumo
