// The filter file reader over arbitrary bytes: no crash, and an accepted image writes back to
// the very same bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/filter_set.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    static yumo::FilterSet set;
    std::string why;
    if (!yumo::ParseFilterSetFile(bytes, set, why))
    {
        if (why.empty())
        {
            std::abort();
        }
        return 0;
    }
    if (set.filterCount < 0 || set.filterCount > yumo::kMaxFilterCount ||
        yumo::SerializeFilterSet(set) != bytes)
    {
        std::abort();
    }
    return 0;
}
