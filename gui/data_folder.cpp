#include "gui/data_folder.h"

#include <system_error>

namespace yumo
{
namespace
{

bool HoldsResponseSet(const std::filesystem::path& folder)
{
    std::error_code error;
    return std::filesystem::is_regular_file(folder / "hrtf" / "head01.bir", error);
}

} // namespace

std::filesystem::path FindDataFolder(const std::filesystem::path& workDir,
                                     const std::filesystem::path& executableDir)
{
    if (HoldsResponseSet(workDir))
    {
        return workDir;
    }
    // Later candidates (an installed share folder) go here, in the order they are tried.
    for (const std::filesystem::path& candidate : {executableDir / "data"})
    {
        if (HoldsResponseSet(candidate))
        {
            return candidate;
        }
    }
    return workDir;
}

} // namespace yumo
