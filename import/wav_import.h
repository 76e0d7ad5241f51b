#pragma once
// RIFF/WAVE import: linear PCM at 44.1 kHz, 16 bits, any channel count.

#include <string>

#include "common/report.h"
#include "import/pcm_audio.h"

namespace yumo
{

// Returns the byte length of the imported buffer (a multiple of 2048), or 0 on failure after
// reporting why under the caption "ファイルオープンエラー".
int32_t ImportWavFile(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                      Reporter& reporter);

} // namespace yumo
