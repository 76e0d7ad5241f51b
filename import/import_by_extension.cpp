#include "import/mp3_import.h"
#include "import/wav_import.h"

namespace yumo
{

int32_t ImportAudioByExtension(const std::string& path, ImportedAudio& audio, PcmFormat& format,
                               Reporter& reporter)
{
    if (HasMp3Extension(path))
    {
        return ImportMp3File(path, audio, format, reporter);
    }
    return ImportWavFile(path, audio, format, reporter);
}

} // namespace yumo
