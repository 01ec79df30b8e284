#include "cli/serve_options.h"

#include "cli/command_line.h"
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

namespace {

std::string ListenRefusal(const std::string& value) {
    std::string host;
    int port = 0;
    std::string error;
    return ParseListenAddress(value, &host, &port, &error) ? "" : error;
}

// Whole seconds within [minimum, maximum] for the option `name`.
CLI::Validator SecondsCheck(const std::string& name, int minimum, int maximum) {
    return SentenceCheck([name, minimum, maximum](const std::string& value) {
        int seconds = 0;
        std::string error;
        return ParseSeconds(name, value, minimum, maximum, &seconds, &error) ? "" : error;
    });
}

void SecondsFrom(const std::string& name, const std::string& text, int minimum, int maximum, int* seconds) {
    std::string error;
    if (!text.empty()) ParseSeconds(name, text, minimum, maximum, seconds, &error);
}

}  // namespace

void DeclareServeOptions(CLI::App* serve, ServeArguments* arguments) {
    serve->add_option("--listen", arguments->listen,
                      "where to listen (default 127.0.0.1:9733; port 0: any free\nport, printed once bound)")
        ->type_name("ADDRESS:PORT")
        ->check(SentenceCheck(ListenRefusal));
    serve->add_option("--interval", arguments->interval, "read every modem's signal each S seconds (default 15)")
        ->type_name("SECONDS")
        ->check(SecondsCheck("--interval", 1, 86400));
    serve->add_option("--rescan", arguments->rescan,
                      "look for new modems and read their information each S\nseconds (default 60)")
        ->type_name("SECONDS")
        ->check(SecondsCheck("--rescan", 1, 86400));
    serve->add_option("--forget-after", arguments->forgetAfter,
                      "a vanished modem's series end after S seconds\n(default 600)")
        ->type_name("SECONDS")
        ->check(SecondsCheck("--forget-after", 1, 31536000));
    DeclareManyOptions(serve, &arguments->many);
}

ServeOptions ServeOptionsFrom(const ServeArguments& arguments) {
    ServeOptions options;
    const ManyOptions many = ManyOptionsFrom(arguments.many);
    options.settings.choice = many.choice;
    options.settings.timeoutSeconds = many.timeoutSeconds;
    std::string error;
    if (!arguments.listen.empty()) ParseListenAddress(arguments.listen, &options.host, &options.port, &error);
    SecondsFrom("--interval", arguments.interval, 1, 86400, &options.settings.intervalSeconds);
    SecondsFrom("--rescan", arguments.rescan, 1, 86400, &options.settings.rescanSeconds);
    SecondsFrom("--forget-after", arguments.forgetAfter, 1, 31536000, &options.settings.forgetAfterSeconds);
    return options;
}
