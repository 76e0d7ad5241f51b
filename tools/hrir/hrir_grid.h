#pragma once
// Measured directions fitted to the response set's grid: rows of whole-degree elevations below
// the zenith, each with whole-degree azimuths strictly ascending, then the zenith. Positions are
// rounded (the file stores integers); where two measurements round to one place, the one
// measured nearer to it is kept.

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "tools/hrir/hrir_measured.h"

namespace yumo
{

constexpr int kZenithElevation = 90;

struct GridRow
{
    int elevation = 0;
    std::vector<std::pair<int, size_t>> directions; // (azimuth, measured index), ascending
};

struct HrirGrid
{
    std::vector<GridRow> rows;   // ascending elevation, all below the zenith; at most 19
    bool zenithMeasured = false; // otherwise the zenith is made from the highest row
    int zenithAzimuth = 0;
    size_t zenithIndex = 0; // measured index, when measured
};

// Keeps the most common distance, rounds positions, thins crowded rows to 75 directions and
// too many rows to 19 below the zenith; every step that drops data is counted in the summary.
// False with `why` when no direction remains.
bool FitMeasurementsToGrid(const MeasuredHrir& measured, HrirGrid& grid,
                           HrirConversionSummary& summary, std::string& why);

// The measured indices the grid uses: row by row, then the zenith when it was measured.
std::vector<size_t> UsedMeasurements(const HrirGrid& grid);

} // namespace yumo
