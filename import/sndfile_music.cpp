// FLAC, Ogg Vorbis and Opus music through libsndfile, streamed from the file: 16-bit frames of
// the first two channels, brought to 44.1 kHz as the MP3 import brings them.

#include <algorithm>
#include <sndfile.h>
#include <vector>

#include "common/constants.h"
#include "common/regular_file.h"
#include "import/import_messages.h"
#include "import/music_reader.h"
#include "import/pcm_resampler.h"

namespace yumo
{
namespace
{

// libsndfile reads the file through these, so only a regular file opened as every outside file
// is opened is ever read.
struct VirtualFile
{
    const RegularFile* file = nullptr;
    sf_count_t pos = 0;
    bool failed = false;
};

sf_count_t FileLength(void* user)
{
    return static_cast<sf_count_t>(static_cast<VirtualFile*>(user)->file->Size());
}

sf_count_t FileSeek(sf_count_t offset, int whence, void* user)
{
    auto* v = static_cast<VirtualFile*>(user);
    const sf_count_t size = FileLength(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? v->pos : size;
    v->pos = std::clamp<sf_count_t>(base + offset, 0, size);
    return v->pos;
}

sf_count_t FileRead(void* out, sf_count_t count, void* user)
{
    auto* v = static_cast<VirtualFile*>(user);
    const sf_count_t n = std::clamp<sf_count_t>(FileLength(user) - v->pos, 0, count);
    if (n > 0 && !v->file->ReadAt(static_cast<uint64_t>(v->pos), out, static_cast<size_t>(n)))
    {
        v->failed = true;
        return 0;
    }
    v->pos += n;
    return n;
}

sf_count_t FileWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t FileTell(void* user) { return static_cast<VirtualFile*>(user)->pos; }

struct SndfileCloser
{
    void operator()(SNDFILE* f) const { sf_close(f); }
};

constexpr sf_count_t kPieceFrames = 8192;

class SndfileMusic final : public MusicReader
{
public:
    explicit SndfileMusic(std::unique_ptr<RegularFile> file) : file_(std::move(file)) {}

    bool Start()
    {
        handle_.reset();
        virtual_ = VirtualFile{file_.get(), 0, false};
        SF_VIRTUAL_IO io{FileLength, FileSeek, FileRead, FileWrite, FileTell};
        info_ = SF_INFO{};
        handle_.reset(sf_open_virtual(&io, SFM_READ, &info_, &virtual_));
        if (!handle_ || info_.channels < 1 || info_.samplerate < 1 || info_.frames < 0)
        {
            return false;
        }
        sf_command(handle_.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
        channels_ = info_.channels >= 2 ? 2 : 1;
        writer_ = std::make_unique<PcmWriter>(channels_, static_cast<uint32_t>(info_.samplerate));
        raw_.resize(static_cast<size_t>(kPieceFrames * info_.channels));
        packed_.resize(static_cast<size_t>(kPieceFrames) * channels_);
        pending_ = {};
        given_ = 0;
        ended_ = false;
        return !writer_->Failed();
    }

    int64_t Frames() const
    {
        return static_cast<int64_t>(ResampledFrames(static_cast<uint64_t>(info_.frames),
                                                    static_cast<uint32_t>(info_.samplerate)));
    }
    int Channels() const { return static_cast<int>(channels_); }
    void SetLength(int64_t frames) { length_ = full_ = frames; }

    int64_t Read(int16_t* out, size_t frames) override
    {
        return ReadPieces(
            pending_, out, frames, channels_, given_, length_, [this] { return Refill(); },
            [this] { return virtual_.failed || writer_->Failed(); });
    }

    bool Rewind() override
    {
        const bool ok = Start();
        length_ = full_;
        return ok;
    }

private:
    // The next piece into `pending_`; false once the file and the resampler are spent.
    bool Refill()
    {
        pending_.samples.clear(); // the piece's room is kept for the next
        pending_.taken = 0;
        if (ended_)
        {
            return writer_->Resamples() && writer_->Drain(pending_.samples);
        }
        const sf_count_t got = sf_readf_short(handle_.get(), raw_.data(), kPieceFrames);
        if (got <= 0 || virtual_.failed)
        {
            ended_ = true;
            return !virtual_.failed && Refill();
        }
        const auto channels = static_cast<size_t>(info_.channels);
        for (size_t f = 0; f < static_cast<size_t>(got); ++f)
        {
            for (size_t c = 0; c < static_cast<size_t>(channels_); ++c)
            {
                packed_[f * channels_ + c] = raw_[f * channels + c];
            }
        }
        writer_->Write(packed_.data(), static_cast<size_t>(got), pending_.samples);
        return !writer_->Failed();
    }

    std::unique_ptr<RegularFile> file_;
    VirtualFile virtual_;
    SF_INFO info_{};
    std::unique_ptr<SNDFILE, SndfileCloser> handle_;
    std::unique_ptr<PcmWriter> writer_;
    std::vector<int16_t> raw_;
    std::vector<int16_t> packed_;
    PendingPiece pending_;
    size_t channels_ = 2;
    bool ended_ = false;
    int64_t given_ = 0;
    int64_t length_ = 0;
    int64_t full_ = 0;
};

} // namespace

std::unique_ptr<MusicReader> OpenSndfileMusic(const std::string& path, MusicLayout& layout,
                                              Reporter& reporter)
{
    auto file = std::make_unique<RegularFile>();
    if (file->Open(path) != FileReadResult::Ok)
    {
        ReportMp3Failure(reporter, kMp3OpenFailedText);
        return nullptr;
    }
    auto music = std::make_unique<SndfileMusic>(std::move(file));
    if (!music->Start() || music->Frames() <= 0)
    {
        ReportMp3Failure(reporter, kMp3StreamFailedText);
        return nullptr;
    }
    music->SetLength(music->Frames());
    layout.format = Pcm16Format(static_cast<uint16_t>(music->Channels()));
    layout.channels = music->Channels();
    layout.importedBytes = music->Frames() * music->Channels() * kBytesPerSample;
    layout.loopFrames = MusicLoopFrames(layout.importedBytes, layout.format);
    return music;
}

} // namespace yumo
