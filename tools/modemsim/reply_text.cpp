// The REPLY field of a profile rule: escapes, {pause N}, {repeat N TEXT} and <silent>.
#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "common/cp1251.h"
#include "tools/modemsim/profile.h"

namespace {

const char kSilent[] = "<silent>";

// Blanks are spaces and tabs, here as everywhere in a profile.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string HexByte(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes one UTF-8 character for error messages only; returns its length or 0 when invalid.
size_t DecodeUtf8(const std::string& text, size_t pos, uint32_t* codePoint) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    size_t need = 0;
    uint32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 4;
        cp = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - pos < need) return 0;
    for (size_t i = 1; i < need; ++i) {
        const auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if ((need == 3 && cp < 0x800) || (need == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    *codePoint = cp;
    return need;
}

class ReplyParser {
public:
    ReplyParser(const std::string& text, size_t* bytesLeft, size_t* pausesLeft, std::string* error,
                const std::vector<Setting>* settings)
        : text_(text), bytesLeft_(bytesLeft), pausesLeft_(pausesLeft), error_(error), settings_(settings) {}

    bool Parse(Reply* out) { return ParseSequence(false, &out->chunks); }

private:
    // Parses up to the end of the text, or inside {repeat} up to and including its '}'.
    bool ParseSequence(bool inRepeat, std::vector<ReplyChunk>* out) {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '}' && inRepeat) {
                ++pos_;
                return true;
            }
            bool ok = true;
            if (c == '\\') {
                ok = ParseEscape(out);
            } else if (c == '{' && StartsConstruct("pause")) {
                ok = ParsePause(out);
            } else if (c == '{' && StartsConstruct("repeat")) {
                ok = ParseRepeat(out);
            } else if (c == '{' && SettingAt() != kNoSetting) {
                ok = AppendSetting(out);
            } else if (c == '{' && StartsConstruct("cycle")) {
                return Fail("{cycle ...} must be the whole reply (write \\x7B for a literal '{')");
            } else if (c == '<' && text_.compare(pos_, sizeof kSilent - 1, kSilent) == 0) {
                return Fail("<silent> must be the whole reply (write \\x3C for a literal '<')");
            } else if (static_cast<unsigned char>(c) < 0x80) {
                ok = AppendByte(c, out);
                ++pos_;
            } else {
                ok = ParseNonAscii(out);
            }
            if (!ok) return false;
        }
        if (inRepeat) return Fail("{repeat N TEXT} has no closing '}' (a '}' inside TEXT is written \\x7D)");
        return true;
    }

    // "{pause", "{repeat" or "{cycle" followed by a blank (space or tab) or '}' commits to the
    // construct, so a mistyped one is reported instead of being sent as text; "{pauses}" or
    // "{Pause 5}" are plain text.
    bool StartsConstruct(const char* keyword) const {
        const std::string word = std::string("{") + keyword;
        if (text_.compare(pos_, word.size(), word) != 0) return false;
        const size_t after = pos_ + word.size();
        return after < text_.size() && (IsBlank(text_[after]) || text_[after] == '}');
    }

    // "{NAME}" of a declared setting at pos_: its index, else kNoSetting (then it is text, as
    // in profiles without settings).
    int SettingAt() const {
        if (settings_ == nullptr || settings_->empty()) return kNoSetting;
        const size_t close = text_.find('}', pos_);
        if (close == std::string::npos) return kNoSetting;
        const std::string name = text_.substr(pos_ + 1, close - pos_ - 1);
        for (size_t i = 0; i < settings_->size(); ++i)
            if ((*settings_)[i].name == name) return static_cast<int>(i);
        return kNoSetting;
    }

    bool AppendSetting(std::vector<ReplyChunk>* out) {
        ReplyChunk chunk;
        chunk.setting = SettingAt();
        pos_ = text_.find('}', pos_) + 1;
        if (*bytesLeft_ < kMaxSettingValueBytes) return Fail("the profile's replies are larger than 64 MiB");
        *bytesLeft_ -= kMaxSettingValueBytes;
        out->push_back(chunk);
        return true;
    }

    bool ParseEscape(std::vector<ReplyChunk>* out) {
        if (pos_ + 1 >= text_.size()) return Fail("backslash at the end of the reply");
        const char kind = text_[pos_ + 1];
        char byte = 0;
        size_t length = 2;
        switch (kind) {
            case 'r': byte = '\r'; break;
            case 'n': byte = '\n'; break;
            case 't': byte = '\t'; break;
            case '\\': byte = '\\'; break;
            case 'x': {
                const int high = pos_ + 2 < text_.size() ? HexValue(text_[pos_ + 2]) : -1;
                const int low = pos_ + 3 < text_.size() ? HexValue(text_[pos_ + 3]) : -1;
                if (high < 0 || low < 0) return Fail("\\x must be followed by two hexadecimal digits");
                byte = static_cast<char>(high * 16 + low);
                length = 4;
                break;
            }
            default:
                return Fail("unknown escape " + DescribeEscape(pos_ + 1));
        }
        pos_ += length;
        return AppendByte(byte, out);
    }

    std::string DescribeEscape(size_t at) const {
        const auto c = static_cast<unsigned char>(text_[at]);
        if (c >= 0x21 && c < 0x7F) return std::string("\\") + static_cast<char>(c);
        uint32_t cp = 0;
        if (c >= 0x80) {
            const size_t length = DecodeUtf8(text_, at, &cp);
            if (length > 0) return "\\" + text_.substr(at, length);
        }
        return "\\ followed by byte " + HexByte(c);
    }

    bool ParsePause(std::vector<ReplyChunk>* out) {
        pos_ += 6;  // "{pause"
        uint32_t ms = 0;
        if (!ParseBlankAndNumber("{pause N}", kMaxPauseMs, &ms)) return false;
        if (pos_ >= text_.size() || text_[pos_] != '}') return Fail("{pause N} must end right after N with '}'");
        ++pos_;
        if (*pausesLeft_ == 0) return Fail("more than 100000 {pause} steps in the profile");
        --*pausesLeft_;
        ReplyChunk chunk;
        chunk.isPause = true;
        chunk.pauseMs = ms;
        out->push_back(chunk);
        return true;
    }

    bool ParseRepeat(std::vector<ReplyChunk>* out) {
        pos_ += 7;  // "{repeat"
        uint32_t count = 0;
        if (!ParseBlankAndNumber("{repeat N TEXT}", kMaxRepeatCount, &count)) return false;
        if (pos_ >= text_.size() || !IsBlank(text_[pos_]))
            return Fail("{repeat N TEXT} needs one blank between N and TEXT");
        ++pos_;
        const size_t bytesBefore = *bytesLeft_;
        const size_t pausesBefore = *pausesLeft_;
        std::vector<ReplyChunk> once;
        if (!ParseSequence(true, &once)) return false;
        const size_t onceBytes = bytesBefore - *bytesLeft_;
        const size_t oncePauses = pausesBefore - *pausesLeft_;
        if (count == 0 || once.empty()) return true;
        const size_t more = count - 1;  // the first copy is already counted in the budgets
        if (onceBytes > 0 && more > *bytesLeft_ / onceBytes)
            return Fail("{repeat} makes the profile's replies larger than 64 MiB");
        if (oncePauses > 0 && more > *pausesLeft_ / oncePauses)
            return Fail("{repeat} makes more than 100000 {pause} steps in the profile");
        *bytesLeft_ -= more * onceBytes;
        *pausesLeft_ -= more * oncePauses;
        if (once.size() == 1 && !once[0].isPause) {
            // Doubling keeps a 64 MiB flood of one character as quick as a short one.
            const size_t total = count * onceBytes;
            std::string bytes;
            bytes.reserve(total);
            bytes = once[0].bytes;
            while (bytes.size() < total) bytes.append(bytes.data(), std::min(bytes.size(), total - bytes.size()));
            AppendBytes(std::move(bytes), out);
        } else {
            for (uint32_t i = 0; i < count; ++i)
                for (const ReplyChunk& chunk : once) AppendChunk(chunk, out);
        }
        return true;
    }

    // Reads " N" at pos_: one blank, then 1 to 10 decimal digits with a value up to `limit`.
    bool ParseBlankAndNumber(const char* construct, uint32_t limit, uint32_t* value) {
        if (pos_ >= text_.size() || !IsBlank(text_[pos_]))
            return Fail(std::string(construct) + " needs one blank before N");
        ++pos_;
        uint64_t number = 0;
        size_t digits = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            if (digits < 11) number = number * 10 + static_cast<uint64_t>(text_[pos_] - '0');
            ++digits;
            ++pos_;
        }
        if (digits == 0) return Fail(std::string(construct) + ": N must be a decimal number");
        if (digits > 10 || number > limit)
            return Fail(std::string(construct) + ": N is larger than " + std::to_string(limit));
        *value = static_cast<uint32_t>(number);
        return true;
    }

    bool ParseNonAscii(std::vector<ReplyChunk>* out) {
        unsigned char byte = 0;
        const size_t used = Utf8CharToCp1251(text_.data() + pos_, text_.size() - pos_, &byte);
        if (used == 0) {
            uint32_t cp = 0;
            if (DecodeUtf8(text_, pos_, &cp) == 0)
                return Fail("invalid UTF-8 (byte " + HexByte(static_cast<unsigned char>(text_[pos_])) + ")");
            char name[16];
            std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
            return Fail(std::string("character ") + name + " has no Windows-1251 byte");
        }
        pos_ += used;
        return AppendByte(static_cast<char>(byte), out);
    }

    bool AppendByte(char byte, std::vector<ReplyChunk>* out) {
        if (*bytesLeft_ == 0) return Fail("the profile's replies are larger than 64 MiB");
        --*bytesLeft_;
        if (out->empty() || out->back().isPause || out->back().setting != kNoSetting) out->emplace_back();
        out->back().bytes.push_back(byte);
        return true;
    }

    // Takes `bytes` over when they start a new step, so a flood is not copied again.
    static void AppendBytes(std::string bytes, std::vector<ReplyChunk>* out) {
        if (bytes.empty()) return;
        if (out->empty() || out->back().isPause || out->back().setting != kNoSetting) {
            out->emplace_back();
            out->back().bytes = std::move(bytes);
        } else {
            out->back().bytes += bytes;
        }
    }

    static void AppendChunk(const ReplyChunk& chunk, std::vector<ReplyChunk>* out) {
        if (chunk.isPause || chunk.setting != kNoSetting)
            out->push_back(chunk);
        else
            AppendBytes(chunk.bytes, out);
    }

    bool Fail(const std::string& reason) {
        *error_ = reason;
        return false;
    }

    const std::string& text_;
    size_t pos_ = 0;
    size_t* bytesLeft_;
    size_t* pausesLeft_;
    std::string* error_;
    const std::vector<Setting>* settings_;
};

}  // namespace

