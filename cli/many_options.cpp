#include "cli/many_options.h"

#include <cstdio>

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

bool ParseManyOptions(const Arguments& args, ManyOptions* options, Arguments* rest, std::string* error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--ports" || arg == "--exclude" || arg == "--timeout";
        if (!takesValue) {
            rest->push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--ports") {
            AddPortList(value, &options->choice.ports);
        } else if (arg == "--exclude") {
            AddPortList(value, &options->choice.exclude);
        } else if (!ParseSeconds("--timeout", value, 1, 86400, &options->timeoutSeconds, error)) {
            return false;
        }
    }
    return true;
}

int UsageError(const std::string& command, const std::string& message) {
    WriteUtf8Message(stderr, "vesmarin-cli " + command + ": " + message + "\nSee 'vesmarin-cli " + command +
                                 " --help'.\n");
    return kExitUsage;
}
