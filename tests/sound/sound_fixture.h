#pragma once
// The sound tests' set-up: a QCoreApplication, and either a private PulseAudio server (its own
// runtime folder and socket, one 44.1 kHz stereo null sink whose monitor can be recorded) or
// none at all. The server is chosen through the environment, so every sound test runs in a
// process of its own (ctest runs each test so); a second one in the same process fails loudly
// instead of testing the wrong server.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/types.h>
#include <vector>

#include "support/test_support.h"

namespace yumo::test
{

// The time `blocks` blocks of 512 frames take at 44.1 kHz.
std::chrono::nanoseconds BlocksOfTime(int blocks);

// Runs the event loop until `done` (looked at every 5 ms) or `milliseconds` have passed;
// returns `done`'s last answer. Unlike QTest::qWaitFor, which sleeps 10 ms between passes, the
// loop runs as the program's does, so a sound server's round trips are not held back.
bool RunUntil(const std::function<bool()>& done, int milliseconds);
// Runs the event loop for `milliseconds`.
void RunFor(int milliseconds);

class PrivatePulseServer
{
public:
    ~PrivatePulseServer();
    // Starts the server (again, on the same socket, after Kill), points this process at it and
    // waits until it answers.
    bool Start();
    // Ends the server at once, as a crash would.
    void Kill();

private:
    TempDir dir_;
    pid_t pid_ = -1;
};

// Records the test sink's monitor as raw interleaved 16-bit stereo at 44.1 kHz.
class MonitorRecorder
{
public:
    ~MonitorRecorder();
    // Starts and waits until sound arrives: an idle null sink sleeps up to 2 s before it first
    // plays, and a recording wakes it.
    bool Start();
    // Stops once the last sound has reached the file, and returns the recording.
    std::vector<int16_t> Stop();

private:
    TempDir dir_;
    pid_t pid_ = -1;
};

class SoundServerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    PrivatePulseServer server;
};

class NoSoundServerTest : public ::testing::Test
{
protected:
    void SetUp() override;
};

} // namespace yumo::test
