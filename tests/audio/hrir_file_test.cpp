// The response-set file and start-up loading: round trips, the fall-back between text tables
// and file, and refusal of damaged files.

#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <sstream>

#include "audio/hrir_set.h"
#include "audio/hrir_test_sets.h"
#include "common/byte_io.h"
#include "common/results.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

using test::TempDir;

const char* const kCaption = "Yumoオープンエラー";
const char* const kOpenText =
    ".birファイルを開けません。hrtfフォルダ内に.birファイルが存在するか確認してください。";

void PutI32(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    std::vector<uint8_t> image;
    AppendI32(image, value);
    std::memcpy(bytes.data() + offset, image.data(), 4);
}

void PutF64(std::vector<uint8_t>& bytes, size_t offset, double value)
{
    std::vector<uint8_t> image;
    AppendF64(image, value);
    std::memcpy(bytes.data() + offset, image.data(), 8);
}

TEST(HrirSetFile, LayoutFollowsTheSectionsInOrder)
{
    const HrirSet set = test::MakeGridSet({{-10, {0, 90}}, {90, {45}}}, -3);
    const std::vector<uint8_t> bytes = SerializeHrirSet(set);
    const size_t rows = 2;
    const size_t n = 3;
    ASSERT_EQ(bytes.size(), 8 + 4 * rows + 12 * n + 2048 * n);
    EXPECT_EQ(LoadI32(&bytes[0]), -3);
    EXPECT_EQ(LoadI32(&bytes[4]), 2);
    EXPECT_EQ(LoadI32(&bytes[8]), 2);  // c[0]
    EXPECT_EQ(LoadI32(&bytes[12]), 1); // c[1]
    EXPECT_EQ(LoadI32(&bytes[16]), 0); // azimuths
    EXPECT_EQ(LoadI32(&bytes[20]), 90);
    EXPECT_EQ(LoadI32(&bytes[24]), 45);
    EXPECT_EQ(LoadI32(&bytes[28]), -10); // (elevation, tap count) pairs
    EXPECT_EQ(LoadI32(&bytes[32]), 128);
    EXPECT_EQ(LoadI32(&bytes[36]), -10);
    EXPECT_EQ(LoadI32(&bytes[40]), 128);
    EXPECT_EQ(LoadI32(&bytes[44]), 90);
    EXPECT_EQ(LoadI32(&bytes[48]), 128);
    ByteReader reader = MakeByteReader(bytes);
    reader.pos = 8 + 4 * rows + 12 * n;
    EXPECT_EQ(ReadF64(reader), set.directions[0][0].left[0]); // left responses first
    reader.pos = 8 + 4 * rows + 12 * n + 1024 * n;
    EXPECT_EQ(ReadF64(reader), set.directions[0][0].right[0]);
}

TEST(HrirSetFile, ParseAndSerializeRoundTripByteForByte)
{
    const std::vector<uint8_t> bytes = SerializeHrirSet(test::MakeSmallSet());
    HrirSet set;
    std::string why;
    ASSERT_TRUE(ParseHrirSetFile(bytes, set, why)) << why;
    EXPECT_EQ(SerializeHrirSet(set), bytes);
    std::string difference;
    EXPECT_TRUE(test::SameHrirSet(set, test::MakeSmallSet(), difference)) << difference;
}

TEST(HrirLoad, TextTablesWriteHeadOutThatLoadsBackBitForBit)
{
    TempDir dir;
    const HrirSet original = test::MakeSmallSet();
    test::WriteHrirTextTables(dir.path(), test::MakeHrirTextTables(original));
    HrirSet imported;
    CapturingReporter reporter;
    ASSERT_EQ(LoadHrirSet(imported, dir.path(), reporter), kOk);
    EXPECT_TRUE(reporter.messages.empty());
    std::string difference;
    EXPECT_TRUE(test::SameHrirSet(imported, original, difference)) << difference;

    // head_out.bir, put where the program looks for its set, loads as the same set.
    ASSERT_TRUE(std::filesystem::exists(dir / "head_out.bir"));
    TempDir second;
    std::filesystem::create_directory(second / "hrtf");
    std::filesystem::copy_file(dir / "head_out.bir", second / "hrtf" / "head01.bir");
    HrirSet loaded;
    ASSERT_EQ(LoadHrirSet(loaded, second.path(), reporter), kOk);
    EXPECT_TRUE(test::SameHrirSet(loaded, imported, difference)) << difference;
    EXPECT_EQ(test::ReadBytesFile(dir / "head_out.bir"), SerializeHrirSet(loaded));
}

