#include "sound/pulse_server.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace yumo::test
{
namespace
{

using namespace std::chrono_literals;

pid_t Spawn(const std::vector<std::string>& arguments, const std::string& outputFile = {})
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
    {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    const std::string output = outputFile.empty() ? "/dev/null" : outputFile;
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
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

bool Answers(const std::string& socketPath)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
    {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const bool connected =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

} // namespace

bool ClaimSoundProcess()
{
    static bool claimed = false;
    const bool first = !claimed;
    claimed = true;
    return first;
}

PrivatePulseServer::PrivatePulseServer()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "yumo-pulse-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
    {
        dir_ = pattern;
    }
    socket_ = (dir_ / "native").string();
}

PrivatePulseServer::~PrivatePulseServer()
{
    EndProcess(pid_, SIGTERM);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

bool PrivatePulseServer::Start()
{
    if (dir_.empty() || pid_ > 0)
    {
        return false;
    }
    std::filesystem::remove(socket_);
    // The runtime folder keeps this server's state apart from any other server's; without shared
    // memory it also runs where /dev/shm is missing (a chroot).
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    pid_ = Spawn(
        {"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
         "--disable-shm=yes", "-L",
         "module-native-protocol-unix auth-anonymous=1 socket=" + socket_, "-L",
         std::string("module-null-sink sink_name=") + kTestSinkName + " rate=44100 channels=2"});
    for (int i = 0; i < 100 && pid_ > 0; ++i)
    {
        if (Answers(socket_))
        {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

void PrivatePulseServer::Kill() { EndProcess(pid_, SIGKILL); }

void PrivatePulseServer::UseInThisProcess() const
{
    setenv("PULSE_SERVER", ("unix:" + socket_).c_str(), 1);
}

MonitorRecorder::~MonitorRecorder() { EndProcess(pid_, SIGINT); }

bool MonitorRecorder::Start()
{
    pid_ = Spawn({"parec", std::string("--device=") + kTestSinkName + ".monitor", "--rate=44100",
                  "--channels=2", "--format=s16le", "--latency-msec=20"},
                 file_.string());
    for (int i = 0; i < 100 && pid_ > 0; ++i)
    {
        std::error_code error;
        if (std::filesystem::file_size(file_, error) > 0 && !error)
        {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

void MonitorRecorder::Stop()
{
    // The recorder lags the sink by its own latency: let the tail arrive first.
    std::this_thread::sleep_for(500ms);
    EndProcess(pid_, SIGINT);
}

std::vector<int16_t> MonitorRecorder::Samples() const
{
    std::ifstream in(file_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

void UseNoSoundServer() { setenv("PULSE_SERVER", "unix:/nonexistent/yumo-no-server", 1); }

} // namespace yumo::test
