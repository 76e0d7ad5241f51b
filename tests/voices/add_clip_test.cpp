#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

#include "common/byte_io.h"
#include "common/utf16.h"
#include "support/test_support.h"
#include "voices/add_clip.h"

namespace yumo
{
namespace
{

ImportedAudio MakeImport(const std::vector<int16_t>& interleaved)
{
    ImportedAudio audio;
    audio.allocated = true;
    for (int16_t value : interleaved)
    {
        AppendU16(audio.buffer, static_cast<uint16_t>(value));
    }
    audio.byteLength = static_cast<int32_t>(audio.buffer.size());
    return audio;
}

PcmFormat MakeFormat(uint16_t channels, uint16_t blockAlign)
{
    return PcmFormat{1, channels, 44100, 44100u * blockAlign, blockAlign, 16, 0};
}

TEST(AppendImportedClip, MonoClipIsPaddedToWholeBlocksAndRecorded)
{
    auto set = std::make_unique<VoiceSet>();
    std::vector<int16_t> mono(1000);
    for (size_t i = 0; i < mono.size(); ++i)
    {
        mono[i] = static_cast<int16_t>(i * 31 - 15000);
    }
    // Stale entries an earlier file may have left beyond the count.
    set->tracks.playPosition[ClipSlot(kKindSnore, 0)] = 77;
    CapturingReporter reporter;
    ASSERT_EQ(AppendImportedClip(*set, kKindSnore, MakeImport(mono), MakeFormat(1, 2),
                                 u"/clips/ぐぅ.wav", reporter),
              AddClipResult::Added);
    EXPECT_TRUE(reporter.messages.empty());
    const int slot = ClipSlot(kKindSnore, 0);
    EXPECT_EQ(set->clipCounts[kKindSnore], 1);
    ASSERT_EQ(set->samples[slot].size(), 1024u);
    EXPECT_TRUE(std::equal(mono.begin(), mono.end(), set->samples[slot].begin()));
    for (size_t i = 1000; i < 1024; ++i)
    {
        EXPECT_EQ(set->samples[slot][i], 0) << i;
    }
    EXPECT_EQ(set->catalog.sampleCount[slot], 1024);
    EXPECT_EQ(set->catalog.byteSize[slot], 2048);
    EXPECT_EQ(set->tracks.lengthFrames[slot], 1024);
    EXPECT_EQ(set->tracks.lengthBytes[slot], 2048);
    EXPECT_EQ(set->tracks.playPosition[slot], 0);
    EXPECT_EQ(SourcePathUtf8(*set, slot), "/clips/ぐぅ.wav");
    EXPECT_EQ(set->catalog.pathLength[slot], 13);

    // A clip of exactly 512 samples is not padded further.
    ASSERT_EQ(AppendImportedClip(*set, kKindSnore, MakeImport(std::vector<int16_t>(512, 9)),
                                 MakeFormat(1, 2), u"/x.wav", reporter),
              AddClipResult::Added);
    EXPECT_EQ(set->samples[ClipSlot(kKindSnore, 1)].size(), 512u);
}

TEST(AppendImportedClip, MixesDownToTheTruncatedMeanOfTheFirstTwoChannels)
{
    auto set = std::make_unique<VoiceSet>();
    // 4096 bytes of stereo: 1024 frames.
    std::vector<int16_t> stereo(2048, 0);
    stereo[0] = 3;  // left 3, right 0 -> 1
    stereo[2] = -3; // left -3, right 0 -> -1 (toward zero, not -2)
    stereo[4] = 32767;
    stereo[5] = 32767; // no overflow in the sum
    stereo[6] = -32768;
    stereo[7] = -32767;
    CapturingReporter reporter;
    ASSERT_EQ(AppendImportedClip(*set, kKindSigh, MakeImport(stereo), MakeFormat(2, 4), u"/s.wav",
                                 reporter),
              AddClipResult::Added);
    const std::vector<int16_t>& clip = set->samples[ClipSlot(kKindSigh, 0)];
    ASSERT_EQ(clip.size(), 1024u);
    EXPECT_EQ(clip[0], 1);
    EXPECT_EQ(clip[1], -1);
    EXPECT_EQ(clip[2], 32767);
    EXPECT_EQ(clip[3], -32767);

    // Three channels: the third is ignored, frames are 6 bytes apart.
    const std::vector<int16_t> three = {10, 20, 999, -7, -8, 999};
    ASSERT_EQ(AppendImportedClip(*set, kKindSigh, MakeImport(three), MakeFormat(3, 6), u"/t.wav",
                                 reporter),
              AddClipResult::Added);
    const std::vector<int16_t>& mixed = set->samples[ClipSlot(kKindSigh, 1)];
    ASSERT_EQ(mixed.size(), 512u);
    EXPECT_EQ(mixed[0], 15);
    EXPECT_EQ(mixed[1], -7);
    EXPECT_EQ(mixed[2], 0);
}

TEST(AppendImportedClip, RefusesFrameLayoutsThatWouldReadPastTheFrame)
{
    auto set = std::make_unique<VoiceSet>();
    const ImportedAudio audio = MakeImport(std::vector<int16_t>(64, 1));
    CapturingReporter reporter;
    EXPECT_EQ(AppendImportedClip(*set, 0, audio, MakeFormat(1, 0), u"", reporter),
              AddClipResult::BadFormat);
    EXPECT_EQ(AppendImportedClip(*set, 0, audio, MakeFormat(2, 2), u"", reporter),
              AddClipResult::BadFormat);
    EXPECT_EQ(AppendImportedClip(*set, 0, audio, MakeFormat(0, 4), u"", reporter),
              AddClipResult::BadFormat);
    EXPECT_EQ(AppendImportedClip(*set, 12, audio, MakeFormat(1, 2), u"", reporter),
              AddClipResult::BadKind);
    EXPECT_EQ(set->clipCounts[0], 0);
    EXPECT_EQ(reporter.messages.size(), 4u);

    // A byte length beyond the buffer: only the buffer's frames are read.
    ImportedAudio overstated = audio;
    overstated.byteLength = 1 << 20;
    ASSERT_EQ(AppendImportedClip(*set, 0, overstated, MakeFormat(1, 2), u"", reporter),
              AddClipResult::Added);
    EXPECT_EQ(set->samples[0].size(), 512u);
    EXPECT_EQ(set->samples[0][63], 1);
    EXPECT_EQ(set->samples[0][64], 0);
}

TEST(AppendImportedClip, PathsLongerThanTheFieldAreCutTo255Units)
{
    auto set = std::make_unique<VoiceSet>();
    const std::u16string longPath = u"/" + std::u16string(299, u'p');
    CapturingReporter reporter;
    ASSERT_EQ(AppendImportedClip(*set, 1, MakeImport({1, 2}), MakeFormat(1, 2), longPath, reporter),
              AddClipResult::Added);
    EXPECT_EQ(set->catalog.pathLength[ClipSlot(1, 0)], 255);
    EXPECT_EQ(set->catalog.sourcePath[ClipSlot(1, 0)][255], u'\0');
}

TEST(AddVoiceClip, EleventhClipOfAKindIsRefusedAndOtherKindsStillAccept)
{
    test::TempDir dir;
    const std::string path = (dir / "clip.wav").string();
    test::WriteBytesFile(path, test::MakeWavBytes(std::vector<int16_t>(1000, 100)));
    auto set = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    for (int i = 0; i < 10; ++i)
    {
        ASSERT_EQ(AddVoiceClip(*set, kKindMumble, path, reporter), AddClipResult::Added) << i;
    }
    EXPECT_TRUE(reporter.messages.empty());
    // Through the WAV import, 1000 samples arrive padded to 2048 bytes: 1024 samples.
    EXPECT_EQ(set->catalog.sampleCount[ClipSlot(kKindMumble, 9)], 1024);
    EXPECT_EQ(set->catalog.byteSize[ClipSlot(kKindMumble, 9)], 2048);
    EXPECT_EQ(SourcePathUtf8(*set, ClipSlot(kKindMumble, 9)), path);

    EXPECT_EQ(AddVoiceClip(*set, kKindMumble, path, reporter), AddClipResult::KindFull);
    EXPECT_EQ(set->clipCounts[kKindMumble], 10);
    EXPECT_EQ(set->catalog.sampleCount[ClipSlot(kKindSleepTalk, 0)], 0); // next kind untouched
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].caption, "ボイス追加エラー");
    EXPECT_EQ(reporter.messages[0].text,
              "ボイスを追加できません。登録できる最大ボイス数を超えています。");

