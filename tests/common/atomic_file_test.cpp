// Saves replace their target whole or not at all, whoever else writes beside them.

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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
    struct stat info = {};
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

size_t OpenDescriptors()
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}

TEST(AtomicFile, ASaveThroughALinkReplacesTheLinksFileAndKeepsTheLinkAndTheMode)
{
    test::TempDir dir;
    std::filesystem::create_directories(dir / "real");
    const auto file = dir / "real" / "set.ymv";
    test::WriteBytesFile(file, {1});
    ASSERT_EQ(chmod(file.c_str(), 0604), 0);
    // A relative link, and a link to that link.
    std::filesystem::create_symlink("real/set.ymv", dir / "link.ymv");
    std::filesystem::create_symlink("link.ymv", dir / "link2.ymv");

    ASSERT_TRUE(WriteFileAtomically(dir / "link.ymv", {2, 3}));
    ASSERT_TRUE(WriteFileAtomically(dir / "link2.ymv", {4, 5, 6}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ymv"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link2.ymv"));
    EXPECT_EQ(test::ReadBytesFile(file), (std::vector<uint8_t>{4, 5, 6}));
    EXPECT_EQ(PermissionBits(file), 0604u);
    EXPECT_EQ(FolderNames(dir / "real"), std::vector<std::string>{"set.ymv"});

    // A link that leads nowhere is refused, and nothing is made where it points.
    std::filesystem::create_symlink("real/gone.ymv", dir / "dangling.ymv");
    AtomicFile dangling;
    EXPECT_FALSE(OpenAtomicFile(dangling, dir / "dangling.ymv"));
    EXPECT_EQ(dangling.problem, AtomicFileProblem::DanglingLink);
    EXPECT_FALSE(DescribeAtomicFileFailure(dangling).empty());
    EXPECT_EQ(FolderNames(dir / "real"), std::vector<std::string>{"set.ymv"});
    EXPECT_EQ(FolderNames(dir.path()),
              (std::vector<std::string>{"dangling.ymv", "link.ymv", "link2.ymv", "real"}));
}

TEST(AtomicFile, OnlyRegularFilesAreWrittenNeverADevicePipeOrFolder)
{
    test::TempDir dir;
    const auto fifo = dir / "pipe.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A reader is present, so a write to the pipe could not block the test.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::filesystem::create_symlink("/dev/null", dir / "null.wav");
    std::filesystem::create_directories(dir / "folder.wav");

    for (const char* name : {"pipe.wav", "null.wav", "folder.wav"})
    {
        AtomicFile file;
        EXPECT_FALSE(OpenAtomicFile(file, dir / name)) << name;
        EXPECT_EQ(file.problem, AtomicFileProblem::NotRegularFile) << name;
        WavWriter writer;
        EXPECT_FALSE(OpenWavWriter(writer, dir / name, 2, 44100)) << name;
    }
    char byte = 0;
    EXPECT_EQ(read(reader, &byte, 1), 0); // nothing was written into the pipe
    close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "null.wav"));
    EXPECT_EQ(FolderNames(dir.path()),
              (std::vector<std::string>{"folder.wav", "null.wav", "pipe.wav"}));
}

