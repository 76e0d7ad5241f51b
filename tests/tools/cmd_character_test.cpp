#include <filesystem>
#include <gtest/gtest.h>

#include "support/picture_bytes.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

class CharacterToolTest : public ::testing::Test
{
protected:
    int Run(const std::string& arguments, std::string* out = nullptr, std::string* err = nullptr)
    {
        return test::RunCommand(std::string(YUMO_TOOL_PATH) + " " + arguments, out, err);
    }

    std::string Path(const std::string& name) const { return "'" + (dir_ / name).string() + "'"; }

    test::TempDir dir_;
};

TEST_F(CharacterToolTest, ScriptPrintsEveryAnimationAndStepAsTheProgramReadsThem)
{
    test::WriteTextFile(dir_ / "a.txt", "1 50 0 0 3 0.5 1 4 1 -1\n30 0 0 5 12 3 4 -1\n"
                                        "21 0 2 5 6 3 -1 7 -1 2 0 8 1\n");
    std::string out;
    ASSERT_EQ(Run("character script " + Path("a.txt") + " --seed 3", &out), 0);
    EXPECT_EQ(out.substr(0, out.find("animation 21")), "animation 1 duration 50\n"
                                                       "  step 0 picture 3 end 0.5\n"
                                                       "  step 1 picture 4 end 1\n");
    EXPECT_NE(out.find("animation 21 duration 0\n  step 0 picture "), std::string::npos) << out;
    EXPECT_NE(out.find(" end 0.142857149\n"), std::string::npos) << out;
    EXPECT_NE(out.find("  step 6 picture 8 end 1\nanimation 30 duration 0\n"
                       "  step 5 picture 12 end 0.75\n"),
              std::string::npos)
        << out;
    std::string again;
    ASSERT_EQ(Run("character script " + Path("a.txt") + " --seed 3", &again), 0);
    EXPECT_EQ(again, out); // the same seed draws the same choices

    test::WriteTextFile(dir_ / "bad.txt", "2 9 0 0 1 1 -1 3 x");
    std::string err;
    EXPECT_EQ(Run("character script " + Path("bad.txt"), &out, &err), 1);
    EXPECT_EQ(out, "animation 2 duration 9\n  step 0 picture 1 end 1\n");
    EXPECT_NE(err.find("refused: "), std::string::npos) << err;
}

TEST_F(CharacterToolTest, BuildStoresThePicturesBeforeAMissingOneAndInfoShowsTheLayout)
{
    std::filesystem::create_directories(dir_ / "pics");
    test::WriteBytesFile(dir_ / "pics" / "a.png", test::MakePngHeaderBytes(30, 20, 1000));
    test::WriteBytesFile(dir_ / "pics" / "b.png", test::MakePngHeaderBytes(30, 20, 100));
    test::WriteBytesFile(dir_ / "pics" / "ma.png", test::MakePngHeaderBytes(30, 20, 500));
    test::WriteTextFile(dir_ / "Image.txt", "pics/a.png\npics/b.png\npics/c.png\n");
    test::WriteTextFile(dir_ / "Mask.txt", "pics/ma.png\npics/ma.png\npics/ma.png\n");
    test::WriteTextFile(dir_ / "Anime.txt", "20 0 0 0 1 1 -1");
    std::string out;
    std::string err;
    ASSERT_EQ(Run("character build " + Path("Image.txt") + " " + Path("Mask.txt") + " " +
                      Path("out.ymi") + " --script " + Path("Anime.txt") + " --base " + Path(""),
                  &out, &err),
              0)
        << err;
    EXPECT_NE(err.find("pics/c.png"), std::string::npos) << err; // where the list ended
    ASSERT_EQ(Run("character info " + Path("out.ymi"), &out), 0);
    EXPECT_EQ(out, "pictures 2\n"
                   "picture 0 offset 131592 bytes 1000\n"
                   "picture 1 offset 132596 bytes 100\n"
                   "mask 0 offset 132700 bytes 500\n"
                   "mask 1 offset 133204 bytes 500\n"
                   "animation 20 duration 0\n"
                   "  step 0 picture 1 end 1\n");
    EXPECT_EQ(Run("check ymi " + Path("out.ymi"), &out), 0);
    EXPECT_EQ(out, "accepted\n");
}

TEST_F(CharacterToolTest, BuildWithoutPicturesKeepsTheOutputAndInfoRefusesDamage)
{
    test::WriteBytesFile(dir_ / "a.png", test::MakePngHeaderBytes(30, 20));
    test::WriteTextFile(dir_ / "Image.txt", "a.png\n");
    test::WriteTextFile(dir_ / "Moved.txt", "gone.png\n");
    const std::string build = "character build " + Path("Image.txt") + " " + Path("Image.txt") +
                              " " + Path("out.ymi") + " --base " + Path("");
    ASSERT_EQ(Run(build), 0);
    const std::vector<uint8_t> good = test::ReadBytesFile(dir_ / "out.ymi");
    std::string err;
    EXPECT_EQ(Run("character build " + Path("Moved.txt") + " " + Path("Moved.txt") + " " +
                      Path("out.ymi") + " --base " + Path(""),
                  nullptr, &err),
              1);
    EXPECT_NE(err.find("refused: no picture was stored"), std::string::npos) << err;
    EXPECT_EQ(test::ReadBytesFile(dir_ / "out.ymi"), good);

    std::vector<uint8_t> cut = good;
    cut.resize(cut.size() - 1);
    test::WriteBytesFile(dir_ / "cut.ymi", cut);
    EXPECT_EQ(Run("character info " + Path("cut.ymi"), nullptr, &err), 1);
    EXPECT_NE(err.find("refused: mask 0 claims 33 bytes, but 32 follow"), std::string::npos) << err;
    EXPECT_EQ(Run("character build " + Path("Image.txt"), nullptr, &err), 2); // usage
}

} // namespace
} // namespace yumo
