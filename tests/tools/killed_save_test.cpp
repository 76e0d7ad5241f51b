// A save killed at any moment (SIGKILL: nothing of the program runs after it) leaves the previous
// file byte for byte or the new one complete, and the next save removes what it left behind.

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/test_support.h"

extern char** environ;

namespace yumo
{
namespace
{

using Clock = std::chrono::steady_clock;

constexpr int kKills = 30;

// Samples that deflate slowly and poorly, so the save takes a while and writes all along.
std::vector<int16_t> Noise(size_t count, uint32_t seed)
{
    std::vector<int16_t> samples(count);
    for (int16_t& sample : samples)
    {
        seed = seed * 1664525u + 1013904223u;
        sample = static_cast<int16_t>(static_cast<int32_t>(seed >> 16) / 4);
    }
    return samples;
}

pid_t Spawn(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
    {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

int Wait(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    return status;
}

size_t TemporaryFiles(const std::filesystem::path& folder)
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        count += entry.path().filename().string().find(".tmp-") != std::string::npos ? 1 : 0;
    }
    return count;
}

TEST(KilledSave, LeavesTheOldFileOrTheWholeNewOneAndTheNextSaveClearsItsRemains)
{
    test::TempDir dir;
    const auto night = dir / "night.wav";
    const auto wake = dir / "wake.wav";
    const auto target = dir / "set.ymv";
    // Two and a half minutes of audio: a save of about 13 MB.
    test::WriteBytesFile(night, test::MakeWavBytes(Noise(150 * 44100, 1)));
    test::WriteBytesFile(wake, test::MakeWavBytes(Noise(44100, 2)));
    const std::vector<std::string> save{YUMO_TOOL_PATH,
                                        "voice",
                                        "new",
                                        target.string(),
                                        "--owner",
                                        "kill",
                                        "0=" + night.string(),
                                        "10=" + wake.string()};

    std::vector<std::string> small = save;
    small[6] = "0=" + wake.string();
    ASSERT_EQ(Wait(Spawn(small)), 0);
    const std::vector<uint8_t> old = test::ReadBytesFile(target);

    const Clock::time_point start = Clock::now();
    ASSERT_EQ(Wait(Spawn(save)), 0);
    const auto whole = Clock::now() - start;
    const std::vector<uint8_t> complete = test::ReadBytesFile(target);
    ASSERT_GT(complete.size(), size_t{10} << 20);

    std::mt19937 random(18);
    std::uniform_int_distribution<int64_t> moment(
        0, std::chrono::duration_cast<std::chrono::microseconds>(whole).count() * 13 / 10);
    int keptOld = 0;
    int completed = 0;
    for (int run = 0; run < kKills; ++run)
    {
        test::WriteBytesFile(target, old);
        const pid_t pid = Spawn(save);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        kill(pid, SIGKILL);
        Wait(pid);
        const std::vector<uint8_t> now = test::ReadBytesFile(target);
        keptOld += now == old ? 1 : 0;
        completed += now == complete ? 1 : 0;
        ASSERT_TRUE(now == old || now == complete) << "run " << run << ": " << now.size();
        // Each save removes what the ones killed before it left: at most the last one's remains.
        ASSERT_LE(TemporaryFiles(dir.path()), 1u) << "run " << run;
    }
    std::printf("%d kills in a %.2f s save: the old file kept %d times, the new one complete %d\n",
                kKills, std::chrono::duration<double>(whole).count(), keptOld, completed);
    EXPECT_GT(keptOld, 0);

    ASSERT_EQ(Wait(Spawn(save)), 0);
    EXPECT_EQ(test::ReadBytesFile(target), complete);
    EXPECT_EQ(TemporaryFiles(dir.path()), 0u);
}

} // namespace
} // namespace yumo
