// Pipes, folders and devices named like data files are refused at once by every reader: a FIFO
// without a writer would block an ordinary open for ever, so each run has a time limit of its
// own and a hang shows as the limit's status (124), not as a stuck test.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/test_support.h"

namespace yumo
{
namespace
{

struct ReaderCommand
{
    const char* words; // yumo-tool's command before the file
    const char* name;  // the file's name, as the reader's own files are named
};

constexpr ReaderCommand kReaders[] = {
    {"import", "x.wav"},
    {"import", "x.mp3"},
    {"check wav", "x.wav"},
    {"check mp3", "x.mp3"},
    {"check ymv", "x.ymv"},
    {"voice info", "x.ymv"},
    {"check hrir", "head01.bir"},
    {"check filter", "filter.bir"},
    {"check ymi", "Yumone.ymi"},
    {"check animation-script", "Anime.txt"},
    {"check picture-list", "Image.txt"},
    {"check position-path", "path.txt"},
    {"hrir from-sofa", "x.sofa"},
};

void ExpectRefusedAtOnce(const std::filesystem::path& file)
{
    for (const ReaderCommand& reader : kReaders)
    {
        const std::filesystem::path named = file.parent_path() / reader.name;
        std::filesystem::rename(file.parent_path() / "current", named);
        std::string err;
        std::string command = std::string("timeout 5 ") + YUMO_TOOL_PATH + " " + reader.words +
                              " '" + named.string() + "'";
        if (std::string(reader.words) == "hrir from-sofa")
        {
            command += " '" + (file.parent_path() / "out.bir").string() + "'";
        }
        EXPECT_EQ(test::RunCommand(command, nullptr, &err), 1) << command << "\n" << err;
        EXPECT_EQ(err.rfind("refused: ", 0), 0u) << command << "\n" << err;
        std::filesystem::rename(named, file.parent_path() / "current");
    }
}

TEST(NonRegularFiles, APipeOrAFolderIsRefusedByEveryReaderWithoutWaiting)
{
    test::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "current").c_str(), 0600), 0);
    ExpectRefusedAtOnce(dir / "current");
    std::filesystem::remove(dir / "current");
    std::filesystem::create_directory(dir / "current");
    ExpectRefusedAtOnce(dir / "current");
}

} // namespace
} // namespace yumo
