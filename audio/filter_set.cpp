// Start-up loading of the optional filter set: from the three text tables when all are present
// (and then also written out as "filter_out.bir"), otherwise from "filter/filter.bir". Nothing
// is ever shown to the user: without a filter set the program runs as usual.

#include "audio/filter_set.h"

#include <algorithm>
#include <iterator>
#include <sstream>

#include "common/byte_io.h"
#include "common/results.h"
#include "common/text_numbers.h"

namespace yumo
{

int LoadFilterSet(FilterSet& set, const std::filesystem::path& workDir, Reporter& /*reporter*/)
{
    set = FilterSet{};
    std::istringstream cutoffs;
    std::istringstream lowPass;
    std::istringstream highPass;
    const FileReadResult opened[3] = {OpenTextTable(workDir / "cutoff.txt", cutoffs),
                                      OpenTextTable(workDir / "lp128.txt", lowPass),
                                      OpenTextTable(workDir / "hp128.txt", highPass)};
    std::string why;
    if (std::none_of(std::begin(opened), std::end(opened),
                     [](FileReadResult r) { return r == FileReadResult::NotOpened; }))
    {
        if (std::any_of(std::begin(opened), std::end(opened),
                        [](FileReadResult r) { return r != FileReadResult::Ok; }) ||
            !ImportFilterText(cutoffs, lowPass, highPass, set, why))
        {
            set = FilterSet{};
            return kFileDamaged;
        }
        WriteFilterSetFile(set, workDir / "filter_out.bir"); // a failed write is ignored
        return kOk;
    }

    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(workDir / "filter" / "filter.bir", bytes, kMaxFilterFileBytes))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::TooLarge:
    case FileReadResult::NotRegular:
        return kFileDamaged;
    case FileReadResult::NotOpened:
    case FileReadResult::ReadError:
        return kFileNotOpened;
    }
    if (!ParseFilterSetFile(bytes, set, why))
    {
        set = FilterSet{};
        return kFileDamaged;
    }
    return kOk;
}

} // namespace yumo
