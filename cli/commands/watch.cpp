// `watch`: the signal row, and on a modem of a radio family its LTE metrics, read again and
// again on one open port, as a live meter or as lines.
#include <chrono>
#include <cstdio>
#include <string>

#include "cli/grammar/port_checks.h"
#include "cli/console/exit_codes.h"
#include "cli/grammar/port_argument.h"
#include "cli/console/console_output.h"
#include "cli/watch/signal_meter.h"
#include "cli/watch/lines.h"
#include "cli/commands/watch_options.h"
#include "cli/watch/reading.h"
#include "cli/watch/redraw.h"
#include "cli/watch/screen.h"
#include "cli/console/wait.h"
#include "common/cp1251.h"
#include "link/port_error.h"
#include "link/port_session.h"
#include "link/serial_port.h"

int RunWatch(const WatchOptions& options) {
    PortArgument port;
    if (!ReadPortArgument(options.port, &port)) return kExitUsage;

    PortSession session(port.devicePath.c_str());
    if (!session.IsOpen()) {
        Write1251(stderr, "vesmarin-cli watch: cannot open " + port.display + ": " + LastPortError() + "\n");
        return kExitUsage;
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
    while (!lost && !StopRequested() && OutputGoesOn()) {
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
            FlushOutput();
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
    FlushOutput();
    if (lost) {
        Write1251(stderr, "vesmarin-cli watch: the modem on " + port.display + " went away at reading " +
                              std::to_string(meter.Readings() + 1) + ": " + LastPortError() + "\n");
        return kExitModemFailed;
    }
    return kExitSuccess;
}
