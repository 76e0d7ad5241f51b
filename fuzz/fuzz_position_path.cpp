// The --path file of `yumo-tool hrir render`: any text is either refused with a reason or gives
// at least one position with finite numbers and a distance that is not negative.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/hrir/position_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<yumo::PathPosition> positions;
    std::string why;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!yumo::ParsePositionPath(text, positions, why))
    {
        if (why.empty() || !positions.empty())
        {
            std::abort();
        }
        return 0;
    }
    if (positions.empty() || positions.size() > yumo::kMaxPathPositions)
    {
        std::abort();
    }
    for (const yumo::PathPosition& p : positions)
    {
        if (!std::isfinite(p.azimuth) || !std::isfinite(p.elevation) ||
            !std::isfinite(p.distance) || p.distance < 0.0)
        {
            std::abort();
        }
    }
    return 0;
}
