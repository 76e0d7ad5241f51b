// The WAV conversion over arbitrary bytes: no crash, nothing kept from a refused file, and a
// converted one never longer than its frames resampled to 44.1 kHz.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "import/wav_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> file(data, data + size);
    std::vector<int16_t> mono;
    yumo::SilentReporter reporter;
    yumo::WavFileFormat format;
    const bool read = yumo::ReadWavFileFormat(file, format);
    if (!yumo::ConvertWavBytes(file, mono, reporter))
    {
        if (!mono.empty())
        {
            std::abort();
        }
        return 0;
    }
    const double frames = static_cast<double>(format.dataBytes / format.blockAlign);
    if (!read ||
        static_cast<double>(mono.size()) > std::ceil(frames * 44100 / format.sampleRate) + 2)
    {
        std::abort();
    }
    return 0;
}
