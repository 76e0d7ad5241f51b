#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>

#include <zlib.h>

#include "common/results.h"
#include "support/test_support.h"
#include "voice_test_helpers.h"
#include "voices/voice_data_file.h"
#include "voices/voice_data_layout.h"

namespace yumo
{
namespace
{

using test::Column;
using test::GetI32At;
using test::MakeSamples;
using test::PutClip;
using test::PutI32At;

// A set as the program holds it at start-up, with the built-in kinds present.
std::unique_ptr<VoiceSet> MakeStartupSet()
{
    auto set = std::make_unique<VoiceSet>();
    EstablishBuiltInSilences(*set);
    return set;
}

std::vector<uint8_t> Encode(const VoiceSet& set)
{
    std::vector<uint8_t> bytes;
    std::string why;
    EXPECT_TRUE(EncodeVoiceData(set, bytes, why)) << why;
    return bytes;
}

std::vector<uint8_t> Inflate(const uint8_t* data, size_t size, size_t expected)
{
    std::vector<uint8_t> out(expected + 16);
    uLongf length = out.size();
    EXPECT_EQ(uncompress(out.data(), &length, data, size), Z_OK);
    out.resize(length);
    return out;
}

std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

TEST(VoiceDataWrite, MinimalSetIsTheHeaderAndTwoCompressedRecords)
{
    auto set = MakeStartupSet();
    SetOwnerName(*set, "ゆも");
    const std::vector<int16_t> night = MakeSamples(512, 1);
    const std::vector<int16_t> wake = MakeSamples(512, 2);
    PutClip(*set, kKindGoodNight, night, u"/home/a/おやすみ.wav");
    PutClip(*set, kKindWakeCall, wake, u"/home/a/wake.wav");
    const std::vector<uint8_t> bytes = Encode(*set);

    ASSERT_GT(bytes.size(), test::kHeaderBytes);
    EXPECT_EQ(GetI32At(bytes, 0), 101);
    EXPECT_EQ(bytes[4], 0x86); // ゆ = U+3086, little-endian
    EXPECT_EQ(bytes[5], 0x30);
    EXPECT_EQ(GetI32At(bytes, test::kAtCounts + 4 * 0), 1);
    EXPECT_EQ(GetI32At(bytes, test::kAtCounts + 4 * 10), 1);
    // The built-in kinds' counts and lengths are stored as they stand, without records.
    EXPECT_EQ(GetI32At(bytes, test::kAtCounts + 4 * 13), 4);
    EXPECT_EQ(GetI32At(bytes, test::kAtCounts + 4 * 14), 4);
    EXPECT_EQ(GetI32At(bytes, Column(test::kAtSampleCounts, 133)), 40960);
    EXPECT_EQ(GetI32At(bytes, Column(test::kAtByteSizes, 141)), 81920);
    EXPECT_EQ(GetI32At(bytes, Column(test::kAtLengthBytes, 130)), 40960);
    EXPECT_EQ(GetI32At(bytes, Column(test::kAtPathLengths, 0)), 16);
    EXPECT_EQ(GetI32At(bytes, Column(test::kAtPathLengths, 100)), 16);
    EXPECT_EQ(bytes[test::kAtPaths + 512 * 100], '/');
    EXPECT_EQ(GetI32At(bytes, Column(test::kAtByteSizes, 100)), 1024);

    size_t at = test::kHeaderBytes;
    for (const std::vector<int16_t>* clip : {&night, &wake})
    {
        const int32_t length = GetI32At(bytes, at);
        ASSERT_GT(length, 0);
        ASSERT_LE(at + 4 + static_cast<size_t>(length), bytes.size());
        const uint8_t* stream = bytes.data() + at + 4;
        EXPECT_EQ(Inflate(stream, static_cast<size_t>(length), 1024), SampleBytes(*clip));
        // Level 9 with the default window, memory level and strategy: the same stream as
        // zlib's own one-shot compressor at level 9.
        std::vector<uint8_t> reference(compressBound(1024));
        uLongf referenceLength = reference.size();
        const std::vector<uint8_t> raw = SampleBytes(*clip);
        ASSERT_EQ(compress2(reference.data(), &referenceLength, raw.data(), raw.size(), 9), Z_OK);
        EXPECT_EQ(std::vector<uint8_t>(stream, stream + length),
                  std::vector<uint8_t>(reference.begin(), reference.begin() + referenceLength));
        at += 4 + static_cast<size_t>(length);
    }
    EXPECT_EQ(at, bytes.size()); // nothing follows the last record
}

// The slots a file stores are the counted clips of kinds 0-12, never the built-in silences
// (kinds 13 and 14 count four clips each but are made afresh on every load).
TEST(VoiceDataRoundTrip, FileStoresSlotNamesTheCountedClipsOfTheStoredKinds)
{
    auto set = MakeStartupSet();
    PutClip(*set, kKindGoodNight, MakeSamples(512, 1), u"/a.wav");
    PutClip(*set, kKindBreathIn, MakeSamples(512, 2), u"/b.wav");
    PutClip(*set, kKindBreathIn, MakeSamples(512, 3), u"/c.wav");
    PutClip(*set, kKindFileOnly, MakeSamples(512, 4), u"/d.wav");
    const std::vector<int> stored = {ClipSlot(kKindGoodNight, 0), ClipSlot(kKindBreathIn, 0),
                                     ClipSlot(kKindBreathIn, 1), ClipSlot(kKindFileOnly, 0)};
    ASSERT_EQ(set->clipCounts[kKindBuiltInSilence], 4);
    for (int slot = -1; slot <= kClipSlotCount; ++slot)
    {
        const bool expected = std::find(stored.begin(), stored.end(), slot) != stored.end();
        EXPECT_EQ(FileStoresSlot(*set, slot), expected) << slot;
    }
}

TEST(VoiceDataRoundTrip, ReadingBackGivesTheSetAndWritingItAgainTheSameBytes)
{
    auto set = MakeStartupSet();
    SetOwnerName(*set, "名無しさん");
    PutClip(*set, kKindGoodNight, MakeSamples(512, 1), u"C:\\voices\\a.wav");
    PutClip(*set, kKindBreathIn, MakeSamples(2048, 3), u"/b.mp3");
    PutClip(*set, kKindBreathIn, MakeSamples(1024, 4), u"/c.wav");
    PutClip(*set, kKindWakeCall, MakeSamples(1536, 5), u"/d.wav");
    PutClip(*set, kKindFileOnly, MakeSamples(512, 6), u"/e.wav"); // only files carry kind 12
    PutClip(*set, kKindSilence, {}, u"/empty.wav");               // 0 bytes still has a record
    // Playback counters, as a save during a night finds them, are stored as zero.
    set->tracks.playPosition[ClipSlot(kKindBreathIn, 1)] = 512;
    set->tracks.outputByteCounter[ClipSlot(kKindBreathIn, 1)] = 2048;
    set->catalog.secondText[ClipSlot(kKindGoodNight, 0)][0] = u'x';

    const std::vector<uint8_t> first = Encode(*set);
    // The five spare columns are written as zeros, and whatever another writer put there is
    // skipped: it neither shifts the columns after it nor comes back on the next save.
    const size_t spareBegin = kCatalogOffset + sizeof(ClipCatalog);
    ASSERT_TRUE(std::all_of(first.begin() + spareBegin,
                            first.begin() + kTrackTableOffset + kTrackSpareColumns * kColumnBytes,
                            [](uint8_t b) { return b == 0; }));
    std::vector<uint8_t> filled = first;
    std::fill_n(filled.begin() + spareBegin, 5 * kColumnBytes, 0x5a);
    auto read = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    int32_t version = 0;
    ASSERT_EQ(ReadVoiceDataBytes(filled.data(), filled.size(), *read, reporter, &version), kOk);
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(version, 101);

    EXPECT_EQ(read->clipCounts, set->clipCounts);
    EXPECT_EQ(read->ownerName, set->ownerName);
    EXPECT_EQ(OwnerNameUtf8(*read), "名無しさん");
    EXPECT_EQ(read->catalog.sourcePath, set->catalog.sourcePath);
    EXPECT_EQ(read->catalog.secondText, set->catalog.secondText);
    EXPECT_EQ(read->catalog.pathLength, set->catalog.pathLength);
    EXPECT_EQ(read->catalog.sampleCount, set->catalog.sampleCount);
    EXPECT_EQ(read->catalog.byteSize, set->catalog.byteSize);
    EXPECT_EQ(read->tracks.playPosition, decltype(read->tracks.playPosition){});
    EXPECT_EQ(read->tracks.outputByteCounter, decltype(read->tracks.outputByteCounter){});
    EXPECT_EQ(set->tracks.playPosition[ClipSlot(kKindBreathIn, 1)], 512); // the set is as it was
    EXPECT_EQ(read->tracks.lengthFrames, set->tracks.lengthFrames);
    EXPECT_EQ(read->samples, set->samples);
    EXPECT_EQ(SourcePathUtf8(*read, ClipSlot(kKindBreathIn, 0)), "/b.mp3");
    EXPECT_TRUE(read->samples[ClipSlot(kKindSilence, 0)].empty());

    EXPECT_EQ(Encode(*read), first);
}

TEST(VoiceDataRoundTrip, WritesThroughTheFileAndKeepsThePreviousFileWhenASaveFails)
{
    test::TempDir dir;
    const std::string path = (dir / "set.ymv").string();
    auto set = MakeStartupSet();
    PutClip(*set, kKindGoodNight, MakeSamples(512, 1));
    PutClip(*set, kKindWakeCall, MakeSamples(512, 2));
    CapturingReporter reporter;
    ASSERT_EQ(WriteVoiceDataFile(path, *set, reporter), kOk);
    const std::vector<uint8_t> saved = test::ReadBytesFile(path);
    EXPECT_EQ(saved, Encode(*set));

    // A catalogue byte size beyond the clip's samples would read past them: refused.
    set->catalog.byteSize[ClipSlot(kKindWakeCall, 0)] = 4096;
    EXPECT_EQ(WriteVoiceDataFile(path, *set, reporter), kWriteFailed);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, "ymv保存エラー");
    EXPECT_EQ(test::ReadBytesFile(path), saved);

