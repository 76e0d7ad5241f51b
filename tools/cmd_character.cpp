// yumo-tool character script/build/info and check animation-script/picture-list/ymi: the
// companion's animation script, picture lists and character-data file from the command line.

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/text_numbers.h"
#include "common/utf16.h"
#include "display/animation_script.h"
#include "display/character_data_file.h"
#include "display/character_pictures.h"
#include "display/picture_list.h"
#include "tools/command.h"

namespace yumo::tool
{
namespace
{

// Every animation with a duration or a step, and every step with a picture or an end time.
void PrintAnimationTable(const CharacterAnimation& table)
{
    for (size_t id = 0; id < kAnimationCount; ++id)
    {
        bool used = table.duration[id] != 0;
        for (size_t step = 0; step < kAnimationStepCount && !used; ++step)
        {
            used = table.stepPicture[id][step] != 0 || table.stepEnd[id][step] != 0.0f;
        }
        if (!used)
        {
            continue;
        }
        std::printf("animation %zu duration %d\n", id, table.duration[id]);
        for (size_t step = 0; step < kAnimationStepCount; ++step)
        {
            const float end = table.stepEnd[id][step];
            if (table.stepPicture[id][step] != 0 || end != 0.0f)
            {
                std::printf("  step %zu picture %d end %.9g\n", step, table.stepPicture[id][step],
                            static_cast<double>(end));
            }
        }
    }
}

bool ReadText(const std::string& path, std::string& text, size_t maxBytes)
{
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, bytes, maxBytes) != FileReadResult::Ok)
    {
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

struct ScriptOptions
{
    std::string script;
    std::string base = ".";
    bool seeded = false;
    uint32_t seed = 0;
};

// Options after the positional arguments; false with `problem` set on anything unknown.
bool ParseOptions(const std::vector<std::string>& args, size_t first, bool allowBuild,
                  ScriptOptions& options, std::string& problem)
{
    for (size_t i = first; i < args.size(); i += 2)
    {
        const std::string& name = args[i];
        if (i + 1 >= args.size())
        {
            problem = name + " needs a value";
            return false;
        }
        const std::string& value = args[i + 1];
        // The generator's state is 32 bits; a seed is a whole number within it.
        double seed = -1;
        if (name == "--seed" && ParseTextDouble(value, seed) == TextNumberStatus::Ok && seed >= 0 &&
            seed <= 4294967295.0 && seed == static_cast<double>(static_cast<uint32_t>(seed)))
        {
            options.seeded = true;
            options.seed = static_cast<uint32_t>(seed);
        }
        else if (name == "--script" && allowBuild)
        {
            options.script = value;
        }
        else if (name == "--base" && allowBuild)
        {
            options.base = value;
        }
        else
        {
            problem = "'" + name + " " + value + "' is not a known option";
            return false;
        }
    }
    return true;
}

// Parses a script as the program does. A problem is printed as a note; only one that stopped
// the script fails.
int ParseScriptFile(const std::string& path, const ScriptOptions& options,
                    CharacterAnimation& table)
{
    std::string text;
    if (!ReadText(path, text, kMaxScriptBytes))
    {
        return Refuse(path + ": the file could not be read");
    }
    Rng rng;
    const uint32_t seed = options.seeded ? options.seed : static_cast<uint32_t>(std::time(nullptr));
    const ScriptReading reading = ParseAnimationScript(text, table, rng, seed);
    if (reading.stopped)
    {
        return Refuse(path + ": " + reading.problem);
    }
    if (!reading.problem.empty())
    {
        std::fprintf(stderr, "note: %s: %s\n", path.c_str(), reading.problem.c_str());
    }
    return kExitOk;
}

int RunScript(const std::vector<std::string>& args)
{
    ScriptOptions options;
    std::string problem;
    if (args.empty() || !ParseOptions(args, 1, false, options, problem))
    {
        return UsageError("character", "script",
                          problem.empty() ? "expected ANIME.txt [--seed S]" : problem);
    }
    auto table = std::make_unique<CharacterAnimation>();
    const int status = ParseScriptFile(args[0], options, *table);
    PrintAnimationTable(*table); // what was read before a problem is kept, as in the program
    return status;
}

int RunBuild(const std::vector<std::string>& args)
{
    ScriptOptions options;
    std::string problem;
    if (args.size() < 3 || !ParseOptions(args, 3, true, options, problem))
    {
        return UsageError("character", "build",
                          problem.empty() ? "expected IMAGE.txt MASK.txt OUT.ymi" : problem);
    }
    auto table = std::make_unique<CharacterAnimation>();
    if (!options.script.empty())
    {
        if (const int status = ParseScriptFile(options.script, options, *table); status != kExitOk)
        {
            return status;
        }
    }
    std::string imageList;
    std::string maskList;
    for (const auto& [path, text] : {std::pair{args[0], &imageList}, {args[1], &maskList}})
    {
        if (!ReadText(path, *text, kMaxPictureListBytes))
        {
            return Refuse(path + ": the list could not be read");
        }
    }
    auto pictures = std::make_unique<CharacterPictures>();
    const std::string_view masks = maskList;
    const PictureBuild build = BuildCharacterPictures(imageList, &masks, options.base, *pictures);
    if (build.count == 0)
    {
        return Refuse("no picture was stored: " + EscapeControls(build.listEnd));
    }
    if (!build.listEnd.empty())
    {
        std::fprintf(stderr, "note: the picture list ends early: %s\n",
                     EscapeControls(build.listEnd).c_str());
    }
    if (!build.maskProblem.empty())
    {
        std::fprintf(stderr, "note: a mask is not used: %s\n", build.maskProblem.c_str());
    }
    if (!WriteFileAtomically(args[2], EncodeCharacterData(*table, *pictures)))
    {
        return Refuse(args[2] + ": could not be written");
    }
    std::printf("wrote %s: %d pictures, %d without a mask\n", args[2].c_str(), build.count,
                build.masksMissing);
    return kExitOk;
}

// Reads a character-data file; on failure prints "refused: <why>".
int ReadCharacterFile(const std::string& path, CharacterAnimation& table,
                      CharacterPictures& pictures, CharacterDataLayout& layout)
{
    std::vector<uint8_t> bytes;
    const FileReadResult read = ReadWholeFile(path, bytes, kMaxCharacterDataBytes);
    if (read != FileReadResult::Ok)
    {
        return Refuse(path + (read == FileReadResult::TooLarge ? ": the file is too large"
                              : read == FileReadResult::NotRegular
                                  ? ": not a file"
                                  : ": the file could not be read"));
    }
    std::string why;
    if (!ParseCharacterData(bytes, table, pictures, why, &layout))
    {
        return Refuse(why);
    }
    return kExitOk;
}

int RunInfo(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("character", "info", "expected one FILE.ymi");
    }
    auto table = std::make_unique<CharacterAnimation>();
    auto pictures = std::make_unique<CharacterPictures>();
    CharacterDataLayout layout;
    if (const int status = ReadCharacterFile(args[0], *table, *pictures, layout); status != kExitOk)
    {
        return status;
    }
    std::printf("pictures %d\n", pictures->count);
    for (const auto& [name, entries] :
         {std::pair{"picture", &layout.pictures}, std::pair{"mask", &layout.masks}})
    {
        for (size_t i = 0; i < entries->size(); ++i)
        {
            std::printf("%s %zu offset %zu bytes %d\n", name, i, (*entries)[i].offset,
                        (*entries)[i].bytes);
        }
    }
    PrintAnimationTable(*table);
    return kExitOk;
}

int RunCheckScript(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "animation-script", "expected one FILE");
    }
    std::string text;
    if (!ReadText(args[0], text, kMaxScriptBytes))
    {
        return Refuse(args[0] + ": the file could not be read or is too large");
    }
    auto table = std::make_unique<CharacterAnimation>();
    Rng rng;
    const ScriptReading reading = ParseAnimationScript(text, *table, rng, 1);
    if (!reading.problem.empty())
    {
        return Refuse(reading.problem);
    }
    std::printf("accepted\n");
    return kExitOk;
}

