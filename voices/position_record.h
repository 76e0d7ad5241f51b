#pragma once
// The position record that the main window's save command writes: the music slot and the two
// track records. Nothing reads it back.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/voice_tracks.h"
#include "common/report.h"
#include "import/pcm_audio.h"

namespace yumo
{

// The music slot's values the record holds; the caller copies them from the application state.
struct PositionRecordInput
{
    int32_t musicLoadCount = 0; // music files loaded so far
    std::string musicPath;      // UTF-8, stored as 260 UTF-16 units
    int32_t lengthFrames = 0;   // stereo frames
    int32_t lengthBytes = 0;    // as stereo 16-bit data
    int32_t channels = 0;       // of the imported music
    int32_t sampleRate = 0;     // Hz
    int32_t bitsPerSample = 0;
    PcmFormat format;             // the music's format as imported; its first 16 bytes are stored
    double referenceDistance = 0; // metres; kind 0's, as the save command has just set it
};

// The record's bytes. All integers signed 32-bit little-endian:
//
//   size          content
//   4             -1 (where a voice-data file has its version)
//   4             101
//   4             music files loaded so far
//   4             byte length of the path that follows: 520
//   520           the music's path, 260 UTF-16 units, NUL-terminated, zeros after
//   7 x 4         length in frames, length in bytes, channels, sample rate, bits per sample, 0, 0
//   16            format tag, channels, sample rate, average bytes per second, block align, bits
//   variable      the keyframe tracks, as a track record
//   variable      the block tracks, as a track record
//   8             reference distance of kind 0, a double
//
// A track record: the counts of tracks 0-2 (3 x 4), the positions of tracks 0-2 (count x 4
// each), their values (count x 8 each, doubles), then track 3's count, positions and values.
// A count is written as the number of entries its arrays actually hold, at most.
std::vector<uint8_t> MakePositionRecord(const PositionRecordInput& input,
                                        const KeyframeTracks& keyframes, const BlockTracks& blocks);

// Writes the record through a temporary file that replaces `path` only once complete.
// Returns kOk, or kWriteFailed after reporting it.
int WritePositionRecord(const std::string& path, const PositionRecordInput& input,
                        const KeyframeTracks& keyframes, const BlockTracks& blocks,
                        Reporter& reporter);

} // namespace yumo
