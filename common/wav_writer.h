#pragma once
// Writes 16-bit PCM WAV files, streaming, for the tools' rendered output.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace yumo
{

struct WavWriter
{
    std::FILE* file = nullptr;
    std::filesystem::path path;
    std::filesystem::path tempPath; // written here, renamed over `path` on close
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint64_t dataBytes = 0;
    bool failed = false;
};

// A RIFF header can describe at most this many data bytes.
constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 36;

bool OpenWavWriter(WavWriter& writer, const std::filesystem::path& path, uint16_t channels,
                   uint32_t sampleRate);
// Fails (and marks the writer failed) when the data would outgrow the RIFF limits.
bool WriteWavSamples(WavWriter& writer, const int16_t* samples, size_t count);
// Completes the header and moves the file into place; false (nothing left at `path` that was
// not there before) when any write failed.
bool CloseWavWriter(WavWriter& writer);
// Abandons the file without touching `path`.
void AbortWavWriter(WavWriter& writer);

// A whole canonical WAV image in memory.
std::vector<uint8_t> MakeWavImage(const int16_t* samples, size_t count, uint16_t channels,
                                  uint32_t sampleRate);

} // namespace yumo