int RunCheckList(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "picture-list", "expected one FILE");
    }
    std::string text;
    if (!ReadText(args[0], text, kMaxPictureListBytes))
    {
        return Refuse(args[0] + ": the file could not be read or is too large");
    }
    const PictureList list = ParsePictureList(text);
    if (!list.cutShort.empty())
    {
        return Refuse(list.cutShort);
    }
    if (list.paths.empty())
    {
        return Refuse("the list names no picture");
    }
    std::printf("accepted: %zu paths\n", list.paths.size());
    return kExitOk;
}

int RunCheckYmi(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "ymi", "expected one FILE");
    }
    auto table = std::make_unique<CharacterAnimation>();
    auto pictures = std::make_unique<CharacterPictures>();
    CharacterDataLayout layout;
    if (const int status = ReadCharacterFile(args[0], *table, *pictures, layout); status != kExitOk)
    {
        return status;
    }
    std::printf("accepted\n");
    return kExitOk;
}

const CommandRegistration
    kScript({"character", "script", "ANIME.txt [--seed S]",
             "parse an animation script as the program does and print its animations and steps "
             "(--seed replaces the calendar-time seed of generated blocks)",
             RunScript});
const CommandRegistration kBuild(
    {"character", "build",
     "IMAGE.txt MASK.txt OUT.ymi [--script ANIME.txt] [--base DIR] [--seed S]",
     "build a character-data file from picture lists (paths resolved against DIR, default the "
     "working directory) and an animation script",
     RunBuild});
const CommandRegistration kInfo({"character", "info", "FILE.ymi",
                                 "print a character-data file's pictures, masks and animations",
                                 RunInfo});
const CommandRegistration kCheckScript(
    {"check", "animation-script", "FILE",
     "read FILE as an animation script: prints accepted or refused: <why>", RunCheckScript});
const CommandRegistration
    kCheckList({"check", "picture-list", "FILE",
                "read FILE as a picture list: prints accepted or refused: <why>", RunCheckList});
const CommandRegistration
    kCheckYmi({"check", "ymi", "FILE",
               "read a character-data file: prints accepted or refused: <why>", RunCheckYmi});

} // namespace
} // namespace yumo::tool
