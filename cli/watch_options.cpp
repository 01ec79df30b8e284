#include "cli/watch_options.h"

#include <memory>

#include "cli/command_line.h"
#include "cli/commands.h"

namespace {

constexpr uint64_t kMaxCount = 1000000000;

// Seconds as plain decimal digits with an optional fraction ("1", "0.25", ".5"), rounded to
// whole milliseconds. No sign, exponent or blanks: a typo should not turn into an interval.
bool ParseIntervalSeconds(const std::string& text, uint32_t* ms) {
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

bool ParseCount(const std::string& text, uint64_t* count) {
    if (text.empty() || text.size() > 10 || text[0] == '0') return false;
    uint64_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (n > kMaxCount) return false;
    *count = n;
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

// What the grammar keeps: the numbers as typed, checked by the validators below.
struct WatchArguments {
    std::string interval;
    std::string count;
    bool json = false;
    std::string port;
    bool all = false;
    std::string rescan;
    ManyArguments many;
};

std::string IntervalRefusal(const std::string& value) {
    uint32_t ms = 0;
    if (ParseIntervalSeconds(value, &ms) && ms >= kWatchMinIntervalMs) return "";
    return "--interval takes seconds from 0.2 to 86400 (such as 1 or 0.5), not '" + value + "'";
}

std::string CountRefusal(const std::string& value) {
    uint64_t count = 0;
    if (ParseCount(value, &count)) return "";
    return "--count takes a whole number of readings from 1 to 1000000000, not '" + value + "'";
}

std::string RescanRefusal(const std::string& value) {
    int seconds = 0;
    std::string error;
    return ParseSeconds("--rescan", value, 1, 86400, &seconds, &error) ? "" : error;
}

WatchOptions OptionsFrom(const WatchArguments& arguments) {
    WatchOptions options;
    options.intervalGiven = !arguments.interval.empty();
    if (options.intervalGiven) ParseIntervalSeconds(arguments.interval, &options.intervalMs);
    if (!arguments.count.empty()) ParseCount(arguments.count, &options.count);
    options.json = arguments.json;
    options.port = arguments.port;
    options.all = arguments.all;
    std::string error;
    if (!arguments.rescan.empty()) ParseSeconds("--rescan", arguments.rescan, 1, 86400, &options.rescanSeconds, &error);
    options.many = ManyOptionsFrom(arguments.many);
    return options;
}

// What one option alone cannot tell: one port or every modem, and the options of each.
std::string CombinationRefusal(const WatchArguments& arguments, const WatchOptions& options) {
    if (options.all) {
        if (!arguments.port.empty()) return "--all takes no PORT";
        if (options.intervalGiven && options.intervalMs % 1000 != 0) {
            return "--interval with --all takes whole seconds, not '" + arguments.interval + "'";
        }
        return "";
    }
    if (arguments.port.empty()) return "PORT is required";
    if (!arguments.rescan.empty() || arguments.many.Given()) {
        return "--rescan, --ports, --exclude and --timeout go with --all";
    }
    return "";
}

}  // namespace

void DeclareWatchOptions(CommandLine* line, std::function<int(const WatchOptions&)> run) {
    auto arguments = std::make_shared<WatchArguments>();
    CLI::App* watch = line->AddCommand("watch", kWatchHelp, [arguments, run] { return run(OptionsFrom(*arguments)); });
    // Checked once the whole line is read, as a misuse like any other.
    watch->parse_complete_callback([arguments] {
        const std::string refusal = CombinationRefusal(*arguments, OptionsFrom(*arguments));
        if (!refusal.empty()) throw CLI::ValidationError("--all", refusal);
    });
    watch->add_option("--interval", arguments->interval,
                      "time between readings, at least 0.2 (default 1; 0.5 and the like\nallowed)")
        ->type_name("SECONDS")
        ->check(SentenceCheck(IntervalRefusal));
    watch->add_option("--count", arguments->count, "stop after N readings (default: until Ctrl-C)")
        ->type_name("N")
        ->check(SentenceCheck(CountRefusal));
    watch->add_flag("--json", arguments->json, "one JSON object per reading: time, csq, dbm, text, mode, rat,\nrssi, rsrp, rsrq, sinr, band, pci (null where unknown)");
    watch->add_flag("--all", arguments->all,
                    "watch every modem at once, one line each (Linux; --interval\nin whole seconds, default 5)");
    watch->add_option("--rescan", arguments->rescan, "with --all: look for new modems each S seconds\n(default 30)")
        ->type_name("SECONDS")
        ->check(SentenceCheck(RescanRefusal));
    DeclareManyOptions(watch, &arguments->many);
    AddPortPositional(watch, &arguments->port)->required(false);
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
