// watch --all: one live line per modem, read on the exporter's schedule (the signal of every
// modem each interval, each in a process of its own; new devices probed at each rescan).
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/commands.h"
#include "cli/exit_codes.h"
#include "cli/exporter_rounds.h"
#include "cli/many_options.h"
#include "cli/report/console_output.h"
#include "cli/report/signal_meter.h"
#include "cli/watch_all_lines.h"

namespace {

constexpr char kWatchAllHelp[] =
    "usage: vesmarin-cli watch --all [--json] [--interval S] [--rescan S] [--count N]\n"
    "                          [--ports LIST] [--exclude LIST] [--timeout S]\n"
    "\n"
    "Watches every modem at once: on a terminal one line per modem, redrawn in place (entry,\n"
    "identity in short, technology, signal with bar and grade, the last reading's age); with\n"
    "--json or not on a terminal one JSON object (or a tab-separated line) per modem and\n"
    "reading, each with the modem's identity. A modem that stops answering shows as such and\n"
    "comes back when it answers again; one plugged in later appears at the next rescan, which\n"
    "probes only devices not answering yet.\n"
    "  --interval S   the signal of every modem each S seconds (default 5)\n"
    "  --rescan S     look for new modems each S seconds (default 30)\n"
    "  --count N      end after N readings of every modem\n"
    "  --ports, --exclude, --timeout as for info --all\n"
    "Exit status: 0 ended (Ctrl-C or --count), 2 bad arguments.\n";

struct WatchAllOptions {
    ExporterSettings settings;
    bool json = false;
    int count = 0;
};

bool ParseWatchAllOptions(const Arguments& args, WatchAllOptions* options, std::string* error) {
    ManyOptions many;
    Arguments rest;
    if (!ParseManyOptions(args, &many, &rest, error)) return false;
    options->settings.choice = many.choice;
    options->settings.timeoutSeconds = many.timeoutSeconds;
    options->settings.intervalSeconds = 5;
    options->settings.rescanSeconds = 30;
    for (size_t i = 0; i < rest.size(); ++i) {
        const std::string& arg = rest[i];
        if (arg == "--all") continue;
        if (arg == "--json") {
            options->json = true;
            continue;
        }
        if (arg != "--interval" && arg != "--rescan" && arg != "--count") {
            *error = "unknown argument '" + arg + "'";
            return false;
        }
        if (i + 1 >= rest.size()) {
            *error = arg + " needs a value";
            return false;
        }
        const std::string& value = rest[++i];
        int* target = arg == "--interval" ? &options->settings.intervalSeconds
                      : arg == "--rescan" ? &options->settings.rescanSeconds
                                          : &options->count;
        if (!ParseSeconds(arg, value, 1, 86400, target, error)) return false;
    }
    return true;
}

int64_t UnixMsNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch()).count();
}

size_t TerminalWidth() {
    winsize size{};
    return ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

}  // namespace

int RunWatchAll(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kWatchAllHelp, stdout);
        return kExitSuccess;
    }
    WatchAllOptions options;
    std::string error;
    if (!ParseWatchAllOptions(args, &options, &error)) return UsageError("watch", error);
    options.settings.rereadKnown = false;

    sigset_t ending;
    sigemptyset(&ending);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&ending, sig);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);

    const bool screen = !options.json && StartTerminalSequences(stdout);
    const bool tab = !options.json && !screen;
    size_t drawn = 0;
    int rounds = 0;
    ExporterRounds* engine = nullptr;
    options.settings.afterRound = [&] {
        const ExporterSnapshot snapshot = engine->Snapshot();
        const std::string time = IsoUtcTime(UnixMsNow());
        std::string out;
        if (screen) {
            // Back over the last drawing and down from there: the screen stays one block.
            if (drawn > 0) out += "\x1b[" + std::to_string(drawn) + "F";
            out += "\x1b[J";
            const size_t width = TerminalWidth();
            for (const auto& modem : snapshot.modems) out += WatchAllScreenLine(modem, snapshot.now, width) + "\n";
            if (snapshot.modems.empty()) out += "no modem found yet\n";
            drawn = snapshot.modems.empty() ? 1 : snapshot.modems.size();
        } else {
            for (const auto& modem : snapshot.modems) {
                out += (tab ? WatchAllTabLine(modem, time) : WatchAllJson(modem, snapshot.now, time)) + "\n";
            }
        }
        WriteUtf8(stdout, out);
        std::fflush(stdout);
        if (options.count > 0 && ++rounds >= options.count) kill(getpid(), SIGTERM);
    };
    ExporterRounds rounds_engine(options.settings);
    engine = &rounds_engine;
    std::thread reading([&rounds_engine] { rounds_engine.Run(); });
    int received = 0;
    while (sigwait(&ending, &received) != 0) {
    }
    rounds_engine.Stop();
    reading.join();
    if (screen) EndTerminalSequences(stdout);
    return kExitSuccess;
}
