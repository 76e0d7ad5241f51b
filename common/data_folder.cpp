#include "common/data_folder.h"

#include <cstdlib>
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

std::filesystem::path Normal(const std::filesystem::path& path) { return path.lexically_normal(); }

} // namespace

std::filesystem::path FindDataFolder(const std::filesystem::path& workDir,
                                     const std::filesystem::path& executableDir)
{
    if (HoldsResponseSet(workDir))
    {
        return workDir;
    }
    for (const std::filesystem::path& candidate :
         {executableDir / "data", Normal(executableDir / ".." / "share" / "yumo")})
    {
        if (HoldsResponseSet(candidate))
        {
            return candidate;
        }
    }
    return workDir;
}

bool IsInstalledDataFolder(const std::filesystem::path& folder)
{
    std::filesystem::path normal = Normal(folder);
    if (!normal.has_filename())
    {
        normal = normal.parent_path(); // a trailing separator
    }
    return normal.filename() == "yumo" && normal.parent_path().filename() == "share";
}

std::filesystem::path UserDataFolder()
{
    // The XDG base directories: a relative XDG_DATA_HOME is invalid and ignored.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/')
    {
        return std::filesystem::path(dataHome) / "yumo";
    }
    const char* home = std::getenv("HOME");
    const std::filesystem::path base = home != nullptr && home[0] != '\0' ? home : "/tmp";
    return base / ".local" / "share" / "yumo";
}

std::filesystem::path FolderForRebuiltFiles(const std::filesystem::path& dataFolder,
                                            const std::filesystem::path& userFolder)
{
    return IsInstalledDataFolder(dataFolder) ? userFolder : dataFolder;
}

} // namespace yumo
