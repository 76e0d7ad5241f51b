// Background music: opened from its file and read ahead by a worker; the slot holds the stream,
// never the decoded music.

#include "night/music_slot.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "import/mp3_import.h"
#include "night/night_messages.h"
#include "night/night_phase.h"

namespace yumo
{
namespace
{

// Whether the frames can be read as 16-bit samples: at least one channel, and a frame wide
// enough to hold the channels the format names.
bool IsUsableFormat(const PcmFormat& format)
{
    return format.channels >= 1 && format.bitsPerSample == 16 &&
           format.blockAlign >= format.channels * kBytesPerSample;
}

// The record of the tracks keeps 32-bit lengths; longer music is written as the longest.
int32_t ClampToInt32(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, 0, std::numeric_limits<int32_t>::max()));
}

// The whole import, its frames packed in place to mono or stereo of the loop's length.
class HeldMusic final : public MusicReader
{
public:
    HeldMusic(std::vector<uint8_t> pcm, int channels) : pcm_(std::move(pcm)), channels_(channels) {}

    int64_t Read(int16_t* out, size_t frames) override
    {
        const size_t frameBytes = static_cast<size_t>(channels_) * kBytesPerSample;
        const size_t n = std::min(frames, (pcm_.size() - next_) / frameBytes);
        for (size_t i = 0; i < n * static_cast<size_t>(channels_); ++i)
        {
            const size_t at = next_ + i * kBytesPerSample;
            out[i] = static_cast<int16_t>(pcm_[at] | (pcm_[at + 1] << 8));
        }
        next_ += n * frameBytes;
        return static_cast<int64_t>(n);
    }

    bool Rewind() override
    {
        next_ = 0;
        return true;
    }

private:
    std::vector<uint8_t> pcm_;
    int channels_;
    size_t next_ = 0;
};

} // namespace

std::unique_ptr<MusicReader> HoldImportedMusic(ImportedAudio& audio, const PcmFormat& format,
                                               MusicLayout& layout, Reporter& reporter)
{
    if (!IsUsableFormat(format))
    {
        ReportMessage(reporter, kMusicNot16BitText, kMusicErrorCaption);
        return nullptr;
    }
    // One frame of output per frame of the source: a mono source is heard on both sides, and a
    // source of more than two channels gives its first two.
    const int64_t imported = std::max<int32_t>(audio.byteLength, 0);
    const size_t available = std::min(audio.buffer.size(), static_cast<size_t>(imported));
    const int64_t sourceFrames =
        RoundUpToWhole<int64_t>(imported, kBytesPerBlock) / format.blockAlign;
    const int64_t frames = MusicLoopFrames(imported, format);
    // Packed in place, front to back: a frame is never written past where its source starts,
    // and both its samples are read before it is written. Samples beyond the import read as 0.
    const int channels = format.channels >= 2 ? 2 : 1;
    const size_t frameBytes = static_cast<size_t>(channels) * kBytesPerSample;
    std::vector<uint8_t> pcm = std::move(audio.buffer);
    audio.buffer = {};
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
    layout.format = format;
    layout.channels = channels;
    layout.importedBytes = std::max<int64_t>(imported, 1);
    layout.loopFrames = frames;
    return std::make_unique<HeldMusic>(std::move(pcm), channels);
}

std::unique_ptr<MusicReader> ImportWholeMusic(const std::string& path, MusicLayout& layout,
                                              Reporter& reporter)
{
    ImportedAudio audio;
    PcmFormat format;
    std::unique_ptr<MusicReader> held;
    if (ImportAudioByExtension(path, audio, format, reporter) > 0)
    {
        held = HoldImportedMusic(audio, format, layout, reporter);
    }
    ReleaseImportedAudio(audio);
    return held;
}

PreparedMusic PrepareMusic(const std::string& path, std::unique_ptr<MusicReader> reader,
                           const MusicLayout& layout)
{
    PreparedMusic prepared;
    if (reader == nullptr || layout.loopFrames <= 0)
    {
        return prepared;
    }
    prepared.importedBytes = layout.importedBytes;
    prepared.path = path;
    prepared.layout = layout;
    prepared.stream = std::make_shared<MusicStream>(std::move(reader), layout);
    return prepared;
}

PreparedMusic PrepareMusic(const std::string& path, Reporter& reporter)
{
    MusicLayout layout;
    std::unique_ptr<MusicReader> reader = OpenMusicReader(path, layout, reporter);
    return PrepareMusic(path, std::move(reader), layout);
}

int64_t InstallMusic(AppState& state, PreparedMusic prepared)
{
    if (prepared.importedBytes <= 0 || prepared.stream == nullptr)
    {
        return 0;
    }
    MusicSlot& music = state.music;
    music.stream = std::move(prepared.stream); // the previous music's worker ends here
    music.channels = prepared.layout.channels;
    music.path = std::move(prepared.path);
    music.format = prepared.layout.format;
    music.lengthFrames = prepared.layout.loopFrames;
    music.lengthBytes = music.lengthFrames * kBytesPerFrame;
    music.cursorFrames = 0;
    music.cursorBytes = 0;

    SetUpSlotTracks(ClampToInt32(music.lengthFrames), ClampToInt32(music.lengthBytes),
                    music.keyframes, state.blockTracks);
    ++music.loadCount;
    state.stream.format.channels = kOutputChannels;
    state.stream.format.avgBytesPerSecond = kSampleRate * kOutputChannels * kBytesPerSample;
    state.referenceDistance[kKindGoodNight] = 1.0;
    music.musicOn = true;
    music.ended = false;
    return prepared.importedBytes;
}

bool StoreMusic(AppState& state, const std::string& path, ImportedAudio& audio,
                const PcmFormat& format)
{
    MusicLayout layout;
    std::unique_ptr<MusicReader> held = HoldImportedMusic(audio, format, layout, *state.reporter);
    return InstallMusic(state, PrepareMusic(path, std::move(held), layout)) > 0;
}

int64_t LoadMusicFile(AppState& state, const std::string& path)
{
    return InstallMusic(state, PrepareMusic(path, *state.reporter));
}

void AwaitMusicBlock(AppState& state)
{
    MusicSlot& music = state.music;
    if (!NightPlays(state.phase) || music.loadCount == 0 || music.stream == nullptr || music.ended)
    {
        return;
    }
    music.stream->Await(music.cursorFrames >= music.lengthFrames ? 0 : music.cursorFrames);
}

} // namespace yumo
