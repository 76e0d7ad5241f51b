#include "tools/night_options.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/constants.h"
#include "common/text_numbers.h"
#include "tools/command.h"

namespace yumo::tool
{

const char* const kNightUsage =
    "--voice V.ymv [--hrir H.bir] --start HH:MM[:SS] --minutes M --out OUT.wav "
    "[--sliders NETSUKI,SUIMIN,NEZOU,NEOKI] [--wake HH:MM] [--music FILE] "
    "[--voice-volume DB] [--music-volume DB] [--events FILE.tsv] [--plot FILE.png] "
    "[--fade SECONDS] "
    "[--sleep-timer MINUTES] [--wake-ramp SECONDS] [--limit] [--mono] [--swap]";

const char* const kNightSummary =
    "render a night offline into OUT.wav (16-bit stereo 44.1 kHz): the voice set is loaded,\n"
    "      then the music, then the night starts with 10 silent blocks; each block that comes\n"
    "      back is refilled until M minutes are written (the fewest whole 512-frame blocks, never\n"
    "      fewer than those 10) or the night ends by itself after ten hours. Same arguments,\n"
    "      same bytes.\n"
    "      --start: local time at the first block; after k blocks it is start + 512k/44100 s\n"
    "      --minutes: up to 1440, decimals allowed\n"
    "      --hrir: default <folder of yumo-tool>/data/hrtf/head01.bir, else hrtf/head01.bir in\n"
    "        the working directory\n"
    "      --sliders: 寝つき,睡眠,寝相,寝起き, each 0-10 (default 5,5,5,5)\n"
    "      --wake: a user-set wake-up time; without it each night picks one between 7:00 and 8:59\n"
    "        that she never calls for. A time given here she calls for by two minutes after it,\n"
    "        and the night does not end by itself before her call\n"
    "      --voice-volume, --music-volume: decibels, -30 to +30, kept to 0.1 dB (default 0)\n"
    "      --events: a header line, then one tab-separated line per clip chosen: block (blocks\n"
    "        back when chosen), clock (HH:MM:SS.mmm), state, clipIndex, depth, dreaming,\n"
    "        alertness, facing, rolledOver, azimuth, elevation, event (clip); and a line\n"
    "        with event wake-window at the first clip inside a wake time's window\n"
    "      --plot: the night's events drawn as a picture (as yumo-tool plot draws them)\n"
    "        the gentle stage's marks are lines of the same columns with event fade-in,\n"
    "        fade-out, wake-ramp or timer-end\n"
    "      --fade: the first clip fades in, the sleep timer's end fades out over SECONDS (0-60,\n"
    "        default 0: none; the timer then fades over 3 s)\n"
    "      --sleep-timer: she falls asleep for good after MINUTES (up to 1440): the output fades\n"
    "        out and the night ends, unless --wake is given: then it goes on silently until the\n"
    "        wake-up call, which fades back in\n"
    "      --wake-ramp: the wake-up call rises from -20 dB to full over its first SECONDS (0-600)\n"
    "      --limit: a look-ahead true-peak limiter at -1 dBTP instead of clipping\n"
    "      --mono: both channels carry the mix summed to one, at the stereo level; --swap: left\n"
    "        and right change places\n"
    "      Without these options the output is the plain mix, byte for byte\n"
    "      OUT.wav is replaced only once complete; output beyond 4 GiB (about 6.8 hours) is\n"
    "        written as RF64 (a JUNK chunk that becomes ds64); a link is written through to its\n"
    "        file; a device or pipe (/dev/null) is refused: only regular files are written\n"
    "      exit 1 when a file is refused or the night cannot start (no playable good-night clip)";

namespace
{

constexpr double kMaxMinutes = 1440;

// "HH:MM" or, when seconds are allowed, "HH:MM:SS"; one or two digits per field.
bool ParseTimeOfDay(const std::string& text, bool allowSeconds, int& seconds)
{
    int fields[3] = {0, 0, 0};
    int count = 0;
    size_t pos = 0;
    while (count < 3)
    {
        size_t end = text.find(':', pos);
        std::string part = text.substr(pos, end == std::string::npos ? end : end - pos);
        if (part.empty() || part.size() > 2 ||
            part.find_first_not_of("0123456789") != std::string::npos)
        {
            return false;
        }
        fields[count++] = std::stoi(part);
        if (end == std::string::npos)
        {
            break;
        }
        pos = end + 1;
        if (count == 3)
        {
            return false;
        }
    }
    if (count < 2 || (count == 3 && !allowSeconds))
    {
        return false;
    }
    if (fields[0] > 23 || fields[1] > 59 || fields[2] > 59)
    {
        return false;
    }
    seconds = fields[0] * 3600 + fields[1] * 60 + fields[2];
    return true;
}

bool ParseSliders(const std::string& text, std::array<int, 4>& sliders)
{
    std::array<int, 4> values{};
    size_t pos = 0;
    for (size_t i = 0; i < values.size(); ++i)
    {
        const size_t end = text.find(',', pos);
        if ((i + 1 < values.size()) == (end == std::string::npos))
        {
            return false;
        }
        int32_t value = 0;
        if (ParseTextInt32(text.substr(pos, end == std::string::npos ? end : end - pos), value) !=
                TextNumberStatus::Ok ||
            value < 0 || value > 10)
        {
            return false;
        }
        values[i] = static_cast<int>(value);
        pos = end + 1;
    }
    sliders = values;
    return true;
}

// Decibels, -30 to +30, kept as whole tenths of a decibel as the volume controls keep them.
bool ParseVolume(const std::string& text, double& tenths)
{
    double decibels = 0;
    if (ParseTextDouble(text, decibels) != TextNumberStatus::Ok ||
        !(decibels >= -30.0 && decibels <= 30.0))
    {
        return false;
    }
    tenths = std::round(decibels * 10.0);
    return true;
}

} // namespace

bool ParseNightOptions(const std::vector<std::string>& args, NightOptions& options,
                       std::string& problem)
{
    bool hasStart = false;
    bool hasMinutes = false;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& name = args[i];
        if (name == "--limit" || name == "--mono" || name == "--swap")
        {
            (name == "--limit"  ? options.limit
             : name == "--mono" ? options.mono
                                : options.swap) = true;
            continue;
        }
        if (i + 1 >= args.size())
        {
            problem = name.rfind("--", 0) == 0 ? name + " needs a value" : "unexpected " + name;
            return false;
        }
        const std::string& value = args[++i];
        if (name == "--voice")
        {
            options.voicePath = value;
        }
        else if (name == "--hrir")
        {
            options.hrirPath = value;
        }
        else if (name == "--out")
        {
            options.outPath = value;
        }
        else if (name == "--music")
        {
            options.musicPath = value;
        }
        else if (name == "--events")
        {
            options.eventsPath = value;
        }
        else if (name == "--plot")
        {
            options.plotPath = value;
        }
        else if (name == "--start")
        {
            if (!ParseTimeOfDay(value, true, options.startSeconds))
            {
                problem = "--start must be HH:MM or HH:MM:SS (00:00 to 23:59:59), not " + value;
                return false;
            }
            hasStart = true;
        }
        else if (name == "--wake")
        {
            int seconds = 0;
            if (!ParseTimeOfDay(value, false, seconds))
            {
                problem = "--wake must be HH:MM (00:00 to 23:59), not " + value;
                return false;
            }
            options.hasWake = true;
            options.wakeMinute = seconds / 60;
        }
        else if (name == "--minutes")
        {
            if (ParseTextDouble(value, options.minutes) != TextNumberStatus::Ok ||
                !(options.minutes > 0 && options.minutes <= kMaxMinutes))
            {
                problem = "--minutes must be above 0 and at most 1440, not " + value;
                return false;
            }
            hasMinutes = true;
        }
        else if (name == "--sliders")
        {
            if (!ParseSliders(value, options.sliders))
            {
                problem =
                    "--sliders must be four whole numbers 0-10 separated by commas, not " + value;
                return false;
            }
        }
        else if (name == "--fade" || name == "--sleep-timer" || name == "--wake-ramp")
        {
            double& number = name == "--fade"          ? options.fadeSeconds
                             : name == "--sleep-timer" ? options.sleepTimerMinutes
                                                       : options.wakeRampSeconds;
            const double most = name == "--fade" ? 60 : name == "--sleep-timer" ? kMaxMinutes : 600;
            if (ParseTextDouble(value, number) != TextNumberStatus::Ok ||
                !(number >= 0 && number <= most))
            {
                problem = name + " must be from 0 to " + std::to_string(static_cast<int>(most)) +
                          ", not " + value;
                return false;
            }
        }
        else if (name == "--voice-volume" || name == "--music-volume")
        {
            double& volume = name == "--voice-volume" ? options.voiceVolume : options.musicVolume;
            if (!ParseVolume(value, volume))
            {
                problem = name + " must be decibels from -30 to 30, not " + value;
                return false;
            }
        }
        else
        {
            problem = "unknown option " + name;
            return false;
        }
    }
    if (options.voicePath.empty() || options.outPath.empty() || !hasStart || !hasMinutes)
    {
        problem = "--voice, --start, --minutes and --out are required";
        return false;
    }
    return true;
}

uint64_t BlocksForMinutes(double minutes)
{
    const double blocks = minutes * 60.0 * kSampleRate / kFramesPerBlock;
    // A product that should be whole may land a hair above it; never add a block for that.
    return static_cast<uint64_t>(std::ceil(blocks - 1e-9));
}

std::string FindDefaultHrirPath()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
    {
        // The build tree keeps the data beside the tool, an installed copy in share/yumo.
        for (const std::filesystem::path& folder :
             {exe.parent_path() / "data", exe.parent_path().parent_path() / "share" / "yumo"})
        {
            const std::filesystem::path head = folder / "hrtf" / "head01.bir";
            if (std::filesystem::is_regular_file(head, error))
            {
                return head.string();
            }
        }
    }
    const std::filesystem::path local = std::filesystem::path("hrtf") / "head01.bir";
    if (std::filesystem::is_regular_file(local, error))
    {
        return local.string();
    }
    return {};
}

} // namespace yumo::tool
