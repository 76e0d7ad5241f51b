#include "night/offline_device.h"

#include <utility>

#include "night/block_timeline.h"

namespace yumo
{

bool OfflineDevice::Open(const PcmFormat& newFormat, BlockDone newOnBlockDone)
{
    format = newFormat;
    onBlockDone = std::move(newOnBlockDone);
    open = true;
    queueHead = 0;
    queueCount = 0;
    ++openCount;
    ++generation;
    return true;
}

bool OfflineDevice::Write(int blockIndex, const int16_t* data, size_t byteCount)
{
    if (!open || queueCount == kOfflineQueueCapacity)
    {
        return false;
    }
    const int tail = (queueHead + queueCount) % kOfflineQueueCapacity;
    queue[static_cast<size_t>(tail)] = OfflineQueueEntry{blockIndex, data, byteCount, false};
    ++queueCount;
    ++writtenBlocks;
    return true;
}

void OfflineDevice::Reset()
{
    for (int i = 0; i < queueCount; ++i)
    {
        queue[static_cast<size_t>((queueHead + i) % kOfflineQueueCapacity)].dropped = true;
    }
}

void OfflineDevice::Close()
{
    if (open)
    {
        ++closeCount;
    }
    ++generation;
    open = false;
    queueHead = 0;
    queueCount = 0;
}

bool PumpOfflineDevice(OfflineDevice& device)
{
    if (!device.open || device.queueCount == 0)
    {
        return false;
    }
    // Pop first: the notification may write the block again, and the ring must have room.
    const OfflineQueueEntry entry = device.queue[static_cast<size_t>(device.queueHead)];
    device.queueHead = (device.queueHead + 1) % kOfflineQueueCapacity;
    --device.queueCount;
    if (!entry.dropped)
    {
        if (device.sink)
        {
            device.sink(entry.data, entry.byteCount);
        }
        ++device.playedBlocks;
    }
    if (device.open && device.onBlockDone)
    {
        NotifyBlockDone(device.onBlockDone, entry.blockIndex, device.generation);
    }
    return true;
}

uint64_t DrainOfflineDevice(OfflineDevice& device, uint64_t maxBlocks)
{
    uint64_t returned = 0;
    while (returned < maxBlocks && PumpOfflineDevice(device))
    {
        ++returned;
    }
    return returned;
}

} // namespace yumo
