#pragma once
// Where output blocks go. The device hands each written block back once it has played, in
// the order written; the owner refills it then.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "import/pcm_audio.h"

namespace yumo
{

class AudioDevice
{
public:
    // Called with the index the block was written under, once it has played.
    using BlockDone = std::function<void(int blockIndex)>;

    virtual ~AudioDevice() = default;
    virtual bool Open(const PcmFormat& format, BlockDone onBlockDone) = 0;
    // `data` must stay valid until the block comes back.
    virtual bool Write(int blockIndex, const int16_t* data, size_t byteCount) = 0;
    // Drops what is queued; the dropped blocks come back done.
    virtual void Reset() = 0;
    virtual void Close() = 0;
};

} // namespace yumo
