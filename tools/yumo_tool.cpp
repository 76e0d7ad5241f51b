// yumo-tool: the project's command-line tool. Core only: it never needs a display.

#include <cstdio>
#include <string>
#include <vector>

#include "tools/command.h"

namespace yumo::tool
{
namespace
{

std::vector<Command>& Registry()
{
    static std::vector<Command> commands;
    return commands;
}

std::string FullName(const Command& command)
{
    return command.group.empty() ? command.name : command.group + " " + command.name;
}

void PrintHelp(std::FILE* out)
{
    std::fprintf(out, "usage: yumo-tool COMMAND [ARGS...]\n\ncommands:\n");
    for (const Command& command : Registry())
    {
        std::fprintf(out, "  %s %s\n      %s\n", FullName(command).c_str(), command.usage.c_str(),
                     command.summary.c_str());
    }
    std::fprintf(out, "\nexit status: 0 success, 1 input refused, 2 usage error\n");
}

} // namespace

CommandRegistration::CommandRegistration(Command command)
{
    Registry().push_back(std::move(command));
}

const std::vector<Command>& RegisteredCommands() { return Registry(); }

int UsageError(const Command& command, const std::string& problem)
{
    return UsageError(command.group, command.name, problem);
}

int UsageError(const std::string& group, const std::string& name, const std::string& problem)
{
    for (const Command& command : Registry())
    {
        if (command.group == group && command.name == name)
        {
            std::fprintf(stderr, "yumo-tool %s: %s\nusage: yumo-tool %s %s\n",
                         FullName(command).c_str(), problem.c_str(), FullName(command).c_str(),
                         command.usage.c_str());
            return kExitUsage;
        }
    }
    std::fprintf(stderr, "yumo-tool: %s\n", problem.c_str());
    return kExitUsage;
}

int Refuse(const std::string& why)
{
    std::fprintf(stderr, "refused: %s\n", why.c_str());
    return kExitRefused;
}

} // namespace yumo::tool

int main(int argc, char** argv)
{
    using namespace yumo::tool;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help")
    {
        PrintHelp(args.empty() ? stderr : stdout);
        return args.empty() ? kExitUsage : kExitOk;
    }
    for (const Command& command : RegisteredCommands())
    {
        size_t words = command.group.empty() ? 1 : 2;
        bool matches = command.group.empty() ? args[0] == command.name
                                             : args.size() >= 2 && args[0] == command.group &&
                                                   args[1] == command.name;
        if (!matches)
        {
            continue;
        }
        std::vector<std::string> rest(args.begin() + static_cast<long>(words), args.end());
        for (const std::string& arg : rest)
        {
            if (arg == "--help" || arg == "-h")
            {
                std::printf("usage: yumo-tool %s %s\n  %s\n", FullName(command).c_str(),
                            command.usage.c_str(), command.summary.c_str());
                return kExitOk;
            }
        }
        return command.run(rest);
    }
    std::fprintf(stderr, "yumo-tool: unknown command '%s'\n", args[0].c_str());
    PrintHelp(stderr);
    return kExitUsage;
}
