#pragma once
// Where the program finds its data: the folders hrtf/, filter/, img/ and ymv/ are read relative
// to the working directory. So that the program also starts from a desktop menu or from any
// other folder, it moves into a folder that holds them first. The user's own files (voice sets,
// position records, a rebuilt character-data file) live in the user's data folder, because an
// installed data folder is shared and read-only.

#include <filesystem>

namespace yumo
{

// The working directory when it holds hrtf/head01.bir; else the data/ folder beside the
// executable (the build tree); else share/yumo/ beside the executable's bin/ folder (an
// installed copy). Otherwise the working directory, where the response set's loader then says
// what is missing.
std::filesystem::path FindDataFolder(const std::filesystem::path& workDir,
                                     const std::filesystem::path& executableDir);

// True for a data folder that was installed with the program (…/share/yumo): the program never
// writes into it.
bool IsInstalledDataFolder(const std::filesystem::path& folder);

// The user's data folder: $XDG_DATA_HOME/yumo, or ~/.local/share/yumo when that is not set.
// Not created here.
std::filesystem::path UserDataFolder();

// Where a file the program rebuilds from the data folder's sources goes: the data folder
// itself, or the user's data folder when the data folder is an installed one.
std::filesystem::path FolderForRebuiltFiles(const std::filesystem::path& dataFolder,
                                            const std::filesystem::path& userFolder);

} // namespace yumo
