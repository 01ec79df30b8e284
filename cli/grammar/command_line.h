// The option grammar of vesmarin-cli: one parser for every command, one help layout and one
// rule for misuse. Each command file declares its subcommand and options here (see
// cli/commands/command_table.cpp); no command reads the arguments itself. The option library
// stays behind this header: only command_line.cpp compiles it, since every file that includes
// it pays seconds of compile time for its templates.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}

constexpr char kProgramName[] = "vesmarin-cli";

// What runs a command once its arguments have parsed cleanly: the process exit status.
using CommandRun = std::function<int()>;

// Reads one value as typed: an empty string accepts it (and the check may keep what it read),
// else the sentence that refuses it, naming the option. Each value is parsed here once.
using ValueCheck = std::function<std::string(const std::string&)>;

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

// A command's options, as its file declares them. Names are "--json" or "-v,--verbose";
// the help lists options in the order declared.
class CommandOptions {
public:
    explicit CommandOptions(CLI::App* app) : app_(app) {}

    CommandOptions& Flag(const std::string& names, bool* value, const std::string& description);
    // An option with a value, read by `check` (which keeps what it read, where it needs to).
    CommandOptions& Value(const std::string& names, const std::string& typeName, const std::string& description,
                          ValueCheck check);
    // A whole number in plain decimal digits within [minimum, maximum]: no sign, no leading
    // zero, no exponent. `unit` names what it counts in the refusal ("seconds"). The bounds
    // live here and nowhere else. `given`, when not null, is set once the option is read.
    CommandOptions& WholeNumber(const std::string& names, const std::string& typeName, const std::string& unit,
                                int minimum, int maximum, int* value, const std::string& description,
                                bool* given = nullptr);
    CommandOptions& Positional(const std::string& name, std::string* value, const std::string& description,
                               ValueCheck check = nullptr);
    // Every remaining argument (at least one).
    CommandOptions& Positionals(const std::string& name, std::vector<std::string>* values,
                                const std::string& description);
    // The PORT positional, refused in the grammar when it names no port.
    CommandOptions& Port(std::string* utf8, bool required = true);
    // Two options, named as declared ("--json"), that cannot be given together.
    CommandOptions& Exclusive(const std::string& first, const std::string& second);
    // Once the whole line parsed: an empty string accepts it, else the sentence that refuses it.
    // One per command.
    CommandOptions& Check(std::function<std::string()> check);
    // Arguments nobody declared are left for the command (the Windows serve, which has none).
    CommandOptions& AllowExtras();

private:
    CLI::App* app_;
};

class CommandLine {
public:
    CommandLine();
    ~CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // For a command file: its subcommand, on which it declares its options and positionals.
    // `run` is called only after the whole line parsed and every check passed.
    CommandOptions AddCommand(const std::string& name, const CommandHelp& help, CommandRun run);

    // `args` are the arguments after the program's name, UTF-8.
    ParsedCommandLine Parse(const std::vector<std::string>& args);

    // The overview or one command's help, in the one layout.
    std::string Help(const std::string& command) const;

private:
    struct Command;
    std::string Overview() const;
    std::string CommandText(const Command& command) const;
    const Command* Find(const CLI::App* app) const;

    std::unique_ptr<CLI::App> root_;
    bool version_ = false;
    std::vector<Command> commands_;
};

// "vesmarin-cli at: MESSAGE\nSee 'vesmarin-cli at --help'.\n" ("vesmarin-cli: MESSAGE" and
// "See 'vesmarin-cli --help'." at the top level): the one shape of every misuse.
std::string MisuseText(const std::string& command, const std::string& message);

// Declares every command of the tool (cli/commands/command_table.cpp).
void DeclareCommands(CommandLine* line);

// A whole number in plain decimal digits within [minimum, maximum], without a leading zero
// ("0" itself is one): false for anything else, the same rule as WholeNumber.
bool ParseWholeNumber(const std::string& text, long long minimum, long long maximum, long long* value);
