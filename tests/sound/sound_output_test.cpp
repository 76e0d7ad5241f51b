// The window's output chooses the sound card when a sink opens and the silent device otherwise,
// tells the user once, ends a night whose server went away through a refused Write, and takes
// the sound card again for a later night once the server is back.

#include <chrono>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>

#include "common/report.h"
#include "gui/sound/preview_player.h"
#include "gui/sound/sound_device.h"
#include "sound/sound_fixture.h"
#include "support/block_feeder.h"

namespace yumo
{
namespace
{

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A night as the stream runs one: ten blocks primed, each refilled when it comes back, until
// `returns` have come back (or a write was refused). Then the night ends: nothing is refilled,
// the device is reset and every block comes back.
bool RunNight(test::BlockFeeder& feeder, AudioDevice& device, size_t returns)
{
    feeder.refill = true;
    feeder.failedWrites = 0;
    const size_t before = feeder.returned.size();
    feeder.Prime();
    const bool played = QTest::qWaitFor(
        [&] { return feeder.returned.size() >= before + returns || feeder.failedWrites > 0; },
        5000);
    feeder.refill = false;
    device.Reset();
    return QTest::qWaitFor([&] { return feeder.Outstanding() == 0; }, 2000) && played &&
           feeder.failedWrites == 0;
}

using SoundOutputTest = test::SoundServerTest;

TEST_F(SoundOutputTest, AServerLostDuringANightEndsItAndALaterNightUsesANewSinkOnceItIsBack)
{
    CapturingReporter reporter;
    SoundOutput output(reporter);
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(20000);
    ASSERT_TRUE(feeder.Open(output));
    ASSERT_TRUE(output.UsesSoundCard());

    // The server dies in the middle of a night: a Write inside a notification is refused
    // soon, and every block comes back, so the night ends and the window never waits.
    feeder.refill = true;
    feeder.Prime();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.returned.size() >= 40; }, 3000));
    const Clock::time_point killTime = Clock::now();
    server.Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.failedWrites > 0; }, 5000));
    EXPECT_LT(Clock::now() - killTime, 1500ms);
    feeder.refill = false;
    output.Reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return feeder.Outstanding() == 0; }, 1000));
    EXPECT_TRUE(reporter.messages.empty()) << "the night's end is the core's to report";

    // The next night finds no server: it runs on the silent device, and the user is told once.
    ASSERT_TRUE(RunNight(feeder, output, 15));
    EXPECT_FALSE(output.UsesSoundCard());
    ASSERT_TRUE(RunNight(feeder, output, 5));
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              "サウンドデバイスを開けませんでした。音を出さずに続けます。");

    // The server comes back; within a few nights one plays on the sound card again.
    ASSERT_TRUE(server.Start());
    const Clock::time_point restartTime = Clock::now();
    while (!output.UsesSoundCard() && Clock::now() - restartTime < 15s)
    {
        ASSERT_TRUE(RunNight(feeder, output, 3));
        QTest::qWait(300);
    }
    EXPECT_TRUE(output.UsesSoundCard());
    EXPECT_TRUE(RunNight(feeder, output, 20));
    EXPECT_EQ(reporter.messages.size(), 1u);
    output.Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

using NoSoundServerOutputTest = test::NoSoundServerTest;

TEST_F(NoSoundServerOutputTest, NightsRunSilentlyAndTheUserIsToldOnce)
{
    CapturingReporter reporter;
    SoundOutput output(reporter);
    test::BlockFeeder feeder;
    feeder.signal = test::MakeTestSignal(2000);
    ASSERT_TRUE(feeder.Open(output));
    EXPECT_FALSE(output.UsesSoundCard());
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].kind, MessageKind::Warning);

    ASSERT_TRUE(RunNight(feeder, output, 20));
    ASSERT_TRUE(RunNight(feeder, output, 10));
    EXPECT_EQ(reporter.messages.size(), 1u);

    // The editor's preview has no output either: told once, however often it is asked.
    CapturingReporter previewReporter;
    PreviewPlayer preview(previewReporter);
    const PcmFormat mono{1, 1, kSampleRate, kSampleRate * 2, 2, 16, 0};
    ImportedAudio audio;
    audio.allocated = true;
    audio.buffer.assign(8820, 1);
    audio.byteLength = 8820;
    EXPECT_FALSE(preview.Play(audio, mono));
    EXPECT_FALSE(preview.Play(audio, mono));
    EXPECT_FALSE(preview.IsPlaying());
    EXPECT_EQ(previewReporter.messages.size(), 1u);
}

} // namespace
} // namespace yumo
