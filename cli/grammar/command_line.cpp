#include "cli/grammar/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <set>

#include "cli/grammar/port_checks.h"
#include "cli/grammar/port_argument.h"

namespace {

// The library's sentences are kept where they read well; the rest are said in the tool's own
// words. Its messages name an option before a colon: "--interval: 1 required TEXT missing".
std::string NameBeforeColon(const std::string& text) { return text.substr(0, text.find(':')); }
std::string AfterFirstColon(const std::string& text) {
    const size_t colon = text.find(": ");
    return colon == std::string::npos ? text : text.substr(colon + 2);
}

std::string ExtraArgumentSentence(const CLI::App& app, bool topLevel) {
    const std::vector<std::string> extras = app.remaining();
    if (extras.empty()) return "unexpected arguments";
    const std::string& extra = extras.front();
    if (extra.size() > 1 && extra[0] == '-') return "unknown option '" + extra + "'";
    if (topLevel) return "unknown command '" + extra + "'";
    return "unexpected argument '" + extra + "'";
}

std::string ExcludesSentence(const std::string& text) {
    // "--verbose excludes --json"
    const std::string word = " excludes ";
    const size_t at = text.find(word);
    if (at == std::string::npos) return text;
    return text.substr(0, at) + " and " + text.substr(at + word.size()) + " exclude each other";
}

// "--interval SECONDS", "-v, --verbose": how an option is named in the help.
std::string OptionLabel(const CLI::Option& option) {
    std::string label;
    for (const auto& name : option.get_snames()) label += (label.empty() ? "-" : ", -") + name;
    for (const auto& name : option.get_lnames()) label += (label.empty() ? "--" : ", --") + name;
    if (!option.get_type_name().empty()) label += " " + option.get_type_name();
    return label;
}

std::string LongestName(const CLI::Option& option) {
    if (!option.get_lnames().empty()) return "--" + option.get_lnames().front();
    return "-" + option.get_snames().front();
}

bool IsHelp(const CLI::App& app, const CLI::Option* option) { return option == app.get_help_ptr(); }

// "[--verbose | --json] [--raw] PORT COMMAND"
std::string Synopsis(const CLI::App& app) {
    std::string text;
    std::set<const CLI::Option*> shown;
    for (const CLI::Option* option : app.get_options()) {
        if (IsHelp(app, option) || !option->nonpositional() || shown.count(option)) continue;
        std::string group = LongestName(*option);
        if (!option->get_type_name().empty()) group += " " + option->get_type_name();
        for (const CLI::Option* other : option->get_excludes()) {
            group += " | " + LongestName(*other);
            shown.insert(other);
        }
        shown.insert(option);
        text += " [" + group + "]";
    }
    for (const CLI::Option* option : app.get_options()) {
        if (!option->get_positional()) continue;
        text += option->get_required() ? " " + option->get_name() : " [" + option->get_name() + "]";
    }
    return text;
}

// Options as a table: the label, then the description, whose further lines line up under it.
std::string OptionLines(const CLI::App& app) {
    std::vector<std::pair<std::string, std::string>> rows;
    size_t width = 0;
    for (const CLI::Option* option : app.get_options()) {
        if (!option->nonpositional() || IsHelp(app, option)) continue;
        rows.emplace_back(OptionLabel(*option), option->get_description());
        width = std::max(width, rows.back().first.size());
    }
    if (app.get_help_ptr() != nullptr) {
        rows.emplace_back(OptionLabel(*app.get_help_ptr()), "print this help");
        width = std::max(width, rows.back().first.size());
    }
    std::string text;
    for (const auto& row : rows) {
        std::string line = "  " + row.first + std::string(width - row.first.size() + 2, ' ');
        const std::string indent(line.size(), ' ');
        for (size_t start = 0; start <= row.second.size();) {
            const size_t end = std::min(row.second.find('\n', start), row.second.size());
            text += (start == 0 ? line : indent) + row.second.substr(start, end - start) + "\n";
            start = end + 1;
        }
    }
    return text;
}

// The positionals by name, as the overview lists a command: "at PORT COMMAND".
std::string PositionalNames(const CLI::App& app) {
    std::string text;
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_positional()) text += " " + option->get_name();
    }
    return text;
}

}  // namespace

