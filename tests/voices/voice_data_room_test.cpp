// The one rule that keeps a set savable as a file that opens again: what it may still take.

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include <zlib.h>

#include "common/results.h"
#include "support/test_support.h"
#include "voice_test_helpers.h"
#include "voices/add_clip.h"
#include "voices/voice_data_file.h"
#include "voices/voice_data_room.h"

namespace yumo
{
namespace
{

constexpr int64_t kLimit = int64_t{1} << 30; // the reader's limit of both the file and the clips

std::unique_ptr<VoiceSet> MakeStartupSet()
{
    auto set = std::make_unique<VoiceSet>();
    EstablishBuiltInSilences(*set);
    return set;
}

// A catalogue entry of `bytes` without samples: the rule reads the catalogue alone.
void PutSizeOnly(VoiceSet& set, int kind, int64_t bytes)
{
    const int slot = ClipSlot(kind, set.clipCounts[kind]++);
    set.catalog.byteSize[slot] = static_cast<int32_t>(bytes);
    set.catalog.sampleCount[slot] = static_cast<int32_t>(bytes / 2);
}

TEST(VoiceDataRoom, IsTheLargestClipThatKeepsTheFileWithinTheReadersLimits)
{
    const int64_t room = VoiceDataRoomBytes(*MakeStartupSet());
    // About 3.4 hours of mono audio in an empty set.
    EXPECT_NEAR(static_cast<double>(room) / (44100.0 * 2 * 3600), 3.38, 0.01);

    auto fits = MakeStartupSet();
    PutSizeOnly(*fits, kKindSnore, room);
    EXPECT_GE(VoiceDataRoomBytes(*fits), 0);
    EXPECT_LE(MeasureVoiceData(*fits).fileBytes, kLimit);
    EXPECT_LE(MeasureVoiceData(*fits).sampleBytes, kLimit);

    auto over = MakeStartupSet();
    PutSizeOnly(*over, kKindSnore, room + 2);
    EXPECT_LT(VoiceDataRoomBytes(*over), 0);
}

TEST(VoiceDataRoom, BoundsTheFileTheWriterMakesOfSamplesThatDoNotCompress)
{
    auto set = MakeStartupSet();
    std::vector<int16_t> noise(3 << 19); // 3 MiB: the stream comes out in several pieces
    uint32_t x = 7;
    for (int16_t& sample : noise)
    {
        x = x * 1664525u + 1013904223u;
        sample = static_cast<int16_t>(x >> 16);
    }
    test::PutClip(*set, kKindGoodNight, {});
    test::PutClip(*set, kKindWakeCall, std::vector<int16_t>(noise.begin(), noise.begin() + 512));
    test::PutClip(*set, kKindWakeCall, noise);
    std::vector<uint8_t> image;
    std::string why;
    ASSERT_TRUE(EncodeVoiceData(*set, image, why)) << why;
    EXPECT_LE(static_cast<int64_t>(image.size()), MeasureVoiceData(*set).fileBytes);

    // The last record is the stream one deflate call with all the room makes.
    std::vector<uint8_t> expected(compressBound(noise.size() * 2));
    uLongf length = expected.size();
    ASSERT_EQ(compress2(expected.data(), &length, reinterpret_cast<const Bytef*>(noise.data()),
                        noise.size() * 2, 9),
              Z_OK);
    expected.resize(length);
    ASSERT_GT(image.size(), length + 4);
    EXPECT_EQ(test::GetI32At(image, image.size() - length - 4), static_cast<int32_t>(length));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.end() - length));
}

TEST(VoiceDataRoom, AnAddBeyondTheRoomIsRefusedSayingWhatIsLeft)
{
    auto set = MakeStartupSet();
    PutSizeOnly(*set, kKindSnore, VoiceDataRoomBytes(*set) - 10000);
    const int64_t room = VoiceDataRoomBytes(*set);
    ASSERT_GT(room, 8 * 1024);
    const size_t blocks = static_cast<size_t>(room / 1024);
    CapturingReporter reporter;

    EXPECT_EQ(
        AppendClipSamples(*set, kKindSigh, std::vector<int16_t>((blocks + 1) * 512), u"", reporter),
        AddClipResult::NoRoom);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, "ボイス追加エラー");
    EXPECT_EQ(reporter.messages[0].text, "ボイスを追加できません。ボイスデータの上限を超えます"
                                         "（このボイスは 0.1 MB、残りは 0.0 MB・約 0 分）。");
    EXPECT_EQ(set->clipCounts[kKindSigh], 0);

    EXPECT_EQ(AppendClipSamples(*set, kKindSigh, std::vector<int16_t>(blocks * 512), u"", reporter),
              AddClipResult::Added);
    // Less than one block is left: the next add is refused before anything is imported.
    EXPECT_EQ(CheckClipRoom(*set, kKindSigh, reporter), AddClipResult::NoRoom);
    EXPECT_EQ(reporter.messages.size(), 2u);
}

TEST(VoiceDataRoom, ASetBeyondTheLimitIsNeitherSavableNorWritten)
{
    test::TempDir dir;
    const std::string path = (dir / "set.ymv").string();
    auto set = MakeStartupSet();
    test::PutClip(*set, kKindGoodNight, test::MakeSamples(512, 1));
    test::PutClip(*set, kKindWakeCall, test::MakeSamples(512, 2));
    CapturingReporter reporter;
    ASSERT_EQ(WriteVoiceDataFile(path, *set, reporter), kOk);
    const std::vector<uint8_t> saved = test::ReadBytesFile(path);

    // Eight clips of 128 MiB: with the two above they decode to more than the reader takes.
    for (int i = 0; i < 8; ++i)
    {
        test::PutClip(*set, kKindSnore, std::vector<int16_t>(size_t{1} << 26));
    }
    EXPECT_FALSE(CheckVoiceSetSavable(*set, reporter));
    EXPECT_EQ(WriteVoiceDataFile(path, *set, reporter), kWriteFailed);
    ASSERT_EQ(reporter.messages.size(), 2u);
    for (const UserMessage& message : reporter.messages)
    {
        EXPECT_EQ(message.caption, "ymv保存エラー");
        EXPECT_EQ(message.text, "ボイスデータファイルを保存できません。ボイスの合計が上限を 1.2 MB "
                                "超えています。");
    }
    EXPECT_EQ(test::ReadBytesFile(path), saved);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace yumo
