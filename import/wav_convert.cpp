#include "import/wav_convert.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include <soxr.h>

#include "common/byte_io.h"
#include "common/constants.h"
#include "common/rng.h"
#include "import/import_messages.h"
#include "import/pcm_audio.h"

namespace yumo
{
namespace
{

constexpr uint16_t kFloatTag = 3;
constexpr uint16_t kExtensibleTag = 0xFFFE;
constexpr size_t kRiffHeaderBytes = 12;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kPlainFmtBytes = 16;
constexpr size_t kExtensibleFmtBytes = 40;
constexpr size_t kSubFormatOffset = 24; // within the fmt body
// The sub-format GUID's tail shared by every format code of the old tags.
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint32_t kLowestRate = 1000;
constexpr uint32_t kHighestRate = 768000;
constexpr uint16_t kMostChannels = 32;
constexpr size_t kFramesPerStep = 16384;

struct Chunk
{
    size_t body = 0;
    size_t bytes = 0; // cut to what the file holds
};

// Finds the first chunk tagged `tag`; chunks are padded to even lengths.
bool FindChunk(const std::vector<uint8_t>& file, const char* tag, Chunk& chunk)
{
    size_t at = kRiffHeaderBytes;
    while (at + kChunkHeaderBytes <= file.size())
    {
        const size_t length = LoadU32(file.data() + at + 4);
        const size_t body = at + kChunkHeaderBytes;
        if (std::memcmp(file.data() + at, tag, 4) == 0)
        {
            chunk.body = body;
            chunk.bytes = std::min(length, file.size() - body);
            return true;
        }
        if (length > file.size() - body)
        {
            return false;
        }
        at = body + length + (length & 1u);
    }
    return false;
}

bool ReadFormatCode(const uint8_t* fmt, size_t bytes, WavLayout& layout, uint16_t& code)
{
    code = LoadU16(fmt);
    if (code != kExtensibleTag)
    {
        return true;
    }
    if (bytes < kExtensibleFmtBytes ||
        std::memcmp(fmt + kSubFormatOffset + 2, kGuidTail, sizeof kGuidTail) != 0)
    {
        return false;
    }
    layout.extensible = true;
    code = LoadU16(fmt + kSubFormatOffset);
    return true;
}

bool WidthFits(const WavLayout& layout)
{
    if (layout.type == WavSampleType::Float)
    {
        return layout.bitsPerSample == 32 || layout.bitsPerSample == 64;
    }
    return layout.bitsPerSample == 8 || layout.bitsPerSample == 16 || layout.bitsPerSample == 24 ||
           layout.bitsPerSample == 32;
}

// One sample of the container at `p`, scaled to [-1, 1).
double LoadSample(const uint8_t* p, const WavLayout& layout)
{
    if (layout.type == WavSampleType::Float)
    {
        if (layout.bitsPerSample == 32)
        {
            float value = 0.0f;
            std::memcpy(&value, p, sizeof value);
            return std::isfinite(value) ? double{value} : 0.0;
        }
        double value = 0.0;
        std::memcpy(&value, p, sizeof value);
        return std::isfinite(value) ? value : 0.0;
    }
    switch (layout.bitsPerSample)
    {
    case 8:
        return (int{p[0]} - 128) / 128.0;
    case 16:
        return static_cast<int16_t>(LoadU16(p)) / 32768.0;
    case 24:
    {
        // The top byte carries the sign: shift it up to bit 31, then back down.
        const uint32_t raw = uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24;
        return static_cast<int32_t>(raw) / 2147483648.0;
    }
    default:
        return LoadI32(p) / 2147483648.0;
    }
}

struct SoxrDeleter
{
    void operator()(soxr* resampler) const { soxr_delete(resampler); }
};
using SoxrHandle = std::unique_ptr<soxr, SoxrDeleter>;

// Brings mixed samples to 16 bits: triangular dither of one step each way, then rounding.
class Quantiser
{
public:
    explicit Quantiser(bool dither) : dither_(dither) { SeedRandom(rng_, 1); }

