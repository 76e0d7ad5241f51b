#include "import/music_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <vector>

#include "common/byte_io.h"
#include "common/constants.h"
#include "common/regular_file.h"
#include "import/import_messages.h"
#include "import/mp3_import.h"
#include "import/wav_import.h"

namespace yumo
{
namespace
{

constexpr uint64_t kWavDataSearchStart = 36;
constexpr size_t kPieceBytes = size_t{1} << 16;

// The first "data" at or after offset 36, read a piece at a time; the file's size when there
// is none. False when the file cannot be read.
bool FindWavDataTag(const RegularFile& file, uint64_t& tag)
{
    const uint64_t size = file.Size();
    std::vector<uint8_t> piece(kPieceBytes);
    tag = size;
    for (uint64_t at = kWavDataSearchStart; at + 4 <= size; at += kPieceBytes - 3)
    {
        const auto count = static_cast<size_t>(std::min<uint64_t>(kPieceBytes, size - at));
        if (!file.ReadAt(at, piece.data(), count))
        {
            return false;
        }
        static constexpr uint8_t kTag[4] = {'d', 'a', 't', 'a'};
        const auto end = piece.begin() + static_cast<ptrdiff_t>(count);
        const auto found = std::search(piece.begin(), end, kTag, kTag + 4);
        if (found != end)
        {
            tag = at + static_cast<uint64_t>(found - piece.begin());
            return true;
        }
        if (count < kPieceBytes)
        {
            break;
        }
    }
    return true;
}

// The samples of a WAV's data chunk, each frame cut to its first two samples; bytes past the
// chunk read as 0, as the import's padding does.
class WavMusic final : public MusicReader
{
public:
    WavMusic(std::unique_ptr<RegularFile> file, const WavDataPlace& place, const PcmFormat& format,
             int64_t sourceFrames)
        : file_(std::move(file)), place_(place), align_(format.blockAlign),
          channels_(format.channels >= 2 ? 2 : 1), sourceFrames_(sourceFrames)
    {
        const size_t framesPerPiece = std::max<size_t>(1, kPieceBytes / align_);
        piece_.resize(framesPerPiece * align_);
    }

    int64_t Read(int16_t* out, size_t frames) override
    {
        const auto left = static_cast<size_t>(std::max<int64_t>(sourceFrames_ - next_, 0));
        frames = std::min({frames, left, piece_.size() / align_});
        if (frames == 0)
        {
            return 0;
        }
        const uint64_t from = static_cast<uint64_t>(next_) * align_;
        const uint64_t present = place_.bytes > from ? place_.bytes - from : 0;
        const auto count = static_cast<size_t>(std::min<uint64_t>(frames * align_, present));
        std::fill(piece_.begin(), piece_.end(), 0);
        if (count > 0 && !file_->ReadAt(place_.start + from, piece_.data(), count))
        {
            return -1;
        }
        const size_t frameBytes = static_cast<size_t>(channels_) * kBytesPerSample;
        for (size_t f = 0; f < frames; ++f)
        {
            std::memcpy(out + f * static_cast<size_t>(channels_), piece_.data() + f * align_,
                        frameBytes);
        }
        next_ += static_cast<int64_t>(frames);
        return static_cast<int64_t>(frames);
    }

    bool Rewind() override
    {
        next_ = 0;
        return file_->IsOpen();
    }

private:
    std::unique_ptr<RegularFile> file_;
    WavDataPlace place_;
    size_t align_;
    int channels_;
    int64_t sourceFrames_;
    int64_t next_ = 0;
    std::vector<uint8_t> piece_;
};

bool EndsWithNoCase(const std::string& name, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    if (name.size() < n)
    {
        return false;
    }
    for (size_t i = 0; i < n; ++i)
    {
        const auto c = static_cast<unsigned char>(name[name.size() - n + i]);
        if (std::tolower(c) != suffix[i])
        {
            return false;
        }
    }
    return true;
}

} // namespace

size_t PendingPiece::Give(int16_t* out, size_t frames, size_t channels)
{
    const size_t n = std::min(frames, (samples.size() - taken) / channels);
    std::copy_n(samples.begin() + static_cast<ptrdiff_t>(taken), n * channels, out);
    taken += n * channels;
    return n;
}

int64_t MusicLoopFrames(int64_t importedBytes, const PcmFormat& format)
{
    const int64_t rounded =
        RoundUpToWhole<int64_t>(std::max<int64_t>(importedBytes, 0), kBytesPerBlock);
    const int64_t sourceFrames = format.blockAlign > 0 ? rounded / format.blockAlign : 0;
    return RoundUpToWhole<int64_t>(std::max<int64_t>(sourceFrames, 1), kFramesPerBlock);
}

bool HasSndfileExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return EndsWithNoCase(name, ".flac") || EndsWithNoCase(name, ".ogg") ||
           EndsWithNoCase(name, ".opus");
}

std::unique_ptr<MusicReader> OpenWavMusic(const std::string& path, MusicLayout& layout,
                                          Reporter& reporter, uint64_t limitBytes)
{
    auto opened = std::make_unique<RegularFile>();
    const RegularFile& file = *opened;
    switch (opened->Open(path))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::NotRegular: // a folder, pipe or device is no WAV file, and says so
        ReportWavRefusal(reporter, kNotWavText);
        return nullptr;
    default: // unreadable: refused without a message, as the import refuses it
        return nullptr;
    }
    if (file.Size() > limitBytes)
    {
        ReportWavRefusal(reporter, kImportTooLargeText);
        return nullptr;
    }
    std::array<uint8_t, kWavFixedHeaderBytes> head{};
    const auto headBytes = static_cast<size_t>(std::min<uint64_t>(file.Size(), head.size()));
    uint64_t tag = file.Size();
    std::array<uint8_t, 4> declared{};
    if (!file.ReadAt(0, head.data(), headBytes) ||
        (headBytes == head.size() && !FindWavDataTag(file, tag)) ||
        (tag + 8 <= file.Size() && !file.ReadAt(tag + 4, declared.data(), 4)))
    {
        return nullptr;
    }
    PcmFormat format;
    WavDataPlace place;
    if (!CheckWavHeader(head.data(), file.Size(), headBytes == head.size() ? tag : file.Size(),
                        LoadU32(declared.data()), format, place, reporter))
    {
        return nullptr;
    }
    const auto imported =
        static_cast<int64_t>(RoundUpToWhole<uint64_t>(place.bytes, kBytesPerBlock));
    if (imported <= 0)
    {
        return nullptr; // an empty data chunk holds nothing to play
    }
    layout.format = format;
    layout.channels = format.channels >= 2 ? 2 : 1;
    layout.importedBytes = imported;
    layout.loopFrames = MusicLoopFrames(imported, format);
    // Frames wholly inside the padded import; the rest of the loop is silence.
    const int64_t sourceFrames = imported / format.blockAlign;
    return std::make_unique<WavMusic>(std::move(opened), place, format, sourceFrames);
}

std::unique_ptr<MusicReader> OpenMusicReader(const std::string& path, MusicLayout& layout,
                                             Reporter& reporter)
{
    if (HasMp3Extension(path))
    {
        return OpenMp3Music(path, layout, reporter);
    }
    if (HasSndfileExtension(path))
    {
        return OpenSndfileMusic(path, layout, reporter);
    }
    return OpenWavMusic(path, layout, reporter);
}

} // namespace yumo
