// Background music over arbitrary input: read as WAV, MP3 or (through libsndfile) FLAC, Ogg
// Vorbis or Opus, streamed from a file as a night streams it, or handed over whole with a
// made-up format; then mixed for a few dozen blocks, looping. No crash, no read past the
// buffers, a loop of whole blocks, and peaks within 16 bits.
//
// Input: byte 0 picks the route (0 WAV, 1 MP3, 2 raw, 3 libsndfile); raw input continues with
// channels, block alignment and bits per sample (16-bit little-endian each), then the samples.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

#include "common/byte_io.h"
#include "import/music_reader.h"
#include "night/app_state.h"
#include "night/music_slot.h"
#include "night/offline_device.h"
#include "night/output_stream.h"

namespace
{

void Check(bool condition)
{
    if (!condition)
    {
        std::abort();
    }
}

// The bytes as a file the readers open by name, in memory.
struct MemoryFile
{
    explicit MemoryFile(const std::vector<uint8_t>& bytes)
        : fd(memfd_create("fuzz-music", MFD_CLOEXEC))
    {
        Check(fd >= 0 &&
              write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
    }
    ~MemoryFile() { close(fd); }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd); }
    int fd;
};

} // namespace

// libsndfile 1.2.0 leaves libvorbis's header record behind when an Ogg Vorbis stream's headers
// are damaged (the open fails; there is no handle to close): a few kilobytes per refused file,
// inside the library. Matched by the library's name as well, for a machine without a
// symbolizer, where the report names no function.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:vorbis_info_init\nleak:libvorbis.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
    {
        return 0;
    }
    yumo::SilentReporter reporter;
    std::unique_ptr<yumo::AppState> state = yumo::CreateAppState(reporter);
    std::vector<uint8_t> rest(data + 1, data + size);
    const int route = data[0] % 4;
    yumo::MusicLayout layout;
    std::unique_ptr<yumo::MusicReader> reader;
    if (route == 2)
    {
        if (rest.size() < 6)
        {
            return 0;
        }
        const yumo::PcmFormat format{1, yumo::LoadU16(&rest[0]), 44100,
                                     0, yumo::LoadU16(&rest[2]), yumo::LoadU16(&rest[4]),
                                     0};
        yumo::ImportedAudio audio;
        audio.buffer.assign(rest.begin() + 6, rest.end());
        audio.byteLength = static_cast<int32_t>(audio.buffer.size());
        audio.allocated = true;
        reader = yumo::HoldImportedMusic(audio, format, layout, reporter);
    }
    else
    {
        const MemoryFile file(rest);
        reader = route == 0   ? yumo::OpenWavMusic(file.Path(), layout, reporter)
                 : route == 1 ? yumo::OpenMp3Music(file.Path(), layout, reporter)
                              : yumo::OpenSndfileMusic(file.Path(), layout, reporter);
    }
    if (reader == nullptr)
    {
        return 0;
    }
    Check(layout.loopFrames > 0 && layout.loopFrames % yumo::kFramesPerBlock == 0);
    Check(layout.channels == 1 || layout.channels == 2);
    Check(yumo::InstallMusic(*state, yumo::PrepareMusic("fuzz", std::move(reader), layout)) > 0);
    const yumo::MusicSlot& music = state->music;
    Check(music.lengthBytes == yumo::kBytesPerFrame * music.lengthFrames);

    // A built-in silence: the music alone is mixed, looping, at the loudest setting.
    state->behaviourState = yumo::kKindBuiltInSilence;
    state->clipIndex = 0;
    state->phase = yumo::NightPhase::Running;
    state->stream.musicVolume = 300;
    yumo::OfflineDevice device; // takes the blocks; never pumped, its queue holds them all
    Check(yumo::OpenOutputStream(*state, device));
    for (int b = 0; b < 3 * yumo::kOutputBlockCount; ++b)
    {
        yumo::AwaitMusicBlock(*state);
        yumo::RefillBlock(*state, b % yumo::kOutputBlockCount);
        const yumo::BlockPeak peak = state->stream.peaks[static_cast<size_t>(b % 10)];
        Check(peak.left <= 32768 && peak.right <= 32768);
        Check(music.cursorFrames <= music.lengthFrames);
        Check(music.stream->DryBlocks() == 0 || music.ended);
    }
    return 0;
}
