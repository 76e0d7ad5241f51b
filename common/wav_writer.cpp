#include "common/wav_writer.h"

#include <algorithm>
#include <bit>

#include "common/byte_io.h"

namespace yumo
{
namespace
{

constexpr size_t kRf64ReadyHeaderBytes = 80;
constexpr uint32_t kDs64BodyBytes = 28;

uint64_t DataLimit(WavLayout layout)
{
    return layout == WavLayout::Canonical ? kMaxWavDataBytes : ~uint64_t{0} >> 2;
}

void AppendU64(std::vector<uint8_t>& out, uint64_t value)
{
    AppendU32(out, static_cast<uint32_t>(value));
    AppendU32(out, static_cast<uint32_t>(value >> 32));
}

void AppendFormatChunk(std::vector<uint8_t>& out, uint16_t channels, uint32_t sampleRate)
{
    AppendBytes(out, "fmt ", 4);
    AppendU32(out, 16);
    AppendU16(out, 1);
    AppendU16(out, channels);
    AppendU32(out, sampleRate);
    AppendU32(out, sampleRate * channels * 2u);
    AppendU16(out, static_cast<uint16_t>(channels * 2));
    AppendU16(out, 16);
}

void AppendSamples(std::vector<uint8_t>& out, const int16_t* samples, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        AppendU16(out, static_cast<uint16_t>(samples[i]));
    }
}

// Samples as little-endian bytes: appended as they stand on a little-endian machine, else
// converted a slice at a time.
bool AppendSampleBytes(AtomicFile& file, const int16_t* samples, size_t count)
{
    if constexpr (std::endian::native == std::endian::little)
    {
        return AppendToAtomicFile(file, samples, count * sizeof(int16_t));
    }
    else
    {
        std::vector<uint8_t> slice;
        for (size_t done = 0; done < count;)
        {
            const size_t n = std::min<size_t>(count - done, 4096);
            slice.clear();
            AppendSamples(slice, samples + done, n);
            if (!AppendToAtomicFile(file, slice.data(), slice.size()))
            {
                return false;
            }
            done += n;
        }
        return true;
    }
}

} // namespace

std::vector<uint8_t> MakeWavHeader(uint16_t channels, uint32_t sampleRate, uint64_t dataBytes,
                                   WavLayout layout)
{
    std::vector<uint8_t> out;
    if (layout == WavLayout::Canonical)
    {
        const uint64_t data = std::min(dataBytes, kMaxWavDataBytes);
        AppendBytes(out, "RIFF", 4);
        AppendU32(out, static_cast<uint32_t>(36 + data));
        AppendBytes(out, "WAVE", 4);
        AppendFormatChunk(out, channels, sampleRate);
        AppendBytes(out, "data", 4);
        AppendU32(out, static_cast<uint32_t>(data));
        return out;
    }
    const bool rf64 = dataBytes > kMaxRiffDataBytesWithJunk;
    const uint64_t riffBytes = kRf64ReadyHeaderBytes - 8 + dataBytes;
    AppendBytes(out, rf64 ? "RF64" : "RIFF", 4);
    AppendU32(out, rf64 ? 0xFFFFFFFFu : static_cast<uint32_t>(riffBytes));
    AppendBytes(out, "WAVE", 4);
    AppendBytes(out, rf64 ? "ds64" : "JUNK", 4);
    AppendU32(out, kDs64BodyBytes);
    const uint64_t frameBytes = uint64_t{channels} * 2;
    AppendU64(out, rf64 ? riffBytes : 0);
    AppendU64(out, rf64 ? dataBytes : 0);
    AppendU64(out, rf64 && frameBytes > 0 ? dataBytes / frameBytes : 0);
    AppendU32(out, 0); // no table of further chunk sizes
    AppendFormatChunk(out, channels, sampleRate);
    AppendBytes(out, "data", 4);
    AppendU32(out, rf64 ? 0xFFFFFFFFu : static_cast<uint32_t>(dataBytes));
    return out;
}

bool OpenWavWriter(WavWriter& writer, const std::filesystem::path& path, uint16_t channels,
                   uint32_t sampleRate, WavLayout layout)
{
    writer = WavWriter{};
    writer.channels = channels;
    writer.sampleRate = sampleRate;
    writer.layout = layout;
    if (!OpenAtomicFile(writer.file, path))
    {
        writer.failed = true;
        return false;
    }
    const std::vector<uint8_t> header = MakeWavHeader(channels, sampleRate, 0, layout);
    writer.failed = !AppendToAtomicFile(writer.file, header.data(), header.size());
    return !writer.failed;
}

bool WriteWavSamples(WavWriter& writer, const int16_t* samples, size_t count)
{
    if (writer.file.fd < 0 || writer.failed)
    {
        return false;
    }
    const uint64_t bytes = static_cast<uint64_t>(count) * 2;
    if (writer.dataBytes + bytes > DataLimit(writer.layout) ||
        !AppendSampleBytes(writer.file, samples, count))
    {
        writer.failed = true;
        return false;
    }
    writer.dataBytes += bytes;
    return true;
}

bool CloseWavWriter(WavWriter& writer)
{
    if (writer.file.fd < 0)
    {
        return false;
    }
    const std::vector<uint8_t> header =
        MakeWavHeader(writer.channels, writer.sampleRate, writer.dataBytes, writer.layout);
    if (writer.failed || !OverwriteAtomicFile(writer.file, 0, header.data(), header.size()) ||
        !CommitAtomicFile(writer.file))
    {
        AbortWavWriter(writer);
        return false;
    }
    return true;
}

void AbortWavWriter(WavWriter& writer)
{
    AbandonAtomicFile(writer.file);
    writer.failed = true;
}

std::vector<uint8_t> MakeWavImage(const int16_t* samples, size_t count, uint16_t channels,
                                  uint32_t sampleRate)
{
    std::vector<uint8_t> out = MakeWavHeader(channels, sampleRate, count * 2, WavLayout::Canonical);
    AppendSamples(out, samples, count);
    return out;
}

} // namespace yumo
