#include "cli/serve_options.h"

#include "cli/many_options.h"

bool ParseListenAddress(const std::string& text, std::string* host, int* port, std::string* error) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos) {
        *error = "--listen takes ADDRESS:PORT, not '" + text + "'";
        return false;
    }
    std::string address = text.substr(0, colon);
    if (address.size() >= 2 && address.front() == '[' && address.back() == ']') {
        address = address.substr(1, address.size() - 2);
    } else if (address.find(':') != std::string::npos) {
        *error = "--listen: write an IPv6 address in brackets, as [::1]:PORT";
        return false;
    }
    if (!ParseSeconds("--listen's port", text.substr(colon + 1), 0, 65535, port, error)) {
        *error = "--listen takes a port from 0 to 65535 after the colon, not '" + text.substr(colon + 1) + "'";
        return false;
    }
    *host = address.empty() ? "127.0.0.1" : address;
    return true;
}

bool ParseServeOptions(const Arguments& args, ServeOptions* options, std::string* error) {
    ManyOptions many;
    Arguments rest;
    if (!ParseManyOptions(args, &many, &rest, error)) return false;
    options->settings.choice = many.choice;
    options->settings.timeoutSeconds = many.timeoutSeconds;
    for (size_t i = 0; i < rest.size(); ++i) {
        const std::string& arg = rest[i];
        if (arg != "--listen" && arg != "--interval" && arg != "--rescan" && arg != "--forget-after") {
            *error = "unknown argument '" + arg + "'";
            return false;
        }
        if (i + 1 >= rest.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = rest[++i];
        const bool ok = arg == "--listen"     ? ParseListenAddress(value, &options->host, &options->port, error)
                        : arg == "--interval" ? ParseSeconds(arg, value, 1, 86400, &options->settings.intervalSeconds, error)
                        : arg == "--rescan"   ? ParseSeconds(arg, value, 1, 86400, &options->settings.rescanSeconds, error)
                                              : ParseSeconds(arg, value, 1, 31536000,
                                                             &options->settings.forgetAfterSeconds, error);
        if (!ok) return false;
    }
    return true;
}
