#include "cli/watch_options.h"

namespace {

constexpr uint64_t kMaxCount = 1000000000;

// Seconds as plain decimal digits with an optional fraction ("1", "0.25", ".5"), rounded to
// whole milliseconds. No sign, exponent or blanks: a typo should not turn into an interval.
bool ParseSeconds(const std::string& text, uint32_t* ms) {
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

bool Refuse(std::string* error, const std::string& reason) {
    *error = reason;
    return false;
}

// "--name VALUE" or "--name=VALUE"; advances `i` past what it used.
bool OptionValue(const std::vector<std::string>& args, size_t* i, const std::string& name,
                 std::string* value, bool* missing) {
    const std::string& arg = args[*i];
    if (arg == name) {
        if (*i + 1 >= args.size()) {
            *missing = true;
            return true;
        }
        *value = args[++*i];
        return true;
    }
    if (arg.compare(0, name.size() + 1, name + "=") == 0) {
        *value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

}  // namespace

bool ParseWatchOptions(const std::vector<std::string>& args, WatchOptions* out, std::string* error) {
    *out = WatchOptions{};
    bool haveInterval = false;
    bool haveCount = false;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string value;
        bool missing = false;
        if (OptionValue(args, &i, "--interval", &value, &missing)) {
            if (missing) return Refuse(error, "--interval needs a number of seconds");
            if (haveInterval) return Refuse(error, "--interval is given twice");
            haveInterval = true;
            uint32_t ms = 0;
            if (!ParseSeconds(value, &ms) || ms < kWatchMinIntervalMs)
                return Refuse(error, "--interval takes seconds from 0.2 to 86400 (such as 1 or 0.5), "
                                     "not '" + value + "'");
            out->intervalMs = ms;
        } else if (OptionValue(args, &i, "--count", &value, &missing)) {
            if (missing) return Refuse(error, "--count needs a number of readings");
            if (haveCount) return Refuse(error, "--count is given twice");
            haveCount = true;
            if (!ParseCount(value, &out->count))
                return Refuse(error, "--count takes a whole number of readings from 1 to 1000000000, "
                                     "not '" + value + "'");
        } else if (args[i] == "--json") {
            out->json = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            return Refuse(error, "unknown option '" + args[i] + "'");
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.size() != 1) return Refuse(error, "expects one PORT");
    out->port = rest[0];
    return true;
}
