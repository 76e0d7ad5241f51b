// yumo-tool plot EVENTS.tsv OUT.png: a night's events file drawn as a picture.

#include <cerrno>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "night/night_events.h"
#include "tools/command.h"
#include "tools/plot_runner.h"

extern char** environ;

namespace yumo::tool
{

std::string FindPlotProgram()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
    {
        return {};
    }
    for (const std::filesystem::path& candidate :
         {exe.parent_path() / "yumo-plot",
          exe.parent_path().parent_path() / "libexec" / "yumo" / "yumo-plot"})
    {
        if (std::filesystem::is_regular_file(candidate, error))
        {
            return candidate.string();
        }
    }
    return {};
}

int RunPlotProgram(const std::string& eventsPath, const std::string& outPath)
{
    const std::string program = FindPlotProgram();
    if (program.empty())
    {
        return Refuse("yumo-plot is not installed beside yumo-tool: no picture can be drawn");
    }
    std::vector<std::string> args = {program, eventsPath, outPath};
    std::vector<char*> argv;
    for (std::string& arg : args)
    {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
    {
        return Refuse("cannot run " + program);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
    {
        if (errno != EINTR)
        {
            return Refuse("lost " + program);
        }
    }
    if (WIFEXITED(status))
    {
        return WEXITSTATUS(status) == 0 ? kExitOk : kExitRefused;
    }
    return Refuse(program + " ended by a signal");
}

namespace
{

int RunPlot(const std::vector<std::string>& args)
{
    if (args.size() != 2)
    {
        return UsageError("", "plot", "expected EVENTS.tsv OUT.png");
    }
    return RunPlotProgram(args[0], args[1]);
}

const CommandRegistration kPlot({"", "plot", "EVENTS.tsv OUT.png",
                                 "draw a night's events file (night --events) as a picture: "
                                 "sleep depth, dreams, clips by activity, roll-overs, the wake "
                                 "window, the sleep timer's end, the sound's absences",
                                 RunPlot});

} // namespace
} // namespace yumo::tool
