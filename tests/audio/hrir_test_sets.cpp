#include "audio/hrir_test_sets.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "support/test_support.h"

namespace yumo::test
{

HrirSet MakeGridSet(const std::vector<GridRow>& rows, int leadingValue)
{
    HrirSet set;
    set.leadingValue = leadingValue;
    set.rowCount = static_cast<int>(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
    {
        set.directionsPerRow.push_back(static_cast<int32_t>(rows[r].azimuths.size()));
        for (size_t j = 0; j < rows[r].azimuths.size(); ++j)
        {
            HrirDirection& d = set.directions[r][j];
            d.azimuth = rows[r].azimuths[j];
            d.elevation = rows[r].elevation;
            d.tapCount = kHrirTapCount;
            d.left.resize(kHrirTapCount);
            d.right.resize(kHrirTapCount);
            for (int k = 0; k < kHrirTapCount; ++k)
            {
                const double x = static_cast<double>(r * 1000 + j * 10) + k / 7.0;
                d.left[k] = 8000.0 * std::sin(x) / (1.0 + k / 9.0);
                d.right[k] = -6000.0 * std::cos(1.3 * x) / (1.0 + k / 11.0);
            }
        }
    }
    return set;
}

HrirSet MakeSmallSet()
{
    std::vector<int> every15;
    for (int a = 0; a < 360; a += 15)
    {
        every15.push_back(a);
    }
    std::vector<int> every30;
    for (int a = 0; a < 360; a += 30)
    {
        every30.push_back(a);
    }
    return MakeGridSet({{-40, every15},
                        {-20, every30},
                        {0, every30},
                        {20, every30},
                        {60, {0, 90, 180, 270}},
                        {90, {0}}});
}

HrirTextTables MakeHrirTextTables(const HrirSet& set)
{
    HrirTextTables tables;
    tables.elevations = std::to_string(set.leadingValue) + "\n";
    char number[40];
    for (int r = 0; r < set.rowCount; ++r)
    {
        for (int j = 0; j < set.directionsPerRow[r]; ++j)
        {
            const HrirDirection& d = set.directions[r][j];
            tables.elevations += std::to_string(d.elevation) + "\n";
            tables.azimuths += std::to_string(d.azimuth) + "\n";
            for (int k = 0; k < d.tapCount; ++k)
            {
                std::snprintf(number, sizeof number, "%.17g\n", d.left[k]);
                tables.lefts += number;
                std::snprintf(number, sizeof number, "%.17g\n", d.right[k]);
                tables.rights += number;
            }
        }
    }
    return tables;
}

void WriteHrirTextTables(const std::filesystem::path& dir, const HrirTextTables& tables,
                         const std::vector<std::string>& which)
{
    for (const std::string& name : which)
    {
        if (name == "elev")
        {
            WriteTextFile(dir / "IR_elev.txt", tables.elevations);
        }
        else if (name == "azim")
        {
            WriteTextFile(dir / "IR_azim.txt", tables.azimuths);
        }
        else if (name == "L")
        {
            WriteTextFile(dir / "IR_L.txt", tables.lefts);
        }
        else if (name == "R")
        {
            WriteTextFile(dir / "IR_R.txt", tables.rights);
        }
    }
}

bool SameHrirSet(const HrirSet& a, const HrirSet& b, std::string& difference)
{
    if (a.leadingValue != b.leadingValue || a.rowCount != b.rowCount ||
        a.directionsPerRow != b.directionsPerRow)
    {
        difference = "header or direction counts differ";
        return false;
    }
    for (int r = 0; r < a.rowCount; ++r)
    {
        for (int j = 0; j < a.directionsPerRow[r]; ++j)
        {
            const HrirDirection& x = a.directions[r][j];
            const HrirDirection& y = b.directions[r][j];
            const std::string where = "row " + std::to_string(r) + " column " + std::to_string(j);
            if (x.azimuth != y.azimuth || x.elevation != y.elevation || x.tapCount != y.tapCount)
            {
                difference = where + ": position or tap count differs";
                return false;
            }
            if (x.left.size() != y.left.size() || x.right.size() != y.right.size() ||
                std::memcmp(x.left.data(), y.left.data(), x.left.size() * sizeof(double)) != 0 ||
                std::memcmp(x.right.data(), y.right.data(), x.right.size() * sizeof(double)) != 0)
            {
                difference = where + ": coefficients differ";
                return false;
            }
        }
    }
    return true;
}

} // namespace yumo::test
