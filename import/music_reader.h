#pragma once
// Background music read from its file a piece at a time: 16-bit frames at 44.1 kHz, packed to
// mono or stereo (a source of more channels gives its first two), exactly the frames the whole
// import would give, so that a night sounds the same whether the music is held or streamed.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/constants.h"
#include "common/report.h"
#include "import/pcm_audio.h"

namespace yumo
{

// What the load learns before anything plays.
struct MusicLayout
{
    PcmFormat format;          // as the import gives it (44.1 kHz, 16 bits, the source's channels)
    int channels = 2;          // packed: 1 (heard on both sides) or 2
    int64_t importedBytes = 0; // what the whole import's buffer would hold
    int64_t loopFrames = 0;    // the loop: the import rounded up to whole blocks, of packed frames
};

// The loop of an import of `importedBytes` in `format`: its bytes rounded up to whole output
// blocks, read as frames of the format's alignment, rounded up to whole blocks again.
int64_t MusicLoopFrames(int64_t importedBytes, const PcmFormat& format);

class MusicReader
{
public:
    virtual ~MusicReader() = default;
    // Up to `frames` packed frames into `out` (frames × channels samples); 0 once the source's
    // frames are all given, -1 when the file can no longer be read or decoded.
    virtual int64_t Read(int16_t* out, size_t frames) = 0;
    // Back to the first frame, as freshly opened; false when the file cannot be read again.
    virtual bool Rewind() = 0;
};

// A piece a reader decoded ahead of what it has given, and how far it is given.
struct PendingPiece
{
    std::vector<int16_t> samples;
    size_t taken = 0;

    bool Spent() const { return taken == samples.size(); }
    // Up to `frames` whole frames of `channels` into `out`; how many were given.
    size_t Give(int16_t* out, size_t frames, size_t channels);
};

// A decoder's source that ends this far short of the length it promised was damaged.
inline constexpr int64_t kMusicShortfallFrames = kSampleRate;

// The read of the streamed readers: pieces that `refill` decodes into `pending` (false once the
// source is spent) are given until `frames` are written or `length` in all. A source that ends
// early, well short or with `damaged()` is -1; a little short, the rest of its loop is silence.
template <typename Refill, typename Damaged>
int64_t ReadPieces(PendingPiece& pending, int16_t* out, size_t frames, size_t channels,
                   int64_t& given, int64_t& length, Refill refill, Damaged damaged)
{
    size_t written = 0;
    while (written < frames && given < length)
    {
        if (pending.Spent())
        {
            if (!refill())
            {
                if (damaged() || given + kMusicShortfallFrames < length)
                {
                    return -1;
                }
                length = given;
                break;
            }
            continue;
        }
        const size_t n =
            pending.Give(out + written * channels,
                         std::min(frames - written, static_cast<size_t>(length - given)), channels);
        written += n;
        given += static_cast<int64_t>(n);
    }
    return static_cast<int64_t>(written);
}

// Opens music by its file name: exactly ".mp3" → MP3; ".flac", ".ogg", ".opus" (any case) →
// libsndfile; anything else → WAV. Null after reporting why, as the import reports, when the
// file is refused or holds no audio; `layout` is filled otherwise.
std::unique_ptr<MusicReader> OpenMusicReader(const std::string& path, MusicLayout& layout,
                                             Reporter& reporter);

// The routes, for clips, the tests and the fuzz target. With a limit, a file or an import
// larger than it is refused as the whole import refuses it (kImportTooLargeText).
std::unique_ptr<MusicReader> OpenWavMusic(const std::string& path, MusicLayout& layout,
                                          Reporter& reporter, uint64_t limitBytes = UINT64_MAX);
std::unique_ptr<MusicReader> OpenMp3Music(const std::string& path, MusicLayout& layout,
                                          Reporter& reporter, uint64_t limitBytes = UINT64_MAX);
std::unique_ptr<MusicReader> OpenSndfileMusic(const std::string& path, MusicLayout& layout,
                                              Reporter& reporter);

// Whether the name ends in ".flac", ".ogg" or ".opus", in any case.
bool HasSndfileExtension(const std::string& path);

} // namespace yumo
