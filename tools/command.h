#pragma once
// yumo-tool's subcommands. Each tools/cmd_*.cpp registers its own with a static
// CommandRegistration; main() dispatches on the first one or two words.

#include <string>
#include <vector>

namespace yumo::tool
{

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1; // the input was refused; the reason is on stderr
constexpr int kExitUsage = 2;

struct Command
{
    std::string group; // "hrir", "voice", ... or "" for a top-level command such as "night"
    std::string name;
    std::string usage; // argument synopsis, e.g. "FILE.bir IN.wav OUT.wav [--azimuth A]"
    std::string summary;
    int (*run)(const std::vector<std::string>& args); // arguments after the command words
};

struct CommandRegistration
{
    explicit CommandRegistration(Command command);
};

const std::vector<Command>& RegisteredCommands();

// Prints "usage: yumo-tool <group> <name> <usage>" to stderr and returns kExitUsage.
int UsageError(const Command& command, const std::string& problem);
int UsageError(const std::string& group, const std::string& name, const std::string& problem);

// Prints "refused: <why>" to stderr and returns kExitRefused.
int Refuse(const std::string& why);

// Option values that are numbers are read by common/text_numbers.h, as strictly as the tables.

} // namespace yumo::tool
