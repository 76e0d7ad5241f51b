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

// Returns the byte length of the imported buffer (a multiple of 2048), or 0 on failure after
// reporting why under the caption "ファイルオープンエラー".
//
// Record states: refused for the form type or format tag (or as too short, too large, without
// a data tag) - both records untouched; refused for rate or width - `format` holds the derived
// fields, `audio` untouched; file not readable - `audio` gets an allocated empty buffer with
// the loop marking, `format` untouched, no message; empty data - both filled, result 0.
int32_t ImportWavFile(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                      Reporter& reporter);

// The same checks over a whole file already in memory (the file's bytes are taken over).
int32_t ImportWavBytes(std::vector<uint8_t> file, ImportedAudio& audio, PcmFormat& format,
                       Reporter& reporter);

} // namespace yumo
