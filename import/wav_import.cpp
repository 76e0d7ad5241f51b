#include "import/wav_import.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "common/byte_io.h"
#include "common/constants.h"
#include "common/results.h"
#include "import/import_messages.h"

namespace yumo
{
namespace
{

// The header is read at the fixed offsets a canonical file gives it; the fmt chunk is not
// looked for. All values little-endian.
//
//  offset  size  field
//       0     4  "RIFF"                      not examined
//       4     4  RIFF length                 not examined
//       8     4  "WAVE"                      must match exactly
//      20     2  format tag                  must be 1
//      22     2  channels
//      24     4  sample rate                 must be 44100
//      28     4  average bytes per second    the sample width is derived from it
//      32     2  block alignment             ignored (derived instead)
//      34     2  bits per sample             ignored (derived instead)
//      36...     "data" + u32 length         the first "data" at or after 36, wherever it is;
//                                            samples follow the length
constexpr size_t kFormTypeOffset = 8;
constexpr size_t kFormatTagOffset = 20;
constexpr size_t kChannelsOffset = 22;
constexpr size_t kSampleRateOffset = 24;
constexpr size_t kAvgBytesOffset = 28;
constexpr size_t kDataSearchStart = 36;
constexpr size_t kChunkHeaderBytes = 8; // tag and length
constexpr uint16_t kAcceptedBits = 16;
constexpr uint32_t kMaxFrameBytes = 0xFFFF; // the block alignment's range

// The first "data" at or after the search start, or file.size() when there is none.
size_t FindDataTag(const std::vector<uint8_t>& file)
{
    static constexpr uint8_t kTag[4] = {'d', 'a', 't', 'a'};
    auto begin = file.begin() + static_cast<std::ptrdiff_t>(kDataSearchStart);
    return static_cast<size_t>(std::search(begin, file.end(), kTag, kTag + 4) - file.begin());
}

// bits = ((average bytes per second / rate) / channels) * 8, integer divisions, kept to
// 16 bits; a zero rate or channel count leaves nothing to derive, so both fields stay 0.
void DeriveSampleWidth(PcmFormat& format)
{
    format.bitsPerSample = 0;
    format.blockAlign = 0;
    if (format.sampleRate == 0 || format.channels == 0)
    {
        return;
    }
    uint32_t bytesPerFrame = format.avgBytesPerSecond / format.sampleRate / format.channels;
    format.bitsPerSample = static_cast<uint16_t>(bytesPerFrame * 8u);
    format.blockAlign =
        static_cast<uint16_t>(uint32_t{format.bitsPerSample} * format.channels / 8u);
}

// An unreadable file leaves the record as an empty data chunk does, on purpose: allocated, 0
// bytes. Callers release every import the same way, whatever its result.
void GiveEmptyBuffer(ImportedAudio& audio)
{
    audio.buffer.clear();
    audio.allocated = true;
    audio.byteLength = 0;
}

} // namespace

bool CheckWavHeader(const uint8_t* head, uint64_t fileSize, uint64_t dataTag,
                    uint32_t declaredDataBytes, PcmFormat& format, WavDataPlace& place,
                    Reporter& reporter)
{
    // A file too short for the fixed header has no form type or format fields to read.
    if (fileSize < kWavFixedHeaderBytes || std::memcmp(head + kFormTypeOffset, "WAVE", 4) != 0)
    {
        ReportWavRefusal(reporter, kNotWavText);
        return false;
    }
    if (LoadU16(head + kFormatTagOffset) != kLinearPcmTag)
    {
        ReportWavRefusal(reporter, kNotLinearPcmText);
        return false;
    }
    if (dataTag + kChunkHeaderBytes > fileSize)
    {
        // No "data" at all, or one whose length field is cut off by the end of the file.
        ReportWavRefusal(reporter, kNotWavText);
        return false;
    }
    place.start = dataTag + kChunkHeaderBytes;
    // Streamed files leave 0xFFFFFFFF here, and truncated ones claim more than they hold:
    // take no more than the bytes present.
    place.bytes = std::min<uint64_t>(declaredDataBytes, fileSize - place.start);

    PcmFormat derived;
    derived.formatTag = kLinearPcmTag;
    derived.channels = LoadU16(head + kChannelsOffset);
    derived.sampleRate = LoadU32(head + kSampleRateOffset);
    derived.avgBytesPerSecond = LoadU32(head + kAvgBytesOffset);
    DeriveSampleWidth(derived);
    derived.extraSize = format.extraSize;
    format = derived;
    if (format.sampleRate != static_cast<uint32_t>(kSampleRate) ||
        format.bitsPerSample != kAcceptedBits)
    {
        ReportWavRefusal(reporter, kWrongRateOrWidthText);
        return false;
    }
    // A frame of 16-bit samples must fit the block alignment's 16 bits, or no clip can be made.
    if (uint32_t{format.channels} * sizeof(int16_t) > kMaxFrameBytes)
    {
        ReportFormatted(
            reporter, kImportChannelsText,
            {std::to_string(format.channels), std::to_string(kMaxFrameBytes / sizeof(int16_t))},
            kWavErrorCaption);
        return false;
    }
    return true;
}

int32_t ImportWavBytes(std::vector<uint8_t> file, ImportedAudio& audio, PcmFormat& format,
                       Reporter& reporter)
{
    if (file.size() > kMaxImportBytes)
    {
        ReportWavRefusal(reporter, kImportTooLargeText);
        return kImportFailed;
    }
    const size_t tag = file.size() < kWavFixedHeaderBytes ? file.size() : FindDataTag(file);
    const uint32_t declared =
        tag + kChunkHeaderBytes <= file.size() ? LoadU32(file.data() + tag + 4) : 0;
    WavDataPlace place;
    if (!CheckWavHeader(file.data(), file.size(), tag, declared, format, place, reporter))
    {
        return kImportFailed;
    }
    const auto start = static_cast<size_t>(place.start);
    const auto dataBytes = static_cast<size_t>(place.bytes);

    // Reuse the file's own storage: move the samples to the front, then cut to the data and
    // zero-fill up to the padded length.
    const size_t padded = RoundUpToWhole(dataBytes, size_t{kBytesPerBlock});
    file.erase(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(start));
    file.resize(dataBytes);
    file.resize(padded, 0);
    audio.buffer = std::move(file);
    audio.allocated = true;
    audio.byteLength = static_cast<int32_t>(padded);
    return audio.byteLength;
}

int32_t ImportWavFile(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                      Reporter& reporter)
{
    std::vector<uint8_t> file;
    // Room for the padding to whole blocks, which is added in place.
    switch (ReadWholeFile(path, file, kMaxImportBytes, size_t{kBytesPerBlock}))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::TooLarge:
        ReportWavRefusal(reporter, kImportTooLargeText);
        return kImportFailed;
    case FileReadResult::NotRegular: // a folder, pipe or device is no WAV file, and says so
        ReportWavRefusal(reporter, kNotWavText);
        GiveEmptyBuffer(audio);
        return kImportFailed;
    case FileReadResult::NotOpened:
    case FileReadResult::ReadError:
        GiveEmptyBuffer(audio);
        return kImportFailed;
    }
    return ImportWavBytes(std::move(file), audio, format, reporter);
}

} // namespace yumo
