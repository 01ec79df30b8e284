// The line structure of a profile: comments, echo and latency settings, and rules.
#include "tools/modemsim/profile.h"

#include <algorithm>
#include <cctype>
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

    bool ParseRule(const std::string& commandField, const std::string& replyText) {
        std::vector<SettingCondition> conditions;
        std::string command = commandField;
        if (!TakeConditions(&command, &conditions)) return false;
        if (command.empty())
            return Fail("empty COMMAND (an empty command line always gets the '*' reply)");
        std::string commandBytes;
        if (!Utf8ToCp1251(command, &commandBytes))
            return Fail("COMMAND has a character that is not valid UTF-8 or has no Windows-1251 byte");
        std::string reason;
        const CommandPattern pattern = PatternOf(commandBytes);
        if (!conditions.empty() || !pattern.placeholders.empty()) {
            if (commandBytes == "*") return Fail("the '*' rule can have no conditions");
            if (IsCycleReply(replyText)) return Fail("a rule with conditions or settings cannot cycle");
            if (out_->statefulRules.size() >= kMaxStatefulRules)
                return Fail("more than " + std::to_string(kMaxStatefulRules) + " rules with settings");
            StatefulRule rule;
            rule.conditions = std::move(conditions);
            rule.command = pattern;
            if (!ParseReplyText(replyText, &rule.reply, &bytesLeft_, &pausesLeft_, &reason, &out_->settings))
                return Fail(reason);
            out_->statefulRules.push_back(std::move(rule));
            return true;
        }
        if (IsCycleReply(replyText)) {
            if (commandBytes == "*") return Fail("the '*' rule cannot cycle; give each command its own rule");
            std::vector<Reply> replies;
            if (!ParseCycleText(replyText, &replies, &bytesLeft_, &pausesLeft_, &reason, &out_->settings))
                return Fail(reason);
            out_->rules.erase(commandBytes);
            out_->cycles[commandBytes] = std::move(replies);
            return true;
        }
        Reply reply;
        if (!ParseReplyText(replyText, &reply, &bytesLeft_, &pausesLeft_, &reason, &out_->settings))
            return Fail(reason);
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
        if (words[0] == "echo-timing") {
            if (words.size() == 2 && words[1] == "early") return SetEchoTiming(EchoTiming::Early);
            if (words.size() == 2 && words[1] == "with-reply") return SetEchoTiming(EchoTiming::WithReply);
            return Fail("echo-timing must be followed by early or with-reply");
        }
        if (words[0] == "unplug") return ParseUnplug(line);
        if (words[0] == "setting") return ParseSettingDeclaration(words);
        if (words[0] == "when" || words[0] == "unsolicited") return ParseUnsolicited(line);
        return Fail("not a rule (COMMAND => REPLY) nor an echo, echo-timing, latency, unplug, setting "
                    "or unsolicited line");
    }

    // "setting NAME VALUE...": the first VALUE is the value at start; set commands may give any
    // of the VALUEs listed.
    bool ParseSettingDeclaration(const std::vector<std::string>& words) {
        if (words.size() < 3) return Fail("setting must be followed by a NAME and at least one VALUE");
        const std::string& name = words[1];
        bool nameOk = name.size() <= 32 && (std::isalpha(static_cast<unsigned char>(name[0])) != 0);
        for (char c : name) nameOk &= std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
        if (!nameOk) return Fail("a setting's NAME is a letter, then letters, digits or '_' (at most 32)");
        if (name == "pause" || name == "repeat" || name == "cycle")
            return Fail("'" + name + "' cannot name a setting: it begins a reply construct");
        if (SettingIndex(name) != kNoSetting) return Fail("setting " + name + " is declared twice");
        if (out_->settings.size() >= kMaxSettings)
            return Fail("more than " + std::to_string(kMaxSettings) + " settings");
        if (words.size() - 2 > kMaxSettingValues)
            return Fail("more than " + std::to_string(kMaxSettingValues) + " values for one setting");
        Setting setting;
        setting.name = name;
        for (size_t i = 2; i < words.size(); ++i) {
            const std::string& value = words[i];
            bool valueOk = value.size() <= kMaxSettingValueBytes;
            for (char c : value) valueOk &= c > ' ' && c < 0x7F && c != '{' && c != '}' && c != '|';
            if (!valueOk)
                return Fail("a setting's VALUE is printable ASCII without blanks, braces or '|' (at most " +
                            std::to_string(kMaxSettingValueBytes) + ")");
            setting.values.push_back(value);
        }
        out_->settings.push_back(std::move(setting));
        return true;
    }

    // "[when NAME=VALUE]... unsolicited every MS TEXT" or
    // "[when NAME=VALUE]... unsolicited after MS COMMAND -> TEXT".
    bool ParseUnsolicited(const std::string& line) {
        UnsolicitedReport report;
        std::string rest = line.substr(line.find_first_not_of(kBlanks));
        if (!TakeConditions(&rest, &report.conditions)) return false;
        const char kUsage[] = "an unsolicited line is 'unsolicited every MS TEXT' or "
                              "'unsolicited after MS COMMAND -> TEXT'";
        const std::vector<std::string> words = Words(rest);
        if (words.size() < 3 || words[0] != "unsolicited" || (words[1] != "every" && words[1] != "after"))
            return Fail(kUsage);
        report.afterCommand = words[1] == "after";
        uint32_t ms = 0;
        if (!ParseSetting(words[2], kMaxPauseMs, &ms) || (!report.afterCommand && ms == 0))
            return Fail(std::string("unsolicited ") + words[1] + " takes milliseconds from " +
                        (report.afterCommand ? "0" : "1") + " to " + std::to_string(kMaxPauseMs));
        // TEXT (or COMMAND) starts after one blank behind MS; further blanks belong to it.
        size_t at = rest.find(words[1]) + words[1].size();
        at = rest.find(words[2], at) + words[2].size();
        std::string text = at < rest.size() ? rest.substr(at + 1) : std::string();
        if (report.afterCommand) {
            report.afterMs = ms;
            const size_t arrow = text.find(" -> ");
            if (arrow == std::string::npos) return Fail(kUsage);
            std::string commandBytes;
            const std::string command = Trim(text.substr(0, arrow));
            if (command.empty()) return Fail(kUsage);
            if (!Utf8ToCp1251(command, &commandBytes))
                return Fail("COMMAND has a character that is not valid UTF-8 or has no Windows-1251 byte");
            report.command = PatternOf(commandBytes);
            text = text.substr(arrow + 4);
        } else {
            report.everyMs = ms;
        }
        if (text.empty()) return Fail("an unsolicited line needs a TEXT to send");
        std::string reason;
        if (!ParseReplyText(text, &report.text, &bytesLeft_, &pausesLeft_, &reason, &out_->settings))
            return Fail(reason);
        for (const ReplyChunk& chunk : report.text.chunks)
            if (chunk.isPause) return Fail("an unsolicited TEXT cannot pause");
        if (report.text.chunks.empty()) return Fail("an unsolicited line needs a TEXT to send");
        if (out_->reports.size() >= kMaxReports)
            return Fail("more than " + std::to_string(kMaxReports) + " unsolicited lines");
        out_->reports.push_back(std::move(report));
        return true;
    }

    // Takes leading "when NAME=VALUE" words off `text`. In a profile without settings they are
    // ordinary text, as they were before settings existed; with settings, NAME and VALUE must
    // be declared.
    bool TakeConditions(std::string* text, std::vector<SettingCondition>* conditions) {
        if (out_->settings.empty()) return true;
        while (text->compare(0, 4, "when") == 0 && text->size() > 4 &&
               std::strchr(kBlanks, (*text)[4]) != nullptr) {
            const size_t start = text->find_first_not_of(kBlanks, 4);
            const size_t end = start == std::string::npos ? std::string::npos : text->find_first_of(kBlanks, start);
            const std::string word = start == std::string::npos ? std::string() : text->substr(start, end - start);
            const size_t equals = word.find('=');
            if (equals == std::string::npos) return Fail("when must be followed by NAME=VALUE");
            const int setting = SettingIndex(word.substr(0, equals));
            if (setting == kNoSetting) return Fail("when names no declared setting: " + word);
            SettingCondition condition;
            condition.setting = static_cast<size_t>(setting);
            condition.value = word.substr(equals + 1);
            const auto& values = out_->settings[condition.setting].values;
            if (std::find(values.begin(), values.end(), condition.value) == values.end())
                return Fail("when gives a value that setting " + word.substr(0, equals) + " does not list: " + word);
            conditions->push_back(std::move(condition));
            *text = end == std::string::npos ? std::string() : Trim(text->substr(end));
        }
        return true;
    }

    int SettingIndex(const std::string& name) const {
        for (size_t i = 0; i < out_->settings.size(); ++i)
            if (out_->settings[i].name == name) return static_cast<int>(i);
        return kNoSetting;
    }

    // `{NAME}` of a declared setting in a command line is a placeholder; any other brace is a
    // character of the command, as before settings existed.
    CommandPattern PatternOf(const std::string& command) const {
        CommandPattern pattern;
        pattern.literals.emplace_back();
        size_t pos = 0;
        while (pos < command.size()) {
            if (command[pos] == '{') {
                const size_t close = command.find('}', pos);
                const int setting = close == std::string::npos ? kNoSetting
                                                               : SettingIndex(command.substr(pos + 1, close - pos - 1));
                if (setting != kNoSetting) {
                    pattern.placeholders.push_back(static_cast<size_t>(setting));
                    pattern.literals.emplace_back();
                    pos = close + 1;
                    continue;
                }
            }
            pattern.literals.back().push_back(command[pos++]);
        }
        return pattern;
    }

    bool SetEchoTiming(EchoTiming timing) {
        out_->echoTiming = timing;
        return true;
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

namespace {

bool MatchFrom(const CommandPattern& pattern, const std::vector<Setting>& settings, const std::string& line,
               size_t piece, size_t at, std::vector<std::string>* captured) {
    const std::string& literal = pattern.literals[piece];
    if (line.compare(at, literal.size(), literal) != 0) return false;
    at += literal.size();
    if (piece == pattern.placeholders.size()) return at == line.size();
    for (const std::string& value : settings[pattern.placeholders[piece]].values) {
        if (line.compare(at, value.size(), value) != 0) continue;
        captured->push_back(value);
        if (MatchFrom(pattern, settings, line, piece + 1, at + value.size(), captured)) return true;
        captured->pop_back();
    }
    return false;
}

}  // namespace

bool MatchCommand(const CommandPattern& pattern, const std::vector<Setting>& settings,
                  const std::string& line, std::vector<std::string>* captured) {
    captured->clear();
    if (pattern.literals.size() != pattern.placeholders.size() + 1) return false;
    return MatchFrom(pattern, settings, line, 0, 0, captured);
}

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
