// The filter set: text import, file, start-up loading and refusal of malformed input.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <sstream>

#include "audio/filter_set.h"
#include "common/byte_io.h"
#include "common/results.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

using test::TempDir;

std::string Numbers(int count, double first, double step)
{
    std::string text;
    char number[40];
    for (int i = 0; i < count; ++i)
    {
        std::snprintf(number, sizeof number, "%.17g\n", first + step * i);
        text += number;
    }
    return text;
}

void WriteTables(const std::filesystem::path& dir, const std::string& cutoffs,
                 const std::string& lowPass, const std::string& highPass,
                 const std::vector<std::string>& which = {"cutoff", "lp", "hp"})
{
    for (const std::string& name : which)
    {
        if (name == "cutoff")
        {
            test::WriteTextFile(dir / "cutoff.txt", cutoffs);
        }
        else if (name == "lp")
        {
            test::WriteTextFile(dir / "lp128.txt", lowPass);
        }
        else if (name == "hp")
        {
            test::WriteTextFile(dir / "hp128.txt", highPass);
        }
    }
}

std::unique_ptr<FilterSet> MakeFilterSet(int entries, int taps)
{
    auto set = std::make_unique<FilterSet>();
    set->filterCount = entries;
    set->tapCount = taps;
    for (int i = 0; i < entries; ++i)
    {
        set->cutoffs[i] = 100 * (i + 1);
        set->lowPass[i].resize(taps);
        set->highPass[i].resize(taps);
        for (int k = 0; k < taps; ++k)
        {
            set->lowPass[i][k] = 32767.0 * std::sin(i + k / 3.0);
            set->highPass[i][k] = -32767.0 * std::cos(i * 2.0 + k / 5.0);
        }
    }
    return set;
}

bool SameFilterSet(const FilterSet& a, const FilterSet& b)
{
    if (a.filterCount != b.filterCount || a.tapCount != b.tapCount)
    {
        return false;
    }
    for (int i = 0; i < a.filterCount; ++i)
    {
        if (a.cutoffs[i] != b.cutoffs[i] || a.lowPass[i] != b.lowPass[i] ||
            a.highPass[i] != b.highPass[i])
        {
            return false;
        }
    }
    return true;
}

TEST(FilterLoad, EmptyCutoffsGiveAnEightByteFile)
{
    TempDir dir;
    WriteTables(dir.path(), "", "", "");
    auto set = std::make_unique<FilterSet>();
    SilentReporter reporter;
    ASSERT_EQ(LoadFilterSet(*set, dir.path(), reporter), kOk);
    EXPECT_EQ(set->filterCount, 0);
    EXPECT_EQ(set->tapCount, 128);
    const std::vector<uint8_t> bytes = test::ReadBytesFile(dir / "filter_out.bir");
    ASSERT_EQ(bytes.size(), 8u);
    EXPECT_EQ(LoadI32(&bytes[0]), 0);
    EXPECT_EQ(LoadI32(&bytes[4]), 128);
}

TEST(FilterLoad, NumbersBeyondWhatTheCutoffsNeedAreIgnored)
{
    // No cutoffs: the response tables are not read at all, whatever they hold.
    TempDir dir;
    WriteTables(dir.path(), "", Numbers(128, 0.5, 0.0), "not numbers\n");
    auto set = std::make_unique<FilterSet>();
    SilentReporter reporter;
    ASSERT_EQ(LoadFilterSet(*set, dir.path(), reporter), kOk);
    EXPECT_EQ(set->filterCount, 0);
    EXPECT_EQ(test::ReadBytesFile(dir / "filter_out.bir").size(), 8u);

    // One cutoff: exactly 128 numbers of each table, the rest left unread.
    WriteTables(dir.path(), "1000", Numbers(300, 0.5, 0.0), Numbers(128, 0.25, 0.0) + " x 7");
    ASSERT_EQ(LoadFilterSet(*set, dir.path(), reporter), kOk);
    EXPECT_EQ(set->filterCount, 1);
    EXPECT_EQ(set->lowPass[0].size(), 128u);
    EXPECT_EQ(set->lowPass[0][127], 0.5 * 32767.0);
    EXPECT_EQ(set->highPass[0][127], 0.25 * 32767.0);
    EXPECT_EQ(test::ReadBytesFile(dir / "filter_out.bir").size(), 8u + 4 + 16 * 128);
}

