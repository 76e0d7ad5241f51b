// yumo-tool hrir render: renders a mono WAV clip binaurally through a response-set file, block
// by block as the program plays a voice clip, into a stereo WAV file.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/hrir_set.h"
#include "audio/renderer.h"
#include "audio/voice_tracks.h"
#include "common/byte_io.h"
#include "common/constants.h"
#include "common/report.h"
#include "common/text_numbers.h"
#include "common/wav_writer.h"
#include "import/wav_import.h"
#include "tools/command.h"
#include "tools/hrir/position_path.h"

namespace yumo::tool
{
namespace
{

constexpr size_t kMaxPathFileBytes = 256u << 20;

struct RenderOptions
{
    std::string hrirPath;
    std::string inputPath;
    std::string outputPath;
    std::string pathFile;
    PathPosition position{kStandingPosition.azimuth, kStandingPosition.elevation,
                          kStandingPosition.distance};
    double referenceDistance = 0.3;
    bool positionGiven = false;
};

int RenderUsage(const std::string& problem) { return UsageError("hrir", "render", problem); }

// Parses the arguments; returns kExitOk or the usage error's exit status.
int ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options)
{
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0)
        {
            positional.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size())
        {
            return RenderUsage(arg + " needs a value");
        }
        const std::string& value = args[++i];
        if (arg == "--path")
        {
            options.pathFile = value;
            continue;
        }
        double* target = nullptr;
        bool mayBeNegative = true;
        if (arg == "--azimuth")
        {
            target = &options.position.azimuth;
        }
        else if (arg == "--elevation")
        {
            target = &options.position.elevation;
        }
        else if (arg == "--distance")
        {
            target = &options.position.distance;
            mayBeNegative = false;
        }
        else if (arg == "--reference")
        {
            target = &options.referenceDistance;
            mayBeNegative = false;
        }
        else
        {
            return RenderUsage("unknown option " + arg);
        }
        if (ParseTextDouble(value, *target) != TextNumberStatus::Ok)
        {
            return RenderUsage(arg + " needs a finite number, not '" + value + "'");
        }
        if (!mayBeNegative && *target < 0.0)
        {
            return RenderUsage(arg + " must not be negative");
        }
        options.positionGiven = options.positionGiven || arg != "--reference";
    }
    if (positional.size() != 3)
    {
        return RenderUsage("needs FILE.bir, IN.wav and OUT.wav");
    }
    if (!options.pathFile.empty() && options.positionGiven)
    {
        return RenderUsage("--path replaces --azimuth, --elevation and --distance");
    }
    options.hrirPath = positional[0];
    options.inputPath = positional[1];
    options.outputPath = positional[2];
    return kExitOk;
}

bool ReadHrirSet(const std::string& path, HrirSet& set, std::string& why)
{
    switch (ReadHrirSetFile(path, set, why))
    {
    case HrirFileStatus::Ok:
        return true;
    case HrirFileStatus::NotOpened:
        return false;
    case HrirFileStatus::Damaged:
        break;
    }
    why = path + ": " + why;
    return false;
}

bool ReadPathFile(const std::string& path, std::vector<PathPosition>& positions, std::string& why)
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(path, bytes, kMaxPathFileBytes))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::TooLarge:
        why = path + " is larger than " + std::to_string(kMaxPathFileBytes) + " bytes";
        return false;
    case FileReadResult::NotRegular:
        why = path + " is a folder, pipe or device, not a file";
        return false;
    case FileReadResult::NotOpened:
    case FileReadResult::ReadError:
        why = "cannot read " + path;
        return false;
    }
    if (!ParsePositionPath(std::string(bytes.begin(), bytes.end()), positions, why))
    {
        why = path + ": " + why;
        return false;
    }
    return true;
}

