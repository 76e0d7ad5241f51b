#include "voices/voice_set.h"

#include "common/ui_text.h"
#include "common/utf16.h"

namespace yumo
{

void ClearVoiceClips(VoiceSet& set)
{
    for (int kind = 0; kind <= kKindBuiltInSilence; ++kind)
    {
        for (int i = 0; i < set.clipCounts[kind] && i < kMaxClipsPerKind; ++i)
        {
            const int slot = ClipSlot(kind, i);
            set.catalog.sourcePath[slot].fill(0);
            set.catalog.secondText[slot].fill(0);
            set.catalog.pathLength[slot] = 0;
            set.catalog.sampleCount[slot] = 0;
            set.catalog.byteSize[slot] = 0;
            set.tracks.playPosition[slot] = 0;
            set.tracks.outputByteCounter[slot] = 0;
            set.tracks.lengthFrames[slot] = 0;
            set.tracks.lengthBytes[slot] = 0;
            std::vector<int16_t>().swap(set.samples[slot]);
        }
        set.clipCounts[kind] = 0;
    }
}

void EstablishBuiltInSilences(VoiceSet& set)
{
    for (int kind : {kKindBuiltInSilence, kKindBuiltInSilenceMidBreath})
    {
        set.clipCounts[kind] = 4;
        for (int j = 0; j < 4; ++j)
        {
            const int slot = ClipSlot(kind, j);
            // The recorded byte size is twice the buffer's size; nothing reads the buffer
            // through it, and the tables keep these values as they stand.
            set.catalog.sampleCount[slot] = 10240 * (j + 1);
            set.catalog.byteSize[slot] = 40960 * (j + 1);
            set.tracks.lengthFrames[slot] = 10240 * (j + 1);
            set.tracks.lengthBytes[slot] = 40960 * (j + 1);
            set.samples[slot].assign(static_cast<size_t>(10240 * (j + 1)), 0);
        }
    }
}

void StartNewVoiceSet(VoiceSet& set)
{
    ClearVoiceClips(set);
    EstablishBuiltInSilences(set);
    set.ownerName.fill(u'\0');
}

std::string OwnerNameUtf8(const VoiceSet& set)
{
    return Utf16ToUtf8(TerminatedUtf16(set.ownerName.data(), set.ownerName.size()));
}

void SetOwnerName(VoiceSet& set, std::string_view utf8)
{
    StoreUtf16Field(Utf8ToUtf16(utf8), set.ownerName.data(), set.ownerName.size());
}

std::string SourcePathUtf8(const VoiceSet& set, int slot)
{
    const VoiceText& path = set.catalog.sourcePath[static_cast<size_t>(slot)];
    return Utf16ToUtf8(TerminatedUtf16(path.data(), path.size()));
}

namespace
{

constexpr const char* kKindLabels[kEditableVoiceKindCount] = {
    YUMO_TEXT("おやすみ"), YUMO_TEXT("すぅはぁ"), YUMO_TEXT("すぅ"),
    YUMO_TEXT("はぁ"),     YUMO_TEXT("ぐぅぐぅ"), YUMO_TEXT("うーんむにゃむにゃ"),
    YUMO_TEXT("寝言"),     YUMO_TEXT("…はっ"),    YUMO_TEXT("ぶつぶつ"),
    YUMO_TEXT("はーぁ"),   YUMO_TEXT("起きて"),   YUMO_TEXT("静寂"),
};

} // namespace

const char* VoiceKindLabel(int kind)
{
    return kind >= 0 && kind < kEditableVoiceKindCount ? kKindLabels[kind] : nullptr;
}

int FindVoiceKindByLabel(std::string_view label)
{
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        if (label == kKindLabels[kind])
        {
            return kind;
        }
    }
    return -1;
}

} // namespace yumo
