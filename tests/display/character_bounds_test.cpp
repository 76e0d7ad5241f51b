// What the companion's pictures may cost once the window decodes them, and where they may come
// from: checked from the headers and the paths before anything is decoded.

#include <gtest/gtest.h>
#include <memory>

#include "common/results.h"
#include "display/character_data_file.h"
#include "display/character_pictures.h"
#include "display/picture_format.h"
#include "support/picture_bytes.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

std::string Recognise(const std::vector<uint8_t>& bytes)
{
    PictureInfo info;
    std::string why;
    return RecognisePicture(bytes, info, why) ? std::to_string(DecodedPictureBytes(info)) : why;
}

TEST(CharacterBounds, APictureIsBoundedByWhatItDecodesToWhateverItsFileSize)
{
    // 4096 x 4096 in 32 bits a pixel is the most one picture may take: 64 MB.
    EXPECT_EQ(Recognise(test::MakePngHeaderBytes(4096, 4096, 33, 1, 0)), "67108864");
    // A 1-bit picture of 5700 x 5700 fits a small file but takes 130 MB decoded.
    EXPECT_EQ(Recognise(test::MakePngHeaderBytes(5700, 5700, 33, 1, 0)),
              "a PNG picture of 5700 x 5700 pixels, 123 MB decoded (at most 64 MB)");
    // Sixteen bits a channel are decoded as such first: 8 bytes a pixel for RGBA (MB: 2^20).
    EXPECT_EQ(Recognise(test::MakePngHeaderBytes(2048, 2048, 33, 16, 6)), "33554432");
    EXPECT_EQ(Recognise(test::MakePngHeaderBytes(3000, 3000, 33, 8, 6)), "36000000");
    EXPECT_NE(Recognise(test::MakePngHeaderBytes(3000, 3000, 33, 16, 6)).find("68 MB decoded"),
              std::string::npos);
}

class CharacterBuildBounds : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir_ / "data" / "img");
        std::filesystem::create_directories(dir_ / "data" / "ymv");
        // 3000 x 3000: 36 MB decoded, 72 MB with the mask made from it.
        test::WriteBytesFile(Data() / "img" / "big.png", test::MakePngHeaderBytes(3000, 3000));
        test::WriteBytesFile(Data() / "img" / "small.png", test::MakePngHeaderBytes(40, 30));
        test::WriteBytesFile(dir_ / "outside.png", test::MakePngHeaderBytes(40, 30));
    }

    std::filesystem::path Data() const { return dir_ / "data"; }

    test::TempDir dir_;
};

TEST_F(CharacterBuildBounds, TheListEndsBeforeThePicturesWouldTakeTooMuchAndTheFileReadsBack)
{
    std::string lines;
    for (int i = 0; i < 255; ++i)
    {
        lines += "img/big.png\n";
    }
    auto pictures = std::make_unique<CharacterPictures>();
    const std::string_view masks = lines;
    const PictureBuild build = BuildCharacterPictures(lines, &masks, Data(), *pictures);
    // Three of them with their masks take 216 MB; a fourth would pass 256 MB.
    EXPECT_EQ(build.count, 3);
    EXPECT_TRUE(build.refused);
    EXPECT_NE(build.listEnd.find("past 256 MB decoded (line 4)"), std::string::npos)
        << build.listEnd;

    auto table = std::make_unique<CharacterAnimation>();
    auto read = std::make_unique<CharacterPictures>();
    std::string why;
    EXPECT_TRUE(ParseCharacterData(EncodeCharacterData(*table, *pictures), *table, *read, why))
        << why;

    // A file that holds a fourth one (written by an older build, say) is refused whole.
    pictures->pictureFiles[3] = pictures->pictureFiles[0];
    pictures->count = 4;
    EXPECT_FALSE(ParseCharacterData(EncodeCharacterData(*table, *pictures), *table, *read, why));
    EXPECT_EQ(why, "the pictures and masks take 274 MB decoded, more than 256 MB");
}

TEST_F(CharacterBuildBounds, PathsLeadingOutOfTheDataFolderAreRefusedAndTold)
{
    const std::string outside = (dir_ / "outside.png").string();
    for (const std::string& line :
         {std::string("../outside.png"), outside, std::string("img/../../outside.png")})
    {
        SCOPED_TRACE(line);
        auto pictures = std::make_unique<CharacterPictures>();
        const std::string list = "img/small.png\n" + line + "\nimg/small.png\n";
        const std::string maskList = line + "\n";
        const std::string_view masks = maskList;
        const PictureBuild build = BuildCharacterPictures(list, &masks, Data(), *pictures);
        EXPECT_EQ(build.count, 1);
        EXPECT_TRUE(build.refused);
        EXPECT_EQ(build.listEnd, "'" + line + "' lies outside the data folder (line 2)");
        EXPECT_TRUE(pictures->maskFiles[0].empty());
        EXPECT_EQ(build.maskProblem, "'" + line + "' lies outside the data folder (mask line 1)");
    }
    // Through a symbolic link as well; ".." that stays inside is fine.
    std::filesystem::create_symlink(dir_ / "outside.png", Data() / "img" / "link.png");
    auto pictures = std::make_unique<CharacterPictures>();
    EXPECT_EQ(
        BuildCharacterPictures("img/../img/small.png\nimg/link.png\n", nullptr, Data(), *pictures)
            .count,
        1);

    // The window's start-up tells of it in its own words, the line's control characters
    // escaped, and uses the rest.
    test::WriteTextFile(Data() / "img" / "Image.txt", "img/small.png\n../out\x1b[2Jside.png\n");
    CapturingReporter reporter;
    auto state = CreateAppState(reporter);
    EXPECT_EQ(LoadCharacterPictures(*state, Data()), kOk);
    EXPECT_EQ(state->characterPictures.count, 1);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              "img/Image.txt と img/Mask.txt の画像の一部を使いません。\n（img/Image.txt の 2 "
              "行目「../out\\x1B[2Jside.png」はデータフォルダの外にあります。）");
}

} // namespace
} // namespace yumo
