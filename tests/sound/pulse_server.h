#pragma once
// A private PulseAudio server for the sound tests: its own runtime folder and socket, one null
// sink (44.1 kHz stereo) whose monitor can be recorded. The test's process is pointed at it
// through PULSE_SERVER before Qt Multimedia first connects, and the server is ended by its
// process id. Qt Multimedia connects once per process, so every sound test runs in a process
// of its own (ctest runs each test so); ClaimSoundProcess() makes a second test in the same
// process fail loudly instead of testing the wrong server.

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace yumo::test
{

constexpr const char* kTestSinkName = "yumo_test_sink";

// False (with a failure recorded by the caller) when this process already ran a sound test.
bool ClaimSoundProcess();

class PrivatePulseServer
{
public:
    PrivatePulseServer();
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // Starts the server (again, on the same socket, after Kill) and waits until it answers.
    bool Start();
    // Ends the server at once (SIGKILL), as a crash would.
    void Kill();
    // Points this process's PulseAudio clients (Qt Multimedia, parec) at the server.
    void UseInThisProcess() const;
    const std::string& Socket() const { return socket_; }

private:
    std::filesystem::path dir_;
    std::string socket_;
    pid_t pid_ = -1;
};

// Records the test sink's monitor as raw interleaved 16-bit stereo at 44.1 kHz.
class MonitorRecorder
{
public:
    explicit MonitorRecorder(std::filesystem::path file) : file_(std::move(file)) {}
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    // Starts recording and waits until sound arrives: an idle null sink sleeps up to 2 s before
    // it first plays, and a recording wakes it.
    bool Start();
    // Stops after the last sound has reached the file.
    void Stop();
    std::vector<int16_t> Samples() const;

private:
    std::filesystem::path file_;
    pid_t pid_ = -1;
};

// Points this process at a server that does not exist.
void UseNoSoundServer();

} // namespace yumo::test
