#include "import/pcm_audio.h"

namespace yumo
{

int ReleaseImportedAudio(ImportedAudio& audio)
{
    if (!audio.allocated)
    {
        return 0;
    }
    std::vector<uint8_t>().swap(audio.buffer);
    audio.allocated = false;
    audio.byteLength = 0;
    return 0;
}

} // namespace yumo
