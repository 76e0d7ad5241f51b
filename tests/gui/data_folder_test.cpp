// Which folder the program reads its data from.

#include <gtest/gtest.h>

#include "gui/data_folder.h"
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

} // namespace
} // namespace yumo::test
