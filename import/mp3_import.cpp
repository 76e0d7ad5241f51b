#include "import/mp3_import.h"

#include <utility>

#include "common/byte_io.h"
#include "common/results.h"
#include "import/import_messages.h"

namespace yumo
{
namespace
{

int32_t DecodeIntoRecords(const Mp3File& file, ImportedAudio& audio, PcmFormat& format,
                          Reporter& reporter)
{
    std::vector<uint8_t> pcm;
    if (!DecodeToPcm(file.descriptor, file.bytes.data() + file.audioOffset, file.audioLength,
                     format, pcm, reporter))
    {
        return kImportFailed;
    }
    // The decoder caps its output at kMaxImportBytes, so the length fits.
    audio.byteLength = static_cast<int32_t>(pcm.size());
    audio.buffer = std::move(pcm);
    audio.allocated = true;
    return audio.byteLength;
}

} // namespace

bool ReadMp3File(const std::string& path, Mp3File& file, Reporter& reporter)
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(path, bytes, kMaxImportBytes))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::TooLarge:
        ReportMp3Failure(reporter, kImportTooLargeText);
        return false;
    case FileReadResult::NotRegular: // a folder, pipe or device cannot be opened as audio
    case FileReadResult::NotOpened:
    case FileReadResult::ReadError:
        ReportMp3Failure(reporter, kMp3OpenFailedText);
        return false;
    }
    return ReadMp3Bytes(std::move(bytes), file) == Mp3HeaderProblem::None;
}

int32_t ImportMp3File(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                      Reporter& reporter)
{
    Mp3File file;
    if (!ReadMp3File(path, file, reporter))
    {
        return kImportFailed;
    }
    return DecodeIntoRecords(file, audio, format, reporter);
}

int32_t ImportMp3Bytes(std::vector<uint8_t> bytes, ImportedAudio& audio, PcmFormat& format,
                       Reporter& reporter)
{
    if (bytes.size() > kMaxImportBytes)
    {
        ReportMp3Failure(reporter, kImportTooLargeText);
        return kImportFailed;
    }
    Mp3File file;
    if (ReadMp3Bytes(std::move(bytes), file) != Mp3HeaderProblem::None)
    {
        return kImportFailed;
    }
    return DecodeIntoRecords(file, audio, format, reporter);
}

} // namespace yumo
