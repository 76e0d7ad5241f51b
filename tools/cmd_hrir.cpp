// yumo-tool hrir import-text / from-sofa / info, and check hrir: make, inspect and check
// response-set files.

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "audio/hrir_set.h"
#include "common/text_numbers.h"
#include "common/utf16.h"
#include "tools/command.h"
#include "tools/hrir/hrir_measured.h"
#include "tools/hrir/hrir_stats.h"
#include "tools/hrir/sofa_precheck.h"

namespace yumo::tool
{
namespace
{

double Decibels(double gain) { return gain > 0.0 ? 20.0 * std::log10(gain) : -INFINITY; }

// The refusal, and the kind of problem on a line of its own for the window's head chooser.
int RefuseSofa(SofaProblem problem, const std::string& why)
{
    const int status = Refuse(why);
    std::fprintf(stderr, "reason: %s\n", SofaProblemWord(problem));
    return status;
}

// Reads and parses a response-set file; on failure `why` says what is wrong.
bool ReadHrirFile(const std::string& path, HrirSet& set, std::string& why)
{
    return ReadHrirSetFile(path, set, why) == HrirFileStatus::Ok;
}

// "0-355 step 5" when the azimuths are evenly spaced, otherwise every one of them.
std::string DescribeAzimuths(const HrirSet& set, int row)
{
    const int count = set.directionsPerRow[row];
    const auto& directions = set.directions[row];
    if (count >= 3)
    {
        const int step = directions[1].azimuth - directions[0].azimuth;
        bool even = true;
        for (int j = 2; j < count; ++j)
        {
            even = even && directions[j].azimuth - directions[j - 1].azimuth == step;
        }
        if (even)
        {
            return std::to_string(directions[0].azimuth) + "-" +
                   std::to_string(directions[count - 1].azimuth) + " step " + std::to_string(step);
        }
    }
    std::string list;
    for (int j = 0; j < count; ++j)
    {
        list += (j == 0 ? "" : " ") + std::to_string(directions[j].azimuth);
    }
    return list;
}

std::string DescribeAt(const HrirSet& set, HrirIndex at, bool left)
{
    const HrirDirection& d = set.directions[at.row][at.column];
    return "azimuth " + std::to_string(d.azimuth) + ", elevation " + std::to_string(d.elevation) +
           ", " + (left ? "left" : "right") + " ear";
}

void PrintStats(const HrirSet& set, const HrirSetStats& stats)
{
    std::printf("largest |coefficient|: %.3f (%.4f of %.1f, the unity tap)\n", stats.maxAbsTap,
                stats.maxAbsTap / kHrirUnityTap, kHrirUnityTap);
    std::printf("largest sum of |taps|: %.3f = %.4f x unity (%+.2f dB), at %s\n", stats.maxTapSum,
                stats.maxTapSum / kHrirUnityTap, Decibels(stats.maxTapSum / kHrirUnityTap),
                DescribeAt(set, stats.maxTapSumAt, stats.maxTapSumLeft).c_str());
    std::printf("largest magnitude response: %.4f (%+.2f dB), at %s\n", stats.maxMagnitude,
                Decibels(stats.maxMagnitude),
                DescribeAt(set, stats.maxMagnitudeAt, stats.maxMagnitudeLeft).c_str());
    std::printf("speech-like signal at 0 dBFS peaks at %.4f (%+.2f dBFS), at %s\n",
                stats.speechPeak, Decibels(stats.speechPeak),
                DescribeAt(set, stats.speechPeakAt, stats.speechPeakLeft).c_str());
    std::printf("speech-like signal loudness: front %+.2f dB, beside the head (90) at the near "
                "ear %+.2f dB\n",
                Decibels(stats.frontSpeechGain), Decibels(stats.sideSpeechGain));
}

int RunInfo(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("hrir", "info", "expected one FILE.bir");
    }
    HrirSet set;
    std::string why;
    if (!ReadHrirFile(args[0], set, why))
    {
        return Refuse(why);
    }
    int directions = 0;
    std::printf("leading value: %d\n", set.leadingValue);
    std::printf("rows: %d\n", set.rowCount);
    for (int row = 0; row < set.rowCount; ++row)
    {
        directions += set.directionsPerRow[row];
        std::printf("  row %2d: elevation %3d, %2d directions, azimuths %s\n", row,
                    set.directions[row][0].elevation, set.directionsPerRow[row],
                    DescribeAzimuths(set, row).c_str());
    }
    std::printf("directions: %d\n", directions);
    std::printf("taps: %d per ear\n", kHrirTapCount); // every set that loads has 128
    PrintStats(set, MeasureHrirSet(set, true));
    return kExitOk;
}

int RunImportText(const std::vector<std::string>& args)
{
    if (args.size() != 2)
    {
        return UsageError("hrir", "import-text", "expected DIR and OUT.bir");
    }
    const std::filesystem::path dir = args[0];
    std::istringstream tables[4];
    const char* names[4] = {"IR_elev.txt", "IR_azim.txt", "IR_L.txt", "IR_R.txt"};
    for (int i = 0; i < 4; ++i)
    {
        if (const FileReadResult opened = OpenTextTable(dir / names[i], tables[i]);
            opened != FileReadResult::Ok)
        {
            return Refuse((dir / names[i]).string() + " " + DescribeTextTableProblem(opened));
        }
    }
    HrirSet set;
    std::string why;
    if (!ImportHrirText(tables[0], tables[1], tables[2], tables[3], set, why))
    {
        return Refuse(why);
    }
    if (!WriteHrirSetFile(set, args[1]))
    {
        return Refuse("cannot write " + args[1]);
    }
    int directions = 0;
    for (int count : set.directionsPerRow)
    {
        directions += count;
    }
    std::printf("wrote %s: %d rows, %d directions\n", args[1].c_str(), set.rowCount, directions);
    return kExitOk;
}

int RunFromSofa(const std::vector<std::string>& args)
{
    std::vector<std::string> paths;
    HrirConversionOptions options;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--raw")
        {
            options.equalise = false;
        }
        else if (arg == "--time-limit")
        {
            double seconds = 0;
            if (i + 1 >= args.size() ||
                ParseTextDouble(args[i + 1], seconds) != TextNumberStatus::Ok || seconds < 0.1 ||
                seconds > 3600)
            {
                return UsageError("hrir", "from-sofa",
                                  "--time-limit takes seconds from 0.1 to 3600");
            }
            options.loadLimitMs = static_cast<int>(seconds * 1000);
            ++i;
        }
        else if (arg.rfind("--", 0) == 0)
        {
            return UsageError("hrir", "from-sofa", "unknown option " + arg);
        }
        else
        {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2)
    {
        return UsageError("hrir", "from-sofa", "expected IN.sofa and OUT.bir");
    }
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    SofaProblem problem = SofaProblem::None;
    if (!ConvertSofaToHrirSet(paths[0], options, set, summary, why, &problem))
    {
        return RefuseSofa(problem, why);
    }
    if (!WriteHrirSetFile(set, paths[1]))
    {
        return RefuseSofa(SofaProblem::NotWritten, "cannot write " + EscapeControls(paths[1]));
    }
    int directions = 0;
    for (int count : set.directionsPerRow)
    {
        directions += count;
    }
    std::printf("wrote %s: %d rows, %d directions\n", paths[1].c_str(), set.rowCount, directions);
    std::printf("measured directions: %d at %.2f m (%d at other distances left out)\n",
                summary.measuredDirections, summary.keptDistance, summary.droppedOtherDistances);
    std::printf("left out: %d on an azimuth already taken, %d by thinning\n",
                summary.droppedDuplicateAzimuths, summary.droppedByThinning);
    std::printf("zenith: %s\n", summary.zenithMeasured ? "measured" : "made from the highest row");
    std::printf("common delay removed: %d samples; largest energy share cut off: %.3f%%\n",
                summary.leadingSamplesRemoved, 100.0 * summary.worstTruncatedEnergy);
    if (summary.equalised)
    {
        std::printf("diffuse-field equalised: gains span %.1f dB\n", summary.equaliserRangeDb);
    }
    else
    {
        std::printf("not equalised: measured spectrum kept\n");
    }
    std::printf("scale: %.3f per measured unit (speech-band level %.5f -> unity%s)\n",
                summary.scale, summary.speechBandLevel,
                summary.speechPeakLimited ? ", lowered to keep speech peaks at -3 dBFS" : "");
    PrintStats(set, summary.stats);
    for (const std::string& note : summary.notes)
    {
        std::printf("note: %s\n", note.c_str());
    }
    return kExitOk;
}

int RunCheckSofa(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "sofa", "expected one FILE");
    }
    MeasuredHrir measured;
    std::string why;
    SofaProblem problem = SofaProblem::None;
    if (!ReadSofaMeasurements(args[0], measured, why, &problem))
    {
        return RefuseSofa(problem, why);
    }
    std::printf("accepted: %zu measured directions\n", measured.directions.size());
    return kExitOk;
}

