// yumo-tool hrir render: the output is the renderer's, block by block along the path, and bad
// input is refused without leaving an output file.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "audio/hrir_set.h"
#include "audio/renderer.h"
#include "common/constants.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

std::string Tool() { return YUMO_TOOL_PATH; }

// Rows at -40 and 0 degrees with four directions each, and the zenith; random decaying taps.
HrirSet MakeSmallSet()
{
    std::mt19937 random(42);
    std::normal_distribution<double> noise(0.0, 20000.0);
    HrirSet set;
    set.rowCount = 3;
    set.directionsPerRow = {4, 4, 1};
    for (int row = 0; row < 3; ++row)
    {
        for (int column = 0; column < set.directionsPerRow[row]; ++column)
        {
            HrirDirection& d = set.directions[row][column];
            d.azimuth = 90 * column;
            d.elevation = row == 2 ? 90 : -40 + 40 * row;
            d.tapCount = kHrirTapCount;
            for (auto* taps : {&d.left, &d.right})
            {
                for (int t = 0; t < kHrirTapCount; ++t)
                {
                    taps->push_back(noise(random) * std::exp(-t / 20.0));
                }
            }
        }
    }
    return set;
}

std::vector<int16_t> MakeClip(size_t count)
{
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 6000.0);
    std::vector<int16_t> clip(count);
    for (int16_t& s : clip)
    {
        s = static_cast<int16_t>(std::max(-32768.0, std::min(32767.0, std::round(noise(random)))));
    }
    return clip;
}

struct Position
{
    double azimuth, elevation, distance;
};

// What the tool must write: blocks of the zero-padded clip along the positions.
std::vector<int16_t> RenderExpected(const HrirSet& set, std::vector<int16_t> clip,
                                    const std::vector<Position>& positions, double reference)
{
    clip.resize((clip.size() + 1023) / 1024 * 1024, 0); // the WAV import pads to 2048 bytes
    std::vector<int16_t> overlapLeft(512, 0), overlapRight(512, 0), block(1024), out;
    for (size_t start = 0, call = 0; start < clip.size(); start += 512, ++call)
    {
        const Position& p = positions[std::min(call, positions.size() - 1)];
        RenderBinauralBlock(set, clip.data(), clip.size(), static_cast<int64_t>(start), p.azimuth,
                            p.elevation, p.distance, reference, overlapLeft.data(),
                            overlapRight.data(), block.data());
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

std::vector<int16_t> ReadStereoWav(const std::filesystem::path& path)
{
    std::vector<uint8_t> bytes = test::ReadBytesFile(path);
    EXPECT_GE(bytes.size(), 44u);
    if (bytes.size() < 44)
    {
        return {};
    }
    uint16_t channels = static_cast<uint16_t>(bytes[22] | bytes[23] << 8);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(std::memcmp(bytes.data() + 36, "data", 4), 0);
    std::vector<int16_t> samples((bytes.size() - 44) / 2);
    std::memcpy(samples.data(), bytes.data() + 44, samples.size() * 2);
    return samples;
}

class HrirRenderCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::WriteBytesFile(dir / "set.bir", SerializeHrirSet(set));
        test::WriteBytesFile(dir / "in.wav", test::MakeWavBytes(clip));
    }
    std::string Run(const std::string& arguments, int expectedStatus)
    {
        std::string out, err;
        int status = test::RunCommand(Tool() + " hrir render " + arguments, &out, &err);
        EXPECT_EQ(status, expectedStatus) << arguments << "\n" << out << err;
        return err;
    }
    std::string Path(const std::string& name) { return (dir / name).string(); }

    test::TempDir dir;
    HrirSet set = MakeSmallSet();
    std::vector<int16_t> clip = MakeClip(5000); // pads to 5120 samples: 10 blocks
};

TEST_F(HrirRenderCommand, RendersAtTheDefaultPosition)
{
    Run(Path("set.bir") + " " + Path("in.wav") + " " + Path("out.wav"), 0);
    std::vector<int16_t> out = ReadStereoWav(dir / "out.wav");
    EXPECT_EQ(out.size(), 10u * 1024);
    EXPECT_EQ(out, RenderExpected(set, clip, {{90, -40, 0.3}}, 0.3));
}

