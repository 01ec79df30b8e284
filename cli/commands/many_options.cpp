#include "cli/commands/many_options.h"

#include <cstdio>

#include "cli/console/console_output.h"
#include "cli/console/exit_codes.h"
#include "cli/grammar/command_line.h"

void AddPortList(const std::string& value, std::vector<std::string>* list) {
    size_t start = 0;
    while (start <= value.size()) {
        const size_t comma = value.find(',', start);
        const std::string item = value.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!item.empty()) list->push_back(item);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
}

void DeclareManyOptions(CommandOptions& command, ManyOptions* options) {
    const auto list = [options](std::vector<std::string>* into) {
        return [options, into](const std::string& text) {
            AddPortList(text, into);
            options->given = true;
            return std::string();
        };
    };
    command.Value("--ports", "LIST", "only these ports: device paths or by-id globs,\ncomma-separated",
                  list(&options->choice.ports));
    command.Value("--exclude", "LIST", "leave these out; one port excluded leaves out its\nwhole USB device",
                  list(&options->choice.exclude));
    command.WholeNumber("--timeout", "SECONDS", "seconds", 1, 86400, &options->timeoutSeconds,
                        "one modem's deadline, probe included (default " +
                            std::to_string(kDefaultReadTimeoutSeconds) + ")",
                        &options->given);
}

int UsageError(const std::string& command, const std::string& message) {
    WriteUtf8Message(stderr, MisuseText(command, message));
    return kExitUsage;
}
