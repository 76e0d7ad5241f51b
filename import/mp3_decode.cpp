// Layer III decoding with libmpg123, and resampling to the program's 44.1 kHz with libsoxr.

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <sys/types.h>

#include <mpg123.h>

#include "common/constants.h"
#include "common/results.h"
#include "import/import_messages.h"
#include "import/mp3_import.h"
#include "import/mp3_stream.h"
#include "import/pcm_resampler.h"

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

// The whole import reads the audio bytes from memory.
class MemoryStream final : public Mp3ByteSource
{
public:
    MemoryStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    int64_t Read(void* out, size_t count) override
    {
        const size_t taken = std::min(count, size_ - pos_);
        std::memcpy(out, data_ + pos_, taken);
        pos_ += taken;
        return static_cast<int64_t>(taken);
    }

    int64_t Seek(int64_t offset, int whence) override
    {
        int64_t base = 0;
        if (whence == SEEK_CUR)
        {
            base = static_cast<int64_t>(pos_);
        }
        else if (whence == SEEK_END)
        {
            base = static_cast<int64_t>(size_);
        }
        else if (whence != SEEK_SET)
        {
            return -1;
        }
        if (offset < -base || offset > static_cast<int64_t>(size_) - base)
        {
            return -1;
        }
        pos_ = static_cast<size_t>(base + offset);
        return static_cast<int64_t>(pos_);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// The decoder's callbacks, with the source's own failures noted: a read that fails is the
// file going away, not the stream ending.
struct SourceLink
{
    Mp3ByteSource* source = nullptr;
    bool readFailed = false;
};

mpg123_ssize_t ReadSource(void* handle, void* out, size_t count)
{
    auto* link = static_cast<SourceLink*>(handle);
    const int64_t got = link->source->Read(out, count);
    link->readFailed = link->readFailed || got < 0;
    return static_cast<mpg123_ssize_t>(got);
}

off_t SeekSource(void* handle, off_t offset, int whence)
{
    auto* link = static_cast<SourceLink*>(handle);
    return static_cast<off_t>(link->source->Seek(static_cast<int64_t>(offset), whence));
}

// A decoder that emits signed 16-bit samples at the source's first rate and channel count only,
// so the output format never changes midway (mpg123 converts any later frames to it).
Mpg123Handle OpenDecoder(const Mp3FormatDescriptor& descriptor, SourceLink& link)
{
    int error = MPG123_OK;
    Mpg123Handle handle(mpg123_new(nullptr, &error));
    if (!handle)
    {
        return nullptr;
    }
    int channels = descriptor.head.channels == 1 ? MPG123_MONO : MPG123_STEREO;
    bool ok =
        mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0) == MPG123_OK &&
        mpg123_format_none(handle.get()) == MPG123_OK &&
        mpg123_format(handle.get(), static_cast<long>(descriptor.head.sampleRate), channels,
                      MPG123_ENC_SIGNED_16) == MPG123_OK &&
        mpg123_replace_reader_handle(handle.get(), ReadSource, SeekSource, nullptr) == MPG123_OK &&
        mpg123_open_handle(handle.get(), &link) == MPG123_OK;
    return ok ? std::move(handle) : nullptr;
}

enum class DecodeOutcome
{
    Decoded,
    NothingDecoded,
    TooLarge,
};

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

// Decodes until the end of the stream or the first unrecoverable error, keeping everything
// decoded before it. Gapless decoding drops the encoder's delay and padding where the stream
// says how long they are. When the length is known from a scan, the result is refused before
// anything is decoded if it would exceed the limit, and its buffer is taken once, whole.
constexpr size_t kResamplerTailRoom = 16384; // frames

DecodeOutcome DecodeAll(Mp3PcmStream& stream, std::vector<uint8_t>& pcm)
{
    const unsigned channels = stream.Channels();
    if (stream.ScannedFrames() >= 0)
    {
        const uint64_t bytes =
            static_cast<uint64_t>(stream.ScannedFrames()) * channels * sizeof(int16_t);
        if (bytes > kMaxImportBytes)
        {
            return DecodeOutcome::TooLarge;
        }
        // A little room past the length: the resampler's tail may go a few frames beyond it
        // before it is cut, and must not make the buffer move.
        pcm.reserve(static_cast<size_t>(bytes) + kResamplerTailRoom * channels * sizeof(int16_t));
    }
    std::vector<int16_t> piece;
    while (stream.Next(piece))
    {
        const size_t bytes = piece.size() * sizeof(int16_t);
        if (bytes > kMaxImportBytes - pcm.size())
        {
            return DecodeOutcome::TooLarge;
        }
        const auto* p = reinterpret_cast<const uint8_t*>(piece.data());
        pcm.insert(pcm.end(), p, p + bytes);
    }
    if (stream.Failed())
    {
        return DecodeOutcome::NothingDecoded;
    }
    // The resampler's tail may run a little past the duration decoded: cut it there (a
    // shrink, never a new buffer).
    const uint64_t bytes = stream.DurationFrames() * channels * sizeof(int16_t);
    if (pcm.size() > bytes)
    {
        pcm.resize(static_cast<size_t>(bytes));
    }
    return pcm.empty() ? DecodeOutcome::NothingDecoded : DecodeOutcome::Decoded;
}

} // namespace

