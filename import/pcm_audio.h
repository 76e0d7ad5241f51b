#pragma once
// The records both import routes produce: a format description and an owned PCM buffer.

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
    bool loopMarked = false; // WAV: play exactly once when submitted whole
};

// Frees the buffer if set; returns 0.
int ReleaseImportedAudio(ImportedAudio& audio);

} // namespace yumo
