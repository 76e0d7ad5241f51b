#pragma once
// Layer III decoded and resampled to 44.1 kHz a piece at a time. The whole import is these
// pieces end to end, so a stream gives exactly the samples the import holds.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "import/mp3_import.h"

namespace yumo
{

// Where the decoder reads the audio's bytes (from its first frame header on).
class Mp3ByteSource
{
public:
    virtual ~Mp3ByteSource() = default;
    // Bytes read (0 at the end), or -1 when they cannot be read.
    virtual int64_t Read(void* out, size_t count) = 0;
    // The new position, or -1; `whence` as for lseek.
    virtual int64_t Seek(int64_t offset, int whence) = 0;
};

class Mp3PcmStream
{
public:
    Mp3PcmStream();
    ~Mp3PcmStream();
    Mp3PcmStream(const Mp3PcmStream&) = delete;
    Mp3PcmStream& operator=(const Mp3PcmStream&) = delete;

    // Starts decoding `source` at the rate and channels of `descriptor`; the length is scanned
    // from the frame headers first, as the import does. False when the decoder cannot start.
    bool Open(const Mp3FormatDescriptor& descriptor, Mp3ByteSource& source);
    // The frames at 44.1 kHz the scan promises, or -1 when the stream did not tell.
    int64_t ScannedFrames() const { return scannedFrames_; }
    // The next piece: interleaved frames at 44.1 kHz replace `out`'s contents (possibly none).
    // False once the stream has ended (the resampler drained) or failed.
    bool Next(std::vector<int16_t>& out);
    bool Failed() const { return failed_; }
    // A read of the file failed (as opposed to the stream simply ending or being damaged).
    bool ReadFailed() const;
    // Frames at 44.1 kHz the decoded duration takes: where the import cuts the resampler's tail.
    uint64_t DurationFrames() const;
    unsigned Channels() const { return channels_; }

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
    unsigned channels_ = 0;
    uint32_t rate_ = 0;
    int64_t scannedFrames_ = -1;
    uint64_t decodedFrames_ = 0; // at the source's rate
    bool ended_ = false;
    bool drained_ = false;
    bool failed_ = false;
};

} // namespace yumo
