#include "common/wav_writer.h"

#include "common/byte_io.h"

namespace yumo
{
namespace
{

std::vector<uint8_t> MakeHeader(uint16_t channels, uint32_t sampleRate, uint32_t dataBytes)
{
    std::vector<uint8_t> out;
    AppendBytes(out, "RIFF", 4);
    AppendU32(out, 36 + dataBytes);
    AppendBytes(out, "WAVEfmt ", 8);
    AppendU32(out, 16);
    AppendU16(out, 1);
    AppendU16(out, channels);
    AppendU32(out, sampleRate);
    AppendU32(out, sampleRate * channels * 2u);
    AppendU16(out, static_cast<uint16_t>(channels * 2));
    AppendU16(out, 16);
    AppendBytes(out, "data", 4);
    AppendU32(out, dataBytes);
    return out;
}

void AppendSamples(std::vector<uint8_t>& out, const int16_t* samples, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        AppendU16(out, static_cast<uint16_t>(samples[i]));
    }
}

} // namespace

bool OpenWavWriter(WavWriter& writer, const std::filesystem::path& path, uint16_t channels,
                   uint32_t sampleRate)
{
    writer = WavWriter{};
    writer.path = path;
    writer.tempPath = path;
    writer.tempPath += ".partial";
    writer.channels = channels;
    writer.sampleRate = sampleRate;
    writer.file = std::fopen(writer.tempPath.c_str(), "wb");
    if (writer.file == nullptr)
    {
        writer.failed = true;
        return false;
    }
    std::vector<uint8_t> header = MakeHeader(channels, sampleRate, 0);
    if (std::fwrite(header.data(), 1, header.size(), writer.file) != header.size())
    {
        writer.failed = true;
    }
    return !writer.failed;
}

bool WriteWavSamples(WavWriter& writer, const int16_t* samples, size_t count)
{
    if (writer.file == nullptr || writer.failed)
    {
        return false;
    }
    const uint64_t bytes = static_cast<uint64_t>(count) * 2;
    if (writer.dataBytes + bytes > kMaxWavDataBytes)
    {
        writer.failed = true;
        return false;
    }
    std::vector<uint8_t> out;
    out.reserve(bytes);
    AppendSamples(out, samples, count);
    if (std::fwrite(out.data(), 1, out.size(), writer.file) != out.size())
    {
        writer.failed = true;
        return false;
    }
    writer.dataBytes += bytes;
    return true;
}

bool CloseWavWriter(WavWriter& writer)
{
    if (writer.file == nullptr)
    {
        return false;
    }
    bool ok = !writer.failed;
    if (ok)
    {
        std::vector<uint8_t> header =
            MakeHeader(writer.channels, writer.sampleRate, static_cast<uint32_t>(writer.dataBytes));
        ok = std::fseek(writer.file, 0, SEEK_SET) == 0 &&
             std::fwrite(header.data(), 1, header.size(), writer.file) == header.size() &&
             std::fflush(writer.file) == 0;
    }
    ok = (std::fclose(writer.file) == 0) && ok;
    writer.file = nullptr;
    if (ok && std::rename(writer.tempPath.c_str(), writer.path.c_str()) == 0)
    {
        return true;
    }
    std::remove(writer.tempPath.c_str());
    writer.failed = true;
    return false;
}

void AbortWavWriter(WavWriter& writer)
{
    if (writer.file != nullptr)
    {
        std::fclose(writer.file);
        writer.file = nullptr;
        std::remove(writer.tempPath.c_str());
    }
    writer.failed = true;
}

std::vector<uint8_t> MakeWavImage(const int16_t* samples, size_t count, uint16_t channels,
                                  uint32_t sampleRate)
{
    std::vector<uint8_t> out = MakeHeader(channels, sampleRate, static_cast<uint32_t>(count * 2));
    AppendSamples(out, samples, count);
    return out;
}

} // namespace yumo