TEST_F(HrirRenderCommand, FollowsAPositionAndReference)
{
    Run(Path("set.bir") + " " + Path("in.wav") + " " + Path("out.wav") +
            " --azimuth 270 --elevation 0 --distance 0.9 --reference 0.6",
        0);
    EXPECT_EQ(ReadStereoWav(dir / "out.wav"), RenderExpected(set, clip, {{270, 0, 0.9}}, 0.6));
}

TEST_F(HrirRenderCommand, FollowsAPathWhoseLastLineHoldsOn)
{
    test::WriteTextFile(dir / "path.txt", "0 -40 0.3\n90 -40 0.3\n180 0 0.5\n# end\n300 90 0.2\n");
    Run(Path("set.bir") + " " + Path("in.wav") + " " + Path("out.wav") + " --path " +
            Path("path.txt"),
        0);
    std::vector<Position> path = {{0, -40, 0.3}, {90, -40, 0.3}, {180, 0, 0.5}, {300, 90, 0.2}};
    std::vector<int16_t> expected = RenderExpected(set, clip, path, 0.3);
    EXPECT_EQ(ReadStereoWav(dir / "out.wav"), expected);
    // The path really changes the output.
    EXPECT_NE(expected, RenderExpected(set, clip, {{90, -40, 0.3}}, 0.3));
}

TEST_F(HrirRenderCommand, RefusesBadInputWithoutWritingOutput)
{
    test::WriteBytesFile(dir / "stereo.wav", test::MakeWavBytes(std::vector<int16_t>(2048), 2));
    test::WriteBytesFile(dir / "empty.wav", test::MakeWavBytes({}));
    test::WriteBytesFile(dir / "short.bir", {1, 0, 0, 0, 2, 0, 0, 0, 1});
    test::WriteTextFile(dir / "bad_path.txt", "0 0 0.3\n90 0\n");
    const std::string bir = Path("set.bir");
    const std::string in = Path("in.wav");
    const std::string out = " " + Path("out.wav");
    EXPECT_NE(Run(bir + " " + Path("stereo.wav") + out, 1).find("refused: "), std::string::npos);
    EXPECT_NE(Run(bir + " " + Path("stereo.wav") + out, 1).find("2 channels"), std::string::npos);
    EXPECT_NE(Run(bir + " " + Path("empty.wav") + out, 1).find("refused: "), std::string::npos);
    EXPECT_NE(Run(Path("short.bir") + " " + in + out, 1).find("short.bir"), std::string::npos);
    EXPECT_NE(Run(Path("none.bir") + " " + in + out, 1).find("cannot read"), std::string::npos);
    EXPECT_NE(Run(bir + " " + in + out + " --path " + Path("bad_path.txt"), 1).find("line 2"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
}

TEST_F(HrirRenderCommand, RejectsBadArgumentsAsUsageErrors)
{
    const std::string files = Path("set.bir") + " " + Path("in.wav") + " " + Path("out.wav");
    Run(Path("set.bir") + " " + Path("in.wav"), 2);
    Run(files + " --azimuth", 2);
    Run(files + " --azimuth north", 2);
    Run(files + " --elevation nan", 2);
    Run(files + " --distance -1", 2);
    Run(files + " --reference -0.3", 2);
    Run(files + " --speed 3", 2);
    test::WriteTextFile(dir / "path.txt", "0 0 0.3\n");
    Run(files + " --path " + Path("path.txt") + " --azimuth 10", 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
}

TEST(CheckPositionPathCommand, AcceptsAndRefuses)
{
    test::TempDir dir;
    test::WriteTextFile(dir / "good.txt", "0 0 0.3\n");
    test::WriteTextFile(dir / "bad.txt", "0 0 -0.3\n");
    std::string out, err;
    EXPECT_EQ(
        test::RunCommand(Tool() + " check position-path " + (dir / "good.txt").string(), &out), 0);
    EXPECT_EQ(out, "accepted\n");
    EXPECT_EQ(test::RunCommand(Tool() + " check position-path " + (dir / "bad.txt").string(),
                               nullptr, &err),
              1);
    EXPECT_NE(err.find("refused: "), std::string::npos);
    EXPECT_NE(err.find("negative"), std::string::npos);
}

} // namespace
} // namespace yumo