int RunCheck(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "hrir", "expected one FILE");
    }
    HrirSet set;
    std::string why;
    if (!ReadHrirFile(args[0], set, why))
    {
        return Refuse(why);
    }
    std::printf("accepted\n");
    return kExitOk;
}

const CommandRegistration kImportText(
    {"hrir", "import-text", "DIR OUT.bir",
     "read IR_elev.txt, IR_azim.txt, IR_L.txt and IR_R.txt from DIR and write a response-set file",
     RunImportText});
const CommandRegistration kFromSofa(
    {"hrir", "from-sofa", "IN.sofa OUT.bir [--raw] [--time-limit SECONDS]",
     "convert a measured SOFA set (SimpleFreeFieldHRIR) into a response-set file: 44.1 kHz, 128 "
     "taps, whole-degree grid, diffuse-field equalised (--raw: not), speech at the source's "
     "level with peaks at most -3 dBFS; a file libmysofa does not read within the time limit "
     "(20 s) is refused as damaged",
     RunFromSofa});
const CommandRegistration kInfo({"hrir", "info", "FILE.bir",
                                 "print a response-set file's rows, directions and level figures",
                                 RunInfo});
const CommandRegistration kCheckSofa({"check", "sofa", "FILE",
                                      "read FILE as a measured SOFA set, as hrir from-sofa does: "
                                      "prints accepted or refused: <why>",
                                      RunCheckSofa});
const CommandRegistration kCheck({"check", "hrir", "FILE",
                                  "read FILE as a response-set file: prints accepted or "
                                  "refused: <why>",
                                  RunCheck});

} // namespace
} // namespace yumo::tool
