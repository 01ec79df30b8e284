#include "cli/commands/serve_options.h"

#include "cli/grammar/command_line.h"
#include "cli/commands/many_options.h"

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
    long long number = 0;
    if (!ParseWholeNumber(text.substr(colon + 1), 0, 65535, &number)) {
        *error = "--listen takes a port from 0 to 65535 after the colon, not '" + text.substr(colon + 1) + "'";
        return false;
    }
    *port = static_cast<int>(number);
    *host = address.empty() ? "127.0.0.1" : address;
    return true;
}

void DeclareServeOptions(CommandOptions& serve, ServeOptions* options) {
    ExporterSettings& settings = options->settings;
    serve.Value("--listen", "ADDRESS:PORT",
                "where to listen (default 127.0.0.1:" + std::to_string(kDefaultExporterPort) +
                    "; port 0: any free\nport, printed once bound)",
                [options](const std::string& text) {
                    std::string error;
                    return ParseListenAddress(text, &options->host, &options->port, &error) ? "" : error;
                });
    serve.WholeNumber("--interval", "SECONDS", "seconds", 1, 86400, &settings.intervalSeconds,
                      "read every modem's signal each S seconds (default " +
                          std::to_string(ExporterSettings{}.intervalSeconds) + ")");
    serve.WholeNumber("--rescan", "SECONDS", "seconds", 1, 86400, &settings.rescanSeconds,
                      "look for new modems and read their information each S\nseconds (default " +
                          std::to_string(ExporterSettings{}.rescanSeconds) + ")");
    serve.WholeNumber("--forget-after", "SECONDS", "seconds", 1, 31536000, &settings.forgetAfterSeconds,
                      "a vanished modem's series end after S seconds\n(default " +
                          std::to_string(ExporterSettings{}.forgetAfterSeconds) + ")");
    DeclareManyOptions(serve, &options->many);
    serve.Check([options] {
        options->settings.choice = options->many.choice;
        options->settings.timeoutSeconds = options->many.timeoutSeconds;
        return std::string();
    });
}
