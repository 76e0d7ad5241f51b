#pragma once
// RIFF/WAVE import: linear PCM at 44.1 kHz, 16 bits, any channel count.

#include <cstdint>
#include <string>
#include <vector>

#include "common/report.h"
#include "import/pcm_audio.h"

namespace yumo
{

// The fixed header a canonical file starts with; shorter files are refused.
constexpr size_t kWavFixedHeaderBytes = 44;

// Where the samples of a file lie: after the first "data" tag at or after offset 36 and its
// length, no further than the file's end.
struct WavDataPlace
{
    uint64_t start = 0;
    uint64_t bytes = 0;
};

// The import's checks of a file of `fileSize` bytes: `head` holds its first bytes (at least
// kWavFixedHeaderBytes when the file has them), `dataTag` is where the first "data" at or after
// offset 36 stands (`fileSize` when there is none) and `declaredDataBytes` the length after it.
// False after reporting the refusal; `format` is filled as ImportWavFile fills it.
bool CheckWavHeader(const uint8_t* head, uint64_t fileSize, uint64_t dataTag,
                    uint32_t declaredDataBytes, PcmFormat& format, WavDataPlace& place,
                    Reporter& reporter);

// Returns the byte length of the imported buffer (a multiple of 2048), or 0 on failure after
// reporting why under the caption "ファイルオープンエラー".
//
// Record states: refused for the form type or format tag (or as too short, too large, without
// a data tag) - both records untouched; refused for rate or width - `format` holds the derived
// fields, `audio` untouched; file not readable - `audio` gets an allocated empty buffer,
// `format` untouched, no message; empty data - both filled, result 0.
int32_t ImportWavFile(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                      Reporter& reporter);

// The same checks over a whole file already in memory (the file's bytes are taken over).
int32_t ImportWavBytes(std::vector<uint8_t> file, ImportedAudio& audio, PcmFormat& format,
                       Reporter& reporter);

} // namespace yumo
