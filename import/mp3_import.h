#pragma once
// MPEG-1/2 Layer III import: the whole file decoded to interleaved 16-bit PCM at 44.1 kHz.

#include <cstdint>
#include <string>
#include <vector>

#include "common/report.h"
#include "import/pcm_audio.h"

namespace yumo
{

// The codec-interface format descriptor filled from the first frame header.
struct Mp3FormatDescriptor
{
    PcmFormat head; // tag 85, channels, rate, average bytes per second, align 1, bits 0, extra 12
    uint16_t id = 0;
    uint32_t flags = 0;
    uint16_t blockSize = 0;
    uint16_t framesPerBlock = 0;
    uint16_t codecDelay = 0;
};

bool ParseMp3FrameHeader(const uint8_t header[4], Mp3FormatDescriptor& descriptor);

// Returns the byte length of the decoded buffer, or 0 on failure.
int32_t ImportMp3File(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                      Reporter& reporter);

// Exactly ".mp3" after the file name's last dot goes to MP3 import, all else to WAV import.
int32_t ImportAudioByExtension(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                               Reporter& reporter);

} // namespace yumo