    // The limit comes first: a full kind does not even try a missing file.
    reporter.messages.clear();
    EXPECT_EQ(AddVoiceClip(*set, kKindMumble, (dir / "none.wav").string(), reporter),
              AddClipResult::KindFull);
    EXPECT_EQ(reporter.messages.size(), 1u);

    EXPECT_EQ(AddVoiceClip(*set, kKindSleepTalk, path, reporter), AddClipResult::Added);
    EXPECT_EQ(set->clipCounts[kKindSleepTalk], 1);
}

TEST(AddVoiceClip, FailedImportAddsNothing)
{
    test::TempDir dir;
    auto set = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    EXPECT_EQ(AddVoiceClip(*set, 0, (dir / "none.wav").string(), reporter),
              AddClipResult::ImportFailed);
    EXPECT_EQ(AddVoiceClip(*set, 0, "", reporter), AddClipResult::ImportFailed);
    test::WriteTextFile(dir / "text.wav", "not a wave file at all");
    EXPECT_EQ(AddVoiceClip(*set, 0, (dir / "text.wav").string(), reporter),
              AddClipResult::ImportFailed);
    EXPECT_EQ(set->clipCounts[0], 0);
    EXPECT_TRUE(set->samples[0].empty());
}

// The editor converts away from the set and appends later: the append checks again, since the
// set may have filled up or been replaced meanwhile.
TEST(AppendClipSamples, ChecksTheRoomAgainAndTakesWholeBlocksOnly)
{
    auto set = std::make_unique<VoiceSet>();
    CapturingReporter reporter;
    std::vector<int16_t> samples;
    ASSERT_EQ(ConvertImportToClip(MakeImport(std::vector<int16_t>(600, 5)), MakeFormat(1, 2),
                                  samples, reporter),
              AddClipResult::Added);
    ASSERT_EQ(samples.size(), 1024u);
    EXPECT_EQ(AppendClipSamples(*set, kKindGrumble, std::vector<int16_t>(1000), u"", reporter),
              AddClipResult::TooLong);
    set->clipCounts[kKindGrumble] = kMaxClipsPerKind;
    EXPECT_EQ(AppendClipSamples(*set, kKindGrumble, samples, u"", reporter),
              AddClipResult::KindFull);
    set->clipCounts[kKindGrumble] = 3;
    EXPECT_EQ(AppendClipSamples(*set, kKindGrumble, samples, u"/g.wav", reporter),
              AddClipResult::Added);
    EXPECT_EQ(set->clipCounts[kKindGrumble], 4);
    EXPECT_EQ(set->samples[ClipSlot(kKindGrumble, 3)], samples);
    EXPECT_EQ(reporter.messages.size(), 2u);
}

TEST(CheckVoiceSetSavable, NeedsAGoodNightAndAWakeCallClip)
{
    auto set = std::make_unique<VoiceSet>();
    EstablishBuiltInSilences(*set);
    CapturingReporter reporter;
    EXPECT_FALSE(CheckVoiceSetSavable(*set, reporter));
    set->clipCounts[kKindGoodNight] = 1;
    EXPECT_FALSE(CheckVoiceSetSavable(*set, reporter));
    set->clipCounts[kKindGoodNight] = 0;
    set->clipCounts[kKindWakeCall] = 1;
    EXPECT_FALSE(CheckVoiceSetSavable(*set, reporter));
    ASSERT_EQ(reporter.messages.size(), 3u);
    EXPECT_EQ(reporter.messages[0].caption, "ymv保存エラー");
    EXPECT_EQ(reporter.messages[0].text,
              "「おやすみ」ボイスと「起きて」ボイスをそれぞれ1つ以上登録してください。");
    set->clipCounts[kKindGoodNight] = 1;
    EXPECT_TRUE(CheckVoiceSetSavable(*set, reporter));
    EXPECT_EQ(reporter.messages.size(), 3u);
}

} // namespace
} // namespace yumo
