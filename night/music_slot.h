#pragma once
// Background music in the music slot: opened from its file, handed to a worker that reads it
// ahead, installed into the slot, and for the tests the whole-import path it must sound like.

#include <memory>
#include <string>

#include "import/music_reader.h"
#include "night/app_state.h"

namespace yumo
{

// Music made ready for the slot away from the night: the file opened, its length known and the
// worker started. Touches no AppState, so it may run on another thread.
struct PreparedMusic
{
    int64_t importedBytes = 0; // what the import would hold; 0 when the file was refused
    std::string path;
    MusicLayout layout;
    std::shared_ptr<MusicStream> stream;
};

// Opens the file by its extension; a refusal's messages go to `reporter`.
PreparedMusic PrepareMusic(const std::string& path, Reporter& reporter);
// The same from a reader already open (the tests' whole imports, the fuzz target).
PreparedMusic PrepareMusic(const std::string& path, std::unique_ptr<MusicReader> reader,
                           const MusicLayout& layout);
// Moves prepared music into the slot and sets up the slot, tracks and stream. Returns the
// imported byte length, or 0 (nothing changed) for refused music.
int64_t InstallMusic(AppState& state, PreparedMusic prepared);
// Both at once: the imported byte length, or 0 (the previous music, with its path, stays).
int64_t LoadMusicFile(AppState& state, const std::string& path);

// The whole import held in memory, packed to mono or stereo frames: the sound the streamed
// music must match, as a reader. Takes the audio's buffer; null, with a message, when the
// format cannot be read as 16-bit frames.
std::unique_ptr<MusicReader> HoldImportedMusic(ImportedAudio& audio, const PcmFormat& format,
                                               MusicLayout& layout, Reporter& reporter);
// The whole import of `path` by its extension, held (the tests' reference).
std::unique_ptr<MusicReader> ImportWholeMusic(const std::string& path, MusicLayout& layout,
                                              Reporter& reporter);

// From imported audio: held, then installed; false (nothing changed) when refused.
bool StoreMusic(AppState& state, const std::string& path, ImportedAudio& audio,
                const PcmFormat& format);

// For a device without a clock, before each block comes back: waits until the music's worker
// has the block the refill will mix. The refill itself never waits.
void AwaitMusicBlock(AppState& state);

} // namespace yumo
