#include "tools/hrir/child_run.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace yumo
{
namespace
{

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

void WriteAllOrDie(int fd, const uint8_t* data, size_t count)
{
    while (count > 0)
    {
        const ssize_t n = write(fd, data, count);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            _exit(3);
        }
        data += n;
        count -= static_cast<size_t>(n);
    }
}

// Waits for the child, killing it first when it is still running.
int Reap(pid_t child, bool kill)
{
    if (kill)
    {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    return status;
}

} // namespace

ChildResult RunInChild(const std::function<std::vector<uint8_t>()>& work, int limitMs,
                       uint64_t memoryLimitBytes)
{
    ChildResult result;
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
    {
        return result;
    }
    const pid_t child = fork();
    if (child < 0)
    {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return result;
    }
    if (child == 0)
    {
        close(pipeFds[0]);
        if (!kAddressSanitizer && memoryLimitBytes > 0)
        {
            const rlimit limit{memoryLimitBytes, memoryLimitBytes};
            setrlimit(RLIMIT_AS, &limit);
        }
        const std::vector<uint8_t> output = work();
        WriteAllOrDie(pipeFds[1], output.data(), output.size());
        close(pipeFds[1]);
        _exit(0);
    }
    close(pipeFds[1]);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    uint8_t piece[65536];
    bool timedOut = false;
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0)
        {
            timedOut = true;
            break;
        }
        pollfd wait{pipeFds[0], POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
        {
            continue;
        }
        if (ready == 0)
        {
            timedOut = true;
            break;
        }
        const ssize_t got = read(pipeFds[0], piece, sizeof piece);
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        if (got <= 0)
        {
            break; // the child closed its end: done or dead
        }
        result.output.insert(result.output.end(), piece, piece + got);
    }
    close(pipeFds[0]);
    const int status = Reap(child, timedOut);
    if (timedOut)
    {
        result.outcome = ChildOutcome::TimedOut;
        result.output.clear();
    }
    else if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
    {
        result.outcome = ChildOutcome::Finished;
    }
    else
    {
        result.outcome = ChildOutcome::Crashed;
        result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        result.output.clear();
    }
    return result;
}

} // namespace yumo