TEST(AtomicFile, ASaveRemovesTheTemporaryFilesOfKilledSavesButNotOfRunningOnes)
{
    test::TempDir dir;
    const auto target = dir / "out.bin";
    test::WriteBytesFile(target, {1});
    // Left by saves that died: nobody holds them.
    test::WriteBytesFile(dir / "out.bin.tmp-aB3dE9", std::vector<uint8_t>(4096, 7));
    test::WriteBytesFile(dir / "out.bin.tmp-000000", {7});
    // Not this target's, or not names a save makes.
    for (const char* name : {"other.bin.tmp-aB3dE9", "out.bin.tmp-aB3dE", "out.bin.tmp-aB3dE9x",
                             "out.bin.tmp-aB3d.9", "xout.bin.tmp-aB3dE9"})
    {
        test::WriteBytesFile(dir / name, {8});
    }
    // A save of the same target that is still being written, by another instance.
    AtomicFile running;
    ASSERT_TRUE(OpenAtomicFile(running, target));
    ASSERT_TRUE(AppendToAtomicFile(running, "run", 3));
    const std::string runningName = running.tempPath.filename().string();

    ASSERT_TRUE(WriteFileAtomically(target, {2}));
    std::vector<std::string> expected{
        "other.bin.tmp-aB3dE9", "out.bin",   "out.bin.tmp-aB3d.9", "out.bin.tmp-aB3dE",
        "out.bin.tmp-aB3dE9x",  runningName, "xout.bin.tmp-aB3dE9"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(dir.path()), expected);

    ASSERT_TRUE(CommitAtomicFile(running));
    EXPECT_EQ(test::ReadBytesFile(target), (std::vector<uint8_t>{'r', 'u', 'n'}));
}

// Names up to the file system's limit save (their temporary files named after the names'
// start), and a killed save of such a name is cleaned up too; a write-protected target is
// refused and stays as it was, even for root.
TEST(AtomicFile, LongNamesSaveAndWriteProtectedTargetsAreRefused)
{
    test::TempDir dir;
    std::string japanese;
    for (int i = 0; i < 85; ++i)
    {
        japanese += "夢";
    }
    for (const std::string& name : {std::string(255, 'a'), japanese, std::string(244, 'b')})
    {
        const auto target = dir / name;
        AtomicFile killed;
        ASSERT_TRUE(OpenAtomicFile(killed, target)) << name.size();
        EXPECT_LE(killed.tempPath.filename().string().size(), 255u);
        const std::string stale = killed.tempPath.filename().string();
        std::filesystem::copy_file(killed.tempPath,
                                   dir / (stale.substr(0, stale.size() - 6) + "Zz9Zz9"));
        AbandonAtomicFile(killed);
        ASSERT_TRUE(WriteFileAtomically(target, {9})) << name.size();
        EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{name});
        std::filesystem::remove(target);
    }

    const auto locked = dir / "locked.ymv";
    test::WriteBytesFile(locked, {1, 2});
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    AtomicFile file;
    EXPECT_FALSE(OpenAtomicFile(file, locked));
    EXPECT_EQ(file.problem, AtomicFileProblem::ReadOnlyTarget);
    EXPECT_NE(DescribeAtomicFileFailure(file).find("書き込み禁止"), std::string::npos);
    EXPECT_EQ(test::ReadBytesFile(locked), (std::vector<uint8_t>{1, 2}));
    EXPECT_EQ(PermissionBits(locked), 0444u);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"locked.ymv"});
}

TEST(AtomicFile, AFileOrWriterLeftUnfinishedIsAbandonedWithItsDescriptor)
{
    test::TempDir dir;
    test::WriteBytesFile(dir / "kept.wav", {9});
    const size_t descriptors = OpenDescriptors();
    {
        AtomicFile file;
        ASSERT_TRUE(OpenAtomicFile(file, dir / "kept.wav"));
        ASSERT_TRUE(AppendToAtomicFile(file, "abc", 3));
        WavWriter writer;
        ASSERT_TRUE(OpenWavWriter(writer, dir / "kept.wav", 1, 44100));
        // Opening again abandons what the writer had open.
        ASSERT_TRUE(OpenWavWriter(writer, dir / "other.wav", 1, 44100));
        EXPECT_EQ(FolderNames(dir.path()).size(), 3u); // kept.wav and two temporary files
        AtomicFile moved = std::move(file);
        EXPECT_EQ(file.fd, -1);
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"kept.wav"});
    EXPECT_EQ(test::ReadBytesFile(dir / "kept.wav"), std::vector<uint8_t>{9});
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
