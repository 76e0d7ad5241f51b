#include <gtest/gtest.h>
#include <memory>

#include "common/byte_io.h"
#include "common/results.h"
#include "display/character_data_file.h"
#include "display/character_pictures.h"
#include "display/picture_format.h"
#include "display/picture_list.h"
#include "support/picture_bytes.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

class CharacterDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir_ / "img");
        std::filesystem::create_directories(dir_ / "ymv");
        state_ = CreateAppState(reporter_);
        state_->character.duration[21] = 33;
        state_->character.stepPicture[21][2] = 1;
        state_->character.stepEnd[21][2] = 0.75f;
    }

    void WritePicture(const std::string& name, size_t bytes, uint32_t width = 40)
    {
        test::WriteBytesFile(dir_ / "img" / name, test::MakePngHeaderBytes(width, 30, bytes));
    }

    std::filesystem::path Ymi() const { return dir_ / "ymv" / "Yumone.ymi"; }

    test::TempDir dir_;
    CapturingReporter reporter_;
    std::unique_ptr<AppState> state_;
};

TEST_F(CharacterDataTest, OnePictureOfAThousandBytesMakesA133100ByteFile)
{
    WritePicture("a.png", 1000);
    WritePicture("m.png", 500);
    test::WriteTextFile(dir_ / "img" / "Image.txt", "img/a.png\n");
    test::WriteTextFile(dir_ / "img" / "Mask.txt", "img/m.png\n");
    ASSERT_EQ(LoadCharacterPictures(*state_, dir_.path()), kOk);
    const std::vector<uint8_t> bytes = test::ReadBytesFile(Ymi());
    ASSERT_EQ(bytes.size(), 133100u);
    EXPECT_EQ(LoadI32(bytes.data()), 101);
    EXPECT_EQ(LoadI32(bytes.data() + 4), 1);
    EXPECT_EQ(LoadI32(bytes.data() + 8 + 21 * 1028), 33);
    EXPECT_EQ(LoadI32(bytes.data() + 8 + 21 * 1028 + 4 + 2 * 8), 1);

    auto table = std::make_unique<CharacterAnimation>();
    auto pictures = std::make_unique<CharacterPictures>();
    CharacterDataLayout layout;
    std::string why;
    ASSERT_TRUE(ParseCharacterData(bytes, *table, *pictures, why, &layout)) << why;
    EXPECT_EQ(layout.pictures[0].offset, 131592u);
    EXPECT_EQ(layout.masks[0].offset, 132596u);
    EXPECT_EQ(layout.masks[0].bytes, 500);
    EXPECT_EQ(table->stepEnd[21][2], 0.75f);
    EXPECT_EQ(pictures->pictureFiles[0], test::ReadBytesFile(dir_ / "img" / "a.png"));
    EXPECT_EQ(EncodeCharacterData(*table, *pictures), bytes);
}

TEST_F(CharacterDataTest, BuildEndsAtTheFirstMissingPictureAndKeepsItsMasks)
{
    WritePicture("a.png", 40);
    WritePicture("b.png", 50);
    WritePicture("ma.png", 60);
    // CR LF lines, a mask that is not a picture, and a last line without a line end.
    test::WriteTextFile(dir_ / "img" / "Image.txt", "img/a.png\r\nimg/b.png\r\nimg/gone.png");
    test::WriteTextFile(dir_ / "img" / "Mask.txt", "img/ma.png\r\nimg/Image.txt\r\nimg/ma.png");
    ASSERT_EQ(LoadCharacterPictures(*state_, dir_.path()), kOk);
    const CharacterPictures& pictures = state_->characterPictures;
    EXPECT_EQ(pictures.count, 2);
    EXPECT_EQ(pictures.pictureFiles[1].size(), 50u);
    EXPECT_EQ(pictures.maskFiles[0].size(), 60u);
    EXPECT_TRUE(pictures.maskFiles[1].empty());
    EXPECT_TRUE(pictures.pictureFiles[2].empty());
    EXPECT_EQ(test::ReadBytesFile(Ymi()).size(), 131592u + 44 + 54 + 64 + 4);
}

TEST_F(CharacterDataTest, ABuildThatStoresNothingLoadsTheExistingFileUntouched)
{
    WritePicture("a.png", 40);
    test::WriteTextFile(dir_ / "img" / "Image.txt", "img/a.png\n");
    ASSERT_EQ(LoadCharacterPictures(*state_, dir_.path()), kOk);
    const std::vector<uint8_t> good = test::ReadBytesFile(Ymi());

    // The pictures moved away: nothing is stored, and the good file is neither cut nor lost.
    std::filesystem::remove(dir_ / "img" / "a.png");
    auto later = CreateAppState(reporter_);
    ASSERT_EQ(LoadCharacterPictures(*later, dir_.path()), kOk);
    EXPECT_EQ(test::ReadBytesFile(Ymi()), good);
    EXPECT_EQ(later->characterPictures.count, 1);
    EXPECT_EQ(later->character.duration[21], 33); // the file's table replaces the script's
    EXPECT_TRUE(reporter_.messages.empty());
}

TEST_F(CharacterDataTest, PicturesBuiltInMemoryAreUsedWhenTheFileCannotBeWritten)
{
    std::filesystem::remove_all(dir_ / "ymv"); // no folder to write into
    WritePicture("a.png", 40);
    test::WriteTextFile(dir_ / "img" / "Image.txt", "img/a.png\n");
    ASSERT_EQ(LoadCharacterPictures(*state_, dir_.path()), kOk);
    EXPECT_EQ(state_->characterPictures.count, 1);
    EXPECT_FALSE(std::filesystem::exists(Ymi()));
}

