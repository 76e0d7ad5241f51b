// The offline device: blocks play in the order written, come back one per pump, and a refill
// that writes from inside its notification never recurses.

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

#include "night/offline_device.h"

namespace yumo
{
namespace
{

struct DeviceLog
{
    std::vector<int> heard;    // first sample of each block the sink got
    std::vector<int> returned; // indexes in the order they came back
    int depth = 0;
    int deepest = 0;
};

PcmFormat StereoFormat() { return PcmFormat{1, 2, 44100, 176400, 4, 16, 0}; }

TEST(OfflineDevice, PlaysInWriteOrderAndRefillsQueueBehindWithoutRecursion)
{
    OfflineDevice device;
    DeviceLog log;
    std::vector<std::vector<int16_t>> buffers(3, std::vector<int16_t>(4, 0));
    device.sink = [&](const int16_t* data, size_t bytes) {
        EXPECT_EQ(bytes, 8u);
        log.heard.push_back(data[0]);
    };
    ASSERT_TRUE(device.Open(StereoFormat(), [&](int index) {
        ++log.depth;
        log.deepest = std::max(log.deepest, log.depth);
        log.returned.push_back(index);
        // Refill with a new value and write again at once, as the stream does.
        buffers[static_cast<size_t>(index)][0] =
            static_cast<int16_t>(buffers[static_cast<size_t>(index)][0] + 10);
        device.Write(index, buffers[static_cast<size_t>(index)].data(), 8);
        --log.depth;
    }));
    for (int i : {2, 0, 1})
    {
        buffers[static_cast<size_t>(i)][0] = static_cast<int16_t>(i);
        ASSERT_TRUE(device.Write(i, buffers[static_cast<size_t>(i)].data(), 8));
    }
    EXPECT_EQ(DrainOfflineDevice(device, 7), 7u);
    EXPECT_EQ(log.returned, (std::vector<int>{2, 0, 1, 2, 0, 1, 2}));
    EXPECT_EQ(log.heard, (std::vector<int>{2, 0, 1, 12, 10, 11, 22}));
    EXPECT_EQ(log.deepest, 1);
    EXPECT_EQ(device.writtenBlocks, 10u);
    EXPECT_EQ(device.playedBlocks, 7u);
}

TEST(OfflineDevice, ResetBlocksComeBackUnheard)
{
    OfflineDevice device;
    int heard = 0;
    std::vector<int> returned;
    device.sink = [&](const int16_t*, size_t) { ++heard; };
    device.Open(StereoFormat(), [&](int index) { returned.push_back(index); });
    int16_t samples[4] = {};
    for (int i = 0; i < 4; ++i)
    {
        device.Write(i, samples, 8);
    }
    ASSERT_TRUE(PumpOfflineDevice(device));
    device.Reset();
    EXPECT_EQ(DrainOfflineDevice(device, 100), 3u);
    EXPECT_EQ(heard, 1);
    EXPECT_EQ(returned, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_FALSE(PumpOfflineDevice(device));
}

TEST(OfflineDevice, ClosedOrFullDevicesRefuseBlocks)
{
    OfflineDevice device;
    int16_t samples[4] = {};
    EXPECT_FALSE(device.Write(0, samples, 8)); // never opened
    int returned = 0;
    device.Open(StereoFormat(), [&](int) {
        ++returned;
        device.Close(); // closing from inside a notification stops the rest
    });
    for (int i = 0; i < kOfflineQueueCapacity; ++i)
    {
        ASSERT_TRUE(device.Write(i, samples, 8));
    }
    EXPECT_FALSE(device.Write(99, samples, 8));
    EXPECT_EQ(DrainOfflineDevice(device, 100), 1u);
    EXPECT_EQ(returned, 1);
    EXPECT_EQ(device.closeCount, 1);
    EXPECT_FALSE(device.Write(0, samples, 8));

    // Reopening gives a fresh, empty queue and the new notification.
    int reopened = 0;
    device.Open(StereoFormat(), [&](int) { ++reopened; });
    device.Write(0, samples, 8);
    EXPECT_EQ(DrainOfflineDevice(device, 100), 1u);
    EXPECT_EQ(reopened, 1);
}

} // namespace
} // namespace yumo
