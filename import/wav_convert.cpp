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

bool ReadFormatCode(const uint8_t* fmt, size_t bytes, WavFileFormat& format, uint16_t& code)
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
    format.extensible = true;
    code = LoadU16(fmt + kSubFormatOffset);
    return true;
}

bool WidthFits(const WavFileFormat& format)
{
    if (format.type == WavSampleType::Float)
    {
        return format.bitsPerSample == 32 || format.bitsPerSample == 64;
    }
    return format.bitsPerSample == 8 || format.bitsPerSample == 16 || format.bitsPerSample == 24 ||
           format.bitsPerSample == 32;
}

// One sample of the container at `p`, scaled to [-1, 1).
double LoadSample(const uint8_t* p, const WavFileFormat& format)
{
    if (format.type == WavSampleType::Float)
    {
        if (format.bitsPerSample == 32)
        {
            float value = 0.0f;
            std::memcpy(&value, p, sizeof value);
            return std::isfinite(value) ? double{value} : 0.0;
        }
        double value = 0.0;
        std::memcpy(&value, p, sizeof value);
        return std::isfinite(value) ? value : 0.0;
    }
    switch (format.bitsPerSample)
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
            const double rounded = std::nearbyint(value);
            clipped_ += rounded < -32768.0 || rounded > 32767.0 ? 1 : 0;
            out.push_back(static_cast<int16_t>(std::clamp(rounded, -32768.0, 32767.0)));
        }
    }

    size_t clipped() const { return clipped_; }

private:
    bool dither_;
    Rng rng_;
    size_t clipped_ = 0; // samples beyond full scale, cut to it
};

} // namespace

WavConversionCheck CheckWavConversion(const std::vector<uint8_t>& file)
{
    WavConversionCheck check;
    WavFileFormat& format = check.format;
    if (file.size() < kRiffHeaderBytes || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(file.data() + 8, "WAVE", 4) != 0)
    {
        return check;
    }
    Chunk fmt;
    Chunk data;
    if (!FindChunk(file, "fmt ", fmt) || fmt.bytes < kPlainFmtBytes ||
        !FindChunk(file, "data", data))
    {
        return check;
    }
    const auto refuse = [&check](const char* text, std::vector<std::string> values) {
        check.verdict = WavConversion::Refused;
        check.refusal = MessageFormat{text, std::move(values)};
        return check;
    };
    const uint8_t* body = file.data() + fmt.body;
    uint16_t code = 0;
    if (!ReadFormatCode(body, fmt.bytes, format, code))
    {
        return refuse(kConvertSubFormatText, {});
    }
    if (code != kLinearPcmTag && code != kFloatTag)
    {
        return refuse(kConvertFormatTagText, {std::to_string(code)});
    }
    format.type = code == kFloatTag ? WavSampleType::Float : WavSampleType::Integer;
    format.channels = LoadU16(body + 2);
    format.sampleRate = LoadU32(body + 4);
    format.blockAlign = LoadU16(body + 12);
    format.bitsPerSample = LoadU16(body + 14);
    if (format.sampleRate < kLowestRate || format.sampleRate > kHighestRate)
    {
        return refuse(kConvertRateText,
                      {std::to_string(format.sampleRate), std::to_string(kLowestRate),
                       std::to_string(kHighestRate)});
    }
    if (format.channels == 0 || format.channels > kMostChannels)
    {
        return refuse(kConvertChannelsText,
                      {std::to_string(format.channels), std::to_string(kMostChannels)});
    }
    if (!WidthFits(format))
    {
        const bool isFloat = format.type == WavSampleType::Float;
        return refuse(kConvertBitsText,
                      {isFloat ? kFloatSamplesWord : kIntegerSamplesWord,
                       std::to_string(format.bitsPerSample), isFloat ? "32, 64" : "8, 16, 24, 32"});
    }
    const auto frameBytes = static_cast<uint16_t>(format.channels * format.bitsPerSample / 8);
    if (format.blockAlign != frameBytes)
    {
        return refuse(kConvertBlockAlignText,
                      {std::to_string(format.blockAlign), std::to_string(format.channels),
                       std::to_string(format.bitsPerSample), std::to_string(frameBytes)});
    }
    format.dataOffset = data.body;
    format.dataBytes = data.bytes / format.blockAlign * format.blockAlign;
    const size_t frames = format.dataBytes / format.blockAlign;
    const double expected =
        std::ceil(static_cast<double>(frames) * kSampleRate / format.sampleRate);
    if (expected > static_cast<double>(kMaxImportBytes / sizeof(int16_t)))
    {
        return refuse(kImportTooLargeText, {});
    }
    check.verdict =
        ImportTakesFormat(format) ? WavConversion::ImportTakes : WavConversion::Convertible;
    return check;
}

