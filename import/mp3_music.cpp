// MP3 music streamed from its file: the import's decode and resampling, a piece at a time.

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "common/constants.h"
#include "common/regular_file.h"
#include "import/import_messages.h"
#include "import/mp3_stream.h"
#include "import/music_reader.h"

namespace yumo
{
namespace
{

// The audio's bytes from the file, read ahead in pieces: the decoder asks for a few bytes at a
// time. A file that shrinks or fails under it fails the read.
class FileSource final : public Mp3ByteSource
{
public:
    FileSource(const RegularFile& file, uint64_t start, uint64_t size)
        : file_(file), start_(start), size_(size), buffer_(size_t{1} << 16)
    {
    }

    int64_t Read(void* out, size_t count) override
    {
        auto* p = static_cast<uint8_t*>(out);
        size_t given = 0;
        while (given < count && pos_ < size_)
        {
            if (pos_ < bufferAt_ || pos_ >= bufferAt_ + bufferBytes_)
            {
                bufferAt_ = pos_;
                bufferBytes_ =
                    static_cast<size_t>(std::min<uint64_t>(buffer_.size(), size_ - pos_));
                if (!file_.ReadAt(start_ + bufferAt_, buffer_.data(), bufferBytes_))
                {
                    bufferBytes_ = 0;
                    return -1;
                }
            }
            const auto offset = static_cast<size_t>(pos_ - bufferAt_);
            const size_t n = std::min(count - given, bufferBytes_ - offset);
            std::memcpy(p + given, buffer_.data() + offset, n);
            given += n;
            pos_ += n;
        }
        return static_cast<int64_t>(given);
    }

    int64_t Seek(int64_t offset, int whence) override
    {
        const int64_t base = whence == SEEK_SET   ? 0
                             : whence == SEEK_CUR ? static_cast<int64_t>(pos_)
                             : whence == SEEK_END ? static_cast<int64_t>(size_)
                                                  : -1;
        if (base < 0 || offset < -base || offset > static_cast<int64_t>(size_) - base)
        {
            return -1;
        }
        pos_ = static_cast<uint64_t>(base + offset);
        return static_cast<int64_t>(pos_);
    }

private:
    const RegularFile& file_;
    uint64_t start_;
    uint64_t size_;
    uint64_t pos_ = 0;
    std::vector<uint8_t> buffer_;
    uint64_t bufferAt_ = 0;
    size_t bufferBytes_ = 0;
};

class Mp3Music final : public MusicReader
{
public:
    Mp3Music(std::unique_ptr<RegularFile> file, uint64_t start, const Mp3FormatDescriptor& d)
        : file_(std::move(file)), start_(start), descriptor_(d)
    {
    }

    // Opens the decoder from the first frame; false when it cannot start.
    bool Start()
    {
        source_ = std::make_unique<FileSource>(*file_, start_, file_->Size() - start_);
        stream_ = std::make_unique<Mp3PcmStream>();
        pending_ = {};
        given_ = 0;
        return stream_->Open(descriptor_, *source_);
    }

    int64_t ScannedFrames() const { return stream_->ScannedFrames(); }

    // The frames the whole import would hold, by decoding once and keeping nothing.
    int64_t CountFrames()
    {
        uint64_t produced = 0;
        std::vector<int16_t> piece;
        while (stream_->Next(piece))
        {
            produced += piece.size() / descriptor_.head.channels;
        }
        return stream_->Failed()
                   ? -1
                   : static_cast<int64_t>(std::min(produced, stream_->DurationFrames()));
    }

    void SetLength(int64_t frames) { length_ = frames; }

    int64_t Read(int16_t* out, size_t frames) override
    {
        return ReadPieces(
            pending_, out, frames, descriptor_.head.channels, given_, length_,
            [this] {
                pending_.taken = 0;
                return stream_->Next(pending_.samples);
            },
            [this] { return stream_->ReadFailed() || stream_->Failed(); });
    }

    bool Rewind() override
    {
        const int64_t length = full_;
        const bool ok = Start();
        length_ = length;
        return ok;
    }

    void KeepLength() { full_ = length_; }

private:
    std::unique_ptr<RegularFile> file_;
    uint64_t start_;
    Mp3FormatDescriptor descriptor_;
    std::unique_ptr<FileSource> source_;
    std::unique_ptr<Mp3PcmStream> stream_;
    PendingPiece pending_;
    int64_t given_ = 0;
    int64_t length_ = 0;
    int64_t full_ = 0;
};

} // namespace

std::unique_ptr<MusicReader> OpenMp3Music(const std::string& path, MusicLayout& layout,
                                          Reporter& reporter, uint64_t limitBytes)
{
    auto file = std::make_unique<RegularFile>();
    if (file->Open(path) != FileReadResult::Ok)
    {
        ReportMp3Failure(reporter, kMp3OpenFailedText);
        return nullptr;
    }
    if (file->Size() > limitBytes)
    {
        ReportMp3Failure(reporter, kImportTooLargeText);
        return nullptr;
    }
    std::array<uint8_t, 10> head{};
    uint64_t start = 0;
    Mp3FormatDescriptor descriptor;
    std::array<uint8_t, 4> header{};
    if (!file->ReadAt(0, head.data(),
                      static_cast<size_t>(std::min<uint64_t>(file->Size(), head.size()))))
    {
        ReportMp3Failure(reporter, kMp3OpenFailedText);
        return nullptr;
    }
    // An unusable header is refused without a message, as the import refuses it.
    if (Mp3AudioStart(head.data(), file->Size(), start) != Mp3HeaderProblem::None ||
        !file->ReadAt(start, header.data(), header.size()) ||
        CheckMp3FrameHeader(header.data(), descriptor) != Mp3HeaderProblem::None)
    {
        return nullptr;
    }
    auto music = std::make_unique<Mp3Music>(std::move(file), start, descriptor);
    if (!music->Start())
    {
        ReportMp3Failure(reporter, kMp3StreamFailedText);
        return nullptr;
    }
    int64_t frames = music->ScannedFrames();
    if (frames < 0)
    {
        // The stream does not tell its length: one pass counts it, then decoding starts again.
        frames = music->CountFrames();
        if (frames < 0 || !music->Start())
        {
            ReportMp3Failure(reporter, kMp3StreamFailedText);
            return nullptr;
        }
    }
    if (frames > 0 &&
        static_cast<uint64_t>(frames) * descriptor.head.channels * kBytesPerSample > limitBytes)
    {
        ReportMp3Failure(reporter, kImportTooLargeText);
        return nullptr;
    }
    if (frames <= 0)
    {
        ReportMp3Failure(reporter, kMp3StreamFailedText);
        return nullptr;
    }
    music->SetLength(frames);
    music->KeepLength();
    layout.format = Pcm16Format(descriptor.head.channels);
    layout.channels = descriptor.head.channels;
    layout.importedBytes = frames * descriptor.head.channels * kBytesPerSample;
    layout.loopFrames = MusicLoopFrames(layout.importedBytes, layout.format);
    return music;
}

} // namespace yumo
