// `watch`: the signal row, read again and again on one open port, as a live meter or as lines.
#include <chrono>
#include <cstdio>
#include <string>

#include "cli/captured_rows.h"
#include "cli/commands.h"
#include "cli/report/console_output.h"
#include "cli/port_argument.h"
#include "cli/report/signal_meter.h"
#include "cli/watch_options.h"
#include "cli/watch_wait.h"
#include "common/cp1251.h"
#include "info/answer_decode.h"
#include "info/status_decoders.h"
#include "info/info_table.h"
#include "link/port_session.h"
#include "link/serial_port.h"
#include "link/transact.h"

namespace {

constexpr char kWatchHelp[] =
    "usage: vesmarin-cli watch [--interval SECONDS] [--count N] [--json] PORT\n"
    "\n"
    "Reads the signal level of the modem on PORT again and again (AT+CSQ on a port kept open)\n"
    "and shows it as the information table's signal row does; every 10th reading, the first\n"
    "included, also reads the system mode (AT^SYSINFO).\n"
    "  --interval SECONDS  time between readings, at least 0.2 (default 1; 0.5 and the like\n"
    "                      allowed)\n"
    "  --count N           stop after N readings (default: until Ctrl-C)\n"
    "  --json              one JSON object per reading: time, csq, dbm, text, mode\n"
    "On a terminal a live screen shows the level, a bar, the last 60 readings, the session's\n"
    "minimum, average and maximum, the system mode and the time; Ctrl-C ends it with a\n"
    "summary. Elsewhere each reading is one line: time, csq, dBm and text, tab-separated.\n"
    "A reading without a reply shows as \"no reply\" and the watch goes on.\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "Exit status: 0 ended by Ctrl-C or after N readings, 1 the modem went away, 2 bad\n"
    "arguments or the port cannot be opened.\n";

// The table rows the two decoders write.
constexpr int kSignalIndex = 17;
constexpr int kSystemModeIndex = 11;
constexpr uint64_t kModeEvery = 10;

enum class Outcome { Read, PortFailed };

int64_t UnixMsNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// One question to the modem; its decoder writes the row, which is read back as the window
// would show it. False when the port failed.
bool Ask(PortHandle port, const char* command, const char* prefix, void (*decode)(const char*),
         int rowIndex, const CapturedRows& rows, uint32_t* received, std::string* rowText) {
    SetRowValue(rowIndex, "");
    *received = Transact(port, command, true, kTerminalTimeLimitMs);
    if (*received != 0) DecodeAnswer(prefix, decode);
    *rowText = rows.Value(rowIndex);
    return !PortFailed(port);
}

Outcome TakeReading(PortHandle port, uint64_t number, const CapturedRows& rows, SignalReading* reading) {
    *reading = SignalReading{};
    reading->timeUtc = IsoUtcTime(UnixMsNow());
    uint32_t received = 0;
    std::string row;
    if (!Ask(port, "AT+CSQ", "+CSQ", DecodeSignal, kSignalIndex, rows, &received, &row))
        return Outcome::PortFailed;
    ReadSignalRow(row, reading);
    if (!reading->answered) reading->gapText = received == 0 ? "no reply" : "no signal value in the reply";
    if (number % kModeEvery == 0) {
        reading->modeAsked = true;
        if (!Ask(port, "AT^SYSINFO", "^SYSINFO", DecodeSystemInfo, kSystemModeIndex, rows, &received,
                 &reading->mode))
            return Outcome::PortFailed;
    }
    return Outcome::Read;
}

// The live screen is redrawn in place: back to its first line, each line rewritten and the
// rest of it erased, all in one write so the terminal never shows half a frame.
class LiveScreen {
public:
    explicit LiveScreen(bool on) : on_(on) {
        if (on_) WriteUtf8(stdout, "\x1b[?25l");
    }
    void Draw(const std::vector<std::string>& lines) {
        if (!on_) return;
        std::string frame;
        if (drawnLines_ > 0) frame += "\r\x1b[" + std::to_string(drawnLines_) + "A";
        for (const auto& line : lines) frame += line + "\x1b[K\n";
        drawnLines_ = lines.size();
        WriteUtf8(stdout, frame);
        std::fflush(stdout);
    }
    // The cursor comes back; a "^C" the terminal echoed is erased.
    void End() {
        if (!on_) return;
        WriteUtf8(stdout, "\r\x1b[K\x1b[?25h");
        std::fflush(stdout);
        on_ = false;
    }
    ~LiveScreen() { End(); }

private:
    bool on_;
    size_t drawnLines_ = 0;
};

}  // namespace

int RunWatch(const Arguments& args) {
    for (const auto& arg : args) if (arg == "--all") return RunWatchAll(args);
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
        char reason[512];
        PortErrorText(reason, sizeof reason);
        Write1251(stderr, "vesmarin-cli watch: cannot open " + port.display + ": " + reason + "\n");
        return 2;
    }
    NoteUnlockedUse("watch", port.display);
    const PortHandle handle = session.Handle();
    // As the information run does: an echoed command would hide the reply's prefix.
    session.Transact("ATE0", true, kTerminalTimeLimitMs);

    CapturedRows rows;
    CatchStopRequest();
    const bool live = !options.json && StartTerminalSequences(stdout);
    SignalMeter meter;
    LiveScreen screen(live);
    const std::string portUtf8 = Cp1251ToUtf8(port.display);
    const auto interval = std::chrono::milliseconds(options.intervalMs);
    const auto start = WatchClock::now();
    if (live) screen.Draw(meter.Screen(portUtf8, options.intervalMs, 0));

    bool lost = PortFailed(handle);
    uint64_t slot = 0;
    while (!lost && !StopRequested()) {
        SignalReading reading;
        if (TakeReading(handle, meter.Readings(), rows, &reading) == Outcome::PortFailed) {
            lost = true;
            break;
        }
        meter.Add(reading);
        const auto now = WatchClock::now();
        if (live) {
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start);
            screen.Draw(meter.Screen(portUtf8, options.intervalMs, elapsed.count()));
        } else {
            WriteUtf8(stdout, (options.json ? ReadingAsJson(reading) : ReadingAsTabLine(reading)) + "\n");
            std::fflush(stdout);
        }
        if (options.count != 0 && meter.Readings() >= options.count) break;
        // The slots lie on the clock from the start, so a slow reading never shifts the ones
        // after it; slots a reply outlasted are skipped rather than caught up in a burst.
        ++slot;
        while (start + slot * interval <= now) ++slot;
        if (!WaitUntil(start + slot * interval)) break;
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
        char reason[512];
        PortErrorText(reason, sizeof reason);
        Write1251(stderr, "vesmarin-cli watch: the modem on " + port.display + " went away at reading " +
                              std::to_string(meter.Readings() + 1) + ": " + reason + "\n");
        return 1;
    }
    return 0;
}
