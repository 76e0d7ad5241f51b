// yumo-music-figures: the memory an offline night takes with eight hours of background music,
// made here cheaply: an MP3 of one silent 36-byte frame repeated (16 kHz mono, 8 kbit/s, the
// kind of file that took over a gigabyte when music was decoded whole) and a FLAC of generated
// noise (44.1 kHz mono, quiet, so it stays small on disk). Each night runs in a child process
// as `yumo-tool night` runs it, its blocks thrown away instead of written, for one minute and
// for ten hours; printed are the child's peak resident memory, the same night's without music,
// and the time it took.
//
//   cd build && ./yumo-music-figures

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sndfile.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "audio/hrir_set.h"
#include "common/constants.h"
#include "common/results.h"
#include "night/behaviour.h"
#include "night/load_commands.h"
#include "night/offline_device.h"

namespace
{

using namespace yumo;
namespace fs = std::filesystem;

constexpr double kEightHours = 8 * 3600.0;

bool WriteSilentMp3(const fs::path& path)
{
    // MPEG-2 Layer III, 8 kbit/s, 16 kHz, mono: 576 samples in 36 bytes, all side data zero.
    std::vector<uint8_t> frame(36, 0);
    frame[0] = 0xFF;
    frame[1] = 0xF3;
    frame[2] = 0x18;
    frame[3] = 0xC0;
    std::ofstream out(path, std::ios::binary);
    for (double t = 0; t < kEightHours; t += 576.0 / 16000.0)
    {
        out.write(reinterpret_cast<const char*>(frame.data()), 36);
    }
    return static_cast<bool>(out);
}

bool WriteNoiseFlac(const fs::path& path)
{
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr)
    {
        return false;
    }
    std::vector<int16_t> piece(1 << 16);
    uint32_t x = 1;
    bool ok = true;
    for (double t = 0; ok && t < kEightHours; t += static_cast<double>(piece.size()) / kSampleRate)
    {
        for (int16_t& s : piece)
        {
            x = x * 1664525u + 1013904223u;
            s = static_cast<int16_t>(static_cast<int>(x >> 29) - 4); // -4 ... 3
        }
        ok = sf_writef_short(file, piece.data(), static_cast<sf_count_t>(piece.size())) ==
             static_cast<sf_count_t>(piece.size());
    }
    return sf_close(file) == 0 && ok;
}

// A night as the tool renders it, in this process: the blocks are only counted.
int RunNight(const fs::path& data, const std::string& music, double minutes)
{
    SilentReporter reporter;
    std::unique_ptr<AppState> state = CreateAppState(reporter);
    OfflineDevice device;
    if (LoadHrirSet(state->hrir, data, reporter) != kOk ||
        LoadVoiceSet(*state, (data / "ymv" / "Yumone.ymv").string(), device) != kOk ||
        (!music.empty() && LoadMusic(*state, music) == 0))
    {
        return 2;
    }
    StartNight(*state);
    const auto total = static_cast<uint64_t>(minutes * 60 * kSampleRate / kFramesPerBlock);
    AppState& night = *state;
    device.sink = [&](const int16_t*, size_t) {
        if (device.writtenBlocks >= total)
        {
            DrainNight(night);
        }
    };
    while (PumpOfflineDevice(device))
    {
    }
    return device.playedBlocks >= total || !NightPlays(state->phase) ? 0 : 3;
}

void Figure(const fs::path& data, const char* what, const std::string& music, double minutes)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0)
    {
        _exit(RunNight(data, music, minutes));
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-28s %6.0f min  peak %7.1f MB  %7.1f s%s\n", what, minutes,
                static_cast<double>(usage.ru_maxrss) / 1024.0, seconds,
                WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "  (failed)");
    std::fflush(stdout);
}

} // namespace

int main()
{
    const fs::path data = fs::current_path() / "data";
    const fs::path dir =
        fs::temp_directory_path() / ("yumo-music-figures-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const fs::path mp3 = dir / "eight_hours.mp3";
    const fs::path flac = dir / "eight_hours.flac";
    if (!WriteSilentMp3(mp3) || !WriteNoiseFlac(flac))
    {
        std::fprintf(stderr, "could not make the eight-hour files in %s\n", dir.c_str());
        return 1;
    }
    std::printf("eight hours of music: MP3 %.1f MB, FLAC %.1f MB\n",
                static_cast<double>(fs::file_size(mp3)) / 1e6,
                static_cast<double>(fs::file_size(flac)) / 1e6);
    for (double minutes : {1.0, 600.0})
    {
        Figure(data, "no music", "", minutes);
        Figure(data, "8 h silent MP3 (16 kHz)", mp3.string(), minutes);
        Figure(data, "8 h noise FLAC (44.1 kHz)", flac.string(), minutes);
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
