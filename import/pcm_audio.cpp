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

bool HasMp3Extension(const std::string& path)
{
    size_t slash = path.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = path.rfind('.');
    // A dot before the last slash belongs to a folder name.
    if (dot == std::string::npos || dot < nameStart)
    {
        return false;
    }
    return path.compare(dot, std::string::npos, ".mp3") == 0;
}

} // namespace yumo
