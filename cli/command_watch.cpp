// `watch`: the signal row, and on a modem of a radio family its LTE metrics, read again and
// again on one open port, as a live meter or as lines.
#include <chrono>
#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/console_output.h"
#include "cli/port_argument.h"
#include "cli/signal_meter.h"
#include "cli/watch_lines.h"
#include "cli/watch_options.h"
#include "cli/watch_reading.h"
#include "cli/watch_redraw.h"
#include "cli/watch_screen.h"
#include "cli/watch_wait.h"
#include "common/cp1251.h"
#include "link/port_error.h"
#include "link/port_session.h"
#include "link/serial_port.h"

namespace {

constexpr char kWatchHelp[] =
    "usage: vesmarin-cli watch [--interval SECONDS] [--count N] [--json] PORT\n"
    "\n"
    "Reads the signal level of the modem on PORT again and again (AT+CSQ on a port kept open)\n"
    "and shows it as the information table's signal row does; every 10th reading, the first\n"
    "included, also reads the system mode (AT^SYSINFO). On a modem of a radio family (^HCSQ,\n"
    "+QENG, +CPSI; found on the first reading) each reading also asks the family's signal\n"
    "query for the technology, RSRP, RSRQ, SINR and RSSI, and every 10th its band and cell.\n"
    "Only queries are sent: the modem is left as it is.\n"
    "  --interval SECONDS  time between readings, at least 0.2 (default 1; 0.5 and the like\n"
    "                      allowed)\n"
    "  --count N           stop after N readings (default: until Ctrl-C)\n"
    "  --json              one JSON object per reading: time, csq, dbm, text, mode, rat, rssi,\n"
    "                      rsrp, rsrq, sinr, band, pci (null where unknown)\n"
    "On a terminal a live screen shows the level, a bar, the last 60 readings, the session's\n"
    "minimum, average and maximum, the system mode and the time (on a family modem: RSRP with\n"
    "bar and history, RSRP, RSRQ, SINR and RSSI with grades and their minimum, average and\n"
    "maximum, the technology with band and PCI); Ctrl-C ends it with a summary. Elsewhere\n"
    "each reading is one line: time, csq, dBm and text, tab-separated.\n"
    "A reading without a reply shows as \"no reply\" and the watch goes on.\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "Exit status: 0 ended by Ctrl-C or after N readings, 1 the modem went away, 2 bad\n"
    "arguments or the port cannot be opened.\n";

}  // namespace

int RunWatch(const Arguments& args) {
    if (WantsHelp(args)) {
        std::fputs(kWatchHelp, stdout);
        return 0;
    }
    WatchOptions options;
    std::string error;
    if (!ParseWatchOptions(args, &options, &error)) {
        WriteUtf8Message(stderr, "vesmarin-cli watch: " + error + " (see --help)\n");
        return 2;
    }
    PortArgument port;
    if (!ReadPortArgument(options.port, &port)) return 2;

    PortSession session(port.devicePath.c_str());
    if (!session.IsOpen()) {
        Write1251(stderr, "vesmarin-cli watch: cannot open " + port.display + ": " + LastPortError() + "\n");
        return 2;
    }
    NoteUnlockedUse("watch", port.display);
    const PortHandle handle = session.Handle();

    const bool live = !options.json && StartTerminalSequences(stdout);
    // The screen first: it hides the cursor and registers showing it again for every end of
    // the program, before Ctrl-C and SIGTERM become stop requests of the watch itself.
    LiveScreen screen(live);
    CatchStopRequest();
    if (live) FollowTerminalSize();
    SignalMeter meter;
    const std::string portUtf8 = Cp1251ToUtf8(port.display);
    const auto start = WatchClock::now();
    const auto drawScreen = [&] {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(WatchClock::now() - start);
        screen.Draw(WatchScreenLines(meter, portUtf8, options.intervalMs, elapsed.count()));
    };
    if (live) drawScreen();

    SignalReader reader(handle);
    WatchSchedule schedule(start, options.intervalMs);
    bool lost = PortFailed(handle);
    while (!lost && !StopRequested()) {
        SignalReading reading;
        if (reader.Take(meter.Readings(), &reading) == ReadingOutcome::PortFailed) {
            lost = true;
            break;
        }
        meter.Add(reading);
        if (live) {
            drawScreen();
        } else {
            WriteUtf8(stdout, (options.json ? ReadingAsJson(reading, meter) : ReadingAsTabLine(reading)) + "\n");
            std::fflush(stdout);
        }
        if (options.count != 0 && meter.Readings() >= options.count) break;
        const auto next = schedule.NextSlotAfter(WatchClock::now());
        WaitEnd end;
        while ((end = WaitUntil(next)) == WaitEnd::Resized) drawScreen();
        if (end == WaitEnd::Stopped) break;
    }

    screen.End();
    EndTerminalSequences(stdout);
    if (live) {
        WriteUtf8(stdout, meter.Summary() + "\n");
    } else if (StopRequested()) {
        WriteUtf8(stderr, meter.Summary() + "\n");
    }
    std::fflush(stdout);
    if (lost) {
        Write1251(stderr, "vesmarin-cli watch: the modem on " + port.display + " went away at reading " +
                              std::to_string(meter.Readings() + 1) + ": " + LastPortError() + "\n");
        return 1;
    }
    return 0;
}
