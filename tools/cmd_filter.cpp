// yumo-tool filter import-text / info, and check filter: make, inspect and check filter files.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "audio/filter_set.h"
#include "common/byte_io.h"
#include "common/text_numbers.h"
#include "tools/command.h"

namespace yumo::tool
{
namespace
{

bool ReadFilterFile(const std::string& path, FilterSet& set, std::string& why)
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(path, bytes, kMaxFilterFileBytes))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::TooLarge:
        why = "file is larger than the " + std::to_string(kMaxFilterFileBytes) +
              " bytes of the largest possible filter set";
        return false;
    case FileReadResult::NotRegular:
        why = path + " is a folder, pipe or device, not a file";
        return false;
    case FileReadResult::NotOpened:
    case FileReadResult::ReadError:
        why = "cannot read " + path;
        return false;
    }
    return ParseFilterSetFile(bytes, set, why);
}

double LargestMagnitude(const FilterSet& set, bool lowPass)
{
    double largest = 0.0;
    for (int i = 0; i < set.filterCount; ++i)
    {
        for (double tap : lowPass ? set.lowPass[i] : set.highPass[i])
        {
            largest = std::max(largest, std::fabs(tap));
        }
    }
    return largest;
}

int RunInfo(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("filter", "info", "expected one FILE.bir");
    }
    auto set = std::make_unique<FilterSet>();
    std::string why;
    if (!ReadFilterFile(args[0], *set, why))
    {
        return Refuse(why);
    }
    std::printf("entries: %d\n", set->filterCount);
    std::printf("taps: %d\n", set->tapCount);
    std::printf("cutoffs:");
    for (int i = 0; i < set->filterCount; ++i)
    {
        std::printf(" %d", set->cutoffs[i]);
    }
    std::printf("\n");
    std::printf("largest |low-pass coefficient|: %.3f (%.5f x 32767)\n",
                LargestMagnitude(*set, true), LargestMagnitude(*set, true) / 32767.0);
    std::printf("largest |high-pass coefficient|: %.3f (%.5f x 32767)\n",
                LargestMagnitude(*set, false), LargestMagnitude(*set, false) / 32767.0);
    return kExitOk;
}

int RunImportText(const std::vector<std::string>& args)
{
    if (args.size() != 2)
    {
        return UsageError("filter", "import-text", "expected DIR and OUT.bir");
    }
    const std::filesystem::path dir = args[0];
    std::istringstream tables[3];
    const char* names[3] = {"cutoff.txt", "lp128.txt", "hp128.txt"};
    for (int i = 0; i < 3; ++i)
    {
        if (const FileReadResult opened = OpenTextTable(dir / names[i], tables[i]);
            opened != FileReadResult::Ok)
        {
            return Refuse((dir / names[i]).string() + " " + DescribeTextTableProblem(opened));
        }
    }
    auto set = std::make_unique<FilterSet>();
    std::string why;
    if (!ImportFilterText(tables[0], tables[1], tables[2], *set, why))
    {
        return Refuse(why);
    }
    if (!WriteFilterSetFile(*set, args[1]))
    {
        return Refuse("cannot write " + args[1]);
    }
    std::printf("wrote %s: %d entries of %d taps\n", args[1].c_str(), set->filterCount,
                set->tapCount);
    return kExitOk;
}

int RunCheck(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "filter", "expected one FILE");
    }
    auto set = std::make_unique<FilterSet>();
    std::string why;
    if (!ReadFilterFile(args[0], *set, why))
    {
        return Refuse(why);
    }
    std::printf("accepted\n");
    return kExitOk;
}

const CommandRegistration kImportText(
    {"filter", "import-text", "DIR OUT.bir",
     "read cutoff.txt, lp128.txt and hp128.txt from DIR (coefficients x 32767) and write a "
     "filter file",
     RunImportText});
const CommandRegistration kInfo({"filter", "info", "FILE.bir",
                                 "print a filter file's entries, cutoffs and largest coefficients",
                                 RunInfo});
const CommandRegistration kCheck({"check", "filter", "FILE",
                                  "read FILE as a filter file: prints accepted or refused: <why>",
                                  RunCheck});

} // namespace
} // namespace yumo::tool
