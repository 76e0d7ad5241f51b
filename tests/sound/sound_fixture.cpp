#include "sound/sound_fixture.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "common/constants.h"

extern char** environ;

namespace yumo::test
{
namespace
{

using namespace std::chrono_literals;

constexpr const char* kTestSink = "yumo_test_sink";

// Runs a program with its output to `outputFile` (or nowhere); returns its process id or -1.
pid_t Spawn(const std::vector<std::string>& arguments, const std::string& outputFile)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
    {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
    {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void EndProcess(pid_t& pid, int signal)
{
    if (pid > 0)
    {
        kill(pid, signal);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
}

void ClaimProcessAndMakeApplication()
{
    static bool claimed = false;
    ASSERT_FALSE(claimed) << "each sound test needs a process of its own: run it through ctest";
    claimed = true;
    static int argc = 1;
    static char name[] = "yumo_sound_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

} // namespace

std::chrono::nanoseconds BlocksOfTime(int blocks)
{
    return std::chrono::nanoseconds(int64_t{blocks} * kFramesPerBlock * 1000000000 / kSampleRate);
}

bool RunUntil(const std::function<bool()>& done, int milliseconds)
{
    if (done())
    {
        return true;
    }
    QEventLoop loop;
    QTimer look;
    look.setInterval(5);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
        {
            loop.quit();
        }
    });
    look.start();
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

void RunFor(int milliseconds)
{
    RunUntil([] { return false; }, milliseconds);
}

PrivatePulseServer::~PrivatePulseServer() { EndProcess(pid_, SIGTERM); }

bool PrivatePulseServer::Start()
{
    const std::string socket = (dir_ / "native").string();
    std::filesystem::remove(socket);
    setenv("XDG_RUNTIME_DIR", dir_.path().c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
    // Without shared memory the server also runs where /dev/shm is missing (a chroot).
    pid_ = Spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                  "--disable-shm=yes", "-L",
                  "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                  std::string("module-null-sink rate=44100 channels=2 sink_name=") + kTestSink},
                 "/dev/null");
    for (int i = 0; i < 100 && pid_ > 0; ++i)
    {
        if (RunCommand("pactl info") == 0)
        {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

void PrivatePulseServer::Kill() { EndProcess(pid_, SIGKILL); }

MonitorRecorder::~MonitorRecorder() { EndProcess(pid_, SIGINT); }

bool MonitorRecorder::Start()
{
    const std::filesystem::path file = dir_ / "monitor.raw";
    pid_ = Spawn({"parec", std::string("--device=") + kTestSink + ".monitor", "--rate=44100",
                  "--channels=2", "--format=s16le", "--latency-msec=20"},
                 file.string());
    for (int i = 0; i < 100 && pid_ > 0; ++i)
    {
        std::error_code error;
        if (std::filesystem::file_size(file, error) > 0 && !error)
        {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

std::vector<int16_t> MonitorRecorder::Stop()
{
    // The recorder lags the sink by its own latency: let the tail arrive first.
    std::this_thread::sleep_for(500ms);
    EndProcess(pid_, SIGINT);
    std::ifstream in(dir_ / "monitor.raw", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

void SoundServerTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(ClaimProcessAndMakeApplication());
    ASSERT_TRUE(server.Start()) << "pulseaudio did not start";
}

void NoSoundServerTest::SetUp()
{
    ASSERT_NO_FATAL_FAILURE(ClaimProcessAndMakeApplication());
    setenv("PULSE_SERVER", "unix:/nonexistent/no-sound-server", 1);
}

} // namespace yumo::test
