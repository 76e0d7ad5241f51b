// The invariants of a loaded response set, checked once for every way a set comes in (file,
// text tables, measured data), so the lookup and the renderer can rely on them.

#include <cmath>
#include <cstdio>

#include "audio/hrir_set.h"

namespace yumo
{
namespace
{

std::string Where(int row, int column)
{
    return "row " + std::to_string(row) + " direction " + std::to_string(column);
}

bool CheckResponse(const std::vector<double>& taps, const char* ear, int row, int column,
                   std::string& why)
{
    if (taps.size() != static_cast<size_t>(kHrirTapCount))
    {
        why = Where(row, column) + " holds " + std::to_string(taps.size()) + " " + ear +
              " taps; the renderer needs " + std::to_string(kHrirTapCount);
        return false;
    }
    for (size_t k = 0; k < taps.size(); ++k)
    {
        if (!std::isfinite(taps[k]))
        {
            why = Where(row, column) + " " + ear + " tap " + std::to_string(k) + " is not finite";
            return false;
        }
        if (std::abs(taps[k]) > kMaxHrirTapMagnitude)
        {
            char value[32];
            std::snprintf(value, sizeof value, "%g", taps[k]);
            why = Where(row, column) + " " + ear + " tap " + std::to_string(k) + " is " + value +
                  ", beyond the 16-bit range the renderer can carry (at most " +
                  std::to_string(static_cast<int64_t>(kMaxHrirTapMagnitude)) + " in magnitude)";
            return false;
        }
    }
    return true;
}

} // namespace

bool CheckHrirSet(const HrirSet& set, std::string& why)
{
    if (set.rowCount < 1 || set.rowCount > kMaxHrirRows)
    {
        why = "row count " + std::to_string(set.rowCount) + " is outside 1-" +
              std::to_string(kMaxHrirRows);
        return false;
    }
    if (set.directionsPerRow.size() != static_cast<size_t>(set.rowCount))
    {
        why = "the direction counts do not match the row count";
        return false;
    }
    for (int row = 0; row < set.rowCount; ++row)
    {
        const int count = set.directionsPerRow[row];
        if (count < 1 || count > kMaxHrirDirectionsPerRow)
        {
            why = "row " + std::to_string(row) + " direction count " + std::to_string(count) +
                  " is outside 1-" + std::to_string(kMaxHrirDirectionsPerRow);
            return false;
        }
        const bool last = row == set.rowCount - 1;
        const int elevation = set.directions[row][0].elevation;
        if (last && (elevation < 90 || count != 1))
        {
            why = "the last row (elevation " + std::to_string(elevation) + ", " +
                  std::to_string(count) +
                  " directions) is not the zenith: elevation 90 or more with one direction";
            return false;
        }
        if (!last && elevation >= 90)
        {
            why = "row " + std::to_string(row) + " has elevation " + std::to_string(elevation) +
                  " but is not the last row; only the zenith may reach 90";
            return false;
        }
        if (row > 0 && elevation <= set.directions[row - 1][0].elevation)
        {
            why = "row " + std::to_string(row) + " elevation " + std::to_string(elevation) +
                  " does not rise above the row before (" +
                  std::to_string(set.directions[row - 1][0].elevation) + ")";
            return false;
        }
        for (int column = 0; column < count; ++column)
        {
            const HrirDirection& direction = set.directions[row][column];
            if (direction.elevation != elevation)
            {
                why = Where(row, column) + " has elevation " + std::to_string(direction.elevation) +
                      " in a row at " + std::to_string(elevation);
                return false;
            }
            if (direction.tapCount != kHrirTapCount)
            {
                why = Where(row, column) + " tap count " + std::to_string(direction.tapCount) +
                      " is not " + std::to_string(kHrirTapCount) +
                      ", the length the renderer reads";
                return false;
            }
            if (column > 0 && direction.azimuth <= set.directions[row][column - 1].azimuth)
            {
                why = Where(row, column) + " azimuth " + std::to_string(direction.azimuth) +
                      " does not rise above the one before (" +
                      std::to_string(set.directions[row][column - 1].azimuth) + ")";
                return false;
            }
            if (!CheckResponse(direction.left, "left", row, column, why) ||
                !CheckResponse(direction.right, "right", row, column, why))
            {
                return false;
            }
        }
    }
    return true;
}

} // namespace yumo
