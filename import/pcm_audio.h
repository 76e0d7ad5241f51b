#pragma once
// The records both import routes produce: a format description and an owned PCM buffer.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace yumo
{

// Field order of a RIFF fmt chunk body.
struct PcmFormat
{
    uint16_t formatTag = 0; // 1 = linear PCM
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t avgBytesPerSecond = 0;
    uint16_t blockAlign = 0; // bytes per frame
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

struct ImportedAudio
{
    bool allocated = false;      // the buffer reference is set (possibly to zero bytes)
    std::vector<uint8_t> buffer; // interleaved signed 16-bit little-endian samples
    int32_t byteLength = 0;
};

constexpr uint16_t kLinearPcmTag = 1;

// Files above this size are refused before they are read, and decoded audio may not grow past
// it either: the byte length travels as a signed 32-bit value, and clips live in memory whole.
constexpr size_t kMaxImportBytes = size_t{1} << 30;

// 16-bit samples (interleaved when more than one channel) as an import record holds them, and
// the format of such samples at 44.1 kHz.
ImportedAudio MakeImportedAudio(const std::vector<int16_t>& samples);
PcmFormat Pcm16Format(uint16_t channels);

// Frees the buffer if set; returns 0.
int ReleaseImportedAudio(ImportedAudio& audio);

// Whether the name after the last '/' ends in exactly ".mp3" after its last dot (case-sensitive);
// every other file takes the WAV route.
bool HasMp3Extension(const std::string& path);

} // namespace yumo
