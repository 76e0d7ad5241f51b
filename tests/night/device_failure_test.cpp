// A device that cannot open, or that stops taking blocks (a lost sound server), never leaves a
// night running silently: the stream stays closed, or the night ends as 起きます ends it, and
// the user is told once.

#include <gtest/gtest.h>
#include <limits>

#include "night/behaviour.h"
#include "night/night_messages.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"

namespace yumo::test
{
namespace
{

// The offline device, refusing its Nth write and every later one; or refusing to open.
class FailingDevice final : public AudioDevice
{
public:
    explicit FailingDevice(uint64_t failingWrite, bool openFails = false)
        : failingWrite_(failingWrite), openFails_(openFails)
    {
    }

    bool Open(const PcmFormat& format, BlockDone onBlockDone) override
    {
        return !openFails_ && inner.Open(format, std::move(onBlockDone));
    }
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override
    {
        ++writes;
        return writes < failingWrite_ && inner.Write(blockIndex, data, byteCount);
    }
    void Reset() override
    {
        ++resets;
        inner.Reset();
    }
    void Close() override { inner.Close(); }

    OfflineDevice inner;
    uint64_t writes = 0;
    int resets = 0;

private:
    uint64_t failingWrite_;
    bool openFails_;
};

void ExpectStoppedAsByWakingUp(const AppState& state)
{
    EXPECT_EQ(state.phase, NightPhase::Stopped);
    EXPECT_EQ(state.behaviourState, kStateNotAsleep);
}

void ExpectOneMessage(const CapturingReporter& reporter, const char* text)
{
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, text);
    EXPECT_EQ(reporter.messages[0].caption, "オーディオエラー");
}

TEST(DeviceFailure, ARefusedBlockEndsTheNightAsWakingUpDoesAndIsReportedOnce)
{
    std::unique_ptr<StreamRig> rig = MakeStreamRig(MakeTriangleClip(8, 9000));
    AppState& state = *rig->state;
    FailingDevice device(15); // the ten primes and four refills pass, the fifth is refused
    ASSERT_TRUE(OpenOutputStream(state, device));
    StartNight(state);
    ASSERT_EQ(state.phase, NightPhase::Running);

    // Every block the device took comes back (the ten primes and four refills), none requeued.
    EXPECT_EQ(DrainOfflineDevice(device.inner, 100), 14u);
    EXPECT_EQ(device.writes, 15u);
    EXPECT_EQ(device.inner.playedBlocks, 5u); // what was still queued was dropped
    EXPECT_EQ(device.resets, 1);
    ExpectStoppedAsByWakingUp(state);
    ExpectOneMessage(rig->reporter, kDeviceWriteFailedText);

    // The next night runs on a device that works, with nothing more to report.
    ASSERT_TRUE(OpenOutputStream(state, rig->device));
    StartNight(state);
    EXPECT_EQ(PumpBlocks(*rig, 50), 50);
    EXPECT_EQ(state.phase, NightPhase::Running);
    EXPECT_EQ(rig->reporter.messages.size(), 1u);
}

TEST(DeviceFailure, ARefusedFirstBlockStartsNoNight)
{
    std::unique_ptr<StreamRig> rig = MakeStreamRig(MakeTriangleClip(8, 9000));
    AppState& state = *rig->state;
    FailingDevice device(3);
    ASSERT_TRUE(OpenOutputStream(state, device));
    StartNight(state);
    ExpectStoppedAsByWakingUp(state);
    ExpectOneMessage(rig->reporter, kDeviceWriteFailedText);
    EXPECT_EQ(DrainOfflineDevice(device.inner, 100), 2u);
    EXPECT_EQ(device.writes, 3u);
}

TEST(DeviceFailure, ADeviceThatCannotOpenLeavesTheStreamClosedAndNoNightStarts)
{
    std::unique_ptr<StreamRig> rig = MakeStreamRig(MakeTriangleClip(8, 9000));
    AppState& state = *rig->state;
    FailingDevice device(std::numeric_limits<uint64_t>::max(), true);
    EXPECT_FALSE(OpenOutputStream(state, device));
    EXPECT_EQ(state.stream.device, nullptr);
    EXPECT_EQ(rig->device.closeCount, 1); // the earlier device is closed all the same
    ExpectOneMessage(rig->reporter, kDeviceOpenFailedText);

    // Without an open stream nothing could come back to refill: the night does not start.
    StartNight(state);
    EXPECT_FALSE(NightStarted(state.phase));
    EXPECT_EQ(device.writes, 0u);
    ASSERT_EQ(rig->reporter.messages.size(), 2u);
    EXPECT_EQ(rig->reporter.messages[1].text, kDeviceWriteFailedText);
}

} // namespace
} // namespace yumo::test
