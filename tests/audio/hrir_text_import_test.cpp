// Importing a response set from its four text tables.

#include <functional>
#include <gtest/gtest.h>
#include <sstream>

#include "audio/hrir_set.h"
#include "audio/hrir_test_sets.h"

namespace yumo
{
namespace
{

std::string Repeat(const std::string& line, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
    {
        text += line;
    }
    return text;
}

bool Import(const test::HrirTextTables& tables, HrirSet& set, std::string& why)
{
    std::istringstream elevations(tables.elevations);
    std::istringstream azimuths(tables.azimuths);
    std::istringstream lefts(tables.lefts);
    std::istringstream rights(tables.rights);
    return ImportHrirText(elevations, azimuths, lefts, rights, set, why);
}

TEST(HrirTextImport, ReadsRowsWhereElevationRepeatsAndAzimuthRises)
{
    const HrirSet expected = test::MakeSmallSet();
    HrirSet set;
    std::string why;
    ASSERT_TRUE(Import(test::MakeHrirTextTables(expected), set, why)) << why;
    std::string difference;
    EXPECT_TRUE(test::SameHrirSet(set, expected, difference)) << difference;
    EXPECT_EQ(set.rowCount, 6);
    EXPECT_EQ(set.directionsPerRow, (std::vector<int32_t>{24, 12, 12, 12, 4, 1}));
}

TEST(HrirTextImport, AnyWhiteSpaceSeparatesAndAByteOrderMarkIsSkipped)
{
    test::HrirTextTables tables;
    tables.elevations = "\xEF\xBB\xBF"
                        "5 \t0\r\n0  0\n90";
    tables.azimuths = "0 120\t240\r\n\r\n  0";
    tables.lefts = Repeat("+1.5e-1 ", 4 * 128);
    tables.rights = Repeat("-.25\t", 4 * 128);
    HrirSet set;
    std::string why;
    ASSERT_TRUE(Import(tables, set, why)) << why;
    EXPECT_EQ(set.leadingValue, 5);
    EXPECT_EQ(set.directionsPerRow, (std::vector<int32_t>{3, 1}));
    EXPECT_EQ(set.directions[0][2].azimuth, 240);
    EXPECT_EQ(set.directions[1][0].elevation, 90);
    EXPECT_EQ(set.directions[1][0].left[127], 0.15);
    EXPECT_EQ(set.directions[0][0].right[0], -0.25);
}

TEST(HrirTextImport, FirstElevationOfNinetyGivesOneZenithDirection)
{
    test::HrirTextTables tables;
    tables.elevations = "0\n90\n10\n20\n"; // everything after the zenith is ignored
    tables.azimuths = "270\n";
    tables.lefts = Repeat("1\n", 128);
    tables.rights = Repeat("2\n", 128);
    HrirSet set;
    std::string why;
    ASSERT_TRUE(Import(tables, set, why)) << why;
    EXPECT_EQ(set.rowCount, 1);
    EXPECT_EQ(set.directionsPerRow, std::vector<int32_t>{1});
    EXPECT_EQ(set.directions[0][0].azimuth, 270);
    EXPECT_EQ(set.directions[0][0].tapCount, 128);
    EXPECT_EQ(set.directions[0][0].right[64], 2.0);
}

TEST(HrirTextImport, ZenithAboveNinetyEndsTheElevationsToo)
{
    test::HrirTextTables tables;
    tables.elevations = "1 0 0 95 oops";
    tables.azimuths = "0 180 0";
    tables.lefts = Repeat("1 ", 3 * 128);
    tables.rights = tables.lefts;
    HrirSet set;
    std::string why;
    ASSERT_TRUE(Import(tables, set, why)) << why;
    EXPECT_EQ(set.rowCount, 2);
    EXPECT_EQ(set.directions[1][0].elevation, 95);
}

struct Malformed
{
    const char* name;
    std::function<void(test::HrirTextTables&)> apply;
    const char* expectedWords;
};

TEST(HrirTextImport, MalformedTablesAreRefusedWithTheirReasonAndLeaveTheSetUntouched)
{
    // The base: rows 0 (0, 120, 240) and the zenith.
    test::HrirTextTables base;
    base.elevations = "5 0 0 0 90";
    base.azimuths = "0 120 240 0";
    base.lefts = Repeat("0.5 ", 4 * 128);
    base.rights = Repeat("0.25 ", 4 * 128);

    std::string manyRows = "0";
    std::string manyRowAzimuths;
    for (int e = -80; e < -80 + 21 * 5; e += 5)
    {
        manyRows += " " + std::to_string(e);
        manyRowAzimuths += " 0";
    }
    manyRows += " 90";
    std::string wideRow = "0";
    std::string wideAzimuths;
    for (int a = 0; a < 76; ++a)
    {
        wideRow += " 0";
        wideAzimuths += " " + std::to_string(a);
    }
    wideRow += " 90";

    const std::vector<Malformed> cases = {
        {"empty elevations", [](auto& t) { t.elevations = ""; }, "IR_elev.txt leading value"},
        {"no zenith", [](auto& t) { t.elevations = "5 0 0 0 10"; }, "without reaching the zenith"},
        {"21 rows", [&](auto& t) { t.elevations = manyRows; }, "more than 20 rows"},
        {"76 directions in a row", [&](auto& t) { t.elevations = wideRow; },
         "more than 75 directions"},
        {"decimal elevation", [](auto& t) { t.elevations = "5 0 0.0 0 90"; },
         "'0.0' where an integer is needed"},
        {"word in elevations", [](auto& t) { t.elevations = "5 0 zero 0 90"; }, "'zero'"},
        {"huge elevation", [](auto& t) { t.elevations = "5 0 99999999999 90"; }, "out of range"},
        {"rows not ascending",
         [](auto& t) {
             t.elevations = "5 0 0 -10 90";
             t.azimuths = "0 120 0 0";
         },
         "does not rise above the row before"},
        {"azimuths end early", [](auto& t) { t.azimuths = "0 120 240"; }, "IR_azim.txt"},
        {"azimuths fall too soon", [](auto& t) { t.azimuths = "0 120 0 0"; },
         "disagree on row 0: 3 elevations, but the azimuths fall after 2"},
        {"azimuths keep rising", [](auto& t) { t.azimuths = "0 120 240 300 0"; },
         "disagree on row 0: 3 elevations, but the azimuths keep rising"},
        {"azimuths left over", [](auto& t) { t.azimuths = "0 120 240 0 5"; },
         "IR_azim.txt holds more than the 4 azimuths"},
        {"word in azimuths", [](auto& t) { t.azimuths = "0 1x0 240 0"; }, "'1x0'"},
        {"left taps short", [](auto& t) { t.lefts = Repeat("0.5 ", 4 * 128 - 1); },
         "IR_L.txt direction 3 (row 1, column 0) tap 127: ends early"},
        {"right taps short", [](auto& t) { t.rights = Repeat("0.5 ", 100); },
         "IR_R.txt direction 0 (row 0, column 0) tap 100: ends early"},
        {"left taps over", [](auto& t) { t.lefts += "0.5"; }, "IR_L.txt holds more than"},
        {"right text after", [](auto& t) { t.rights += "end"; }, "IR_R.txt holds more than"},
        {"comma decimal", [](auto& t) { t.lefts = "0,5 " + t.lefts; }, "'0,5'"},
        {"nan tap", [](auto& t) { t.rights = "nan " + t.rights; }, "'nan'"},
        {"overflowing tap", [](auto& t) { t.lefts = "1e999 " + t.lefts; }, "out of range"},
        {"binary in taps", [](auto& t) { t.lefts = std::string("0.5\0x", 5) + t.lefts; }, "\\x00"},
    };
    for (const Malformed& c : cases)
    {
        test::HrirTextTables tables = base;
        c.apply(tables);
        HrirSet set = test::MakeSmallSet();
        std::string why;
        EXPECT_FALSE(Import(tables, set, why)) << c.name;
        EXPECT_NE(why.find(c.expectedWords), std::string::npos) << c.name << ": " << why;
        std::string difference;
        EXPECT_TRUE(test::SameHrirSet(set, test::MakeSmallSet(), difference)) << c.name;
    }
    HrirSet set;
    std::string why;
    EXPECT_TRUE(Import(base, set, why)) << why; // the base itself is sound
}

} // namespace
} // namespace yumo