size_t Reply::ByteCount() const {
    size_t count = 0;
    for (const ReplyChunk& chunk : chunks) count += chunk.bytes.size();
    return count;
}

std::string Reply::Bytes() const {
    std::string bytes;
    for (const ReplyChunk& chunk : chunks) bytes += chunk.bytes;
    return bytes;
}

bool ParseReplyText(const std::string& text, Reply* out, size_t* bytesLeft, size_t* pausesLeft,
                    std::string* error, const std::vector<Setting>* settings) {
    out->chunks.clear();
    if (text == kSilent) return true;
    const size_t firstNonBlank = text.find_first_not_of(" \t");
    if (firstNonBlank != 0 && firstNonBlank != std::string::npos &&
        text.compare(firstNonBlank, std::string::npos, kSilent) == 0)
        return (*error = "<silent> must follow ' => ' directly, without more blanks"), false;
    ReplyParser parser(text, bytesLeft, pausesLeft, error, settings);
    return parser.Parse(out);
}

namespace {

const char kCycleOpen[] = "{cycle";

// The next " | " from `from`: blank, bar, blank, each blank a space or a tab.
size_t FindCycleSeparator(const std::string& body, size_t from) {
    for (size_t bar = body.find('|', from); bar != std::string::npos; bar = body.find('|', bar + 1)) {
        if (bar >= from + 1 && bar + 1 < body.size() && IsBlank(body[bar - 1]) && IsBlank(body[bar + 1]))
            return bar - 1;
    }
    return std::string::npos;
}

}  // namespace

