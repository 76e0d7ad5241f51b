#include <gtest/gtest.h>
#include <memory>

#include "voice_test_helpers.h"
#include "voices/voice_set.h"

namespace yumo
{
namespace
{

TEST(ClearVoiceClips, EmptiesKindsUpTo13AndLeavesKind14)
{
    auto set = std::make_unique<VoiceSet>();
    EstablishBuiltInSilences(*set);
    test::PutClip(*set, kKindGoodNight, test::MakeSamples(512, 1), u"/a.wav");
    test::PutClip(*set, kKindFileOnly, test::MakeSamples(1024, 2), u"/b.wav");
    const int slot = ClipSlot(kKindGoodNight, 0);
    set->catalog.secondText[slot][0] = u'z';
    set->tracks.playPosition[slot] = 512;
    set->tracks.outputByteCounter[slot] = 2048;
    const auto kind14Samples = set->samples[ClipSlot(kKindBuiltInSilenceMidBreath, 3)];
    const int32_t kind14Length =
        set->tracks.lengthFrames[ClipSlot(kKindBuiltInSilenceMidBreath, 3)];

    ClearVoiceClips(*set);

    for (int kind = 0; kind <= kKindBuiltInSilence; ++kind)
    {
        EXPECT_EQ(set->clipCounts[kind], 0) << kind;
    }
    for (int s : {slot, ClipSlot(kKindFileOnly, 0), ClipSlot(kKindBuiltInSilence, 3)})
    {
        SCOPED_TRACE(s);
        EXPECT_EQ(set->catalog.sourcePath[s][0], u'\0');
        EXPECT_EQ(set->catalog.secondText[s][0], u'\0');
        EXPECT_EQ(set->catalog.pathLength[s], 0);
        EXPECT_EQ(set->catalog.sampleCount[s], 0);
        EXPECT_EQ(set->catalog.byteSize[s], 0);
        EXPECT_EQ(set->tracks.playPosition[s], 0);
        EXPECT_EQ(set->tracks.outputByteCounter[s], 0);
        EXPECT_EQ(set->tracks.lengthFrames[s], 0);
        EXPECT_EQ(set->tracks.lengthBytes[s], 0);
        EXPECT_TRUE(set->samples[s].empty());
        EXPECT_EQ(set->samples[s].capacity(), 0u); // the buffer is released, not just emptied
    }
    EXPECT_EQ(set->clipCounts[kKindBuiltInSilenceMidBreath], 4);
    EXPECT_EQ(set->samples[ClipSlot(kKindBuiltInSilenceMidBreath, 3)], kind14Samples);
    EXPECT_EQ(set->tracks.lengthFrames[ClipSlot(kKindBuiltInSilenceMidBreath, 3)], kind14Length);
}

TEST(BuiltInSilences, FourClipsPerKindWithTheRecordedLengths)
{
    auto set = std::make_unique<VoiceSet>();
    EstablishBuiltInSilences(*set);
    for (int kind : {kKindBuiltInSilence, kKindBuiltInSilenceMidBreath})
    {
        EXPECT_EQ(set->clipCounts[kind], 4);
        for (int j = 0; j < 4; ++j)
        {
            const int slot = ClipSlot(kind, j);
            EXPECT_EQ(set->catalog.sampleCount[slot], 10240 * (j + 1));
            EXPECT_EQ(set->tracks.lengthFrames[slot], 10240 * (j + 1));
            // The recorded byte size is twice the buffer's own size of 20480 * (j + 1) bytes.
            EXPECT_EQ(set->catalog.byteSize[slot], 40960 * (j + 1));
            EXPECT_EQ(set->tracks.lengthBytes[slot], 40960 * (j + 1));
            ASSERT_EQ(set->samples[slot].size() * 2, static_cast<size_t>(20480 * (j + 1)));
            EXPECT_EQ(set->samples[slot][0], 0);
            EXPECT_EQ(set->samples[slot][1], 0);
        }
        EXPECT_EQ(set->catalog.sampleCount[ClipSlot(kind, 4)], 0);
    }
}

TEST(VoiceSetOwner, NewSetEmptiesTheNameAndLongNamesAreCutTo255Units)
{
    auto set = std::make_unique<VoiceSet>();
    SetOwnerName(*set, std::string(300, 'a'));
    EXPECT_EQ(OwnerNameUtf8(*set), std::string(255, 'a'));
    EXPECT_EQ(set->ownerName[255], u'\0');

    std::string japanese;
    for (int i = 0; i < 300; ++i)
    {
        japanese += "夢";
    }
    SetOwnerName(*set, japanese);
    EXPECT_EQ(Utf8ToUtf16(OwnerNameUtf8(*set)).size(), 255u);

    test::PutClip(*set, kKindGoodNight, test::MakeSamples(512, 1));
    StartNewVoiceSet(*set);
    EXPECT_EQ(OwnerNameUtf8(*set), "");
    EXPECT_EQ(set->clipCounts[kKindGoodNight], 0);
    EXPECT_EQ(set->clipCounts[kKindBuiltInSilence], 4);
}

TEST(VoiceKindLabels, EveryEditorLabelFindsItsKind)
{
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        ASSERT_NE(VoiceKindLabel(kind), nullptr);
        EXPECT_EQ(FindVoiceKindByLabel(VoiceKindLabel(kind)), kind);
    }
    EXPECT_EQ(FindVoiceKindByLabel("…はっ"), kKindStartle);
    EXPECT_EQ(FindVoiceKindByLabel("起きて"), kKindWakeCall);
    EXPECT_EQ(FindVoiceKindByLabel("はっ"), -1);
    EXPECT_EQ(VoiceKindLabel(12), nullptr);
}

} // namespace
} // namespace yumo