// The clip as the program holds one: mono samples, zero-padded to whole blocks.
bool ReadClip(const std::string& path, std::vector<int16_t>& clip, std::string& why)
{
    CapturingReporter reporter;
    ImportedAudio audio;
    PcmFormat format;
    int32_t bytes = ImportWavFile(path, audio, format, reporter);
    if (bytes <= 0)
    {
        why = reporter.messages.empty() ? path + " holds no samples"
                                        : path + ": " + reporter.messages.front().text;
        return false;
    }
    if (format.channels != 1)
    {
        why = path + " has " + std::to_string(format.channels) + " channels; a voice clip is mono";
        return false;
    }
    size_t samples = static_cast<size_t>(bytes) / kBytesPerSample;
    size_t blocks = (samples + kFramesPerBlock - 1) / kFramesPerBlock;
    clip.assign(blocks * kFramesPerBlock, 0);
    for (size_t n = 0; n < samples; ++n)
    {
        clip[n] = static_cast<int16_t>(LoadU16(audio.buffer.data() + 2 * n));
    }
    return true;
}

int RunHrirRender(const std::vector<std::string>& args)
{
    RenderOptions options;
    if (int status = ParseRenderOptions(args, options); status != kExitOk)
    {
        return status;
    }
    HrirSet set;
    std::vector<PathPosition> path{options.position};
    std::vector<int16_t> clip;
    std::string why;
    if (!ReadHrirSet(options.hrirPath, set, why) ||
        (!options.pathFile.empty() && !ReadPathFile(options.pathFile, path, why)) ||
        !ReadClip(options.inputPath, clip, why))
    {
        return Refuse(why);
    }

    WavWriter writer;
    if (!OpenWavWriter(writer, options.outputPath, kOutputChannels, kSampleRate))
    {
        return Refuse("cannot create " + options.outputPath + ": " +
                      DescribeAtomicFileFailure(writer.file));
    }
    std::vector<int16_t> overlapLeft(kFramesPerBlock, 0);
    std::vector<int16_t> overlapRight(kFramesPerBlock, 0);
    std::vector<int16_t> block(kFramesPerBlock * kOutputChannels);
    size_t calls = 0;
    for (size_t start = 0; start < clip.size(); start += kFramesPerBlock, ++calls)
    {
        // Past the path's end its last position stays.
        const PathPosition& p = path[std::min(calls, path.size() - 1)];
        RenderBinauralBlock(set, clip.data(), clip.size(), static_cast<int64_t>(start), p.azimuth,
                            p.elevation, p.distance, options.referenceDistance, overlapLeft.data(),
                            overlapRight.data(), block.data());
        if (!WriteWavSamples(writer, block.data(), block.size()))
        {
            return Refuse("cannot write " + options.outputPath);
        }
    }
    if (!CloseWavWriter(writer))
    {
        return Refuse("cannot write " + options.outputPath);
    }
    std::printf("rendered %zu blocks (%zu frames) to %s with the %s renderer\n", calls,
                calls * kFramesPerBlock, options.outputPath.c_str(),
                VectorPathName(FastestVectorPath()));
    return kExitOk;
}

int RunCheckPositionPath(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "position-path", "expected one FILE");
    }
    std::vector<PathPosition> positions;
    std::string why;
    if (!ReadPathFile(args[0], positions, why))
    {
        return Refuse(why);
    }
    std::printf("accepted\n");
    return kExitOk;
}

const CommandRegistration kHrirRender({
    "hrir",
    "render",
    "FILE.bir IN.wav OUT.wav [--azimuth A] [--elevation E] [--distance D] [--reference R] "
    "[--path FILE]",
    "render a mono 16-bit 44.1 kHz clip binaurally into a stereo WAV, 512 frames per block; "
    "--path gives 'azimuth elevation distance' per block, its last line holding on "
    "(defaults: azimuth 90, elevation -40, distance 0.3, reference 0.3)",
    RunHrirRender,
});

const CommandRegistration kCheckPositionPath({
    "check",
    "position-path",
    "FILE",
    "read FILE as a --path file of hrir render: prints accepted or refused: <why>",
    RunCheckPositionPath,
});

} // namespace
} // namespace yumo::tool