// "{cycle" then a blank (space or tab) or '}' commits, as "{pause" and "{repeat" do.
bool IsCycleReply(const std::string& text) {
    const size_t open = sizeof kCycleOpen - 1;
    return text.compare(0, open, kCycleOpen) == 0 && text.size() > open &&
           (IsBlank(text[open]) || text[open] == '}');
}

bool ParseCycleText(const std::string& text, std::vector<Reply>* out, size_t* bytesLeft,
                    size_t* pausesLeft, std::string* error, const std::vector<Setting>* settings) {
    const size_t open = sizeof kCycleOpen - 1;
    if (text.size() < open + 2 || !IsBlank(text[open]) || text.back() != '}') {
        *error = "a cycle is written {cycle REPLY | REPLY ...}: one blank after {cycle, the replies "
                 "separated by ' | ', and '}' ending the line";
        return false;
    }
    const std::string body = text.substr(open + 1, text.size() - open - 2);
    out->clear();
    size_t start = 0;
    while (true) {
        const size_t separator = FindCycleSeparator(body, start);
        const std::string part = body.substr(start, separator == std::string::npos ? std::string::npos
                                                                                    : separator - start);
        Reply reply;
        std::string reason;
        if (!ParseReplyText(part, &reply, bytesLeft, pausesLeft, &reason, settings)) {
            *error = "reply " + std::to_string(out->size() + 1) + " of the cycle: " + reason;
            return false;
        }
        out->push_back(std::move(reply));
        if (separator == std::string::npos) break;
        start = separator + 3;
    }
    if (out->size() < 2) {
        *error = "a cycle needs at least two replies separated by ' | ' (a literal '|' is written \\x7C)";
        return false;
    }
    return true;
}