TEST(HrirLoad, ThreeOfFourTablesFallBackToTheFileAndWriteNothing)
{
    TempDir dir;
    test::WriteHrirTextTables(dir.path(), test::MakeHrirTextTables(test::MakeSmallSet()),
                              {"elev", "azim", "L"});
    std::filesystem::create_directory(dir / "hrtf");
    const HrirSet fileSet = test::MakeGridSet({{0, {0, 180}}, {90, {0}}}, 11);
    ASSERT_TRUE(WriteHrirSetFile(fileSet, dir / "hrtf" / "head01.bir"));
    HrirSet set;
    CapturingReporter reporter;
    ASSERT_EQ(LoadHrirSet(set, dir.path(), reporter), kOk);
    std::string difference;
    EXPECT_TRUE(test::SameHrirSet(set, fileSet, difference)) << difference;
    EXPECT_FALSE(std::filesystem::exists(dir / "head_out.bir"));
    EXPECT_TRUE(reporter.messages.empty());
}

TEST(HrirLoad, MissingFileReportsTheOpenErrorAndReturnsMinusFour)
{
    TempDir dir;
    HrirSet set = test::MakeSmallSet(); // whatever was there is cleared
    CapturingReporter reporter;
    EXPECT_EQ(LoadHrirSet(set, dir.path(), reporter), kFileNotOpened);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, kCaption);
    EXPECT_EQ(reporter.messages[0].text, kOpenText);
    EXPECT_EQ(set.rowCount, 0);
    EXPECT_TRUE(set.directionsPerRow.empty());
}

TEST(HrirLoad, DamagedFileAndDamagedTablesAreReportedAndLeaveTheSetEmpty)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "hrtf");
    std::vector<uint8_t> bytes = SerializeHrirSet(test::MakeSmallSet());
    bytes.pop_back();
    test::WriteBytesFile(dir / "hrtf" / "head01.bir", bytes);
    HrirSet set = test::MakeSmallSet();
    CapturingReporter reporter;
    EXPECT_EQ(LoadHrirSet(set, dir.path(), reporter), kFileDamaged);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, kCaption);
    EXPECT_NE(reporter.messages[0].text.find("head01.bir"), std::string::npos);
    EXPECT_NE(reporter.messages[0].text.find("responses"), std::string::npos);
    EXPECT_EQ(set.rowCount, 0);

    // Damaged tables do not fall back to the (here sound) file, and write no head_out.bir.
    test::WriteBytesFile(dir / "hrtf" / "head01.bir", SerializeHrirSet(test::MakeSmallSet()));
    test::HrirTextTables tables = test::MakeHrirTextTables(test::MakeSmallSet());
    tables.lefts += "oops\n";
    test::WriteHrirTextTables(dir.path(), tables);
    reporter.messages.clear();
    EXPECT_EQ(LoadHrirSet(set, dir.path(), reporter), kFileDamaged);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_NE(reporter.messages[0].text.find("IR_L.txt"), std::string::npos);
    EXPECT_EQ(set.rowCount, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "head_out.bir"));
}

struct Damage
{
    const char* name;
    std::function<void(std::vector<uint8_t>&)> apply;
    const char* expectedWords; // part of the refusal
};