namespace {

CLI::Validator SentenceCheck(ValueCheck check) {
    return CLI::Validator([check](std::string& value) { return check(value); }, "");
}

CLI::Option* FindOption(CLI::App* app, const std::string& name) {
    for (CLI::Option* option : app->get_options()) {
        if (option->check_name(name)) return option;
    }
    return nullptr;
}

}  // namespace

bool ParseWholeNumber(const std::string& text, long long minimum, long long maximum, long long* value) {
    // Eighteen digits cannot overflow; a leading zero is refused so that "010" is never read
    // as ten by one program and eight by another.
    if (text.empty() || text.size() > 18 || (text[0] == '0' && text.size() > 1)) return false;
    long long number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + (c - '0');
    }
    if (number < minimum || number > maximum) return false;
    *value = number;
    return true;
}

CommandOptions& CommandOptions::Flag(const std::string& names, bool* value, const std::string& description) {
    app_->add_flag(names, *value, description);
    return *this;
}

CommandOptions& CommandOptions::Value(const std::string& names, const std::string& typeName,
                                      const std::string& description, ValueCheck check) {
    // The value itself is kept by the check; the library only needs somewhere to put the text.
    auto text = std::make_shared<std::string>();
    app_->add_option(names, *text, description)->type_name(typeName)->check(SentenceCheck([text, check](const std::string& value) {
        (void)text;
        return check(value);
    }));
    return *this;
}

CommandOptions& CommandOptions::WholeNumber(const std::string& names, const std::string& typeName,
                                            const std::string& unit, int minimum, int maximum, int* value,
                                            const std::string& description, bool* given) {
    const std::string name = names.substr(names.rfind(',') + 1);
    return Value(names, typeName, description, [=](const std::string& text) {
        long long number = 0;
        if (ParseWholeNumber(text, minimum, maximum, &number)) {
            *value = static_cast<int>(number);
            if (given != nullptr) *given = true;
            return std::string();
        }
        return name + " takes a whole number of " + unit + " from " + std::to_string(minimum) + " to " +
               std::to_string(maximum) + ", not '" + text + "'";
    });
}

CommandOptions& CommandOptions::Positional(const std::string& name, std::string* value,
                                           const std::string& description, ValueCheck check) {
    CLI::Option* option = app_->add_option(name, *value, description)->required();
    if (check) option->check(SentenceCheck(check));
    return *this;
}

CommandOptions& CommandOptions::Positionals(const std::string& name, std::vector<std::string>* values,
                                            const std::string& description) {
    app_->add_option(name, *values, description)->required();
    return *this;
}

CommandOptions& CommandOptions::Port(std::string* utf8, bool required) {
    const auto check = [](const std::string& text) {
        PortArgument port;
        std::string error;
        return PortFromArgument(text, &port, &error) ? std::string() : error;
    };
    app_->add_option("PORT", *utf8, "the port")->required(required)->check(SentenceCheck(check));
    return *this;
}

CommandOptions& CommandOptions::Exclusive(const std::string& first, const std::string& second) {
    CLI::Option* a = FindOption(app_, first);
    CLI::Option* b = FindOption(app_, second);
    if (a != nullptr && b != nullptr) a->excludes(b);
    return *this;
}

CommandOptions& CommandOptions::Check(std::function<std::string()> check) {
    app_->parse_complete_callback([check] {
        const std::string refusal = check();
        if (!refusal.empty()) throw CLI::ValidationError("check", refusal);
    });
    return *this;
}

CommandOptions& CommandOptions::AllowExtras() {
    app_->allow_extras();
    return *this;
}

std::string MisuseText(const std::string& command, const std::string& message) {
    const std::string who = command.empty() ? kProgramName : std::string(kProgramName) + " " + command;
    return who + ": " + message + "\nSee '" + who + " --help'.\n";
}

struct CommandLine::Command {
    CLI::App* app;
    CommandHelp help;
    CommandRun run;
};