WavConversionCheck CheckWavConversionOfFile(const std::string& path)
{
    std::vector<uint8_t> file;
    if (HasMp3Extension(path) || ReadWholeFile(path, file, kMaxImportBytes) != FileReadResult::Ok)
    {
        return WavConversionCheck{};
    }
    return CheckWavConversion(file);
}

void ReportWavConversionRefusal(const WavConversionCheck& check, Reporter& reporter)
{
    if (check.verdict != WavConversion::Refused || check.refusal.format.empty())
    {
        ReportWavRefusal(reporter, kNotWavText);
        return;
    }
    if (check.refusal.arguments.empty())
    {
        ReportWavRefusal(reporter, check.refusal.format.c_str());
        return;
    }
    ReportFormatted(reporter, check.refusal, kWavErrorCaption);
}

bool ReadWavFileFormat(const std::vector<uint8_t>& file, WavFileFormat& format)
{
    const WavConversionCheck check = CheckWavConversion(file);
    format =
        check.verdict == WavConversion::ImportTakes || check.verdict == WavConversion::Convertible
            ? check.format
            : WavFileFormat{};
    return check.verdict == WavConversion::ImportTakes ||
           check.verdict == WavConversion::Convertible;
}

std::string DescribeWavFileFormat(const WavFileFormat& format)
{
    return std::to_string(format.sampleRate) + " Hz, " + std::to_string(format.bitsPerSample) +
           (format.type == WavSampleType::Float ? "-bit float, " : "-bit integer, ") +
           std::to_string(format.channels) + (format.channels == 1 ? " channel" : " channels");
}

bool ImportTakesFormat(const WavFileFormat& format)
{
    return !format.extensible && format.type == WavSampleType::Integer &&
           format.bitsPerSample == 16 && format.sampleRate == static_cast<uint32_t>(kSampleRate);
}

bool WavFileConvertible(const std::string& path)
{
    return CheckWavConversionOfFile(path).verdict == WavConversion::Convertible;
}

bool ConvertWavBytes(const std::vector<uint8_t>& file, std::vector<int16_t>& mono,
                     Reporter& reporter)
{
    mono.clear();
    const WavConversionCheck check = CheckWavConversion(file);
    if (check.verdict != WavConversion::Convertible && check.verdict != WavConversion::ImportTakes)
    {
        ReportWavConversionRefusal(check, reporter);
        return false;
    }
    const WavFileFormat& format = check.format;
    const size_t frames = format.dataBytes / format.blockAlign;
    const double ratio = double{kSampleRate} / format.sampleRate;
    const auto expected = static_cast<size_t>(std::ceil(static_cast<double>(frames) * ratio));
    const bool resample = format.sampleRate != static_cast<uint32_t>(kSampleRate);
    const bool exact = !resample && format.channels == 1 && format.type == WavSampleType::Integer &&
                       format.bitsPerSample <= 16;
    Quantiser quantiser(!exact);
    SoxrHandle resampler;
    if (resample)
    {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT64_I, SOXR_FLOAT64_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_VHQ, 0);
        soxr_error_t error = nullptr;
        resampler.reset(
            soxr_create(format.sampleRate, kSampleRate, 1, &error, &io, &quality, nullptr));
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
    const size_t width = format.bitsPerSample / 8u;
    const uint8_t* next = file.data() + format.dataOffset;
    for (size_t done = 0; done < frames;)
    {
        const size_t count = std::min(kFramesPerStep, frames - done);
        for (size_t i = 0; i < count; ++i, next += format.blockAlign)
        {
            double sum = 0.0;
            for (size_t c = 0; c < format.channels; ++c)
            {
                sum += LoadSample(next + c * width, format);
            }
            mixed[i] = sum / format.channels;
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
    if (quantiser.clipped() > 0)
    {
        ReportFormatted(reporter, kConvertClippedText, {std::to_string(quantiser.clipped())},
                        kWavErrorCaption, MessageKind::Warning);
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
