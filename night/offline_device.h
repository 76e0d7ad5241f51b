#pragma once
// An output device without a clock: every written block counts as played at once. Blocks are
// queued as written and come back one at a time, in the order written, when the owner pumps
// the device, so a refill that writes again from inside the notification never recurses. Each
// played block's bytes go to a sink first (a WAV writer, a meter, a test's recorder).

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "common/constants.h"
#include "night/audio_device.h"

namespace yumo
{

// Room for the stream's ten blocks and a preview buffer or two besides.
constexpr int kOfflineQueueCapacity = 4 * kOutputBlockCount;

struct OfflineQueueEntry
{
    int blockIndex = 0;
    const int16_t* data = nullptr;
    size_t byteCount = 0;
    bool dropped = false; // reset before it played: comes back without reaching the sink
};

class OfflineDevice final : public AudioDevice
{
public:
    // Called with each played block's bytes just before its block-done notification.
    using Sink = std::function<void(const int16_t* data, size_t byteCount)>;

    bool Open(const PcmFormat& format, BlockDone onBlockDone) override;
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override;
    void Reset() override;
    void Close() override;
    bool HasClock() const override { return false; }

    Sink sink;
    PcmFormat format;
    BlockDone onBlockDone;
    bool open = false;
    std::array<OfflineQueueEntry, kOfflineQueueCapacity> queue{}; // a ring
    int queueHead = 0;
    int queueCount = 0;
    uint64_t writtenBlocks = 0; // accepted by Write since the device was made
    uint64_t playedBlocks = 0;  // handed to the sink
    int openCount = 0;
    int closeCount = 0;
    uint64_t generation = 0; // moves on with every open and close
};

// Plays the oldest queued block: its bytes go to the sink (unless a reset dropped it), then
// its block-done notification runs. Returns false when nothing was queued.
bool PumpOfflineDevice(OfflineDevice& device);

// Pumps until the queue stays empty (the owner stopped requeuing) or `maxBlocks` came back.
// Returns the number of blocks that came back.
uint64_t DrainOfflineDevice(OfflineDevice& device, uint64_t maxBlocks);

} // namespace yumo
