#pragma once
// MPEG-1/2 Layer III import: the whole file decoded to interleaved 16-bit PCM at 44.1 kHz.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/report.h"
#include "import/pcm_audio.h"

namespace yumo
{

// The MPEG Layer III wave format (tag 85) of the stream, filled from its first frame header.
struct Mp3FormatDescriptor
{
    PcmFormat head; // tag 85, channels, rate, average bytes per second, align 1, bits 0, extra 12
    uint16_t id = 0;
    uint32_t flags = 0;     // 1 = padding on, 2 = padding off
    uint16_t blockSize = 0; // frame length in bytes
    uint16_t framesPerBlock = 0;
    uint16_t codecDelay = 0;
};

constexpr uint16_t kMpegLayer3Tag = 85;

// Why the audio does not start with a usable frame header. Such files are refused without a
// message; the tool names the reason.
enum class Mp3HeaderProblem
{
    None,
    TooShort,           // the tag or the four header bytes run past the end of the file
    NoSync,             // no frame sync exactly where the audio starts
    Mpeg25,             // version bits 0
    ReservedVersion,    // version bits 1
    NotLayer3,          // Layer I or II, or the reserved layer
    UnusableBitRate,    // free format (index 0) or the forbidden index 15
    ReservedSampleRate, // sample-rate index 3
};

const char* DescribeMp3HeaderProblem(Mp3HeaderProblem problem);

// Fills `descriptor` from the four header bytes, only when they are usable.
Mp3HeaderProblem CheckMp3FrameHeader(const uint8_t header[4], Mp3FormatDescriptor& descriptor);
bool ParseMp3FrameHeader(const uint8_t header[4], Mp3FormatDescriptor& descriptor);

// A whole MP3 file in memory with its audio located after any leading ID3v2 tag.
struct Mp3File
{
    std::vector<uint8_t> bytes;
    size_t audioOffset = 0;
    size_t audioLength = 0;
    Mp3FormatDescriptor descriptor;
    Mp3HeaderProblem problem = Mp3HeaderProblem::None;
};

// Where the audio of a file of `fileSize` bytes starts: after one leading ID3v2 tag, whose
// 10-byte header `head` holds (as many bytes as the file has). TooShort when fewer than four
// bytes are left there for a frame header.
Mp3HeaderProblem Mp3AudioStart(const uint8_t* head, uint64_t fileSize, uint64_t& start);

// Skips one leading ID3v2 tag and parses the frame header that must stand right after it.
Mp3HeaderProblem ReadMp3Bytes(std::vector<uint8_t> bytes, Mp3File& file);

// Reads the whole file, then as ReadMp3Bytes. False when it can't be read (reported) or too large
// (reported), or when its header is unusable (silent; `file.problem` says why).
bool ReadMp3File(const std::string& path, Mp3File& file, Reporter& reporter);

// Decodes Layer III audio to interleaved signed 16-bit PCM at the source's channel count,
// resampled to 44 100 Hz when the source has another rate. Fills `format` (tag 1, 44100 Hz,
// 16 bits) and `pcm` (the exact decoded length). Reports "変換ストリーム…" when nothing
// could be decoded.
bool DecodeToPcm(const Mp3FormatDescriptor& descriptor, const uint8_t* audio, size_t length,
                 PcmFormat& format, std::vector<uint8_t>& pcm, Reporter& reporter);

// Returns the byte length of the decoded buffer, or 0 on failure. On success `audio` holds the
// PCM; on failure it is left as it was.
int32_t ImportMp3File(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                      Reporter& reporter);

// The same over a whole file already in memory (the bytes are taken over).
int32_t ImportMp3Bytes(std::vector<uint8_t> bytes, ImportedAudio& audio, PcmFormat& format,
                       Reporter& reporter);

// Exactly ".mp3" after the file name's last dot goes to MP3 import, all else to WAV import.
int32_t ImportAudioByExtension(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                               Reporter& reporter);

} // namespace yumo
