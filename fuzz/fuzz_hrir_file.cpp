// The response-set file reader over arbitrary bytes: no crash, no read past the image, and an
// accepted image is a valid set that writes back to the very same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/hrir_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    static yumo::HrirSet set; // large; kept between runs so each run does not build it anew
    std::string why;
    if (!yumo::ParseHrirSetFile(bytes, set, why))
    {
        if (why.empty())
        {
            std::abort(); // every refusal says why
        }
        return 0;
    }
    if (!yumo::CheckHrirSet(set, why) || yumo::SerializeHrirSet(set) != bytes)
    {
        std::abort();
    }
    for (double azimuth : {-1.0, 0.0, 90.5, 359.9, 360.0})
    {
        for (double elevation : {-90.0, 0.0, 45.0, 90.0})
        {
            const yumo::HrirIndex index = yumo::FindHrirDirection(set, azimuth, elevation);
            if (index.row < 0 || index.row >= set.rowCount || index.column < 0 ||
                index.column >= set.directionsPerRow[index.row])
            {
                std::abort();
            }
        }
    }
    return 0;
}
