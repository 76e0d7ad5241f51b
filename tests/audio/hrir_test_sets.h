#pragma once
// Small response sets and their text tables for the response-set tests.

#include <filesystem>
#include <string>
#include <vector>

#include "audio/hrir_set.h"

namespace yumo::test
{

struct GridRow
{
    int elevation;
    std::vector<int> azimuths;
};

// A valid set on the given rows (the last must be the zenith, one azimuth). Every coefficient
// is different and not a short decimal, so a lost digit or a swapped tap shows.
HrirSet MakeGridSet(const std::vector<GridRow>& rows, int leadingValue = 7);

// Rows at -40 (0-345 step 15), -20, 0 and 20 (0-330 step 30), 60 (0-270 step 90), and 90.
HrirSet MakeSmallSet();

struct HrirTextTables
{
    std::string elevations;
    std::string azimuths;
    std::string lefts;
    std::string rights;
};

// The set as its four tables, one number per line, coefficients with all 17 digits.
HrirTextTables MakeHrirTextTables(const HrirSet& set);

// Writes the tables present in `which` ("elev", "azim", "L", "R") into `dir`.
void WriteHrirTextTables(const std::filesystem::path& dir, const HrirTextTables& tables,
                         const std::vector<std::string>& which = {"elev", "azim", "L", "R"});

// Equal in every field and every coefficient, bit for bit.
bool SameHrirSet(const HrirSet& a, const HrirSet& b, std::string& difference);

} // namespace yumo::test
