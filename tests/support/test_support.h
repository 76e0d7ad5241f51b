#pragma once
// Helpers shared by the test programs.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace yumo::test
{

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void WriteBytesFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
void WriteTextFile(const std::filesystem::path& path, const std::string& text);
std::vector<uint8_t> ReadBytesFile(const std::filesystem::path& path);

// Runs a command line through the shell; returns its exit status (or -1), capturing stdout and
// stderr into the given strings when they are not null.
int RunCommand(const std::string& commandLine, std::string* out = nullptr,
               std::string* err = nullptr);

// How much the resident memory of this process grew above what it held when the measurement
// began, at its highest: what a reader really touched, whatever address space it reserved.
// (Linux: the peak is reset through /proc/self/clear_refs.) -1 when it cannot be measured.
class PeakResidentGrowth
{
public:
    PeakResidentGrowth();
    long long Bytes() const;

private:
    long long start_ = -1;
};

// False in a build with the address sanitizer, whose shadow memory makes resident sizes
// meaningless for such a measurement, and where the peak cannot be reset.
bool ResidentSizesAreMeaningful();

// A mono 16-bit 44.1 kHz canonical WAV image of the given samples.
// A WAV of any format the conversion reads.
struct WavShape
{
    uint16_t tag = 1; // 1 PCM, 3 float; with `extensible` the sub-format's code
    bool extensible = false;
    uint16_t channels = 1;
    uint32_t rate = 44100;
    uint16_t bits = 16;
};

// A file with a LIST chunk before "fmt ", as editors write them; `frames` holds each frame's
// channel values in [-1, 1).
std::vector<uint8_t> MakeWavFile(const WavShape& f, const std::vector<std::vector<double>>& frames);

std::vector<uint8_t> MakeWavBytes(const std::vector<int16_t>& samples, uint16_t channels = 1,
                                  uint32_t sampleRate = 44100);

} // namespace yumo::test
