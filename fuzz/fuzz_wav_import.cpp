// WAV import over arbitrary bytes: no crash, and an accepted result always describes a
// 44.1 kHz 16-bit buffer padded to whole blocks.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "import/wav_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    yumo::ImportedAudio audio;
    yumo::PcmFormat format;
    yumo::SilentReporter reporter;
    int32_t length =
        yumo::ImportWavBytes(std::vector<uint8_t>(data, data + size), audio, format, reporter);
    if (length < 0 || length % 2048 != 0 || audio.buffer.size() != static_cast<size_t>(length) ||
        (length > 0 && (format.sampleRate != 44100 || format.bitsPerSample != 16)))
    {
        std::abort();
    }
    yumo::ReleaseImportedAudio(audio);
    return 0;
}