TEST(FilterLoad, TextIsScaledBy32767AndTheWrittenFileLoadsBackIdentical)
{
    TempDir dir;
    WriteTables(dir.path(), "500\n2000\n", Numbers(256, 1.0, 0.0), Numbers(256, -0.5, 1.0 / 1024));
    auto imported = std::make_unique<FilterSet>();
    CapturingReporter reporter;
    ASSERT_EQ(LoadFilterSet(*imported, dir.path(), reporter), kOk);
    EXPECT_EQ(imported->filterCount, 2);
    EXPECT_EQ(imported->cutoffs[1], 2000);
    EXPECT_EQ(imported->lowPass[0][0], 32767.0);
    EXPECT_EQ(imported->lowPass[1][127], 32767.0);
    EXPECT_EQ(imported->highPass[1][3], (-0.5 + 131.0 / 1024) * 32767.0);

    const std::vector<uint8_t> bytes = test::ReadBytesFile(dir / "filter_out.bir");
    ASSERT_EQ(bytes.size(), 8u + 4 * 2 + 16 * 2 * 128);
    ByteReader reader = MakeByteReader(bytes);
    reader.pos = 16;
    EXPECT_EQ(ReadF64(reader), 32767.0); // low-pass entry 0, tap 0, as held

    TempDir second;
    std::filesystem::create_directory(second / "filter");
    std::filesystem::copy_file(dir / "filter_out.bir", second / "filter" / "filter.bir");
    auto loaded = std::make_unique<FilterSet>();
    ASSERT_EQ(LoadFilterSet(*loaded, second.path(), reporter), kOk);
    EXPECT_TRUE(SameFilterSet(*loaded, *imported));
    EXPECT_EQ(loaded->lowPass[0][0], 32767.0); // read without change
    EXPECT_TRUE(reporter.messages.empty());
}

TEST(FilterLoad, TwoOfThreeTablesReadFilterBirAndWriteNothing)
{
    TempDir dir;
    WriteTables(dir.path(), "1\n", Numbers(128, 0.0, 0.0), "", {"cutoff", "lp"});
    std::filesystem::create_directory(dir / "filter");
    auto fileSet = MakeFilterSet(3, 16);
    ASSERT_TRUE(WriteFilterSetFile(*fileSet, dir / "filter" / "filter.bir"));
    auto set = std::make_unique<FilterSet>();
    SilentReporter reporter;
    ASSERT_EQ(LoadFilterSet(*set, dir.path(), reporter), kOk);
    EXPECT_TRUE(SameFilterSet(*set, *fileSet));
    EXPECT_FALSE(std::filesystem::exists(dir / "filter_out.bir"));
}

TEST(FilterLoad, NothingPresentIsSilentMinusFour)
{
    TempDir dir;
    auto set = MakeFilterSet(2, 4);
    CapturingReporter reporter;
    EXPECT_EQ(LoadFilterSet(*set, dir.path(), reporter), kFileNotOpened);
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(set->filterCount, 0);
}

TEST(FilterLoad, DamagedInputIsSilentlyRefusedAndLeavesTheSetEmpty)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "filter");
    std::vector<uint8_t> bytes = SerializeFilterSet(*MakeFilterSet(2, 8));
    bytes.push_back(1);
    test::WriteBytesFile(dir / "filter" / "filter.bir", bytes);
    auto set = MakeFilterSet(2, 4);
    CapturingReporter reporter;
    EXPECT_EQ(LoadFilterSet(*set, dir.path(), reporter), kFileDamaged);
    EXPECT_EQ(set->filterCount, 0);
    EXPECT_TRUE(set->lowPass[0].empty());

    WriteTables(dir.path(), "100 200", Numbers(256, 0.1, 0.0), Numbers(255, 0.1, 0.0));
    *set = *MakeFilterSet(2, 4);
    EXPECT_EQ(LoadFilterSet(*set, dir.path(), reporter), kFileDamaged);
    EXPECT_EQ(set->filterCount, 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "filter_out.bir"));
    EXPECT_TRUE(reporter.messages.empty());
}

struct Malformed
{
    const char* name;
    std::string cutoffs;
    std::string lowPass;
    std::string highPass;
    const char* expectedWords;
};

