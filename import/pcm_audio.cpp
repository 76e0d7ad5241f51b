#include "import/pcm_audio.h"

#include "common/constants.h"

namespace yumo
{

int ReleaseImportedAudio(ImportedAudio& audio)
{
    if (!audio.allocated)
    {
        return 0;
    }
    std::vector<uint8_t>().swap(audio.buffer);
    audio.allocated = false;
    audio.byteLength = 0;
    return 0;
}

bool HasMp3Extension(const std::string& path)
{
    size_t slash = path.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    // A dot before the last slash belongs to a folder name.
    if (dot == std::string::npos || dot < nameStart)
    {
        return false;
    }
    return path.compare(dot, std::string::npos, ".mp3") == 0;
}

ImportedAudio MakeImportedAudio(const std::vector<int16_t>& samples)
{
    ImportedAudio audio;
    audio.allocated = true;
    audio.buffer.resize(samples.size() * sizeof(int16_t));
    for (size_t i = 0; i < samples.size(); ++i)
    {
        const auto value = static_cast<uint16_t>(samples[i]);
        audio.buffer[2 * i] = static_cast<uint8_t>(value & 0xFFu);
        audio.buffer[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
    audio.byteLength = static_cast<int32_t>(audio.buffer.size());
    return audio;
}

PcmFormat Pcm16Format(uint16_t channels)
{
    PcmFormat format;
    format.formatTag = kLinearPcmTag;
    format.channels = channels;
    format.sampleRate = static_cast<uint32_t>(kSampleRate);
    format.blockAlign = static_cast<uint16_t>(channels * sizeof(int16_t));
    format.avgBytesPerSecond = format.sampleRate * format.blockAlign;
    format.bitsPerSample = 16;
    return format;
}

} // namespace yumo