    set->catalog.byteSize[ClipSlot(kKindWakeCall, 0)] = 1024;
    set->clipCounts[kKindSnore] = 11;
    EXPECT_EQ(WriteVoiceDataFile(path, *set, reporter), kWriteFailed);
    EXPECT_EQ(test::ReadBytesFile(path), saved);

    set->clipCounts[kKindSnore] = 0;
    EXPECT_EQ(WriteVoiceDataFile((dir / "missing" / "set.ymv").string(), *set, reporter),
              kWriteFailed);
    EXPECT_EQ(reporter.messages.size(), 3u);
    // Nothing but the saved file is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    auto read = std::make_unique<VoiceSet>();
    ASSERT_EQ(ReadVoiceDataFile(path, *read, reporter), kOk);
    EXPECT_EQ(read->clipCounts[kKindGoodNight], 1);
    EXPECT_EQ(read->clipCounts[kKindBuiltInSilence], 4);
}

// Version 55: uncompressed records for kinds 0-12. Version 40: for kinds 0-11 only, and the
// kind-12 count field is ignored.
TEST(VoiceDataOldVersions, ReadUncompressedRecordsForTheirKinds)
{
    const std::vector<int16_t> night = MakeSamples(512, 7);
    const std::vector<int16_t> extra = MakeSamples(1024, 8);
    const std::vector<int16_t> wake = MakeSamples(512, 9);

    std::vector<uint8_t> v55(test::kHeaderBytes, 0);
    PutI32At(v55, 0, 55);
    PutI32At(v55, test::kAtCounts + 4 * 0, 1);
    PutI32At(v55, test::kAtCounts + 4 * 10, 1);
    PutI32At(v55, test::kAtCounts + 4 * 12, 1);
    PutI32At(v55, test::kAtCounts + 4 * 13, 2); // replaced by the built-in 4
    test::PutRawClip(v55, 0, 0, night);
    test::PutRawClip(v55, 10, 0, wake);
    test::PutRawClip(v55, 12, 0, extra);

    auto set = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    ASSERT_EQ(ReadVoiceDataBytes(v55.data(), v55.size(), *set, reporter), kOk);
    EXPECT_EQ(set->clipCounts[0], 1);
    EXPECT_EQ(set->clipCounts[12], 1);
    EXPECT_EQ(set->clipCounts[13], 4);
    EXPECT_EQ(set->clipCounts[14], 4);
    EXPECT_EQ(set->samples[ClipSlot(0, 0)], night);
    EXPECT_EQ(set->samples[ClipSlot(10, 0)], wake);
    EXPECT_EQ(set->samples[ClipSlot(12, 0)], extra);
    EXPECT_EQ(set->catalog.sampleCount[ClipSlot(13, 2)], 30720);

    std::vector<uint8_t> v40(test::kHeaderBytes, 0);
    PutI32At(v40, 0, 40);
    PutI32At(v40, test::kAtCounts + 4 * 0, 1);
    PutI32At(v40, test::kAtCounts + 4 * 10, 1);
    PutI32At(v40, test::kAtCounts + 4 * 12, 3); // no records follow for it
    test::PutRawClip(v40, 0, 0, night);
    test::PutRawClip(v40, 10, 0, wake);
    ASSERT_EQ(ReadVoiceDataBytes(v40.data(), v40.size(), *set, reporter), kOk);
    EXPECT_EQ(set->clipCounts[12], 0);
    EXPECT_EQ(set->samples[ClipSlot(0, 0)], night);
    EXPECT_EQ(set->samples[ClipSlot(10, 0)], wake);
    EXPECT_TRUE(set->samples[ClipSlot(12, 0)].empty());
    EXPECT_TRUE(reporter.messages.empty());

    // Written back, an old file becomes version 101 with the same clips.
    auto again = std::make_unique<VoiceSet>();
    const std::vector<uint8_t> rewritten = Encode(*set);
    ASSERT_EQ(ReadVoiceDataBytes(rewritten.data(), rewritten.size(), *again, reporter), kOk);
    EXPECT_EQ(again->samples, set->samples);
}

TEST(VoiceDataOldVersions, VersionBoundariesChooseKindsAndRecordForm)
{
    const std::vector<int16_t> night = MakeSamples(512, 7);
    const std::vector<int16_t> extra = MakeSamples(512, 8);
    for (int32_t version : {50, 51, 59, 60})
    {
        SCOPED_TRACE(version);
        std::vector<uint8_t> image(test::kHeaderBytes, 0);
        PutI32At(image, 0, version);
        PutI32At(image, test::kAtCounts + 4 * 0, 1);
        PutI32At(image, test::kAtCounts + 4 * 12, 1);
        test::PutRawClip(image, 0, 0, night);
        test::PutRawClip(image, 12, 0, extra);
        auto set = std::make_unique<VoiceSet>();
        SilentReporter reporter;
        const int result = ReadVoiceDataBytes(image.data(), image.size(), *set, reporter);
        if (version == 60)
        {
            // Raw samples where a compressed length belongs: refused, never misread.
            EXPECT_EQ(result, kFileDamaged);
            continue;
        }
        ASSERT_EQ(result, kOk);
        EXPECT_EQ(set->samples[ClipSlot(0, 0)], night);
        EXPECT_EQ(set->clipCounts[12], version == 50 ? 0 : 1);
        EXPECT_EQ(set->samples[ClipSlot(12, 0)], version == 50 ? std::vector<int16_t>{} : extra);
    }
}

TEST(VoiceDataRead, IgnoresBytesAfterTheKind12Records)
{
    auto set = MakeStartupSet();
    PutClip(*set, kKindGoodNight, MakeSamples(512, 1));
    PutClip(*set, kKindWakeCall, MakeSamples(512, 2));
    std::vector<uint8_t> bytes = Encode(*set);
    auto plain = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    ASSERT_EQ(ReadVoiceDataBytes(bytes.data(), bytes.size(), *plain, reporter), kOk);

    // Something like a record for kind 13: a length and bytes that are not a stream.
    const size_t end = bytes.size();
    bytes.resize(end + 12, 0xEE);
    PutI32At(bytes, end, 8);
    auto extended = std::make_unique<VoiceSet>();
    ASSERT_EQ(ReadVoiceDataBytes(bytes.data(), bytes.size(), *extended, reporter), kOk);
    EXPECT_EQ(extended->samples, plain->samples);
    EXPECT_EQ(Encode(*extended), Encode(*plain));
}

TEST(VoiceDataRead, FileThatCannotBeOpenedGivesMinusFourSilentlyAndAnEmptySet)
{
    test::TempDir dir;
    auto set = MakeStartupSet();
    SetOwnerName(*set, "old");
    PutClip(*set, kKindGoodNight, MakeSamples(512, 1));
    CapturingReporter reporter;
    EXPECT_EQ(ReadVoiceDataFile((dir / "none.ymv").string(), *set, reporter), kFileNotOpened);
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(set->clipCounts[kKindGoodNight], 0);
    EXPECT_TRUE(set->samples[0].empty());
    EXPECT_EQ(OwnerNameUtf8(*set), "");
    EXPECT_EQ(set->clipCounts[kKindBuiltInSilence], 4);
}

// A valid two-clip file to damage, with the offsets of its parts.
struct DamageBase
{
    std::vector<uint8_t> bytes;
    size_t firstRecord = test::kHeaderBytes; // kind 0's compressed length
    int32_t firstLength = 0;
};

DamageBase MakeDamageBase()
{
    auto set = MakeStartupSet();
    PutClip(*set, kKindGoodNight, MakeSamples(512, 1));
    PutClip(*set, kKindWakeCall, MakeSamples(512, 2));
    DamageBase base;
    base.bytes = Encode(*set);
    base.firstLength = GetI32At(base.bytes, base.firstRecord);
    return base;
}

struct DamageCase
{
    const char* name;
    void (*damage)(DamageBase&);
    VoiceDataProblem problem;
};

const DamageCase kDamageCases[] = {
    {"header cut short", [](DamageBase& b) { b.bytes.resize(100000); },
     VoiceDataProblem::ShortHeader},
    {"count above ten", [](DamageBase& b) { PutI32At(b.bytes, test::kAtCounts + 4 * 3, 11); },
     VoiceDataProblem::CountOutOfRange},
    {"negative count", [](DamageBase& b) { PutI32At(b.bytes, test::kAtCounts + 4 * 12, -1); },
     VoiceDataProblem::CountOutOfRange},
    {"odd byte size", [](DamageBase& b) { PutI32At(b.bytes, Column(test::kAtByteSizes, 0), 1023); },
     VoiceDataProblem::ByteSizeOutOfRange},
    {"negative byte size",
     [](DamageBase& b) { PutI32At(b.bytes, Column(test::kAtByteSizes, 100), -1024); },
     VoiceDataProblem::ByteSizeOutOfRange},
    {"length in frames beyond the samples",
     [](DamageBase& b) { PutI32At(b.bytes, Column(test::kAtLengthFrames, 0), 513); },
     VoiceDataProblem::LengthBeyondSamples},
    {"sample count beyond the samples",
     [](DamageBase& b) { PutI32At(b.bytes, Column(test::kAtSampleCounts, 100), 1024); },
     VoiceDataProblem::LengthBeyondSamples},
    {"negative play position",
     [](DamageBase& b) { PutI32At(b.bytes, Column(test::kAtPlayPositions, 0), -512); },
     VoiceDataProblem::NegativePlayCounter},
    {"negative output counter",
     [](DamageBase& b) { PutI32At(b.bytes, Column(test::kAtOutputCounters, 100), -4); },
     VoiceDataProblem::NegativePlayCounter},
    {"cut inside a compressed length", [](DamageBase& b) { b.bytes.resize(b.firstRecord + 2); },
     VoiceDataProblem::RecordTruncated},
    {"cut inside a stream", [](DamageBase& b) { b.bytes.resize(b.firstRecord + 4 + 10); },
     VoiceDataProblem::CompressedLengthBad},
    {"negative compressed length", [](DamageBase& b) { PutI32At(b.bytes, b.firstRecord, -8); },
     VoiceDataProblem::CompressedLengthBad},
    {"byte size no stream of that length can give",
     [](DamageBase& b) {
         PutI32At(b.bytes, Column(test::kAtByteSizes, 0), 100000000);
         PutI32At(b.bytes, Column(test::kAtSampleCounts, 0), 50000000);
     },
     VoiceDataProblem::ByteSizeTooLarge},
    {"bytes after a record's stream",
     [](DamageBase& b) {
         const auto end =
             b.bytes.begin() + static_cast<std::ptrdiff_t>(b.firstRecord + 4) + b.firstLength;
         b.bytes.insert(end, {1, 2, 3});
         PutI32At(b.bytes, b.firstRecord, b.firstLength + 3);
     },
     VoiceDataProblem::BytesAfterStream},
    {"corrupt stream", [](DamageBase& b) { b.bytes[b.firstRecord + 4 + 20] ^= 0x5A; },
     VoiceDataProblem::StreamDamaged},
    {"stream without its end",
     [](DamageBase& b) {
         // The following record's bytes are still there, but the stream is told to stop
         // before its checksum.
         PutI32At(b.bytes, b.firstRecord, b.firstLength - 4);
     },
     VoiceDataProblem::StreamDamaged},
    {"stream shorter than the byte size",
     [](DamageBase& b) { PutI32At(b.bytes, Column(test::kAtByteSizes, 0), 2048); },
     VoiceDataProblem::InflatedSizeMismatch},
    {"stream longer than the byte size",
     [](DamageBase& b) {
         PutI32At(b.bytes, Column(test::kAtByteSizes, 0), 512);
         PutI32At(b.bytes, Column(test::kAtSampleCounts, 0), 256);
         PutI32At(b.bytes, Column(test::kAtLengthFrames, 0), 256);
     },
     VoiceDataProblem::InflatedSizeMismatch},
    {"old version record cut short",
     [](DamageBase& b) {
         PutI32At(b.bytes, 0, 55);
         b.bytes.resize(test::kHeaderBytes + 1024 + 100); // kind 0 whole, kind 10 cut
     },
     VoiceDataProblem::RecordTruncated},
    {"a position record",
     [](DamageBase& b) {
         // -1 is no version a voice-data file has.
         PutI32At(b.bytes, 0, -1);
         PutI32At(b.bytes, 4, 101);
         PutI32At(b.bytes, 12, 520);
         PutI32At(b.bytes, test::kAtCounts, 1000);
     },
     VoiceDataProblem::VersionOutOfRange},
    {"an all-zero header", [](DamageBase& b) { b.bytes.assign(test::kHeaderBytes, 0); },
     VoiceDataProblem::VersionOutOfRange},
};

class VoiceDataDamage : public ::testing::TestWithParam<DamageCase>
{
};

TEST_P(VoiceDataDamage, IsRefusedWithItsReasonAndLeavesAnEmptySet)
{
    DamageBase base = MakeDamageBase();
    GetParam().damage(base);

    int32_t version = 0;
    VoiceDataRefusal refusal;
    auto scratch = std::make_unique<VoiceSet>();
    EXPECT_FALSE(ParseVoiceData(base.bytes.data(), base.bytes.size(), *scratch, version, refusal));
    EXPECT_EQ(refusal.problem, GetParam().problem);

    auto set = MakeStartupSet();
    SetOwnerName(*set, "前のボイス");
    PutClip(*set, kKindSnore, MakeSamples(512, 3));
    CapturingReporter reporter;
    EXPECT_EQ(ReadVoiceDataBytes(base.bytes.data(), base.bytes.size(), *set, reporter),
              kFileDamaged);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, "Yumoオープンエラー");
    EXPECT_NE(reporter.messages[0].text.find("ボイスデータファイル"), std::string::npos);
    EXPECT_EQ(reporter.messages[0].text, DescribeVoiceDataRefusal(refusal));
    for (int kind = 0; kind <= kKindFileOnly; ++kind)
    {
        EXPECT_EQ(set->clipCounts[kind], 0) << kind;
    }
    EXPECT_TRUE(set->samples[ClipSlot(kKindSnore, 0)].empty());
    EXPECT_EQ(set->catalog.byteSize[ClipSlot(kKindSnore, 0)], 0);
    EXPECT_EQ(OwnerNameUtf8(*set), "");
    EXPECT_EQ(set->clipCounts[kKindBuiltInSilence], 4);
    EXPECT_EQ(set->clipCounts[kKindBuiltInSilenceMidBreath], 4);
}

