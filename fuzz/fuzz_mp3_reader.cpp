// MP3 import over arbitrary bytes: the tag skip, the header check and the decoder with the
// resampler behind it. An accepted result is whole 16-bit frames at 44.1 kHz.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "import/mp3_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    yumo::ImportedAudio audio;
    yumo::PcmFormat format;
    yumo::SilentReporter reporter;
    int32_t length =
        yumo::ImportMp3Bytes(std::vector<uint8_t>(data, data + size), audio, format, reporter);
    if (length < 0 || (length > 0 && (audio.buffer.size() != static_cast<size_t>(length) ||
                                      format.sampleRate != 44100 || format.blockAlign == 0 ||
                                      length % format.blockAlign != 0)))
    {
        std::abort();
    }
    return 0;
}
