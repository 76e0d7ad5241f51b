#pragma once
// The fixture of the sound tests: a QCoreApplication, and either a private PulseAudio server
// with a null sink or no server at all, set up before Qt Multimedia first connects.

#include <chrono>
#include <gtest/gtest.h>

#include "sound/pulse_server.h"

namespace yumo::test
{

void EnsureCoreApplication();

// The time 512 stereo frames take at 44.1 kHz, times `blocks`.
std::chrono::nanoseconds BlocksOfTime(int blocks);

class SoundServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ClaimSoundProcess())
            << "each sound test needs a process of its own: run it through ctest or alone";
        ASSERT_TRUE(server.Start()) << "pulseaudio did not start";
        server.UseInThisProcess();
        EnsureCoreApplication();
    }

    PrivatePulseServer server;
};

class NoSoundServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ClaimSoundProcess())
            << "each sound test needs a process of its own: run it through ctest or alone";
        UseNoSoundServer();
        EnsureCoreApplication();
    }
};

} // namespace yumo::test
