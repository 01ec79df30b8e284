#include "cli/many_options.h"

#include <cstdio>

#include "cli/command_line.h"
#include "cli/exit_codes.h"
#include "cli/report/console_output.h"

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

bool ParseSeconds(const std::string& name, const std::string& text, int minimum, int maximum, int* seconds,
                  std::string* error) {
    long long value = 0;
    bool digits = !text.empty() && text.size() <= 9;
    for (char c : text) {
        if (c < '0' || c > '9') digits = false;
        value = value * 10 + (c - '0');
    }
    if (!digits || value < minimum || value > maximum) {
        *error = name + " takes a whole number of seconds from " + std::to_string(minimum) + " to " +
                 std::to_string(maximum) + ", not '" + text + "'";
        return false;
    }
    *seconds = static_cast<int>(value);
    return true;
}

static std::string TimeoutRefusal(const std::string& value) {
    int seconds = 0;
    std::string error;
    return ParseSeconds("--timeout", value, 1, 86400, &seconds, &error) ? "" : error;
}

void DeclareManyOptions(CLI::App* command, ManyArguments* arguments) {
    command->add_option("--ports", arguments->ports, "only these ports: device paths or by-id globs,\ncomma-separated")
        ->type_name("LIST");
    command->add_option("--exclude", arguments->exclude,
                        "leave these out; one port excluded leaves out its\nwhole USB device")
        ->type_name("LIST");
    command->add_option("--timeout", arguments->timeout,
                        "one modem's deadline, probe included (default 60)")
        ->type_name("SECONDS")
        ->check(SentenceCheck(TimeoutRefusal));
}

ManyOptions ManyOptionsFrom(const ManyArguments& arguments) {
    ManyOptions options;
    AddPortList(arguments.ports, &options.choice.ports);
    AddPortList(arguments.exclude, &options.choice.exclude);
    std::string error;
    if (!arguments.timeout.empty()) ParseSeconds("--timeout", arguments.timeout, 1, 86400, &options.timeoutSeconds, &error);
    return options;
}

int UsageError(const std::string& command, const std::string& message) {
    WriteUtf8Message(stderr, MisuseText(command, message));
    return kExitUsage;
}
