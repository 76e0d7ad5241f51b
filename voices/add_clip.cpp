#include "voices/add_clip.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "common/byte_io.h"
#include "common/ui_text.h"
#include "common/utf16.h"
#include "import/mp3_import.h"
#include "import/music_reader.h"
#include "import/wav_convert.h"
#include "voices/voice_captions.h"
#include "voices/voice_data_room.h"

namespace yumo
{
namespace
{

// The shortest clip an add makes: one block of samples.
constexpr int64_t kShortestClipBytes = int64_t{kFramesPerBlock} * kBytesPerSample;

bool ReportIfNoRoom(const VoiceSet& set, int64_t clipBytes, Reporter& reporter)
{
    const int64_t room = VoiceDataRoomBytes(set);
    if (clipBytes <= room)
    {
        return false;
    }
    ReportFormatted(reporter, DescribeClipTooLargeForRoom(clipBytes, room), kAddErrorCaption);
    return true;
}

// Makes `samples` the silent clip of `frames` padded to whole blocks, or says it is too long.
bool SizeClip(size_t frames, std::vector<int16_t>& samples, Reporter& reporter)
{
    const size_t padded = RoundUpToWhole(frames, size_t{kFramesPerBlock});
    if (padded > static_cast<size_t>(INT32_MAX) / sizeof(int16_t))
    {
        ReportMessage(reporter, YUMO_TEXT("ボイスを追加できません。音声が長すぎます。"),
                      kAddErrorCaption);
        return false;
    }
    samples.assign(padded, 0);
    return true;
}

} // namespace

AddClipResult CheckClipRoom(const VoiceSet& set, int kind, Reporter& reporter)
{
    if (kind < 0 || kind >= kEditableVoiceKindCount)
    {
        ReportMessage(reporter, YUMO_TEXT("ボイスを追加できません。ボイスの種類が不正です。"),
                      kAddErrorCaption);
        return AddClipResult::BadKind;
    }
    if (set.clipCounts[kind] < 0 || set.clipCounts[kind] >= kMaxClipsPerKind)
    {
        ReportMessage(reporter,
                      YUMO_TEXT("ボイスを追加できません。登録できる最大ボイス数を超えています。"),
                      kAddErrorCaption);
        return AddClipResult::KindFull;
    }
    if (ReportIfNoRoom(set, kShortestClipBytes, reporter))
    {
        return AddClipResult::NoRoom;
    }
    return AddClipResult::Added;
}

AddClipResult ConvertImportToClip(const ImportedAudio& audio, const PcmFormat& format,
                                  std::vector<int16_t>& samples, Reporter& reporter)
{
    const size_t align = format.blockAlign;
    const size_t channels = format.channels;
    // Every frame must hold a 16-bit value per channel, or the mix-down would read past it.
    if (channels == 0 || align < channels * sizeof(int16_t))
    {
        ReportMessage(reporter, YUMO_TEXT("ボイスを追加できません。音声の形式が不正です。"),
                      kAddErrorCaption);
        return AddClipResult::BadFormat;
    }
    const size_t bytes =
        std::min(static_cast<size_t>(std::max(audio.byteLength, 0)), audio.buffer.size());
    const size_t frames = bytes / align;
    if (!SizeClip(frames, samples, reporter))
    {
        return AddClipResult::TooLong;
    }
    for (size_t i = 0; i < frames; ++i)
    {
        const uint8_t* frame = audio.buffer.data() + align * i;
        const auto left = static_cast<int16_t>(LoadU16(frame));
        if (channels == 1)
        {
            samples[i] = left;
            continue;
        }
        const auto right = static_cast<int16_t>(LoadU16(frame + sizeof(int16_t)));
        // Integer division truncates toward zero: (-3 + 0) / 2 is -1.
        samples[i] = static_cast<int16_t>((left + right) / 2);
    }
    return AddClipResult::Added;
}

AddClipResult ImportVoiceClip(const std::string& path, std::vector<int16_t>& samples,
                              Reporter& reporter, ClipLevel level)
{
    // Read a piece at a time straight into the clip, as ConvertImportToClip converts a whole
    // import: the clip is the only buffer of the audio's size.
    MusicLayout layout;
    std::unique_ptr<MusicReader> reader =
        HasMp3Extension(path) ? OpenMp3Music(path, layout, reporter, kMaxImportBytes)
                              : OpenWavMusic(path, layout, reporter, kMaxImportBytes);
    if (reader == nullptr)
    {
        return AddClipResult::ImportFailed;
    }
    const auto frames = static_cast<size_t>(layout.importedBytes / layout.format.blockAlign);
    if (!SizeClip(frames, samples, reporter))
    {
        return AddClipResult::TooLong;
    }
    std::vector<int16_t> piece(2 * 4096);
    const auto channels = static_cast<size_t>(layout.channels);
    // A stream cut short keeps what came before, as the whole import keeps it.
    for (size_t at = 0; at < frames;)
    {
        const int64_t got = reader->Read(piece.data(), std::min<size_t>(4096, frames - at));
        if (got <= 0)
        {
            break;
        }
        for (size_t i = 0; i < static_cast<size_t>(got); ++i, ++at)
        {
            // Integer division truncates toward zero: (-3 + 0) / 2 is -1.
            samples[at] = channels == 1
                              ? piece[i]
                              : static_cast<int16_t>((piece[2 * i] + piece[2 * i + 1]) / 2);
        }
    }
    if (level == ClipLevel::Matched)
    {
        MatchClipLoudness(samples);
    }
    return AddClipResult::Added;
}

AddClipResult ImportConvertedClip(const std::string& path, std::vector<int16_t>& samples,
                                  Reporter& reporter, ClipLevel level)
{
    if (!ConvertWavFile(path, samples, reporter))
    {
        samples.clear();
        return AddClipResult::ImportFailed;
    }
    const size_t padded = RoundUpToWhole(samples.size(), size_t{kFramesPerBlock});
    samples.resize(padded, 0);
    if (level == ClipLevel::Matched)
    {
        MatchClipLoudness(samples);
    }
    return AddClipResult::Added;
}

AddClipResult AppendClipSamples(VoiceSet& set, int kind, std::vector<int16_t> samples,
                                std::u16string_view sourcePath, Reporter& reporter)
{
    if (const AddClipResult room = CheckClipRoom(set, kind, reporter); room != AddClipResult::Added)
    {
        return room;
    }
    if (samples.size() % kFramesPerBlock != 0 ||
        samples.size() > static_cast<size_t>(INT32_MAX) / sizeof(int16_t))
    {
        ReportMessage(reporter, YUMO_TEXT("ボイスを追加できません。音声が長すぎます。"),
                      kAddErrorCaption);
        return AddClipResult::TooLong;
    }
    if (ReportIfNoRoom(set, static_cast<int64_t>(samples.size()) * kBytesPerSample, reporter))
    {
        return AddClipResult::NoRoom;
    }
    const int32_t count = set.clipCounts[kind];
    const int slot = ClipSlot(kind, count);

    // A new clip starts with clean entries, whatever an earlier file left in the slot.
    set.catalog.secondText[slot].fill(u'\0');
    set.tracks.playPosition[slot] = 0;
    set.tracks.outputByteCounter[slot] = 0;

    const auto sampleCount = static_cast<int32_t>(samples.size());
    set.catalog.sampleCount[slot] = sampleCount;
    set.catalog.byteSize[slot] = sampleCount * 2;
    set.tracks.lengthFrames[slot] = sampleCount;
    set.tracks.lengthBytes[slot] = sampleCount * 2;
    VoiceText& path = set.catalog.sourcePath[slot];
    set.catalog.pathLength[slot] =
        static_cast<int32_t>(StoreUtf16Field(sourcePath, path.data(), path.size()));
    set.samples[slot] = std::move(samples);
    set.clipCounts[kind] = count + 1;
    return AddClipResult::Added;
}

AddClipResult AppendImportedClip(VoiceSet& set, int kind, const ImportedAudio& audio,
                                 const PcmFormat& format, std::u16string_view sourcePath,
                                 Reporter& reporter)
{
    if (const AddClipResult room = CheckClipRoom(set, kind, reporter); room != AddClipResult::Added)
    {
        return room;
    }
    std::vector<int16_t> samples;
    if (const AddClipResult converted = ConvertImportToClip(audio, format, samples, reporter);
        converted != AddClipResult::Added)
    {
        return converted;
    }
    return AppendClipSamples(set, kind, std::move(samples), sourcePath, reporter);
}

AddClipResult AddVoiceClip(VoiceSet& set, int kind, const std::string& path, Reporter& reporter,
                           ClipLevel level)
{
    // The limit is checked before anything is imported, so a full kind imports nothing.
    if (const AddClipResult room = CheckClipRoom(set, kind, reporter); room != AddClipResult::Added)
    {
        return room;
    }
    std::vector<int16_t> samples;
    if (const AddClipResult imported = ImportVoiceClip(path, samples, reporter, level);
        imported != AddClipResult::Added)
    {
        return imported;
    }
    return AppendClipSamples(set, kind, std::move(samples), Utf8ToUtf16(path), reporter);
}

AddClipResult AddVoiceClipConverting(VoiceSet& set, int kind, const std::string& path,
                                     Reporter& reporter, ClipLevel level)
{
    if (const AddClipResult room = CheckClipRoom(set, kind, reporter); room != AddClipResult::Added)
    {
        return room;
    }
    std::vector<int16_t> samples;
    AddClipResult imported = ImportVoiceClip(path, samples, reporter, level);
    if (imported == AddClipResult::ImportFailed && WavFileConvertible(path))
    {
        imported = ImportConvertedClip(path, samples, reporter, level);
    }
    if (imported != AddClipResult::Added)
    {
        return imported;
    }
    return AppendClipSamples(set, kind, std::move(samples), Utf8ToUtf16(path), reporter);
}

bool CheckVoiceSetSavable(const VoiceSet& set, Reporter& reporter)
{
    if (set.clipCounts[kKindGoodNight] <= 0 || set.clipCounts[kKindWakeCall] <= 0)
    {
        ReportMessage(
            reporter,
            YUMO_TEXT("「おやすみ」ボイスと「起きて」ボイスをそれぞれ1つ以上登録してください。"),
            kSaveErrorCaption);
        return false;
    }
    if (const int64_t room = VoiceDataRoomBytes(set); room < 0)
    {
        ReportFormatted(reporter, DescribeVoiceDataOverLimit(room), kSaveErrorCaption);
        return false;
    }
    return true;
}

} // namespace yumo
