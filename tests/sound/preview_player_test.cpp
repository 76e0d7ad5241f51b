// The editor's preview plays an imported sound once at its own rate and channel count, tells
// when it has been heard (also for a sound shorter than the stream's buffer), and stops at
// once; without a sound server it tells the user once, however often it is asked.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>

#include "common/report.h"
#include "gui/sound/preview_player.h"
#include "sound/sound_fixture.h"

namespace yumo
{
namespace
{

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

ImportedAudio MakeSound(size_t bytes)
{
    ImportedAudio audio;
    audio.allocated = true;
    audio.buffer.assign(bytes, 0x11);
    audio.byteLength = static_cast<int32_t>(bytes);
    return audio;
}

using PreviewPlayerTest = test::SoundServerTest;

TEST_F(PreviewPlayerTest, PlaysOnceAtItsOwnRateTellsWhenHeardAndStopsAtOnce)
{
    test::MonitorRecorder recorder; // wakes the idle null sink
    ASSERT_TRUE(recorder.Start());
    CapturingReporter reporter;
    PreviewPlayer preview(reporter);
    QSignalSpy finished(&preview, &PreviewPlayer::Finished);

    // 60 ms of mono at 22.05 kHz: less than the stream's buffer, which must not hold it back.
    const PcmFormat mono22k{1, 1, 22050, 44100, 2, 16, 0};
    Clock::time_point start = Clock::now();
    ASSERT_TRUE(preview.Play(MakeSound(2646), mono22k));
    EXPECT_TRUE(preview.IsPlaying());
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_GE(Clock::now() - start, 60ms);
    EXPECT_FALSE(preview.IsPlaying());

    // 400 ms of stereo at 48 kHz, heard whole.
    const PcmFormat stereo48k{1, 2, 48000, 192000, 4, 16, 0};
    start = Clock::now();
    ASSERT_TRUE(preview.Play(MakeSound(76800), stereo48k));
    ASSERT_TRUE(finished.wait(3000));
    EXPECT_GE(Clock::now() - start, 400ms - 5ms);
    EXPECT_LT(Clock::now() - start, 400ms + 250ms);

    // Stopped after 100 ms of a second-long sound: no Finished follows.
    ASSERT_TRUE(preview.Play(MakeSound(192000), stereo48k));
    test::RunFor(100);
    preview.Stop();
    EXPECT_FALSE(preview.IsPlaying());
    EXPECT_FALSE(finished.wait(1300));
    EXPECT_EQ(finished.count(), 2);

    // A format the imports never give is refused with a message.
    const PcmFormat surround{1, 6, 44100, 529200, 12, 16, 0};
    EXPECT_FALSE(preview.Play(MakeSound(12000), surround));
    EXPECT_EQ(reporter.messages.size(), 1u);
    const std::vector<int16_t> recorded = recorder.Stop();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // The short sound was heard, first (a monitor misses a stream's first few ms): the first
    // sounding stretch lasts well over half of 60 ms, and is not the 400 ms sound.
    const auto first =
        std::find_if(recorded.begin(), recorded.end(), [](int16_t s) { return s != 0; });
    const auto stretch = std::find(first, recorded.end(), int16_t{0}) - first;
    EXPECT_GT(stretch, 2 * 44100 * 35 / 1000) << "the 60 ms sound was not played";
    EXPECT_LT(stretch, 2 * 44100 * 80 / 1000) << "the 60 ms sound was not played";
}

// A preview longer than the server's queue (4 MiB by default: 2.7 s at 384 kHz stereo, as 24 s
// are at 44.1 kHz) is heard to its end, and so is the next one after a pause, in the same
// format on the stream the first left idle.
TEST_F(PreviewPlayerTest, APreviewLongerThanTheServersQueueAndTheNextAfterAPauseAreHeardWhole)
{
    test::MonitorRecorder recorder;
    ASSERT_TRUE(recorder.Start());
    CapturingReporter reporter;
    PreviewPlayer preview(reporter);
    QSignalSpy finished(&preview, &PreviewPlayer::Finished);
    const PcmFormat fast{1, 2, 384000, 1536000, 4, 16, 0};
    for (const auto& [length, pause] : {std::pair{4000ms, 1500}, std::pair{500ms, 0}})
    {
        const Clock::time_point start = Clock::now();
        ASSERT_TRUE(
            preview.Play(MakeSound(size_t{1536} * static_cast<size_t>(length.count())), fast));
        ASSERT_TRUE(finished.wait(7000));
        // The server's clock may run up to a few parts in a thousand fast against ours at
        // this rate; a preview cut at the queue's end would finish over a second early.
        EXPECT_GE(Clock::now() - start, length - length / 100 - 5ms)
            << "a preview ended before it was heard";
        test::RunFor(pause);
    }
    const std::vector<int16_t> recorded = recorder.Stop();
    const auto loud = std::count_if(recorded.begin(), recorded.end(),
                                    [](int16_t s) { return std::abs(s) > 0x1111 / 2; });
    EXPECT_GT(loud / 2 * 1000 / 44100, 4500 - 100) << "not all of the two previews was heard";
}

using NoServerPreviewTest = test::NoSoundServerTest;

TEST_F(NoServerPreviewTest, TellsOnceThatNothingCanBeHeardAndStillFinishes)
{
    CapturingReporter reporter;
    PreviewPlayer preview(reporter);
    QSignalSpy finished(&preview, &PreviewPlayer::Finished);
    const PcmFormat mono{1, 1, 44100, 88200, 2, 16, 0};
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(preview.Play(MakeSound(8820), mono)); // 100 ms
        ASSERT_TRUE(finished.wait(3000)) << i;
    }
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].kind, MessageKind::Warning);
}

} // namespace
} // namespace yumo
