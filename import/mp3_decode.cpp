// Layer III decoding with libmpg123, and resampling to the program's 44.1 kHz with libsoxr.

#include <bit>
#include <cstring>
#include <memory>
#include <sys/types.h>

#include <mpg123.h>
#include <soxr.h>

#include "common/constants.h"
#include "common/results.h"
#include "import/import_messages.h"
#include "import/mp3_import.h"

namespace yumo
{
namespace
{

// The buffers hold little-endian samples; decoder and resampler write native ones.
static_assert(std::endian::native == std::endian::little);

struct Mpg123Deleter
{
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Mpg123Handle = std::unique_ptr<mpg123_handle, Mpg123Deleter>;

// The decoder reads the audio bytes from memory through these callbacks.
struct MemoryStream
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
};

mpg123_ssize_t ReadMemoryStream(void* handle, void* out, size_t count)
{
    auto* stream = static_cast<MemoryStream*>(handle);
    size_t available = stream->size - stream->pos;
    size_t taken = count < available ? count : available;
    std::memcpy(out, stream->data + stream->pos, taken);
    stream->pos += taken;
    return static_cast<mpg123_ssize_t>(taken);
}

off_t SeekMemoryStream(void* handle, off_t offset, int whence)
{
    auto* stream = static_cast<MemoryStream*>(handle);
    off_t base = 0;
    if (whence == SEEK_CUR)
    {
        base = static_cast<off_t>(stream->pos);
    }
    else if (whence == SEEK_END)
    {
        base = static_cast<off_t>(stream->size);
    }
    else if (whence != SEEK_SET)
    {
        return -1;
    }
    if (offset < -base || offset > static_cast<off_t>(stream->size) - base)
    {
        return -1;
    }
    stream->pos = static_cast<size_t>(base + offset);
    return static_cast<off_t>(stream->pos);
}

// A decoder that emits signed 16-bit samples at the source's first rate and channel count only,
// so the output format never changes midway (mpg123 converts any later frames to it).
Mpg123Handle OpenDecoder(const Mp3FormatDescriptor& descriptor, MemoryStream& stream)
{
    int error = MPG123_OK;
    Mpg123Handle handle(mpg123_new(nullptr, &error));
    if (!handle)
    {
        return nullptr;
    }
    int channels = descriptor.head.channels == 1 ? MPG123_MONO : MPG123_STEREO;
    bool ok = mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0) == MPG123_OK &&
              mpg123_format_none(handle.get()) == MPG123_OK &&
              mpg123_format(handle.get(), static_cast<long>(descriptor.head.sampleRate), channels,
                            MPG123_ENC_SIGNED_16) == MPG123_OK &&
              mpg123_replace_reader_handle(handle.get(), ReadMemoryStream, SeekMemoryStream,
                                           nullptr) == MPG123_OK &&
              mpg123_open_handle(handle.get(), &stream) == MPG123_OK;
    return ok ? std::move(handle) : nullptr;
}

enum class DecodeOutcome
{
    Decoded,
    NothingDecoded,
    TooLarge,
};

// Decodes until the end of the stream or the first unrecoverable error, keeping everything
// decoded before it. Gapless decoding drops the encoder's delay and padding where the stream
// says how long they are.
DecodeOutcome DecodeAll(mpg123_handle* handle, std::vector<int16_t>& samples)
{
    constexpr size_t kChunkSamples = 32768;
    constexpr size_t kMaxSamples = kMaxImportBytes / sizeof(int16_t);
    size_t used = 0;
    for (;;)
    {
        if (used > kMaxSamples)
        {
            return DecodeOutcome::TooLarge;
        }
        samples.resize(used + kChunkSamples);
        size_t done = 0;
        int result =
            mpg123_read(handle, samples.data() + used, kChunkSamples * sizeof(int16_t), &done);
        used += done / sizeof(int16_t);
        if (result == MPG123_OK || result == MPG123_NEW_FORMAT)
        {
            continue;
        }
        break; // MPG123_DONE, or an error that ends the stream
    }
    samples.resize(used);
    if (used > kMaxSamples)
    {
        return DecodeOutcome::TooLarge;
    }
    return used == 0 ? DecodeOutcome::NothingDecoded : DecodeOutcome::Decoded;
}

// Frames at 44.1 kHz that the same duration takes, rounded to the nearest frame.
uint64_t ResampledFrames(uint64_t frames, uint32_t rate)
{
    return (frames * static_cast<uint64_t>(kSampleRate) + rate / 2) / rate;
}

bool ResampleTo44100(std::vector<int16_t>& samples, unsigned channels, uint32_t rate)
{
    size_t frames = samples.size() / channels;
    size_t outFrames = static_cast<size_t>(ResampledFrames(frames, rate));
    std::vector<int16_t> out(outFrames * channels);
    // Without dither the same file always imports to the same bytes.
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    size_t outDone = 0;
    soxr_error_t error = soxr_oneshot(static_cast<double>(rate), static_cast<double>(kSampleRate),
                                      channels, samples.data(), frames, nullptr, out.data(),
                                      outFrames, &outDone, &io, &quality, nullptr);
    if (error != nullptr)
    {
        return false;
    }
    out.resize(outDone * channels);
    samples = std::move(out);
    return true;
}

} // namespace

bool DecodeToPcm(const Mp3FormatDescriptor& descriptor, const uint8_t* audio, size_t length,
                 PcmFormat& format, std::vector<uint8_t>& pcm, Reporter& reporter)
{
    uint16_t channels = descriptor.head.channels;
    uint32_t rate = descriptor.head.sampleRate;
    if (channels == 0 || rate == 0)
    {
        ReportMp3Failure(reporter, kMp3StreamFailedText);
        return false;
    }
    // The destination format is fixed before decoding: 16-bit PCM at 44.1 kHz in the source's
    // channels, whatever rate the stream has.
    format.formatTag = kLinearPcmTag;
    format.channels = channels;
    format.sampleRate = static_cast<uint32_t>(kSampleRate);
    format.blockAlign = static_cast<uint16_t>(channels * kBytesPerSample);
    format.avgBytesPerSecond = format.sampleRate * format.blockAlign;
    format.bitsPerSample = 16;
    format.extraSize = 0;

    MemoryStream stream{audio, length, 0};
    Mpg123Handle decoder = OpenDecoder(descriptor, stream);
    if (!decoder)
    {
        ReportMp3Failure(reporter, kMp3StreamFailedText);
        return false;
    }
    std::vector<int16_t> samples;
    DecodeOutcome outcome = DecodeAll(decoder.get(), samples);
    decoder.reset();
    if (outcome == DecodeOutcome::Decoded && rate != static_cast<uint32_t>(kSampleRate))
    {
        uint64_t outBytes =
            ResampledFrames(samples.size() / channels, rate) * channels * sizeof(int16_t);
        if (outBytes > kMaxImportBytes)
        {
            outcome = DecodeOutcome::TooLarge;
        }
        else if (!ResampleTo44100(samples, channels, rate) || samples.empty())
        {
            outcome = DecodeOutcome::NothingDecoded;
        }
    }
    if (outcome == DecodeOutcome::TooLarge)
    {
        ReportMp3Failure(reporter, kImportTooLargeText);
        return false;
    }
    if (outcome == DecodeOutcome::NothingDecoded)
    {
        ReportMp3Failure(reporter, kMp3StreamFailedText);
        return false;
    }
    pcm.resize(samples.size() * sizeof(int16_t));
    std::memcpy(pcm.data(), samples.data(), pcm.size());
    return true;
}

} // namespace yumo