INSTANTIATE_TEST_SUITE_P(Cases, VoiceDataDamage, ::testing::ValuesIn(kDamageCases),
                         [](const ::testing::TestParamInfo<DamageCase>& param) {
                             std::string name = param.param.name;
                             for (char& c : name)
                             {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

// A zlib stream of `bytes` zeros at level 9, which packs them about a thousandfold.
std::vector<uint8_t> DeflateZeros(size_t bytes)
{
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, 9), Z_OK);
    const std::vector<uint8_t> zeros(size_t{1} << 20, 0);
    std::vector<uint8_t> out(bytes / 1000 + 4096);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    for (size_t done = 0; done < bytes;)
    {
        const size_t n = std::min(zeros.size(), bytes - done);
        done += n;
        z.next_in = const_cast<Bytef*>(zeros.data());
        z.avail_in = static_cast<uInt>(n);
        EXPECT_NE(deflate(&z, done == bytes ? Z_FINISH : Z_NO_FLUSH), Z_STREAM_ERROR);
    }
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

TEST(VoiceDataRead, ClipsTogetherMayNotDecodeBeyondTheImportLimit)
{
    // Twelve clips of 96 MiB of zeros, each a stream of under 100 KB that could inflate that
    // far on its own: 1.1 GiB together, refused before any clip is allocated.
    constexpr int32_t kClipBytes = 96 << 20;
    const std::vector<uint8_t> stream = DeflateZeros(kClipBytes);
    ASSERT_LT(int64_t{1032} * static_cast<int64_t>(stream.size()), int64_t{2} * kClipBytes);
    auto set = MakeStartupSet();
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        PutClip(*set, kind, MakeSamples(4, static_cast<uint32_t>(kind)));
    }
    std::vector<uint8_t> image = Encode(*set);
    image.resize(test::kHeaderBytes);
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        const int slot = ClipSlot(kind, 0);
        PutI32At(image, Column(test::kAtByteSizes, slot), kClipBytes);
        PutI32At(image, Column(test::kAtLengthBytes, slot), kClipBytes);
        PutI32At(image, Column(test::kAtSampleCounts, slot), kClipBytes / 2);
        PutI32At(image, Column(test::kAtLengthFrames, slot), kClipBytes / 2);
        const size_t at = image.size();
        image.resize(at + 4);
        PutI32At(image, at, static_cast<int32_t>(stream.size()));
        image.insert(image.end(), stream.begin(), stream.end());
    }

    int32_t version = 0;
    VoiceDataRefusal refusal;
    auto scratch = std::make_unique<VoiceSet>();
    EXPECT_FALSE(ParseVoiceData(image.data(), image.size(), *scratch, version, refusal));
    EXPECT_EQ(refusal.problem, VoiceDataProblem::TotalTooLarge);
    EXPECT_EQ(refusal.value, int64_t{12} * kClipBytes);
    EXPECT_TRUE(scratch->samples[0].empty());
    const std::string text = DescribeVoiceDataRefusal(refusal);
    EXPECT_NE(text.find("1207959552"), std::string::npos) << text;
    EXPECT_NE(text.find("1073741824"), std::string::npos) << text;
}

TEST(VoiceDataRead, OwnerNameFillingAllUnitsIsCutToKeepItsTerminator)
{
    DamageBase base = MakeDamageBase();
    for (size_t i = 0; i < 256; ++i)
    {
        base.bytes[4 + 2 * i] = 'n';
    }
    auto set = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    ASSERT_EQ(ReadVoiceDataBytes(base.bytes.data(), base.bytes.size(), *set, reporter), kOk);
    EXPECT_EQ(OwnerNameUtf8(*set), std::string(255, 'n'));
    EXPECT_EQ(set->ownerName[255], u'\0');
}

} // namespace
} // namespace yumo