TEST(FilterTextImport, MalformedTablesAreRefusedWithTheirReason)
{
    std::string tooMany;
    for (int i = 0; i < 301; ++i)
    {
        tooMany += std::to_string(i) + " ";
    }
    const std::string one = Numbers(128, 0.25, 0.0);
    const std::vector<Malformed> cases = {
        {"301 cutoffs", tooMany, Numbers(301 * 128, 0, 0), Numbers(301 * 128, 0, 0),
         "more than 300 cutoffs"},
        {"decimal cutoff", "100.5", one, one, "'100.5' where an integer is needed"},
        {"word cutoff", "100 abc", one + one, one + one, "cutoff.txt entry 1"},
        {"low-pass short", "1", Numbers(127, 0, 0), one, "lp128.txt entry 0 tap 127: ends early"},
        {"high-pass short", "1 2", one + one, one + Numbers(5, 0, 0),
         "hp128.txt entry 1 tap 5: ends early"},
        {"low-pass text", "1", "x" + one, one, "lp128.txt entry 0 tap 0: holds 'x0.25'"},
        {"high-pass nan", "1", one, "nan " + one, "'nan'"},
        {"overflow after scaling", "1", "1e306 " + one, one, "out of range"},
    };
    for (const Malformed& c : cases)
    {
        std::istringstream cutoffs(c.cutoffs);
        std::istringstream lowPass(c.lowPass);
        std::istringstream highPass(c.highPass);
        auto set = MakeFilterSet(1, 2);
        std::string why;
        EXPECT_FALSE(ImportFilterText(cutoffs, lowPass, highPass, *set, why)) << c.name;
        EXPECT_NE(why.find(c.expectedWords), std::string::npos) << c.name << ": " << why;
        EXPECT_TRUE(SameFilterSet(*set, *MakeFilterSet(1, 2))) << c.name; // untouched
    }
    std::istringstream cutoffs("7");
    std::istringstream lowPass(one);
    std::istringstream highPass(one);
    auto set = std::make_unique<FilterSet>();
    std::string why;
    EXPECT_TRUE(ImportFilterText(cutoffs, lowPass, highPass, *set, why)) << why;
}

void PutI32(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    std::vector<uint8_t> image;
    AppendI32(image, value);
    std::memcpy(bytes.data() + offset, image.data(), 4);
}

TEST(FilterSetFile, DamagedImagesAreRefusedWithTheirReason)
{
    // Two entries of 8 taps: cutoffs at 8, low-pass at 16, high-pass at 144; 272 bytes.
    const std::vector<uint8_t> good = SerializeFilterSet(*MakeFilterSet(2, 8));
    ASSERT_EQ(good.size(), 272u);
    struct Damage
    {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> apply;
        const char* expectedWords;
    };
    const std::vector<Damage> damages = {
        {"empty", [](auto& b) { b.clear(); }, "shorter than its 8-byte header"},
        {"negative count", [](auto& b) { PutI32(b, 0, -1); }, "filter count -1"},
        {"301 entries", [](auto& b) { PutI32(b, 0, 301); }, "filter count 301"},
        {"negative taps", [](auto& b) { PutI32(b, 4, -8); }, "tap count -8"},
        {"huge taps", [](auto& b) { PutI32(b, 4, 0x7FFFFFFF); }, "tap count 2147483647"},
        {"short", [](auto& b) { b.resize(200); }, "ends early"},
        {"long", [](auto& b) { b.push_back(0); }, "bytes follow"},
        {"count disagrees with size", [](auto& b) { PutI32(b, 0, 3); }, "ends early"},
        {"NaN",
         [](auto& b) {
             std::vector<uint8_t> nan;
             AppendF64(nan, std::numeric_limits<double>::quiet_NaN());
             std::memcpy(b.data() + 144 + 8, nan.data(), 8);
         },
         "high-pass entry 0 tap 1 is not finite"},
    };
    for (const Damage& damage : damages)
    {
        std::vector<uint8_t> bytes = good;
        damage.apply(bytes);
        auto set = MakeFilterSet(1, 2);
        std::string why;
        EXPECT_FALSE(ParseFilterSetFile(bytes, *set, why)) << damage.name;
        EXPECT_NE(why.find(damage.expectedWords), std::string::npos) << damage.name << ": " << why;
        EXPECT_TRUE(SameFilterSet(*set, *MakeFilterSet(1, 2))) << damage.name;
    }
    auto set = std::make_unique<FilterSet>();
    std::string why;
    ASSERT_TRUE(ParseFilterSetFile(good, *set, why)) << why;
    EXPECT_EQ(SerializeFilterSet(*set), good);
}

} // namespace
} // namespace yumo