    void Append(const double* in, size_t count, std::vector<int16_t>& out)
    {
        for (size_t i = 0; i < count; ++i)
        {
            double value = in[i] * 32768.0;
            if (dither_)
            {
                value += (DrawRandom(rng_) - DrawRandom(rng_)) / double{kRandomMax + 1};
            }
            const double rounded = std::clamp(std::nearbyint(value), -32768.0, 32767.0);
            out.push_back(static_cast<int16_t>(rounded));
        }
    }

private:
    bool dither_;
    Rng rng_;
};

} // namespace

bool ReadWavLayout(const std::vector<uint8_t>& file, WavLayout& layout)
{
    layout = WavLayout{};
    if (file.size() < kRiffHeaderBytes || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
    {
        return false;
    }
    Chunk fmt;
    Chunk data;
    if (!FindChunk(file, "fmt ", fmt) || fmt.bytes < kPlainFmtBytes ||
        !FindChunk(file, "data", data))
    {
        return false;
    }
    const uint8_t* body = file.data() + fmt.body;
    uint16_t code = 0;
    if (!ReadFormatCode(body, fmt.bytes, layout, code) ||
        (code != kLinearPcmTag && code != kFloatTag))
    {
        return false;
    }
    layout.type = code == kFloatTag ? WavSampleType::Float : WavSampleType::Integer;
    layout.channels = LoadU16(body + 2);
    layout.sampleRate = LoadU32(body + 4);
    layout.blockAlign = LoadU16(body + 12);
    layout.bitsPerSample = LoadU16(body + 14);
    if (!WidthFits(layout) || layout.channels == 0 || layout.channels > kMostChannels ||
        layout.sampleRate < kLowestRate || layout.sampleRate > kHighestRate ||
        layout.blockAlign != layout.channels * layout.bitsPerSample / 8)
    {
        return false;
    }
    layout.dataOffset = data.body;
    layout.dataBytes = data.bytes / layout.blockAlign * layout.blockAlign;
    return true;
}

bool ImportTakesLayout(const WavLayout& layout)
{
    return !layout.extensible && layout.type == WavSampleType::Integer &&
           layout.bitsPerSample == 16 && layout.sampleRate == static_cast<uint32_t>(kSampleRate);
}

bool WavFileConvertible(const std::string& path)
{
    std::vector<uint8_t> file;
    WavLayout layout;
    return !HasMp3Extension(path) &&
           ReadWholeFile(path, file, kMaxImportBytes) == FileReadResult::Ok &&
           ReadWavLayout(file, layout) && !ImportTakesLayout(layout);
}

bool ConvertWavBytes(const std::vector<uint8_t>& file, std::vector<int16_t>& mono,
                     Reporter& reporter)
{
    mono.clear();
    WavLayout layout;
    if (!ReadWavLayout(file, layout))
    {
        ReportWavRefusal(reporter, kNotWavText);
        return false;
    }
    const size_t frames = layout.dataBytes / layout.blockAlign;
    const double ratio = double{kSampleRate} / layout.sampleRate;
    const auto expected = static_cast<size_t>(std::ceil(static_cast<double>(frames) * ratio));
    if (expected > kMaxImportBytes / sizeof(int16_t))
    {
        ReportWavRefusal(reporter, kImportTooLargeText);
        return false;
    }
    const bool resample = layout.sampleRate != static_cast<uint32_t>(kSampleRate);
    const bool exact = !resample && layout.channels == 1 && layout.type == WavSampleType::Integer &&
                       layout.bitsPerSample <= 16;
    Quantiser quantiser(!exact);
    SoxrHandle resampler;
    if (resample)
    {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
        soxr_error_t error = nullptr;
        resampler.reset(
            soxr_create(layout.sampleRate, kSampleRate, 1, &error, &io, &quality, nullptr));
        if (error != nullptr || resampler == nullptr)
        {
            ReportWavRefusal(reporter, kNotWavText);
            return false;
        }
    }

    mono.reserve(expected + 1);
    std::vector<double> mixed(kFramesPerStep);
    std::vector<double> resampled(kFramesPerStep);
    // Feeds `count` mixed samples (none: drains what the filter holds) through the resampler.
    auto resampleInto = [&](const double* in, size_t count) {
        for (;;)
        {
            size_t taken = 0;
            size_t made = 0;
            if (soxr_process(resampler.get(), in, count, &taken, resampled.data(), resampled.size(),
                             &made) != nullptr)
            {
                return false;
            }
            quantiser.Append(resampled.data(), made, mono);
            if (in != nullptr)
            {
                in += taken;
                count -= taken;
            }
            if ((in != nullptr && count == 0) || (in == nullptr && made == 0))
            {
                return true;
            }
        }
    };
    const size_t width = layout.bitsPerSample / 8u;
    const uint8_t* next = file.data() + layout.dataOffset;
    for (size_t done = 0; done < frames;)
    {
        const size_t count = std::min(kFramesPerStep, frames - done);
        for (size_t i = 0; i < count; ++i, next += layout.blockAlign)
        {
            double sum = 0.0;
            for (size_t c = 0; c < layout.channels; ++c)
            {
                sum += LoadSample(next + c * width, layout);
            }
            mixed[i] = sum / layout.channels;
        }
        done += count;
        if (!resample)
        {
            quantiser.Append(mixed.data(), count, mono);
        }
        else if (!resampleInto(mixed.data(), count))
        {
            ReportWavRefusal(reporter, kNotWavText);
            mono.clear();
            return false;
        }
    }
    if (resample && !resampleInto(nullptr, 0))
    {
        ReportWavRefusal(reporter, kNotWavText);
        mono.clear();
        return false;
    }
    return true;
}

bool ConvertWavFile(const std::string& path, std::vector<int16_t>& mono, Reporter& reporter)
{
    std::vector<uint8_t> file;
    switch (ReadWholeFile(path, file, kMaxImportBytes))
    {
    case FileReadResult::Ok:
        return ConvertWavBytes(file, mono, reporter);
    case FileReadResult::TooLarge:
        ReportWavRefusal(reporter, kImportTooLargeText);
        return false;
    default:
        ReportWavRefusal(reporter, kNotWavText);
        return false;
    }
}

} // namespace yumo
