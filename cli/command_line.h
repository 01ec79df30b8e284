// The option grammar of vesmarin-cli: one parser for every command, one help layout and one
// rule for misuse. Each command file declares its subcommand and options here (see
// cli/command_table.cpp); no command reads the arguments itself.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

constexpr char kProgramName[] = "vesmarin-cli";

// What runs a command once its arguments have parsed cleanly: the process exit status.
using CommandRun = std::function<int()>;

// How a command introduces itself: the line in the overview, the text between the usage line
// and the options, and the text after them. UTF-8, lines ending in "\n".
struct CommandHelp {
    const char* summary;
    const char* intro;
    const char* details;
};

// What a command line asked for.
struct ParsedCommandLine {
    enum class Kind { RunCommand, ShowHelp, ShowVersion, Misuse };
    Kind kind = Kind::Misuse;
    std::string command;   // the command's name; empty at the top level
    std::string text;      // the help, or the misuse message in its one shape (UTF-8)
    CommandRun run;        // for RunCommand
};

class CommandLine {
public:
    CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // For a command file: its subcommand, on which it declares its options and positionals.
    // `run` is called only after the whole line parsed and every check passed.
    CLI::App* AddCommand(const std::string& name, const CommandHelp& help, CommandRun run);

    // `args` are the arguments after the program's name, UTF-8.
    ParsedCommandLine Parse(const std::vector<std::string>& args);

    // The overview or one command's help, in the one layout.
    std::string Help(const std::string& command) const;

private:
    struct Command {
        CLI::App* app;
        CommandHelp help;
        CommandRun run;
    };
    std::string Overview() const;
    std::string CommandText(const Command& command) const;
    const Command* Find(const CLI::App* app) const;

    CLI::App root_;
    bool version_ = false;
    std::vector<Command> commands_;
};

// "vesmarin-cli at: MESSAGE\nSee 'vesmarin-cli at --help'.\n" ("vesmarin-cli: MESSAGE" and
// "See 'vesmarin-cli --help'." at the top level): the one shape of every misuse.
std::string MisuseText(const std::string& command, const std::string& message);

// Declares every command of the tool (cli/command_table.cpp).
void DeclareCommands(CommandLine* line);

// The PORT positional of a command, refused in the grammar when it names no port.
CLI::Option* AddPortPositional(CLI::App* command, std::string* utf8);

// A validator: `check` returns an empty string for a good value, else the
// sentence that refuses it (which names the option).
CLI::Validator SentenceCheck(std::function<std::string(const std::string&)> check);
