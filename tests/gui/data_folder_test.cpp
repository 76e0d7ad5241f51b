// Which folder the program reads its data from.

#include <cstdlib>
#include <gtest/gtest.h>

#include "common/data_folder.h"
#include "support/test_support.h"

namespace yumo::test
{
namespace
{

TEST(DataFolder, WorkingDirectoryFirstThenDataBesideTheProgram)
{
    TempDir work;
    TempDir program;
    const std::filesystem::path beside = program.path() / "data";
    // Neither holds a response set: stay, and let the loader say what is missing.
    EXPECT_EQ(FindDataFolder(work.path(), program.path()), work.path());

    std::filesystem::create_directories(beside / "hrtf");
    WriteBytesFile(beside / "hrtf" / "head01.bir", {1});
    EXPECT_EQ(FindDataFolder(work.path(), program.path()), beside);

    // A folder named like the file does not count.
    std::filesystem::create_directories(work / "hrtf" / "head01.bir");
    EXPECT_EQ(FindDataFolder(work.path(), program.path()), beside);
    std::filesystem::remove(work / "hrtf" / "head01.bir");
    WriteBytesFile(work / "hrtf" / "head01.bir", {1});
    EXPECT_EQ(FindDataFolder(work.path(), program.path()), work.path());
}

TEST(DataFolder, AnInstalledCopyIsFoundFromBinAndNeverWrittenInto)
{
    TempDir prefix;
    const std::filesystem::path share = prefix.path() / "share" / "yumo";
    std::filesystem::create_directories(share / "hrtf");
    std::filesystem::create_directories(prefix.path() / "bin");
    TempDir work;
    EXPECT_EQ(FindDataFolder(work.path(), prefix.path() / "bin"), work.path());
    WriteBytesFile(share / "hrtf" / "head01.bir", {1});
    EXPECT_EQ(FindDataFolder(work.path(), prefix.path() / "bin"), share);

    const std::filesystem::path user = work.path() / "user";
    EXPECT_TRUE(IsInstalledDataFolder(share));
    EXPECT_TRUE(IsInstalledDataFolder("/usr/share/yumo/"));
    EXPECT_EQ(FolderForRebuiltFiles(share, user), user);
    // A build tree's or the working directory's data folder is the program's own to write.
    EXPECT_FALSE(IsInstalledDataFolder(prefix.path() / "build" / "data"));
    EXPECT_FALSE(IsInstalledDataFolder("/srv/yumo"));
    EXPECT_EQ(FolderForRebuiltFiles(work.path(), user), work.path());
}

TEST(DataFolder, TheUsersFolderFollowsTheBaseDirectories)
{
    const char* savedHome = std::getenv("HOME");
    const char* savedData = std::getenv("XDG_DATA_HOME");
    const std::string home = savedHome != nullptr ? savedHome : "";
    const std::string data = savedData != nullptr ? savedData : "";
    setenv("HOME", "/home/someone", 1);
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserDataFolder(), std::filesystem::path("/home/someone/.local/share/yumo"));
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(UserDataFolder(), std::filesystem::path("/data/home/yumo"));
    setenv("XDG_DATA_HOME", "relative", 1); // not absolute: ignored, as the standard says
    EXPECT_EQ(UserDataFolder(), std::filesystem::path("/home/someone/.local/share/yumo"));
    savedHome != nullptr ? setenv("HOME", home.c_str(), 1) : unsetenv("HOME");
    savedData != nullptr ? setenv("XDG_DATA_HOME", data.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace yumo::test
