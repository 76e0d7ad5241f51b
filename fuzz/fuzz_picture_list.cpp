// The picture lists: any bytes give at most 255 paths, none longer than a line may be, none
// holding a line end or a NUL byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "display/picture_list.h"
#include "voices/character_animation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const yumo::PictureList list = yumo::ParsePictureList(text);
    if (list.paths.size() > yumo::kPictureSlotCount)
    {
        std::abort();
    }
    for (const std::string& path : list.paths)
    {
        if (path.size() > yumo::kMaxPictureListLine || path.find('\n') != std::string::npos ||
            path.find('\0') != std::string::npos)
        {
            std::abort();
        }
    }
    return 0;
}
