#pragma once
// Work that may crash or hang - a library reading a damaged file - run in a forked child
// process with a time limit, so that its crash or endless loop becomes an answer instead of
// the end of the program. The child hands back bytes through a pipe.

#include <cstdint>
#include <functional>
#include <vector>

namespace yumo
{

enum class ChildOutcome
{
    Finished, // the child ended normally; `output` holds what it returned
    Crashed,  // it ended by a signal (SIGSEGV, SIGABRT ...) or with a failure status
    TimedOut, // it did not finish within the limit and was killed
    NotRun,   // no child could be made (fork or pipe failed)
};

struct ChildResult
{
    ChildOutcome outcome = ChildOutcome::NotRun;
    int signal = 0; // the signal that ended a crashed child, 0 for a failure status
    std::vector<uint8_t> output;
};

// Runs `work` in a child and waits at most `limitMs` for it. The child's address space is
// limited to `memoryLimitBytes` (not under the address sanitizer, which reserves more).
ChildResult RunInChild(const std::function<std::vector<uint8_t>()>& work, int limitMs,
                       uint64_t memoryLimitBytes);

} // namespace yumo
