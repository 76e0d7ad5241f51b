// Background music: imported whole, packed in its own buffer to mono or stereo frames of whole
// blocks, mixed by the refill and looped seamlessly.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "import/mp3_import.h"
#include "night/night_messages.h"
#include "night/output_stream.h"

namespace yumo
{
namespace
{

// A loop point always falls on a block boundary, so the arrays hold whole blocks.
int64_t RoundUpToBlock(int64_t value, int64_t block) { return (value + block - 1) / block * block; }

// Whether the frames can be read as 16-bit samples: at least one channel, and a frame wide
// enough to hold the channels the format names.
bool IsUsableFormat(const PcmFormat& format)
{
    return format.channels >= 1 && format.bitsPerSample == 16 &&
           format.blockAlign >= format.channels * kBytesPerSample;
}

} // namespace

bool SplitMusic(const std::string& path, ImportedAudio& audio, const PcmFormat& format,
                PreparedMusic& out, Reporter& reporter)
{
    if (!IsUsableFormat(format))
    {
        ReportMessage(reporter, kMusicNot16BitText, kMusicErrorCaption);
        return false;
    }
    // One frame of output per frame of the source: a mono source is heard on both sides, and a
    // source of more than two channels gives its first two.
    const size_t available =
        std::min(audio.buffer.size(), static_cast<size_t>(std::max<int32_t>(audio.byteLength, 0)));
    const int64_t roundedBytes = RoundUpToBlock(
        static_cast<int64_t>(std::max<int32_t>(audio.byteLength, 0)), kBytesPerBlock);
    const int64_t sourceFrames = roundedBytes / format.blockAlign;
    const int64_t frames = RoundUpToBlock(std::max<int64_t>(sourceFrames, 1), kFramesPerBlock);
    // Both the length and the cursor, which runs a block past it, are 32-bit byte counts.
    if (frames * kBytesPerFrame > std::numeric_limits<int32_t>::max() - kBytesPerBlock)
    {
        ReportMessage(reporter, kMusicTooLongText, kMusicErrorCaption);
        return false;
    }
    // Packed in place, front to back: a frame is never written past where its source starts,
    // and both its samples are read before it is written. Samples beyond the import read as 0.
    const int channels = format.channels >= 2 ? 2 : 1;
    const size_t frameBytes = static_cast<size_t>(channels) * kBytesPerSample;
    std::vector<uint8_t> pcm = std::move(audio.buffer);
    audio.buffer = {};
    // An import padded to whole blocks already has the room; a shorter buffer is grown first.
    const auto packedBytes = static_cast<size_t>(frames) * frameBytes;
    if (pcm.size() < packedBytes)
    {
        pcm.resize(packedBytes, 0);
    }
    for (int64_t f = 0; f < sourceFrames; ++f)
    {
        const size_t from = static_cast<size_t>(f) * format.blockAlign;
        std::array<uint8_t, 4> frame{};
        for (size_t i = 0; i < frameBytes; i += kBytesPerSample)
        {
            if (from + i + kBytesPerSample <= available) // a sample cut short reads as 0
            {
                frame[i] = pcm[from + i];
                frame[i + 1] = pcm[from + i + 1];
            }
        }
        std::copy_n(frame.begin(), frameBytes,
                    pcm.begin() + static_cast<ptrdiff_t>(f) * static_cast<ptrdiff_t>(frameBytes));
    }
    pcm.resize(static_cast<size_t>(sourceFrames) * frameBytes);
    pcm.resize(packedBytes, 0);
    out.pcm = std::move(pcm);
    out.channels = channels;
    out.importedBytes = std::max<int32_t>(audio.byteLength, 1);
    out.path = path;
    out.format = format;
    return true;
}

size_t MusicFrames(const MusicSlot& music)
{
    return music.pcm.size() / (static_cast<size_t>(music.channels) * kBytesPerSample);
}

int16_t MusicSample(const MusicSlot& music, size_t frame, int side)
{
    return PackedMusicSample(music.pcm.data(), music.channels, frame, side);
}

int32_t InstallMusic(AppState& state, PreparedMusic prepared)
{
    if (prepared.importedBytes <= 0)
    {
        return 0;
    }
    MusicSlot& music = state.music;
    music.pcm = std::move(prepared.pcm);
    music.channels = prepared.channels;
    const auto frames = static_cast<int32_t>(MusicFrames(music));
    music.path = std::move(prepared.path);
    music.format = prepared.format;
    music.lengthFrames = frames;
    music.lengthBytes = frames * kBytesPerFrame;
    music.cursorFrames = 0;
    music.cursorBytes = 0;

    SetUpSlotTracks(music.lengthFrames, music.lengthBytes, music.keyframes, state.blockTracks);
    ++music.loadCount;
    state.stream.format.channels = kOutputChannels;
    state.stream.format.avgBytesPerSecond = kSampleRate * kOutputChannels * kBytesPerSample;
    state.referenceDistance[kKindGoodNight] = 1.0;
    music.musicOn = 1;
    return prepared.importedBytes;
}

bool StoreMusic(AppState& state, const std::string& path, ImportedAudio& audio,
                const PcmFormat& format)
{
    PreparedMusic prepared;
    return SplitMusic(path, audio, format, prepared, *state.reporter) &&
           InstallMusic(state, std::move(prepared)) > 0;
}

PreparedMusic PrepareMusic(const std::string& path, Reporter& reporter)
{
    PreparedMusic prepared;
    ImportedAudio audio;
    PcmFormat format;
    const int32_t bytes = ImportAudioByExtension(path, audio, format, reporter);
    if (bytes > 0 && SplitMusic(path, audio, format, prepared, reporter))
    {
        prepared.importedBytes = bytes;
    }
    else
    {
        prepared = PreparedMusic{};
    }
    ReleaseImportedAudio(audio);
    return prepared;
}

int32_t LoadMusicFile(AppState& state, const std::string& path)
{
    return InstallMusic(state, PrepareMusic(path, *state.reporter));
}

} // namespace yumo
