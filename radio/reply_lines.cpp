#include "radio/reply_lines.h"

#include "common/result_codes.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

constexpr size_t kMaxDigits = 15;

}  // namespace

std::vector<std::string_view> ReplyLines(std::string_view reply) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i <= reply.size(); ++i) {
        if (i == reply.size() || reply[i] == '\r' || reply[i] == '\n') {
            if (i > start) lines.push_back(reply.substr(start, i - start));
            start = i + 1;
        }
    }
    return lines;
}

std::vector<std::string_view> PrefixedLines(std::string_view reply, std::string_view prefix) {
    std::vector<std::string_view> found;
    for (std::string_view line : ReplyLines(reply)) {
        line = Trim(line);
        if (!StartsWith(line, prefix)) continue;
        std::string_view rest = Trim(line.substr(prefix.size()));
        if (rest.empty() || rest.front() != ':') continue;
        found.push_back(Trim(rest.substr(1)));
    }
    return found;
}

std::vector<Field> SplitFields(std::string_view rest) {
    std::vector<Field> fields;
    size_t start = 0;
    bool inQuotes = false;
    for (size_t i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && rest[i] == '"') inQuotes = !inQuotes;
        if (i < rest.size() && (rest[i] != ',' || inQuotes)) continue;
        Field field;
        field.text = Trim(rest.substr(start, i - start));
        if (field.text.size() >= 2 && field.text.front() == '"' && field.text.back() == '"') {
            field.text = field.text.substr(1, field.text.size() - 2);
            field.quoted = true;
        } else if (!field.text.empty() && field.text.front() == '"') {
            // An unterminated quote runs to the end of the line.
            field.text.remove_prefix(1);
            field.quoted = true;
        }
        fields.push_back(field);
        start = i + 1;
    }
    return fields;
}

bool ParseUnsigned(std::string_view text, long long* value) {
    if (text.empty() || text.size() > kMaxDigits) return false;
    long long result = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        result = result * 10 + (c - '0');
    }
    *value = result;
    return true;
}

bool ParseDecimal(std::string_view text, long long* value) {
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    if (!ParseUnsigned(text, value)) return false;
    if (negative) *value = -*value;
    return true;
}

bool ParseHex(std::string_view text, long long* value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    if (text.empty() || text.size() > kMaxDigits) return false;
    long long result = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        result = result * 16 + digit;
    }
    *value = result;
    return true;
}

FinalResult FinalResultOf(std::string_view reply) {
    FinalResult result = FinalResult::None;
    for (std::string_view line : ReplyLines(reply)) {
        line = Trim(line);
        if (line == "OK") {
            result = FinalResult::Ok;
        } else if (IsFinalResultCode(line)) {
            result = FinalResult::Error;
        }
    }
    return result;
}
