// The --path file of offline rendering: what is read, and what is refused with which words.

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tools/hrir/position_path.h"

namespace yumo
{
namespace
{

TEST(PositionPathTest, ReadsOneLinePerBlock)
{
    std::vector<PathPosition> positions;
    std::string why;
    ASSERT_TRUE(
        ParsePositionPath("# circle\n0 -40 0.3\r\n\n  90\t0 1.5e-1\n270 90.5 0", positions, why))
        << why;
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_EQ(positions[0].azimuth, 0.0);
    EXPECT_EQ(positions[0].elevation, -40.0);
    EXPECT_EQ(positions[0].distance, 0.3);
    EXPECT_EQ(positions[1].azimuth, 90.0);
    EXPECT_EQ(positions[1].distance, 0.15);
    EXPECT_EQ(positions[2].elevation, 90.5);
    EXPECT_EQ(positions[2].distance, 0.0);
}

TEST(PositionPathTest, RefusesMalformedLinesNamingThem)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "no position"},
        {"# only a comment\n\n", "no position"},
        {"0 0 0.3\n90 0\n", "line 2: the distance is missing"},
        {"0 0 0.3 7\n", "line 1: holds '7' after the distance"},
        {"0 zero 0.3\n", "line 1: the elevation holds 'zero'"},
        {"nan 0 0.3\n", "line 1: the azimuth holds 'nan'"},
        {"0 inf 0.3\n", "line 1: the elevation holds 'inf'"},
        {"0 0 1e999\n", "line 1: the distance holds '1e999', which is out of range"},
        {"\n\n0 0 -0.5\n", "line 3: the distance -0.5 is negative"},
        {"0,5 0 0.3\n", "line 1: the azimuth holds '0,5'"},
        {std::string("0 0 0.3\0", 8), "line 1: the distance holds '0.3\\x00'"},
    };
    for (const auto& [text, expected] : cases)
    {
        std::vector<PathPosition> positions(2, PathPosition{1, 2, 3});
        std::string why;
        EXPECT_FALSE(ParsePositionPath(text, positions, why)) << text;
        EXPECT_NE(why.find(expected), std::string::npos) << "'" << why << "' for " << text;
        EXPECT_EQ(positions.size(), 2u); // untouched
        EXPECT_EQ(positions[0].azimuth, 1.0);
    }
}

} // namespace
} // namespace yumo
