// yumo-tool's response-set and filter commands, run as a user runs them.

#include <filesystem>
#include <gtest/gtest.h>

#include "audio/filter_set.h"
#include "audio/hrir_set.h"
#include "common/byte_io.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

std::string Tool() { return YUMO_TOOL_PATH; }

std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
    {
        out += text;
    }
    return out;
}

// A damaged SOFA file is refused, never a crash: cut files by their superblock before libmysofa
// sees them, files that crash or hang the library by its child process's end; each refusal says
// its kind on a line of its own for the window. A libmysofa that has mended the fault (Debian
// 13's) refuses those files with an error of its own instead, still as damaged.
TEST(HrirCommands, FromSofaRefusesDamagedFilesWithTheirReason)
{
    struct Case
    {
        std::string file;
        std::string options;
        const char* reason;
        const char* words;
        const char* mendedLibraryWords = nullptr;
    };
    const std::string data = YUMO_TEST_DATA_DIR;
    const Case cases[] = {
        {data + "/bad/sofa/cut_to_a_tenth.sofa", "", "cut",
         "should be 43533 bytes long but has 4353"},
        {data + "/bad/sofa/half_with_its_length_mended.sofa", "", "damaged", "crashed libmysofa",
         "half_with_its_length_mended.sofa as SOFA: "},
        {data + "/sofa/damaged/bit_flipped_hangs_libmysofa.sofa", " --time-limit 1", "damaged",
         "did not finish reading it within 1 s", "bit_flipped_hangs_libmysofa.sofa as SOFA: "},
        {data + "/bad/sofa/text.sofa", "", "not-sofa", "not an HDF5 file"},
        {data + "/sofa/delays_beyond_reach.sofa", "", "unsuitable", "the delays span"},
    };
    test::TempDir dir;
    for (const Case& c : cases)
    {
        std::string err;
        EXPECT_EQ(test::RunCommand(Tool() + " hrir from-sofa " + c.file + " " +
                                       (dir / "out.bir").string() + c.options,
                                   nullptr, &err),
                  1)
            << c.file;
        EXPECT_NE(err.find(std::string("reason: ") + c.reason + "\n"), std::string::npos) << err;
        EXPECT_TRUE(err.find(c.words) != std::string::npos ||
                    (c.mendedLibraryWords && err.find(c.mendedLibraryWords) != std::string::npos))
            << err;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.bir")) << c.file;
    }
}

TEST(HrirCommands, FromSofaOnTheMeasuredHeadListsFourteenRows)
{
    test::TempDir dir;
    const std::string bir = (dir / "head01.bir").string();
    std::string out;
    std::string err;
    ASSERT_EQ(test::RunCommand(Tool() +
                                   " hrir from-sofa "
                                   "/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa " +
                                   bir,
                               &out, &err),
              0)
        << err;
    EXPECT_NE(out.find("wrote " + bir + ": 14 rows, 710 directions"), std::string::npos) << out;
    EXPECT_NE(out.find("diffuse-field equalised"), std::string::npos) << out;

    ASSERT_EQ(test::RunCommand(Tool() + " hrir info " + bir, &out), 0);
    EXPECT_NE(out.find("rows: 14\n"), std::string::npos) << out;
    EXPECT_NE(out.find("row  0: elevation -40, 56 directions"), std::string::npos) << out;
    EXPECT_NE(out.find("row  4: elevation   0, 72 directions, azimuths 0-355 step 5"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("row 13: elevation  90,  1 directions, azimuths 0\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("taps: 128 per ear"), std::string::npos);
    EXPECT_NE(out.find("largest sum of |taps|"), std::string::npos);
    EXPECT_NE(out.find("speech-like signal at 0 dBFS peaks at 0.7079 (-3.00 dBFS)"),
              std::string::npos)
        << out;

    EXPECT_EQ(test::RunCommand(Tool() + " check hrir " + bir, &out), 0);
    EXPECT_EQ(out, "accepted\n");
}

TEST(HrirCommands, ImportTextWritesTheSetAndCheckRefusesADamagedCopy)
{
    test::TempDir dir;
    test::WriteTextFile(dir / "IR_elev.txt", "3\n-10\n-10\n90\n");
    test::WriteTextFile(dir / "IR_azim.txt", "0\n180\n0\n");
    test::WriteTextFile(dir / "IR_L.txt", Repeat("0.5\n", 3 * 128));
    test::WriteTextFile(dir / "IR_R.txt", Repeat("-0.25\n", 3 * 128));
    const std::string bir = (dir / "out.bir").string();
    std::string out;
    ASSERT_EQ(
        test::RunCommand(Tool() + " hrir import-text " + dir.path().string() + " " + bir, &out), 0);
    EXPECT_EQ(out, "wrote " + bir + ": 2 rows, 3 directions\n");
    std::vector<uint8_t> bytes = test::ReadBytesFile(bir);
    ASSERT_EQ(bytes.size(), 8u + 4 * 2 + 12 * 3 + 2048 * 3);
    EXPECT_EQ(LoadI32(&bytes[0]), 3);

    bytes.resize(bytes.size() - 8);
    test::WriteBytesFile(dir / "cut.bir", bytes);
    std::string err;
    EXPECT_EQ(test::RunCommand(Tool() + " check hrir " + (dir / "cut.bir").string(), &out, &err),
              1);
    EXPECT_EQ(err, "refused: file ends inside the responses: needs 6144 more bytes, has 6136\n");

    std::filesystem::remove(dir / "IR_R.txt");
    EXPECT_EQ(test::RunCommand(Tool() + " hrir import-text " + dir.path().string() + " " + bir,
                               nullptr, &err),
              1);
    EXPECT_NE(err.find("IR_R.txt cannot be opened"), std::string::npos);
    EXPECT_EQ(test::RunCommand(Tool() + " hrir info", nullptr, &err), 2);
}

TEST(FilterCommands, ImportTextInfoAndCheck)
{
    test::TempDir dir;
    test::WriteTextFile(dir / "cutoff.txt", "250 4000\n");
    test::WriteTextFile(dir / "lp128.txt", Repeat("1.0\n", 256));
    test::WriteTextFile(dir / "hp128.txt", Repeat("-0.5\n", 256));
    const std::string bir = (dir / "filter.bir").string();
    std::string out;
    ASSERT_EQ(
        test::RunCommand(Tool() + " filter import-text " + dir.path().string() + " " + bir, &out),
        0);
    EXPECT_EQ(out, "wrote " + bir + ": 2 entries of 128 taps\n");
    ASSERT_EQ(test::RunCommand(Tool() + " filter info " + bir, &out), 0);
    EXPECT_EQ(out, "entries: 2\n"
                   "taps: 128\n"
                   "cutoffs: 250 4000\n"
                   "largest |low-pass coefficient|: 32767.000 (1.00000 x 32767)\n"
                   "largest |high-pass coefficient|: 16383.500 (0.50000 x 32767)\n");
    EXPECT_EQ(test::RunCommand(Tool() + " check filter " + bir, &out), 0);
    EXPECT_EQ(out, "accepted\n");
    std::string err;
    EXPECT_EQ(
        test::RunCommand(Tool() + " check filter " + (dir / "none.bir").string(), nullptr, &err),
        1);
    EXPECT_EQ(err, "refused: cannot read " + (dir / "none.bir").string() + "\n");
}

} // namespace
} // namespace yumo