TEST(HrirSetFile, DamagedImagesAreRefusedWithTheirReasonAndLeaveTheSetUntouched)
{
    // Rows -10 (0, 90) and the zenith: R = 2, N = 3, sections at 8, 16, 28, 52 and 3124.
    const std::vector<uint8_t> good =
        SerializeHrirSet(test::MakeGridSet({{-10, {0, 90}}, {90, {45}}}));
    ASSERT_EQ(good.size(), 6196u);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Damage> damages = {
        {"empty", [](auto& b) { b.clear(); }, "shorter than its 8-byte header"},
        {"header only", [](auto& b) { b.resize(8); }, "direction counts"},
        {"zero rows", [](auto& b) { PutI32(b, 4, 0); }, "row count 0"},
        {"negative rows", [](auto& b) { PutI32(b, 4, -1); }, "row count -1"},
        {"21 rows", [](auto& b) { PutI32(b, 4, 21); }, "row count 21"},
        {"huge rows", [](auto& b) { PutI32(b, 4, 0x7FFFFFFF); }, "outside 1-20"},
        {"zero directions", [](auto& b) { PutI32(b, 8, 0); }, "direction count 0"},
        {"negative directions", [](auto& b) { PutI32(b, 8, -5); }, "direction count -5"},
        {"76 directions", [](auto& b) { PutI32(b, 8, 76); }, "direction count 76"},
        {"cut in azimuths", [](auto& b) { b.resize(20); }, "azimuths"},
        {"tap count 127", [](auto& b) { PutI32(b, 32, 127); }, "tap count 127"},
        {"tap count 0", [](auto& b) { PutI32(b, 40, 0); }, "tap count 0"},
        {"cut in left responses", [](auto& b) { b.resize(1000); }, "responses"},
        {"one byte short", [](auto& b) { b.pop_back(); }, "responses"},
        {"trailing byte", [](auto& b) { b.push_back(0); }, "1 byte follows"},
        {"azimuths fall", [](auto& b) { PutI32(b, 20, 0); }, "azimuth 0 does not rise"},
        {"elevation differs in a row", [](auto& b) { PutI32(b, 36, -9); }, "elevation -9"},
        {"rows fall", [](auto& b) { PutI32(b, 44, -20); }, "not the zenith"},
        {"zenith row with two directions",
         [](auto& b) {
             PutI32(b, 8, 1);
             PutI32(b, 12, 2);
             PutI32(b, 36, 90);
             PutI32(b, 44, 90);
             PutI32(b, 20, 10);
         },
         "is not the zenith"},
        {"90 below the last row",
         [](auto& b) {
             PutI32(b, 28, 90);
             PutI32(b, 36, 90);
             PutI32(b, 44, 95);
         },
         "elevation 90 but is not the last row"},
        {"NaN coefficient", [nan](auto& b) { PutF64(b, 3124 + 8 * 5, nan); }, "not finite"},
        {"infinite coefficient",
         [](auto& b) { PutF64(b, 52, std::numeric_limits<double>::infinity()); }, "not finite"},
        {"finite tap beyond the 16-bit range",
         [](auto& b) { PutF64(b, 3124 + 8 * 7, -kMaxHrirTapMagnitude * 1.000001); },
         "right tap 7 is -2.68444e+09, beyond the 16-bit range"},
    };
    for (const Damage& damage : damages)
    {
        std::vector<uint8_t> bytes = good;
        damage.apply(bytes);
        HrirSet set = test::MakeSmallSet();
        std::string why;
        EXPECT_FALSE(ParseHrirSetFile(bytes, set, why)) << damage.name;
        EXPECT_NE(why.find(damage.expectedWords), std::string::npos) << damage.name << ": " << why;
        std::string difference;
        EXPECT_TRUE(test::SameHrirSet(set, test::MakeSmallSet(), difference)) << damage.name;
    }
}

TEST(HrirSetFile, TapsUpToTheLargestMagnitudeAreKept)
{
    std::vector<uint8_t> bytes = SerializeHrirSet(test::MakeGridSet({{-10, {0, 90}}, {90, {45}}}));
    PutF64(bytes, 52, kMaxHrirTapMagnitude);
    PutF64(bytes, 3124, -kMaxHrirTapMagnitude);
    HrirSet set;
    std::string why;
    ASSERT_TRUE(ParseHrirSetFile(bytes, set, why)) << why;
    EXPECT_EQ(set.directions[0][0].left[0], kMaxHrirTapMagnitude);
}

TEST(HrirSetFile, LargestPossibleSetIsAcceptedAndOneByteMoreIsNot)
{
    std::vector<test::GridRow> rows;
    std::vector<int> azimuths;
    for (int a = 0; a < kMaxHrirDirectionsPerRow; ++a)
    {
        azimuths.push_back(a * 4);
    }
    for (int r = 0; r < kMaxHrirRows - 1; ++r)
    {
        rows.push_back({-90 + r * 9, azimuths});
    }
    rows.push_back({90, {0}});
    std::vector<uint8_t> bytes = SerializeHrirSet(test::MakeGridSet(rows));
    HrirSet set;
    std::string why;
    ASSERT_TRUE(ParseHrirSetFile(bytes, set, why)) << why;
    EXPECT_LE(bytes.size(), kMaxHrirFileBytes);
    bytes.resize(kMaxHrirFileBytes + 1);
    EXPECT_FALSE(ParseHrirSetFile(bytes, set, why));
}

TEST(HrirSetFile, WriterRefusesAnInvalidSetAndKeepsTheOldFile)
{
    TempDir dir;
    const HrirSet good = test::MakeSmallSet();
    ASSERT_TRUE(WriteHrirSetFile(good, dir / "out.bir"));
    HrirSet bad = good;
    bad.directions[0][1].azimuth = -5; // no longer ascending
    EXPECT_FALSE(WriteHrirSetFile(bad, dir / "out.bir"));
    EXPECT_EQ(test::ReadBytesFile(dir / "out.bir"), SerializeHrirSet(good));
    EXPECT_FALSE(WriteHrirSetFile(good, dir / "missing-folder" / "out.bir"));
}

} // namespace
} // namespace yumo
