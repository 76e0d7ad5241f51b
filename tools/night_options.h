#pragma once
// The options of `yumo-tool night`, parsed and checked.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace yumo::tool
{

extern const char* const kNightUsage;
extern const char* const kNightSummary;

struct NightOptions
{
    std::string voicePath;
    std::string hrirPath; // empty: the default response set
    int startSeconds = 0; // local time of day at the first block, seconds since midnight
    double minutes = 0;   // output length asked for
    std::string outPath;
    std::array<int, 4> sliders{5, 5, 5, 5}; // 寝つき, 睡眠, 寝相, 寝起き; 0-10
    bool hasWake = false;
    int wakeMinute = 0; // minute of the day
    std::string musicPath;
    double voiceVolume = 0; // tenths of a decibel, -300 to 300
    double musicVolume = 0;
    std::string eventsPath;
    std::string plotPath;
    double fadeSeconds = 0;       // 0: no fades
    double sleepTimerMinutes = 0; // 0: no sleep timer
    double wakeRampSeconds = 0;   // 0: the wake-up call at full level at once
    bool limit = false;
    bool mono = false;
    bool swap = false;
};

// False with the problem in `problem` on a missing, unknown or out-of-range option.
bool ParseNightOptions(const std::vector<std::string>& args, NightOptions& options,
                       std::string& problem);

// The fewest whole blocks of 512 frames that reach `minutes` of output.
uint64_t BlocksForMinutes(double minutes);

// The response set the program itself loads: <yumo-tool's folder>/data/hrtf/head01.bir, else
// hrtf/head01.bir in the working directory; empty when neither exists.
std::string FindDefaultHrirPath();

} // namespace yumo::tool
