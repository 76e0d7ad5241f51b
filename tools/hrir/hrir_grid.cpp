// Fitting measured positions to the grid: one distance, whole degrees, thinned rows.

#include "tools/hrir/hrir_grid.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace yumo
{
namespace
{

struct Pick
{
    size_t index = 0;
    double deviation = 0.0; // degrees between the measured and the rounded azimuth
};

using PicksByElevation = std::map<int, std::map<int, Pick>>;

int RoundedAzimuth(double azimuth, double& deviation)
{
    double wrapped = std::fmod(azimuth, 360.0);
    if (wrapped < 0.0)
    {
        wrapped += 360.0;
    }
    const double rounded = std::round(wrapped);
    deviation = std::fabs(wrapped - rounded);
    return static_cast<int>(rounded) % 360;
}

// Indices 0..kept-1 spread evenly over 0..count-1, first and spacing kept regular.
std::vector<size_t> ThinEvenly(size_t count, size_t kept)
{
    std::vector<size_t> picks;
    for (size_t i = 0; i < kept; ++i)
    {
        picks.push_back(i * count / kept);
    }
    return picks;
}

// The distance most directions were measured at (to the centimetre); the others are dropped.
std::vector<size_t> KeepOneDistance(const MeasuredHrir& measured, HrirConversionSummary& summary)
{
    std::map<long, size_t> counts;
    for (const MeasuredDirection& d : measured.directions)
    {
        ++counts[std::lround(d.distance * 100.0)];
    }
    long best = counts.begin()->first;
    for (const auto& [centimetres, count] : counts)
    {
        if (count > counts[best])
        {
            best = centimetres;
        }
    }
    std::vector<size_t> kept;
    for (size_t i = 0; i < measured.directions.size(); ++i)
    {
        if (std::lround(measured.directions[i].distance * 100.0) == best)
        {
            kept.push_back(i);
        }
    }
    summary.keptDistance = static_cast<double>(best) / 100.0;
    summary.droppedOtherDistances = static_cast<int>(measured.directions.size() - kept.size());
    if (counts.size() > 1)
    {
        summary.notes.push_back("measured at " + std::to_string(counts.size()) +
                                " distances; kept the " + std::to_string(kept.size()) +
                                " directions at " + std::to_string(summary.keptDistance) + " m");
    }
    return kept;
}

// Rows by whole-degree elevation (the zenith and anything above it in one); within a row one
// direction per whole-degree azimuth, the one measured nearest to it.
PicksByElevation PickNearestPerDegree(const MeasuredHrir& measured, const std::vector<size_t>& kept,
                                      HrirConversionSummary& summary)
{
    PicksByElevation picks;
    for (size_t index : kept)
    {
        const MeasuredDirection& d = measured.directions[index];
        const int elevation = static_cast<int>(std::lround(d.elevation));
        double deviation = 0.0;
        const int azimuth = RoundedAzimuth(d.azimuth, deviation);
        auto& row = picks[std::min(elevation, kZenithElevation)];
        auto [it, inserted] = row.try_emplace(azimuth, Pick{index, deviation});
        if (!inserted)
        {
            ++summary.droppedDuplicateAzimuths;
            if (deviation < it->second.deviation)
            {
                it->second = Pick{index, deviation};
            }
        }
    }
    return picks;
}

void ThinRow(GridRow& row, HrirConversionSummary& summary)
{
    if (row.directions.size() <= static_cast<size_t>(kMaxHrirDirectionsPerRow))
    {
        return;
    }
    std::vector<std::pair<int, size_t>> thinned;
    for (size_t i : ThinEvenly(row.directions.size(), kMaxHrirDirectionsPerRow))
    {
        thinned.push_back(row.directions[i]);
    }
    summary.droppedByThinning += static_cast<int>(row.directions.size() - thinned.size());
    summary.notes.push_back("row at elevation " + std::to_string(row.elevation) + " thinned from " +
                            std::to_string(row.directions.size()) + " to " +
                            std::to_string(thinned.size()) + " directions");
    row.directions = std::move(thinned);
}

// Every elevation below the zenith becomes a row of at most 75 directions.
std::vector<GridRow> MakeRows(const PicksByElevation& picks, HrirConversionSummary& summary)
{
    std::vector<GridRow> rows;
    for (const auto& [elevation, byAzimuth] : picks)
    {
        if (elevation >= kZenithElevation)
        {
            continue;
        }
        GridRow row{elevation, {}};
        for (const auto& [azimuth, pick] : byAzimuth)
        {
            row.directions.emplace_back(azimuth, pick.index);
        }
        ThinRow(row, summary);
        rows.push_back(std::move(row));
    }
    return rows;
}

// The rows below the zenith are thinned evenly to the 19 the set has room for.
void ThinRowCount(std::vector<GridRow>& rows, HrirConversionSummary& summary)
{
    if (rows.size() <= static_cast<size_t>(kMaxHrirRows - 1))
    {
        return;
    }
    std::vector<GridRow> thinned;
    for (size_t i : ThinEvenly(rows.size(), kMaxHrirRows - 1))
    {
        thinned.push_back(rows[i]);
    }
    summary.notes.push_back(std::to_string(rows.size()) + " elevations thinned to " +
                            std::to_string(thinned.size()) + " rows below the zenith");
    for (const GridRow& row : rows)
    {
        bool kept = false;
        for (const GridRow& keptRow : thinned)
        {
            kept = kept || keptRow.elevation == row.elevation;
        }
        summary.droppedByThinning += kept ? 0 : static_cast<int>(row.directions.size());
    }
    rows = std::move(thinned);
}

} // namespace

bool FitMeasurementsToGrid(const MeasuredHrir& measured, HrirGrid& grid,
                           HrirConversionSummary& summary, std::string& why)
{
    grid = HrirGrid{};
    const PicksByElevation picks =
        PickNearestPerDegree(measured, KeepOneDistance(measured, summary), summary);
    grid.rows = MakeRows(picks, summary);
    ThinRowCount(grid.rows, summary);

    // The zenith: measured when the set has it (the one at the smallest azimuth if it was
    // measured more than once: all azimuths meet there), otherwise the mean of the highest
    // row, the ring of directions nearest to it.
    const auto zenith = picks.find(kZenithElevation);
    grid.zenithMeasured = zenith != picks.end();
    summary.zenithMeasured = grid.zenithMeasured;
    if (!grid.zenithMeasured && grid.rows.empty())
    {
        why = "no measured directions remain";
        return false;
    }
    if (grid.zenithMeasured)
    {
        grid.zenithAzimuth = zenith->second.begin()->first;
        grid.zenithIndex = zenith->second.begin()->second.index;
        summary.droppedDuplicateAzimuths += static_cast<int>(zenith->second.size()) - 1;
    }
    else
    {
        summary.notes.push_back("no measured zenith: made from the mean of the " +
                                std::to_string(grid.rows.back().directions.size()) +
                                " directions at elevation " +
                                std::to_string(grid.rows.back().elevation));
    }
    return true;
}

std::vector<size_t> UsedMeasurements(const HrirGrid& grid)
{
    std::vector<size_t> used;
    for (const GridRow& row : grid.rows)
    {
        for (const auto& direction : row.directions)
        {
            used.push_back(direction.second);
        }
    }
    if (grid.zenithMeasured)
    {
        used.push_back(grid.zenithIndex);
    }
    return used;
}

} // namespace yumo
