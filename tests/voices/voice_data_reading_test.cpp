// Reading voice data from a file: the header first, then each record straight into its clip,
// so that what a file claims costs nothing until its streams deliver it.

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

#include "common/results.h"
#include "support/test_support.h"
#include "voice_test_helpers.h"
#include "voices/voice_data_file.h"

namespace yumo
{
namespace
{

constexpr long long kMiB = 1 << 20;

std::vector<uint8_t> EncodeSet(const VoiceSet& set)
{
    std::vector<uint8_t> bytes;
    std::string why;
    EXPECT_TRUE(EncodeVoiceData(set, bytes, why)) << why;
    return bytes;
}

TEST(VoiceDataReading, LongClipsComeThroughPieceByPieceReadsUnchanged)
{
    // 6 MB of samples that deflate to more than one read of input: the stream is fed in
    // pieces and the samples fill in steps.
    auto set = std::make_unique<VoiceSet>();
    EstablishBuiltInSilences(*set);
    const std::vector<int16_t> longClip = test::MakeSamples(3 << 20, 7);
    test::PutClip(*set, kKindGoodNight, longClip);
    test::PutClip(*set, kKindWakeCall, test::MakeSamples(512, 8));
    test::TempDir dir;
    const std::vector<uint8_t> image = EncodeSet(*set);
    ASSERT_GT(image.size(), test::kHeaderBytes + (2u << 20));
    test::WriteBytesFile(dir / "long.ymv", image);

    auto read = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    ASSERT_EQ(ReadVoiceDataFile((dir / "long.ymv").string(), *read, reporter), kOk);
    EXPECT_TRUE(read->samples[ClipSlot(kKindGoodNight, 0)] == longClip);
    EXPECT_TRUE(read->samples[ClipSlot(kKindWakeCall, 0)] ==
                set->samples[ClipSlot(kKindWakeCall, 0)]);

    // The same file cut inside the long record's stream: refused, nothing kept.
    std::filesystem::resize_file(dir / "long.ymv", image.size() - 5000);
    EXPECT_EQ(ReadVoiceDataFile((dir / "long.ymv").string(), *read, reporter), kFileDamaged);
    EXPECT_TRUE(read->samples[ClipSlot(kKindGoodNight, 0)].empty());
}

TEST(VoiceDataReading, AClaimCostsOnlyWhatTheFileHolds)
{
    if (!test::ResidentSizesAreMeaningful())
    {
        GTEST_SKIP()
            << "resident sizes are not measured here (address sanitizer, or no clear_refs)";
    }
    test::TempDir dir;
    // One clip claiming 1 GiB, with a record long enough for that by the deflate ratio, whose
    // stream gives 1 KiB and ends.
    auto set = std::make_unique<VoiceSet>();
    test::PutClip(*set, kKindGoodNight, test::MakeSamples(512, 3));
    std::vector<uint8_t> image = EncodeSet(*set);
    const int32_t claim = 1 << 30;
    test::PutI32At(image, test::Column(test::kAtByteSizes, 0), claim);
    const int32_t length = claim / 1032 + 1;
    test::PutI32At(image, test::kHeaderBytes, length);
    image.resize(test::kHeaderBytes + 4 + static_cast<size_t>(length), 0);
    test::WriteBytesFile(dir / "claim.ymv", image);

    // An empty old-version set followed by a sparse gigabyte that nothing needs to read.
    std::vector<uint8_t> empty(test::kHeaderBytes, 0);
    test::PutI32At(empty, 0, 50);
    test::WriteBytesFile(dir / "tail.ymv", empty);
    std::filesystem::resize_file(dir / "tail.ymv", size_t{1} << 30);

    auto read = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    {
        const test::PeakResidentGrowth growth;
        EXPECT_EQ(ReadVoiceDataFile((dir / "claim.ymv").string(), *read, reporter), kFileDamaged);
        EXPECT_LT(growth.Bytes(), 64 * kMiB);
    }
    {
        const test::PeakResidentGrowth growth;
        EXPECT_EQ(ReadVoiceDataFile((dir / "tail.ymv").string(), *read, reporter), kOk);
        EXPECT_LT(growth.Bytes(), 64 * kMiB);
    }
}

} // namespace
} // namespace yumo
