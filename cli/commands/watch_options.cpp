#include "cli/commands/watch_options.h"

#include <memory>

#include <string>

#include "cli/commands/commands.h"
#include "cli/grammar/command_line.h"

namespace {

// Seconds as plain decimal digits with an optional fraction ("1", "0.25", ".5"), rounded to
// whole milliseconds. No sign, exponent, blanks or leading zero ("010"): a typo should not turn
// into an interval.
bool ParseIntervalSeconds(const std::string& text, uint32_t* ms) {
    if (text.size() > 1 && text[0] == '0' && text[1] != '.') return false;
    uint64_t whole = 0;
    uint64_t thousandths = 0;
    size_t i = 0;
    size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        if (whole > kWatchMaxIntervalMs) return false;
        whole = whole * 10 + static_cast<uint64_t>(text[i] - '0');
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        uint64_t scale = 100;
        bool roundUp = false;
        for (size_t place = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++place, ++digits) {
            const uint64_t digit = static_cast<uint64_t>(text[i] - '0');
            if (place < 3) {
                thousandths += digit * scale;
                scale /= 10;
            } else if (place == 3) {
                roundUp = digit >= 5;
            }
        }
        thousandths += roundUp ? 1 : 0;
    }
    if (digits == 0 || i != text.size()) return false;
    const uint64_t total = whole * 1000 + thousandths;
    if (total > kWatchMaxIntervalMs) return false;
    *ms = static_cast<uint32_t>(total);
    return true;
}

constexpr CommandHelp kWatchHelp = {
    "show the signal level live (every modem's, with --all)",
    "Reads the signal level of the modem on PORT again and again (AT+CSQ on a port kept open)\n"
    "and shows it as the information table's signal row does; every 10th reading, the first\n"
    "included, also reads the system mode (AT^SYSINFO). On a modem of a radio family (^HCSQ,\n"
    "+QENG, +CPSI; found on the first reading) each reading also asks the family's signal\n"
    "query for the technology, RSRP, RSRQ, SINR and RSSI, and every 10th its band and cell.\n"
    "Only queries are sent: the modem is left as it is.\n",
    "On a terminal a live screen shows the level, a bar, the last 60 readings, the session's\n"
    "minimum, average and maximum, the system mode and the time (on a family modem: RSRP with\n"
    "bar and history, RSRP, RSRQ, SINR and RSSI with grades and their minimum, average and\n"
    "maximum, the technology with band and PCI); Ctrl-C ends it with a summary. Elsewhere\n"
    "each reading is one line: time, csq, dBm and text, tab-separated.\n"
    "A reading without a reply shows as \"no reply\" and the watch goes on.\n"
    "PORT is COM1..COM254, a port entry such as \"E173 (COM5)\", or on Linux a device path.\n"
    "Exit status: 0 ended by Ctrl-C, after N readings or when the reader of the output went\n"
    "away, 1 the modem went away, 2 bad arguments or the port cannot be opened, 3 the output\n"
    "could not be written.\n",
};

// What one option alone cannot tell: one port or every modem, and the options of each.
std::string CombinationRefusal(const WatchOptions& options) {
    if (options.all) {
        if (!options.port.empty()) return "--all takes no PORT";
        if (options.intervalGiven && options.intervalMs % 1000 != 0) {
            return "--interval with --all takes whole seconds, not '" + options.intervalText + "'";
        }
        return "";
    }
    if (options.port.empty()) return "PORT is required";
    if (options.rescanGiven || options.many.given) return "--rescan, --ports, --exclude and --timeout go with --all";
    return "";
}

}  // namespace

void DeclareWatchOptions(CommandLine* line, std::function<int(const WatchOptions&)> run) {
    auto options = std::make_shared<WatchOptions>();
    CommandOptions watch = line->AddCommand("watch", kWatchHelp, [options, run] { return run(*options); });
    // Checked once the whole line is read, as a misuse like any other.
    watch.Check([options] { return CombinationRefusal(*options); });
    watch.Value("--interval", "SECONDS", "time between readings, at least 0.2 (default 1; 0.5 and the like\nallowed)",
                [options](const std::string& text) {
                    uint32_t ms = 0;
                    if (!ParseIntervalSeconds(text, &ms) || ms < kWatchMinIntervalMs) {
                        return "--interval takes seconds from 0.2 to 86400 (such as 1 or 0.5), not '" + text + "'";
                    }
                    options->intervalMs = ms;
                    options->intervalGiven = true;
                    options->intervalText = text;
                    return std::string();
                });
    watch.Value("--count", "N", "stop after N readings (default: until Ctrl-C)", [options](const std::string& text) {
        long long count = 0;
        if (!ParseWholeNumber(text, 1, kWatchMaxCount, &count)) {
            return "--count takes a whole number of readings from 1 to " + std::to_string(kWatchMaxCount) + ", not '" +
                   text + "'";
        }
        options->count = static_cast<uint64_t>(count);
        return std::string();
    });
    watch.Flag("--json", &options->json,
               "one JSON object per reading: time, csq, dbm, text, mode, rat,\nrssi, rsrp, rsrq, sinr, band, pci, nr "
               "(the EN-DC NR leg),\ncarrier_count (null where unknown)");
    watch.Flag("--all", &options->all,
               "watch every modem at once, one line each (Linux; --interval\nin whole seconds, default 5)");
    watch.WholeNumber("--rescan", "SECONDS", "seconds", 1, 86400, &options->rescanSeconds,
                      "with --all: look for new modems each S seconds\n(default " +
                          std::to_string(WatchOptions{}.rescanSeconds) + ")",
                      &options->rescanGiven);
    DeclareManyOptions(watch, &options->many);
    watch.Port(&options->port, false);
}

void DeclareWatch(CommandLine* line) {
    DeclareWatchOptions(line, [](const WatchOptions& options) {
        return options.all ? RunWatchAll(options) : RunWatch(options);
    });
}

bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions* out, std::string* error) {
    *out = WatchOptions{};
    CommandLine line;
    DeclareWatchOptions(&line, [out](const WatchOptions& options) {
        *out = options;
        return 0;
    });
    std::vector<std::string> all{"watch"};
    all.insert(all.end(), args.begin(), args.end());
    ParsedCommandLine parsed = line.Parse(all);
    if (parsed.kind != ParsedCommandLine::Kind::RunCommand) {
        const std::string prefix = std::string(kProgramName) + " watch: ";
        *error = parsed.text.substr(0, parsed.text.find('\n'));
        if (error->compare(0, prefix.size(), prefix) == 0) error->erase(0, prefix.size());
        return false;
    }
    parsed.run();
    return true;
}
