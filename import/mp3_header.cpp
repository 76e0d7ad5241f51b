// The first frame header and the leading ID3v2 tag of an MP3 file.

#include <cstring>
#include <utility>

#include "import/mp3_import.h"

namespace yumo
{
namespace
{

// Frame header, four bytes h0..h3, most significant bit first:
//
//   h0        h1                 h2                      h3
//   11111111  111 VV LL P        BBBB RR p x             CC ...
//   sync      sync version layer bit-rate rate padding   channel mode
//             (P protection, ignored)                    (3 = single channel)
//
// version: 3 MPEG-1, 2 MPEG-2, 1 reserved, 0 MPEG-2.5; layer: 1 Layer III.
constexpr int kVersionMpeg1 = 3;
constexpr int kVersionMpeg2 = 2;
constexpr int kVersionReserved = 1;
constexpr int kLayer3 = 1;
constexpr int kSingleChannelMode = 3;

// kbit/s by bit-rate index; 0 marks the free-format and forbidden indices.
constexpr uint16_t kMpeg1BitRates[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                         112, 128, 160, 192, 224, 256, 320, 0};
constexpr uint16_t kMpeg2BitRates[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                         64, 80, 96, 112, 128, 144, 160, 0};
// Hz by sample-rate index 0 to 2 (3 is reserved).
constexpr uint32_t kMpeg1SampleRates[3] = {44100, 48000, 32000};
constexpr uint32_t kMpeg2SampleRates[3] = {22050, 24000, 16000};
// Samples per Layer III frame; MPEG-2 halves the frame for its lower rates.
constexpr uint32_t kMpeg1FrameSamples = 1152;
constexpr uint32_t kMpeg2FrameSamples = 576;

constexpr uint16_t kPaddingOn = 1;
constexpr uint16_t kPaddingOff = 2;
constexpr uint16_t kDescriptorExtraSize = 12; // bytes of codec fields after the head
constexpr uint16_t kMpegId = 1;
constexpr uint16_t kCodecDelay = 1393;

// ID3v2 tag header: "ID3", version (2), flags (1), then a 28-bit size in bytes 6 to 9, seven
// bits per byte, most significant first. The 10 header bytes are not counted in the size.
constexpr size_t kId3HeaderBytes = 10;

} // namespace

const char* DescribeMp3HeaderProblem(Mp3HeaderProblem problem)
{
    switch (problem)
    {
    case Mp3HeaderProblem::None:
        return "usable Layer III frame header";
    case Mp3HeaderProblem::TooShort:
        return "the file ends before the first frame header";
    case Mp3HeaderProblem::NoSync:
        return "no MPEG frame header where the audio starts";
    case Mp3HeaderProblem::Mpeg25:
        return "MPEG-2.5 audio is not supported";
    case Mp3HeaderProblem::ReservedVersion:
        return "the frame header has the reserved MPEG version";
    case Mp3HeaderProblem::NotLayer3:
        return "the audio is not MPEG Layer III";
    case Mp3HeaderProblem::UnusableBitRate:
        return "free-format or forbidden bit rate in the frame header";
    case Mp3HeaderProblem::ReservedSampleRate:
        return "the frame header has the reserved sample rate";
    }
    return "unknown frame header problem";
}

Mp3HeaderProblem CheckMp3FrameHeader(const uint8_t header[4], Mp3FormatDescriptor& descriptor)
{
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0)
    {
        return Mp3HeaderProblem::NoSync;
    }
    int version = (header[1] >> 3) & 3;
    if (version == kVersionReserved)
    {
        return Mp3HeaderProblem::ReservedVersion;
    }
    if (version != kVersionMpeg1 && version != kVersionMpeg2)
    {
        return Mp3HeaderProblem::Mpeg25;
    }
    if (((header[1] >> 1) & 3) != kLayer3)
    {
        return Mp3HeaderProblem::NotLayer3;
    }
    bool mpeg1 = version == kVersionMpeg1;
    int bitRateIndex = header[2] >> 4;
    int rateIndex = (header[2] >> 2) & 3;
    uint16_t padding = (header[2] >> 1) & 1;
    uint32_t kbps = mpeg1 ? kMpeg1BitRates[bitRateIndex] : kMpeg2BitRates[bitRateIndex];
    if (kbps == 0)
    {
        return Mp3HeaderProblem::UnusableBitRate;
    }
    if (rateIndex == 3)
    {
        return Mp3HeaderProblem::ReservedSampleRate;
    }
    uint32_t rate = mpeg1 ? kMpeg1SampleRates[rateIndex] : kMpeg2SampleRates[rateIndex];
    uint32_t frameSamples = mpeg1 ? kMpeg1FrameSamples : kMpeg2FrameSamples;

    Mp3FormatDescriptor filled;
    filled.head.formatTag = kMpegLayer3Tag;
    filled.head.channels = ((header[3] >> 6) & 3) == kSingleChannelMode ? 1 : 2;
    filled.head.sampleRate = rate;
    filled.head.avgBytesPerSecond = kbps * 1000 / 8;
    filled.head.blockAlign = 1;
    filled.head.bitsPerSample = 0;
    filled.head.extraSize = kDescriptorExtraSize;
    filled.id = kMpegId;
    filled.flags = padding != 0 ? kPaddingOn : kPaddingOff;
    // At most 320 * 1000 * 1152 / 32000 / 8 + 1 = 1441, so 16 bits always hold it.
    filled.blockSize = static_cast<uint16_t>(kbps * 1000 * frameSamples / rate / 8 + padding);
    filled.framesPerBlock = 1;
    filled.codecDelay = kCodecDelay;
    descriptor = filled;
    return Mp3HeaderProblem::None;
}

bool ParseMp3FrameHeader(const uint8_t header[4], Mp3FormatDescriptor& descriptor)
{
    return CheckMp3FrameHeader(header, descriptor) == Mp3HeaderProblem::None;
}

Mp3HeaderProblem Mp3AudioStart(const uint8_t* head, uint64_t fileSize, uint64_t& start)
{
    start = 0;
    if (fileSize >= 3 && std::memcmp(head, "ID3", 3) == 0)
    {
        if (fileSize < kId3HeaderBytes)
        {
            return Mp3HeaderProblem::TooShort;
        }
        // The size bytes are taken whole, as written, even with their top bit set.
        const uint8_t* size = head + 6;
        start = kId3HeaderBytes + (uint64_t{size[0]} << 21) + (uint64_t{size[1]} << 14) +
                (uint64_t{size[2]} << 7) + uint64_t{size[3]};
    }
    return start <= fileSize && fileSize - start >= 4 ? Mp3HeaderProblem::None
                                                      : Mp3HeaderProblem::TooShort;
}

Mp3HeaderProblem ReadMp3Bytes(std::vector<uint8_t> bytes, Mp3File& file)
{
    uint64_t audioStart = 0;
    Mp3HeaderProblem problem = Mp3AudioStart(bytes.data(), bytes.size(), audioStart);
    const auto start = static_cast<size_t>(audioStart);
    Mp3FormatDescriptor descriptor;
    if (problem == Mp3HeaderProblem::None)
    {
        problem = CheckMp3FrameHeader(bytes.data() + start, descriptor);
    }
    file.problem = problem;
    if (problem != Mp3HeaderProblem::None)
    {
        return problem;
    }
    file.audioOffset = start;
    file.audioLength = bytes.size() - start;
    file.descriptor = descriptor;
    file.bytes = std::move(bytes);
    return problem;
}

} // namespace yumo
