#pragma once
// Where the program finds its data: the folders hrtf/, filter/, img/ and ymv/ are read relative
// to the working directory. So that the program also starts from a desktop menu or from any
// other folder, it moves into a folder that holds them first.

#include <filesystem>

namespace yumo
{

// The working directory when it holds hrtf/head01.bir; else the data/ folder beside the
// executable when that holds it (the build tree). Otherwise the working directory, where the
// response set's loader then says what is missing.
std::filesystem::path FindDataFolder(const std::filesystem::path& workDir,
                                     const std::filesystem::path& executableDir);

} // namespace yumo
