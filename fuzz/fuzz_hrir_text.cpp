// The response-set text import over arbitrary text: the input is cut at its first three '|'
// into the elevation, azimuth, left and right tables. No crash, and an accepted import is a
// valid set that survives the file round trip.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "audio/hrir_set.h"
#include "fuzz/split_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string> parts = SplitFuzzInput(data, size, 4);

    std::istringstream elevations(parts[0]);
    std::istringstream azimuths(parts[1]);
    std::istringstream lefts(parts[2]);
    std::istringstream rights(parts[3]);
    static yumo::HrirSet set;
    static yumo::HrirSet reread;
    std::string why;
    if (!yumo::ImportHrirText(elevations, azimuths, lefts, rights, set, why))
    {
        if (why.empty())
        {
            std::abort();
        }
        return 0;
    }
    const std::vector<uint8_t> bytes = yumo::SerializeHrirSet(set);
    if (!yumo::CheckHrirSet(set, why) || !yumo::ParseHrirSetFile(bytes, reread, why) ||
        yumo::SerializeHrirSet(reread) != bytes)
    {
        std::abort();
    }
    return 0;
}
