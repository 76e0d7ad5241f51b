// Saves replace their target whole or not at all, whoever else writes beside them.

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include "common/atomic_file.h"
#include "common/wav_writer.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

std::vector<std::string> FolderNames(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

mode_t PermissionBits(const std::filesystem::path& path)
{
    struct stat info
    {
    };
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(AtomicFile, TwoWritersOfOneTargetKeepApartAndFollowNoLink)
{
    test::TempDir dir;
    const auto target = dir / "out.wav";
    // A link where a fixed temporary name would go must not lead the writer elsewhere.
    test::WriteBytesFile(dir / "victim", {1, 2, 3});
    std::filesystem::create_symlink(dir / "victim", dir / "out.wav.partial");

    WavWriter first;
    WavWriter second;
    ASSERT_TRUE(OpenWavWriter(first, target, 1, 44100));
    ASSERT_TRUE(OpenWavWriter(second, target, 1, 44100));
    const int16_t a[2] = {1, 2};
    const int16_t b[3] = {7, 8, 9};
    ASSERT_TRUE(WriteWavSamples(first, a, 2));
    ASSERT_TRUE(WriteWavSamples(second, b, 3));
    ASSERT_TRUE(CloseWavWriter(first));
    EXPECT_EQ(test::ReadBytesFile(target), MakeWavImage(a, 2, 1, 44100));
    ASSERT_TRUE(CloseWavWriter(second));
    EXPECT_EQ(test::ReadBytesFile(target), MakeWavImage(b, 3, 1, 44100));

    EXPECT_EQ(test::ReadBytesFile(dir / "victim"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(std::filesystem::is_symlink(target));
    EXPECT_EQ(FolderNames(dir.path()),
              (std::vector<std::string>{"out.wav", "out.wav.partial", "victim"}));
}

TEST(AtomicFile, AReplacedFileKeepsItsPermissionsAndANewOneFollowsTheUmask)
{
    test::TempDir dir;
    const auto kept = dir / "kept.bin";
    test::WriteBytesFile(kept, {1});
    ASSERT_EQ(chmod(kept.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(kept, {2, 3}));
    EXPECT_EQ(PermissionBits(kept), 0640u);

    const mode_t previous = umask(027);
    const bool written = WriteFileAtomically(dir / "new.bin", {4});
    WavWriter writer;
    const bool opened = OpenWavWriter(writer, dir / "new.wav", 1, 44100);
    const bool closed = opened && CloseWavWriter(writer);
    umask(previous);
    ASSERT_TRUE(written && closed);
    EXPECT_EQ(PermissionBits(dir / "new.bin"), 0640u);
    EXPECT_EQ(PermissionBits(dir / "new.wav"), 0640u);
}

TEST(AtomicFile, AWriteThatFailsHalfwayLeavesTheTargetAndNoTemporaryFile)
{
    test::TempDir dir;
    const auto target = dir / "out.bin";
    test::WriteBytesFile(target, {5, 6});

    // The file-size limit makes the kernel refuse writes past 64 KiB (EFBIG).
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    AtomicFile file;
    const bool opened = OpenAtomicFile(file, target);
    const std::vector<uint8_t> chunk(1000, 0x5A);
    bool appended = true;
    for (int i = 0; i < 3000 && appended; ++i)
    {
        appended = AppendToAtomicFile(file, chunk.data(), chunk.size());
    }
    const bool committed = opened && CommitAtomicFile(file);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    ASSERT_TRUE(opened);
    EXPECT_FALSE(appended);
    EXPECT_FALSE(committed);
    EXPECT_EQ(test::ReadBytesFile(target), (std::vector<uint8_t>{5, 6}));
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"out.bin"});

    // Abandoning an open file leaves nothing either.
    ASSERT_TRUE(OpenAtomicFile(file, target));
    ASSERT_TRUE(AppendToAtomicFile(file, chunk.data(), chunk.size()));
    AbandonAtomicFile(file);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"out.bin"});
    EXPECT_FALSE(CommitAtomicFile(file));
}

} // namespace
} // namespace yumo