TEST_F(CharacterDataTest, ARebuiltFileGoesToTheFolderGivenForItAndTheDataFolderStaysAsItWas)
{
    std::filesystem::remove_all(dir_ / "ymv");
    WritePicture("a.png", 40);
    test::WriteTextFile(dir_ / "img" / "Image.txt", "img/a.png\n");
    test::TempDir user;
    ASSERT_EQ(LoadCharacterPictures(*state_, dir_.path(), user / "yumo"), kOk);
    EXPECT_EQ(state_->characterPictures.count, 1);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "ymv"));
    EXPECT_TRUE(std::filesystem::is_regular_file(user / "yumo" / "ymv" / "Yumone.ymi"));
}

TEST_F(CharacterDataTest, DamagedFileIsReportedAndChangesNothing)
{
    WritePicture("a.png", 40);
    test::WriteTextFile(dir_ / "img" / "Image.txt", "img/a.png\n");
    ASSERT_EQ(LoadCharacterPictures(*state_, dir_.path()), kOk);
    std::vector<uint8_t> bytes = test::ReadBytesFile(Ymi());
    std::filesystem::remove(dir_ / "img" / "Image.txt");

    auto later = CreateAppState(reporter_);
    const auto expectRefused = [&](const std::vector<uint8_t>& damaged, const std::string& why) {
        test::WriteBytesFile(Ymi(), damaged);
        EXPECT_EQ(LoadCharacterPictures(*later, dir_.path()), kFileDamaged) << why;
        ASSERT_FALSE(reporter_.messages.empty());
        EXPECT_NE(reporter_.messages.back().text.find(why), std::string::npos)
            << reporter_.messages.back().text;
        EXPECT_EQ(later->characterPictures.count, 0);
        EXPECT_EQ(later->character.duration[21], 0);
    };
    std::vector<uint8_t> damaged = bytes;
    damaged.pop_back();
    expectRefused(damaged, "the file ends before the length of mask 0");
    damaged = bytes;
    damaged.push_back(0);
    expectRefused(damaged, "1 bytes follow the last mask");
    damaged = bytes;
    damaged[4] = 0; // N = 0 leaves the entries as trailing bytes; N = 256 is refused
    damaged[5] = 1;
    expectRefused(damaged, "picture count 256");
    damaged = bytes;
    damaged[8 + 4] = 255; // animation 0, step 0, picture 255
    expectRefused(damaged, "animation 0 step 0 shows picture 255");
    damaged = bytes;
    damaged[131592 + 4] = 'X'; // the picture is no longer a PNG
    expectRefused(damaged, "picture 0 is not a PNG, JPEG, BMP or GIF picture");
}

TEST(PictureList, LinesEndAtLineFeedOrCarriageReturnLineFeedOnly)
{
    EXPECT_EQ(ParsePictureList("a.png\nb.png\r\nc.png").paths,
              (std::vector<std::string>{"a.png", "b.png", "c.png"}));
    EXPECT_EQ(ParsePictureList("x\ry.png\n").paths, (std::vector<std::string>{"x\ry.png"}));
    const std::string longest(254, 'p');
    PictureList list = ParsePictureList(longest + "\n" + longest + "p\nafter.png\n");
    EXPECT_EQ(list.paths, (std::vector<std::string>{longest}));
    EXPECT_EQ(list.cutShort, "line 2 is longer than 255 characters");
    list = ParsePictureList(std::string("a.png\nb\0.png\nc.png", 19));
    EXPECT_EQ(list.paths.size(), 1u);
    EXPECT_EQ(list.cutShort, "line 2 holds a NUL byte");
}

TEST(PictureFormat, RecognisesTheFourFormatsAndTheirSizes)
{
    const auto recognise = [](const std::vector<uint8_t>& bytes) {
        PictureInfo info;
        std::string why;
        return RecognisePicture(bytes, info, why)
                   ? std::to_string(info.width) + "x" + std::to_string(info.height)
                   : why;
    };
    EXPECT_EQ(recognise(test::MakePngHeaderBytes(640, 300)), "640x300");
    // JPEG: an APP0 segment, then a baseline frame header of 120 x 80.
    EXPECT_EQ(recognise({0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC0, 0, 11, 8, 0, 80, 0, 120}),
              "120x80");
    std::vector<uint8_t> bmp(54, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    bmp[14] = 40;
    bmp[18] = 33;
    for (int i = 22; i < 26; ++i)
    {
        bmp[static_cast<size_t>(i)] = 0xFF; // height -1: stored top down
    }
    EXPECT_EQ(recognise(bmp), "33x1");
    EXPECT_EQ(recognise({'G', 'I', 'F', '8', '9', 'a', 7, 1, 5, 0}), "263x5");
    EXPECT_EQ(recognise({'G', 'I', 'F', '8', '9', 'a', 0, 0, 5, 0}),
              "a GIF picture of 0 x 5 pixels (1-16384 each way)");
    EXPECT_EQ(recognise({0xFF, 0xD8, 0xFF, 0xDA, 0, 2}),
              "a JPEG picture whose header is cut short or damaged");
    EXPECT_EQ(recognise({'<', 's', 'v', 'g'}), "not a PNG, JPEG, BMP or GIF picture");
}

} // namespace
} // namespace yumo
