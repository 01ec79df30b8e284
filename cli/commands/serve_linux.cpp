// serve: the Prometheus exporter. Readings run on their own schedule in a thread of their own
// (each modem in a process of its own); the HTTP side only ever copies the last readings.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "cli/grammar/command_line.h"
#include "cli/commands/commands.h"
#include "cli/console/console_output.h"
#include "cli/console/exit_codes.h"
#include "cli/commands/many_options.h"
#include "cli/commands/serve_options.h"
#include "exporter/exporter_routes.h"
#include "exporter/descriptor_budget_posix.h"
#include "exporter/http_server_linux.h"

namespace {

constexpr CommandHelp kServeHelp = {
    "a Prometheus exporter for every modem (Linux only)",
    "A Prometheus exporter (Linux only; not in the Windows build): /metrics in the text\n"
    "format, the same facts as JSON at /api/v1/modems, and a live status page at /. All\n"
    "are answered from the last readings, never by talking to a modem. Every modem is found\n"
    "as info --all finds it and read in a process of its own; nothing is ever set on a\n"
    "modem, and between readings the ports are free for other programs. A port another\n"
    "program holds is skipped for that round and counted.\n",
    "No TLS, no authentication: bind beyond localhost only behind a reverse proxy or an SSH\n"
    "tunnel. A modem gone for --forget-after seconds stops having series; until then its\n"
    "vesmarin_up is 0. --timeout is one modem's information run's deadline.\n"
    "SIGTERM and SIGINT end it with every lock released. Exit status: 0 ended by a signal,\n"
    "2 bad arguments or the address cannot be bound.\n",
};

int RunServe(ServeOptions options) {
    options.settings.version = VESMARIN_VERSION;
    options.settings.notice = [](const std::string& text) { WriteUtf8Message(stderr, "vesmarin-cli serve: " + text + "\n"); };
    const size_t descriptors = RaiseDescriptorLimit();

    // A client that goes away mid-answer must not end the exporter. The ending signals are
    // taken by this thread alone (sigwait), so no reading or HTTP thread is interrupted; the
    // reading processes start with them unblocked.
    signal(SIGPIPE, SIG_IGN);
    sigset_t ending;
    sigemptyset(&ending);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ending, sig);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    ExporterRounds* readings = nullptr;
    HttpLimits limits;
    limits.connections = ConnectionCap(descriptors, 0);
    ExporterSite site;
    site.snapshot = [&readings] { return readings->Snapshot(); };
    site.intervalSeconds = options.settings.intervalSeconds;
    HttpServer server([&site](const std::string& method, const std::string& path) {
        return ExporterAnswer(site, method, path);
    }, limits);
    // The connections' share of the descriptors shrinks as modems are found.
    options.settings.afterRound = [&readings, &server, descriptors] {
        server.SetConnectionCap(ConnectionCap(descriptors, readings->Snapshot().modems.size()));
    };
    ExporterRounds rounds(options.settings);
    readings = &rounds;

    std::string error;
    if (!server.Listen(options.host, options.port, &error)) {
        return UsageError("serve", "cannot listen on " + options.host + ":" + std::to_string(options.port));
    }
    if (descriptors < DescriptorReserve(0) + limits.connections) {
        std::fprintf(stderr, "vesmarin-cli serve: only %zu descriptors may be open; readings may fail to start\n",
                     descriptors);
    }
    const bool v6 = options.host.find(':') != std::string::npos;
    std::printf("vesmarin-cli serve: listening on http://%s%s%s:%d/\n", v6 ? "[" : "", options.host.c_str(),
                v6 ? "]" : "", server.Port());
    std::fflush(stdout);

    std::thread http([&server] { server.Run(); });
    std::thread reading([&rounds] { rounds.Run(); });
    int received = 0;
    while (sigwait(&ending, &received) != 0) {
    }
    rounds.Stop();
    server.Stop();
    reading.join();
    http.join();
    return kExitSuccess;
}
}  // namespace

void DeclareServe(CommandLine* line) {
    auto options = std::make_shared<ServeOptions>();
    CommandOptions serve = line->AddCommand("serve", kServeHelp, [options] { return RunServe(*options); });
    DeclareServeOptions(serve, options.get());
}
