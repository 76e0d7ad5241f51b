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

struct SoxrDeleter
{
    void operator()(soxr* resampler) const { soxr_delete(resampler); }
};
using SoxrHandle = std::unique_ptr<soxr, SoxrDeleter>;

enum class DecodeOutcome
{
    Decoded,
    NothingDecoded,
    TooLarge,
};

// Frames at 44.1 kHz that the same duration takes, rounded to the nearest frame.
uint64_t ResampledFrames(uint64_t frames, uint32_t rate)
{
    return (frames * static_cast<uint64_t>(kSampleRate) + rate / 2) / rate;
}

// The stream's length in frames at its own rate, from a scan of its frame headers (no audio is
// decoded); -1 when the stream does not tell.
int64_t ScanFrameCount(mpg123_handle* handle)
{
    if (mpg123_scan(handle) != MPG123_OK)
    {
        return -1;
    }
    const off_t frames = mpg123_length(handle);
    return frames < 0 ? -1 : static_cast<int64_t>(frames);
}

// Decoded audio goes straight into the final buffer, at 44.1 kHz: either as the decoder gives
// it or through a stream resampler, a piece at a time, so nothing but the result is ever held
// whole. The limit on the result is checked as it grows.
class PcmWriter
{
public:
    PcmWriter(std::vector<uint8_t>& pcm, unsigned channels, uint32_t rate)
        : pcm_(pcm), channels_(channels)
    {
        if (rate == static_cast<uint32_t>(kSampleRate))
        {
            return;
        }
        // Without dither the same file always imports to the same bytes.
        soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
        io.flags |= SOXR_NO_DITHER;
        soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        soxr_error_t error = nullptr;
        resampler_.reset(soxr_create(static_cast<double>(rate), static_cast<double>(kSampleRate),
                                     channels, &error, &io, &quality, nullptr));
        failed_ = error != nullptr || !resampler_;
        ratio_ = static_cast<double>(kSampleRate) / static_cast<double>(rate);
    }

    bool Failed() const { return failed_; }
    bool TooLarge() const { return tooLarge_; }

    // `frames` interleaved frames from the decoder; null at the end of the stream.
    void Write(const int16_t* samples, size_t frames)
    {
        if (failed_ || tooLarge_)
        {
            return;
        }
        if (!resampler_)
        {
            if (samples != nullptr)
            {
                Append(samples, frames);
            }
            return;
        }
        const size_t room = static_cast<size_t>(static_cast<double>(frames) * ratio_) + 1024;
        out_.resize(room * channels_);
        size_t used = 0;
        for (;;)
        {
            size_t taken = 0;
            size_t given = 0;
            const int16_t* in = samples != nullptr ? samples + used * channels_ : nullptr;
            if (soxr_process(resampler_.get(), in, samples != nullptr ? frames - used : 0, &taken,
                             out_.data(), room, &given) != nullptr)
            {
                failed_ = true;
                return;
            }
            used += taken;
            Append(out_.data(), given);
            // Input goes in whole; at the end the resampler is drained until it gives nothing.
            const bool done = samples != nullptr ? used >= frames : given == 0;
            if (done || tooLarge_)
            {
                return;
            }
        }
    }

private:
    void Append(const int16_t* samples, size_t frames)
    {
        const size_t bytes = frames * channels_ * sizeof(int16_t);
        if (bytes > kMaxImportBytes - pcm_.size())
        {
            tooLarge_ = true;
            return;
        }
        const auto* p = reinterpret_cast<const uint8_t*>(samples);
        pcm_.insert(pcm_.end(), p, p + bytes);
    }

    std::vector<uint8_t>& pcm_;
    unsigned channels_;
    SoxrHandle resampler_;
    double ratio_ = 1.0;
    std::vector<int16_t> out_;
    bool failed_ = false;
    bool tooLarge_ = false;
};

// Decodes until the end of the stream or the first unrecoverable error, keeping everything
// decoded before it. Gapless decoding drops the encoder's delay and padding where the stream
// says how long they are. When the length is known from a scan, the result is refused before
// anything is decoded if it would exceed the limit, and its buffer is taken once, whole.
constexpr size_t kResamplerTailRoom = 16384; // frames

DecodeOutcome DecodeAll(mpg123_handle* handle, unsigned channels, uint32_t rate,
                        std::vector<uint8_t>& pcm)
{
    const bool resampled = rate != static_cast<uint32_t>(kSampleRate);
    const int64_t scanned = ScanFrameCount(handle);
    if (scanned >= 0)
    {
        const uint64_t frames = resampled ? ResampledFrames(static_cast<uint64_t>(scanned), rate)
                                          : static_cast<uint64_t>(scanned);
        const uint64_t bytes = frames * channels * sizeof(int16_t);
        if (bytes > kMaxImportBytes)
        {
            return DecodeOutcome::TooLarge;
        }
        // A little room past the length: the resampler's tail may go a few frames beyond it
        // before it is cut, and must not make the buffer move.
        pcm.reserve(static_cast<size_t>(bytes) + kResamplerTailRoom * channels * sizeof(int16_t));
    }
    constexpr size_t kChunkSamples = 32768;
    std::vector<int16_t> chunk(kChunkSamples);
    PcmWriter writer(pcm, channels, rate);
    uint64_t decodedFrames = 0;
    for (;;)
    {
        size_t done = 0;
        const int result =
            mpg123_read(handle, chunk.data(), kChunkSamples * sizeof(int16_t), &done);
        const size_t frames = done / sizeof(int16_t) / channels;
        decodedFrames += frames;
        writer.Write(chunk.data(), frames);
        if (writer.Failed() || writer.TooLarge())
        {
            break;
        }
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
        {
            break; // MPG123_DONE, or an error that ends the stream
        }
    }
    if (!writer.Failed() && !writer.TooLarge())
    {
        writer.Write(nullptr, 0);
    }
    if (writer.TooLarge())
    {
        return DecodeOutcome::TooLarge;
    }
    if (writer.Failed())
    {
        return DecodeOutcome::NothingDecoded;
    }
    // The resampler's tail may run a little past the duration decoded: cut it there (a
    // shrink, never a new buffer).
    if (resampled)
    {
        const uint64_t bytes = ResampledFrames(decodedFrames, rate) * channels * sizeof(int16_t);
        if (pcm.size() > bytes)
        {
            pcm.resize(static_cast<size_t>(bytes));
        }
    }
    return pcm.empty() ? DecodeOutcome::NothingDecoded : DecodeOutcome::Decoded;
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
    std::vector<uint8_t> decoded;
    const DecodeOutcome outcome = DecodeAll(decoder.get(), channels, rate, decoded);
    decoder.reset();
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
    pcm = std::move(decoded);
    return true;
}

} // namespace yumo