struct Mp3PcmStream::Parts
{
    SourceLink link;
    Mpg123Handle decoder;
    std::unique_ptr<PcmWriter> writer;
    std::vector<int16_t> chunk;
};

Mp3PcmStream::Mp3PcmStream() = default;
Mp3PcmStream::~Mp3PcmStream() = default;

bool Mp3PcmStream::Open(const Mp3FormatDescriptor& descriptor, Mp3ByteSource& source)
{
    parts_ = std::make_unique<Parts>();
    channels_ = descriptor.head.channels;
    rate_ = descriptor.head.sampleRate;
    scannedFrames_ = -1;
    decodedFrames_ = 0;
    ended_ = drained_ = failed_ = false;
    parts_->link.source = &source;
    parts_->decoder = OpenDecoder(descriptor, parts_->link);
    if (!parts_->decoder || channels_ == 0 || rate_ == 0)
    {
        failed_ = true;
        return false;
    }
    const int64_t scanned = ScanFrameCount(parts_->decoder.get());
    if (scanned >= 0)
    {
        scannedFrames_ =
            rate_ == static_cast<uint32_t>(kSampleRate)
                ? scanned
                : static_cast<int64_t>(ResampledFrames(static_cast<uint64_t>(scanned), rate_));
    }
    parts_->writer = std::make_unique<PcmWriter>(channels_, rate_);
    constexpr size_t kChunkSamples = 32768;
    parts_->chunk.resize(kChunkSamples);
    failed_ = parts_->writer->Failed();
    return !failed_;
}

bool Mp3PcmStream::Next(std::vector<int16_t>& out)
{
    out.clear();
    if (failed_ || drained_ || !parts_)
    {
        return false;
    }
    PcmWriter& writer = *parts_->writer;
    if (!ended_)
    {
        std::vector<int16_t>& chunk = parts_->chunk;
        size_t done = 0;
        const int result =
            mpg123_read(parts_->decoder.get(), chunk.data(), chunk.size() * sizeof(int16_t), &done);
        const size_t frames = done / sizeof(int16_t) / channels_;
        decodedFrames_ += frames;
        writer.Write(chunk.data(), frames, out);
        failed_ = writer.Failed();
        // MPG123_DONE, or an error that ends the stream.
        ended_ = result != MPG123_OK && result != MPG123_NEW_FORMAT;
        return !failed_;
    }
    if (!writer.Resamples())
    {
        drained_ = true;
        return false;
    }
    drained_ = !writer.Drain(out);
    failed_ = writer.Failed();
    return !drained_;
}

bool Mp3PcmStream::ReadFailed() const { return parts_ && parts_->link.readFailed; }

uint64_t Mp3PcmStream::DurationFrames() const
{
    return rate_ == static_cast<uint32_t>(kSampleRate) ? decodedFrames_
                                                       : ResampledFrames(decodedFrames_, rate_);
}

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

    MemoryStream source(audio, length);
    Mp3PcmStream stream;
    if (!stream.Open(descriptor, source))
    {
        ReportMp3Failure(reporter, kMp3StreamFailedText);
        return false;
    }
    std::vector<uint8_t> decoded;
    const DecodeOutcome outcome = DecodeAll(stream, decoded);
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
