// watch --all: one live line per modem, read on the exporter's schedule (the signal of every
// modem each interval, each in a process of its own; new devices probed at each rescan).
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/commands/commands.h"
#include "cli/console/exit_codes.h"
#include "fleet/rounds.h"
#include "cli/commands/many_options.h"
#include "cli/console/console_output.h"
#include "cli/watch/signal_meter.h"
#include "cli/watch/all_lines.h"
#include "cli/watch/lines.h"
#include "cli/commands/watch_options.h"

namespace {

struct WatchAllOptions {
    ExporterSettings settings;
    bool json = false;
    int count = 0;
};

WatchAllOptions WatchAllOptionsFrom(const WatchOptions& watch) {
    WatchAllOptions options;
    options.settings.choice = watch.many.choice;
    options.settings.timeoutSeconds = watch.many.timeoutSeconds;
    options.settings.intervalSeconds = watch.intervalGiven ? static_cast<int>(watch.intervalMs / 1000) : 5;
    options.settings.rescanSeconds = watch.rescanSeconds;
    options.json = watch.json;
    options.count = static_cast<int>(watch.count);
    return options;
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

int RunWatchAll(const WatchOptions& watch) {
    WatchAllOptions options = WatchAllOptionsFrom(watch);
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
        FlushOutput();
        // Output that no longer arrives ends the watch as --count does, through the main
        // thread: the reading processes are ended and the status told there (quiet after a
        // closed pipe, 3 after any other failed write).
        const bool done = options.count > 0 && ++rounds >= options.count;
        if (done || !OutputGoesOn()) kill(getpid(), SIGTERM);
    };
    options.settings.notice = [&](const std::string& text) {
        WriteUtf8Message(stderr, "vesmarin-cli watch --all: " + text + "\n");
        drawn = 0;   // the screen goes on below the message rather than over it
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
