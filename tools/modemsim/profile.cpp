// The line structure of a profile: comments, echo and latency settings, and rules.
#include "tools/modemsim/profile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

#include "common/cp1251.h"

namespace {

const char kBlanks[] = " \t";
const char kSeparator[] = " => ";

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t pos = 0;
    while (true) {
        const size_t start = line.find_first_not_of(kBlanks, pos);
        if (start == std::string::npos) break;
        const size_t end = line.find_first_of(kBlanks, start);
        words.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        pos = end;
    }
    return words;
}

// A plain decimal number: digits only, no sign, at most `limit`.
bool ParseSetting(const std::string& word, uint32_t limit, uint32_t* value) {
    if (word.empty() || word.size() > 10) return false;
    uint64_t number = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number > limit) return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

class ProfileParser {
public:
    ProfileParser(const std::string& fileName, Profile* out, std::string* error)
        : fileName_(fileName), out_(out), error_(error) {}

    bool Parse(const std::string& text) {
        *out_ = Profile();
        out_->defaultReply.chunks.resize(1);
        out_->defaultReply.chunks[0].bytes = "\r\nERROR\r\n";
        size_t pos = 0;
        // A byte-order mark, as some Windows editors write, is not part of the first line.
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
        while (pos < text.size()) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) end = text.size();
            ++lineNumber_;
            std::string line = text.substr(pos, end - pos);
            pos = end + 1;
            if (!ParseLine(&line)) return false;
        }
        return true;
    }

private:
    bool ParseLine(std::string* line) {
        // A CR before the LF belongs to the line end (profiles edited on Windows).
        if (!line->empty() && line->back() == '\r') line->pop_back();
        const size_t last = line->find_last_not_of(kBlanks);
        line->erase(last == std::string::npos ? 0 : last + 1);
        const size_t first = line->find_first_not_of(kBlanks);
        if (first == std::string::npos || (*line)[first] == '#') return true;
        if (line->find('\r') != std::string::npos)
            return Fail("carriage return inside the line (a reply writes it as \\r)");

        size_t separator = line->find(kSeparator);
        std::string replyText;
        if (separator != std::string::npos) {
            replyText = line->substr(separator + sizeof kSeparator - 1);
        } else if (line->size() >= 3 && line->compare(line->size() - 3, 3, " =>") == 0) {
            separator = line->size() - 3;  // the reply's blanks were trailing ones: empty reply
        } else {
            return ParseSettingLine(*line);
        }
        return ParseRule(Trim(line->substr(0, separator)), replyText);
    }

    bool ParseRule(const std::string& command, const std::string& replyText) {
        if (command.empty())
            return Fail("empty COMMAND (an empty command line always gets the '*' reply)");
        std::string commandBytes;
        if (!Utf8ToCp1251(command, &commandBytes))
            return Fail("COMMAND has a character that is not valid UTF-8 or has no Windows-1251 byte");
        std::string reason;
        if (IsCycleReply(replyText)) {
            if (commandBytes == "*") return Fail("the '*' rule cannot cycle; give each command its own rule");
            std::vector<Reply> replies;
            if (!ParseCycleText(replyText, &replies, &bytesLeft_, &pausesLeft_, &reason)) return Fail(reason);
            out_->rules.erase(commandBytes);
            out_->cycles[commandBytes] = std::move(replies);
            return true;
        }
        Reply reply;
        if (!ParseReplyText(replyText, &reply, &bytesLeft_, &pausesLeft_, &reason)) return Fail(reason);
        if (commandBytes == "*") {
            out_->defaultReply = std::move(reply);
        } else {
            out_->cycles.erase(commandBytes);
            out_->rules[commandBytes] = std::move(reply);
        }
        return true;
    }

    bool ParseSettingLine(const std::string& line) {
        const std::vector<std::string> words = Words(line);
        if (words[0] == "echo") {
            if (words.size() == 2 && words[1] == "on") return SetEcho(EchoMode::On);
            if (words.size() == 2 && words[1] == "off") return SetEcho(EchoMode::Off);
            if (words.size() == 2 && words[1] == "always") return SetEcho(EchoMode::Always);
            return Fail("echo must be followed by on, off or always");
        }
        if (words[0] == "latency") {
            if (words.size() == 2 && ParseSetting(words[1], kMaxLatencyMs, &out_->latencyMs)) return true;
            return Fail("latency must be followed by a number of milliseconds from 0 to " +
                        std::to_string(kMaxLatencyMs));
        }
        if (words[0] == "unplug") return ParseUnplug(line);
        return Fail("not a rule (COMMAND => REPLY) nor an echo, latency or unplug line");
    }

    // "unplug COMMAND": the rest of the line, trimmed, is the command line as a client sends
    // it. A line without " => " was an error before, so no existing profile changes meaning.
    bool ParseUnplug(const std::string& line) {
        const size_t keyword = line.find("unplug");
        const std::string command = Trim(line.substr(keyword + 6));
        if (command.empty()) return Fail("unplug must be followed by a COMMAND");
        std::string commandBytes;
        if (!Utf8ToCp1251(command, &commandBytes))
            return Fail("COMMAND has a character that is not valid UTF-8 or has no Windows-1251 byte");
        out_->unplugCommands.insert(commandBytes);
        return true;
    }

    bool SetEcho(EchoMode mode) {
        out_->echo = mode;
        return true;
    }

    bool Fail(const std::string& reason) {
        *error_ = fileName_ + ":" + std::to_string(lineNumber_) + ": " + reason;
        return false;
    }

    const std::string& fileName_;
    Profile* out_;
    std::string* error_;
    size_t lineNumber_ = 0;
    size_t bytesLeft_ = kMaxProfileReplyBytes;
    size_t pausesLeft_ = kMaxProfilePauses;
};

}  // namespace

bool ParseProfile(const std::string& text, const std::string& fileName, Profile* out,
                  std::string* error) {
    try {
        ProfileParser parser(fileName, out, error);
        return parser.Parse(text);
    } catch (const std::exception&) {
        // Only allocation can fail here, and the limits keep that far away; still, a caller
        // such as a fuzzer must never see an exception.
        *error = fileName + ": out of memory";
        return false;
    }
}

bool LoadProfile(const std::string& path, Profile* out, std::string* error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char block[65536];
    bool ok = true;
    while (ok) {
        const size_t got = std::fread(block, 1, sizeof block, file);
        text.append(block, got);
        if (text.size() > kMaxProfileFileBytes) {
            *error = path + ": larger than 16 MiB, not a profile";
            ok = false;
        } else if (got < sizeof block) {
            if (std::ferror(file)) {
                *error = path + ": " + std::strerror(errno);
                ok = false;
            }
            break;
        }
    }
    std::fclose(file);
    return ok && ParseProfile(text, path, out, error);
}
