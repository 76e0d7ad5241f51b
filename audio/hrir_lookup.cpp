// Which measured direction renders a requested position: no interpolation, the nearest row at
// or above the requested elevation, then the first azimuth at or above the requested one.

#include <algorithm>
#include <climits>
#include <cmath>

#include "audio/hrir_set.h"

namespace yumo
{
namespace
{

// Truncates toward zero like a plain conversion, but defined for every double: NaN counts as
// 0 and values beyond the int range stop at its ends.
int TruncateToInt(double value)
{
    if (std::isnan(value))
    {
        return 0;
    }
    if (value >= static_cast<double>(INT_MAX))
    {
        return INT_MAX;
    }
    if (value <= static_cast<double>(INT_MIN))
    {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

} // namespace

HrirIndex FindHrirDirection(const HrirSet& set, double azimuth, double elevation)
{
    const int rows =
        std::min({set.rowCount, static_cast<int>(set.directionsPerRow.size()), kMaxHrirRows});
    if (rows <= 0)
    {
        return {};
    }
    const int e = TruncateToInt(elevation);
    int row = 0;
    while (row < rows - 1 && set.directions[row][0].elevation < e)
    {
        ++row;
    }

    int a = TruncateToInt(azimuth);
    if (a < 0)
    {
        a += 360; // once: the behaviour model keeps azimuths within 0-360
    }
    else if (a >= 360)
    {
        a -= 360;
    }

    if (set.directions[row][0].elevation == 90)
    {
        return {row, 0};
    }
    // No wrap to column 0: past the row's last azimuth, the last direction is used.
    const int columns = std::min(set.directionsPerRow[row], kMaxHrirDirectionsPerRow);
    int column = 0;
    while (column < columns - 1 && set.directions[row][column].azimuth < a)
    {
        ++column;
    }
    return {row, column};
}

} // namespace yumo
