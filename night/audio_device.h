#pragma once
// Where output blocks go. The device plays written blocks in the order written and hands each
// one back once it has played (a block-done notification); the owner refills it then. The
// notification runs on the owner's thread, never inside Write, so a refill that writes again
// does not recurse.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "import/pcm_audio.h"

namespace yumo
{

class AudioDevice
{
public:
    // Called with the index the block was written under, once it has played (or was dropped by
    // Reset). The stream's notification captures one reference, so it never allocates.
    using BlockDone = std::function<void(int blockIndex)>;

    virtual ~AudioDevice() = default;
    // Opens for `format`; false when the device cannot be opened (nothing will play then).
    virtual bool Open(const PcmFormat& format, BlockDone onBlockDone) = 0;
    // Queues `byteCount` bytes of interleaved samples. `data` must stay valid until the block
    // comes back. False when the device is not open or cannot take the block.
    virtual bool Write(int blockIndex, const int16_t* data, size_t byteCount) = 0;
    // Drops what is queued; the dropped blocks come back done without being heard.
    virtual void Reset() = 0;
    // Forgets queued blocks without notifying and stops notifications.
    virtual void Close() = 0;
    // The bytes heard (or passed in silence, or dropped) of those written since the last Open.
    // False from a device that hands each block back once heard: what came back was heard.
    virtual bool HeardSinceOpen(uint64_t& bytes)
    {
        (void)bytes;
        return false;
    }
    // Whether blocks are played at the pace of a clock; one without plays them as fast as the
    // owner pumps it, and may be kept waiting.
    virtual bool HasClock() const { return true; }
};

} // namespace yumo