CommandLine::CommandLine() : root_(std::make_unique<CLI::App>("", kProgramName)) {
    root_->set_help_flag("-h,--help");
    root_->add_flag("--version", version_, "print the version");
    root_->require_subcommand(0, 1);
    // Each option may be given once: a second one is refused after the parse, in our words,
    // rather than silently winning or becoming a positional.
    root_->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

CommandLine::~CommandLine() = default;

CommandOptions CommandLine::AddCommand(const std::string& name, const CommandHelp& help, CommandRun run) {
    CLI::App* app = root_->add_subcommand(name, help.summary);
    commands_.push_back({app, help, std::move(run)});
    return CommandOptions(app);
}

const CommandLine::Command* CommandLine::Find(const CLI::App* app) const {
    for (const auto& command : commands_) {
        if (command.app == app) return &command;
    }
    return nullptr;
}

ParsedCommandLine CommandLine::Parse(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    const auto active = [this]() -> const Command* {
        const auto chosen = root_->get_subcommands();
        return chosen.empty() ? nullptr : Find(chosen.front());
    };
    const auto misuse = [&](const Command* command, const std::string& message) {
        result.kind = ParsedCommandLine::Kind::Misuse;
        result.command = command != nullptr ? command->app->get_name() : "";
        result.text = MisuseText(result.command, message);
        return result;
    };
    try {
        root_->parse(reversed);
    } catch (const CLI::CallForHelp&) {
        const Command* command = active();
        result.kind = ParsedCommandLine::Kind::ShowHelp;
        result.command = command != nullptr ? command->app->get_name() : "";
        result.text = Help(result.command);
        return result;
    } catch (const CLI::ExtrasError&) {
        const Command* command = active();
        return misuse(command, ExtraArgumentSentence(command != nullptr ? *command->app : *root_, command == nullptr));
    } catch (const CLI::ArgumentMismatch& error) {
        return misuse(active(), NameBeforeColon(error.what()) + " needs a value");
    } catch (const CLI::ValidationError& error) {
        return misuse(active(), AfterFirstColon(error.what()));
    } catch (const CLI::ExcludesError& error) {
        return misuse(active(), ExcludesSentence(error.what()));
    } catch (const CLI::RequiredError& error) {
        const std::string what = error.what();
        // "PORT is required": a positional's name, said as what the command expects.
        return misuse(active(), what);
    } catch (const CLI::ParseError& error) {
        return misuse(active(), error.what());
    }
    const Command* command = active();
    if (command == nullptr) {
        if (version_) {
            result.kind = ParsedCommandLine::Kind::ShowVersion;
            return result;
        }
        return misuse(nullptr, "a command is required");
    }
    for (const CLI::Option* option : command->app->get_options()) {
        if (option->nonpositional() && option->count() > 1) {
            return misuse(command, LongestName(*option) + " is given twice");
        }
    }
    result.kind = ParsedCommandLine::Kind::RunCommand;
    result.command = command->app->get_name();
    result.run = command->run;
    return result;
}

std::string CommandLine::Help(const std::string& name) const {
    for (const auto& command : commands_) {
        if (command.app->get_name() == name) return CommandText(command);
    }
    return Overview();
}

std::string CommandLine::CommandText(const Command& command) const {
    return "usage: " + std::string(kProgramName) + " " + command.app->get_name() + Synopsis(*command.app) +
           "\n\n" + command.help.intro + OptionLines(*command.app) + command.help.details;
}

std::string CommandLine::Overview() const {
    std::vector<std::pair<std::string, std::string>> rows;
    size_t width = 0;
    for (const auto& command : commands_) {
        // A command without a summary is internal (the reading process of the commands over
        // every modem): it stays out of the overview.
        if (command.help.summary == nullptr || *command.help.summary == '\0') continue;
        rows.emplace_back(command.app->get_name() + PositionalNames(*command.app), command.help.summary);
        width = std::max(width, rows.back().first.size());
    }
    std::string text = "usage: " + std::string(kProgramName) + " COMMAND [ARGUMENTS]\n\nCommands:\n";
    for (const auto& row : rows) {
        text += "  " + row.first + std::string(width - row.first.size() + 2, ' ') + row.second + "\n";
    }
    text += "\n";
    text += PortArgumentHelp();
    text += "'" + std::string(kProgramName) + " COMMAND --help' describes one command; '" + kProgramName +
            " --version' prints\nthe version.\n";
    return text;
}
