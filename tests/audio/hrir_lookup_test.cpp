// Choosing the direction for a requested azimuth and elevation.

#include <cmath>
#include <gtest/gtest.h>
#include <random>

#include "audio/hrir_set.h"
#include "audio/hrir_test_sets.h"

namespace yumo
{
namespace
{

// Rows at -40, -20, -10, 0 and 30 and the zenith; the 0 row ends at 355, the -10 row does not
// start at 0.
HrirSet MakeLookupSet()
{
    std::vector<int> every5;
    for (int a = 0; a < 360; a += 5)
    {
        every5.push_back(a);
    }
    return test::MakeGridSet({{-40, {0, 60, 120, 180, 240, 300}},
                              {-20, {0, 90, 180, 270}},
                              {-10, {30, 150, 359}},
                              {0, every5},
                              {30, {10, 100, 200}},
                              {90, {0}}});
}

int Elevation(const HrirSet& set, HrirIndex index)
{
    return set.directions[index.row][index.column].elevation;
}

int Azimuth(const HrirSet& set, HrirIndex index)
{
    return set.directions[index.row][index.column].azimuth;
}

TEST(HrirLookup, ElevationSelectsTheRowAtOrAboveTheTruncatedRequest)
{
    const HrirSet set = MakeLookupSet();
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, -15.0)), -10); // between rows: upper
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, -10.9)), -10); // truncates to -10
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, -45.0)), -40); // below the lowest
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, -20.0)), -20); // exact
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, -0.5)), 0);    // truncates to 0
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, 30.9)), 30);   // truncates to 30
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, 31.0)), 90);
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0, 150.0)), 90); // above every row
}

TEST(HrirLookup, AzimuthSelectsTheFirstDirectionAtOrAboveWithoutWrapping)
{
    const HrirSet set = MakeLookupSet();
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, 360.0, 0)), 0);    // 360 wraps to 0
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, -1.0, 0)), 355);   // 359: past the last
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, -1.0, -10)), 359); // 359 exists here
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, 357.9, 0)), 355);  // no wrap to 0
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, 90.0, 0)), 90);    // exact
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, 90.99, 0)), 90);   // truncates
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, 91.0, 0)), 95);
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, 0.0, -10)), 30);
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, -0.9, -10)), 30);   // truncates to 0, no wrap
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, 719.0, -40)), 300); // wraps once: 359
    EXPECT_EQ(Azimuth(set, FindHrirDirection(set, -361.0, -40)), 0);  // once: -1, below all
}

TEST(HrirLookup, ZenithTakesAnyAzimuth)
{
    const HrirSet set = MakeLookupSet();
    for (double azimuth : {0.0, 45.0, 180.0, 359.9, -30.0, 1000.0})
    {
        const HrirIndex index = FindHrirDirection(set, azimuth, 90.0);
        EXPECT_EQ(index.row, 5);
        EXPECT_EQ(index.column, 0);
    }
    const HrirSet zenithOnly = test::MakeGridSet({{90, {0}}});
    const HrirIndex index = FindHrirDirection(zenithOnly, 123.0, -60.0);
    EXPECT_EQ(index.row, 0);
    EXPECT_EQ(index.column, 0);
}

TEST(HrirLookup, NonFiniteAndHugeRequestsStayInsideTheSet)
{
    const HrirSet set = MakeLookupSet();
    for (double value : {double{NAN}, double{INFINITY}, -double{INFINITY}, 1e300, -1e300})
    {
        const HrirIndex a = FindHrirDirection(set, value, 0.0);
        const HrirIndex b = FindHrirDirection(set, 0.0, value);
        for (HrirIndex index : {a, b})
        {
            ASSERT_GE(index.row, 0);
            ASSERT_LT(index.row, set.rowCount);
            ASSERT_GE(index.column, 0);
            ASSERT_LT(index.column, set.directionsPerRow[index.row]);
        }
    }
    EXPECT_EQ(Elevation(set, FindHrirDirection(set, 0.0, NAN)), 0);
    EXPECT_EQ(FindHrirDirection(HrirSet{}, 10.0, 10.0).row, 0); // empty set: no reads
}

// The rule written out plainly: test every row and every column, keep the first that fits.
HrirIndex BruteForceLookup(const HrirSet& set, double azimuth, double elevation)
{
    const long e = static_cast<long>(std::trunc(elevation));
    int row = set.rowCount - 1;
    for (int r = set.rowCount - 1; r >= 0; --r)
    {
        if (set.directions[r][0].elevation >= e)
        {
            row = r;
        }
    }
    long a = static_cast<long>(std::trunc(azimuth));
    a = a < 0 ? a + 360 : (a >= 360 ? a - 360 : a);
    if (set.directions[row][0].elevation == 90)
    {
        return {row, 0};
    }
    int column = set.directionsPerRow[row] - 1;
    for (int j = set.directionsPerRow[row] - 1; j >= 0; --j)
    {
        if (set.directions[row][j].azimuth >= a)
        {
            column = j;
        }
    }
    return {row, column};
}

TEST(HrirLookup, AgreesWithABruteForceScanOnRandomRequests)
{
    const HrirSet sets[] = {MakeLookupSet(), test::MakeSmallSet()};
    std::mt19937 random(20240601);
    std::uniform_real_distribution<double> azimuths(-400.0, 800.0);
    std::uniform_real_distribution<double> elevations(-100.0, 120.0);
    std::uniform_int_distribution<int> wholeAzimuths(-2, 361);
    std::uniform_int_distribution<int> wholeElevations(-50, 95);
    for (const HrirSet& set : sets)
    {
        for (int i = 0; i < 20000; ++i)
        {
            // Half the requests are whole degrees, where exact matches and boundaries lie.
            const bool whole = i % 2 == 0;
            const double azimuth = whole ? wholeAzimuths(random) : azimuths(random);
            const double elevation = whole ? wholeElevations(random) : elevations(random);
            const HrirIndex fast = FindHrirDirection(set, azimuth, elevation);
            const HrirIndex slow = BruteForceLookup(set, azimuth, elevation);
            ASSERT_EQ(fast.row, slow.row) << azimuth << ", " << elevation;
            ASSERT_EQ(fast.column, slow.column) << azimuth << ", " << elevation;
        }
    }
}

} // namespace
} // namespace yumo
