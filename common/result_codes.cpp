#include "common/result_codes.h"

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

}  // namespace

bool IsFinalResultCode(std::string_view line) {
    line = Trimmed(line);
    for (std::string_view code : {"OK", "ERROR", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE",
                                  "COMMAND NOT SUPPORT", "TOO MANY PARAMETERS"}) {
        if (line == code) return true;
    }
    // The error's number or text follows, after a colon as a rule.
    for (std::string_view prefix : {"+CME ERROR", "+CMS ERROR"}) {
        if (!StartsWith(line, prefix)) continue;
        const std::string_view rest = line.substr(prefix.size());
        if (rest.empty() || rest.front() == ':' || rest.front() == ' ') return true;
    }
    return false;
}

bool IsModemValue(std::string_view text) { return !Trimmed(text).empty() && !IsFinalResultCode(text); }
