// Background music over arbitrary input: imported as WAV or MP3, or handed over with a made-up
// format, stored in the music slot and mixed for a few blocks. No crash, no read past the
// buffers, and a stored slot always holds whole blocks on both sides.
//
// Input: byte 0 picks the route (0 WAV, 1 MP3, 2 raw); raw input continues with channels,
// block alignment and bits per sample (16-bit little-endian each), then the sample bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/byte_io.h"
#include "import/mp3_import.h"
#include "import/wav_import.h"
#include "night/app_state.h"
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
    {
        return 0;
    }
    yumo::SilentReporter reporter;
    std::unique_ptr<yumo::AppState> state = yumo::CreateAppState(reporter);
    yumo::ImportedAudio audio;
    yumo::PcmFormat format;
    std::vector<uint8_t> rest(data + 1, data + size);
    const int route = data[0] % 3;
    if (route == 0 && yumo::ImportWavBytes(rest, audio, format, reporter) <= 0)
    {
        return 0;
    }
    if (route == 1 && yumo::ImportMp3Bytes(rest, audio, format, reporter) <= 0)
    {
        return 0;
    }
    if (route == 2)
    {
        if (rest.size() < 6)
        {
            return 0;
        }
        format = yumo::PcmFormat{1, yumo::LoadU16(&rest[0]), 44100,
                                 0, yumo::LoadU16(&rest[2]), yumo::LoadU16(&rest[4]),
                                 0};
        audio.buffer.assign(rest.begin() + 6, rest.end());
        audio.byteLength = static_cast<int32_t>(audio.buffer.size());
        audio.allocated = true;
    }
    if (!yumo::StoreMusic(*state, "fuzz.wav", audio, format))
    {
        Check(state->music.loadCount == 0 && state->music.pcm.empty());
        return 0;
    }
    const yumo::MusicSlot& music = state->music;
    Check(music.lengthFrames > 0 && music.lengthFrames % yumo::kFramesPerBlock == 0);
    Check(yumo::MusicFrames(music) == static_cast<size_t>(music.lengthFrames));
    Check(music.channels == (format.channels >= 2 ? 2 : 1));
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
        yumo::RefillBlock(*state, b % yumo::kOutputBlockCount);
        const yumo::BlockPeak peak = state->stream.peaks[static_cast<size_t>(b % 10)];
        Check(peak.left <= 32768 && peak.right <= 32768);
        Check(music.cursorFrames <= music.lengthFrames);
    }
    yumo::ReleaseImportedAudio(audio);
    return 0;
}
