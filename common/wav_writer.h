#pragma once
// Writes 16-bit PCM WAV files, streaming, for the tools' rendered output.
//
// The file is an AtomicFile (common/atomic_file.h): it replaces its target only once complete,
// so a failed write never leaves a half file in place, and a writer that goes out of scope
// before CloseWavWriter leaves nothing behind. Only regular files are written (the header is
// completed at the end), never a device or a pipe.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/atomic_file.h"

namespace yumo
{

// Header layouts (offsets in bytes; all sizes little-endian):
//
//   Canonical (44 bytes)            Rf64Ready (80 bytes)
//   0  "RIFF"  size = 36 + data     0  "RIFF" size = 72 + data, or "RF64" 0xFFFFFFFF
//   8  "WAVE"                       8  "WAVE"
//   12 "fmt " 16, PCM fields        12 "JUNK" 28, zeros, or "ds64" 28: riff size (u64),
//   36 "data" data bytes                  data size (u64), frame count (u64), table length 0
//   44 samples                      48 "fmt " 16, PCM fields
//                                   72 "data" data bytes, or 0xFFFFFFFF beyond 4 GiB
//                                   80 samples
//
// Rf64Ready reserves the JUNK chunk so that a file whose data outgrows the 32-bit RIFF sizes
// can become RF64 on close by turning JUNK into ds64 in place; below that it is plain RIFF.
enum class WavLayout
{
    Canonical,
    Rf64Ready,
};

struct WavWriter
{
    AtomicFile file;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint64_t dataBytes = 0;
    bool failed = false;
    WavLayout layout = WavLayout::Canonical;
};

// A RIFF header can describe at most this many data bytes.
constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 36;
// The same with the 36 bytes the JUNK chunk takes; beyond this an Rf64Ready file becomes RF64.
constexpr uint64_t kMaxRiffDataBytesWithJunk = 0xFFFFFFFFull - 72;

bool OpenWavWriter(WavWriter& writer, const std::filesystem::path& path, uint16_t channels,
                   uint32_t sampleRate, WavLayout layout = WavLayout::Canonical);
// Fails (and marks the writer failed) when the data would outgrow the layout's limits.
bool WriteWavSamples(WavWriter& writer, const int16_t* samples, size_t count);
// Completes the header and moves the file into place; false (nothing left at `path` that was
// not there before) when any write failed.
bool CloseWavWriter(WavWriter& writer);
// Abandons the file without touching `path` (as going out of scope does).
void AbortWavWriter(WavWriter& writer);

// The header for `dataBytes` bytes of 16-bit samples in the given layout.
std::vector<uint8_t> MakeWavHeader(uint16_t channels, uint32_t sampleRate, uint64_t dataBytes,
                                   WavLayout layout);

// A whole canonical WAV image in memory.
std::vector<uint8_t> MakeWavImage(const int16_t* samples, size_t count, uint16_t channels,
                                  uint32_t sampleRate);

} // namespace yumo
