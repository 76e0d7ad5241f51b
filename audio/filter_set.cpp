// Start-up loading of the optional filter set: from the three text tables when all are present
// (and then also written out as "filter_out.bir"), otherwise from "filter/filter.bir". Nothing
// is ever shown to the user: without a filter set the program runs as usual.

#include "audio/filter_set.h"

#include <fstream>

#include "common/byte_io.h"
#include "common/results.h"

namespace yumo
{

int LoadFilterSet(FilterSet& set, const std::filesystem::path& workDir, Reporter& /*reporter*/)
{
    set = FilterSet{};
    std::ifstream cutoffs(workDir / "cutoff.txt");
    std::ifstream lowPass(workDir / "lp128.txt");
    std::ifstream highPass(workDir / "hp128.txt");
    std::string why;
    if (cutoffs && lowPass && highPass)
    {
        if (!ImportFilterText(cutoffs, lowPass, highPass, set, why))
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
