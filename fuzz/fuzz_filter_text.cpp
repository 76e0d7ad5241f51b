// The filter text import over arbitrary text: the input is cut at its first two '|' into the
// cutoff, low-pass and high-pass tables. No crash, and an accepted import survives the file
// round trip.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "audio/filter_set.h"
#include "fuzz/split_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::string> parts = SplitFuzzInput(data, size, 3);

    std::istringstream cutoffs(parts[0]);
    std::istringstream lowPass(parts[1]);
    std::istringstream highPass(parts[2]);
    static yumo::FilterSet set;
    static yumo::FilterSet reread;
    std::string why;
    if (!yumo::ImportFilterText(cutoffs, lowPass, highPass, set, why))
    {
        if (why.empty())
        {
            std::abort();
        }
        return 0;
    }
    const std::vector<uint8_t> bytes = yumo::SerializeFilterSet(set);
    if (set.tapCount != 128 || !yumo::ParseFilterSetFile(bytes, reread, why) ||
        yumo::SerializeFilterSet(reread) != bytes)
    {
        std::abort();
    }
    return 0;
}
