#include "cli/line_editor.h"

namespace {

// Sequences longer than this are not keys the editor knows; they are dropped.
constexpr size_t kLongestSequence = 16;

size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

EditKey ControlKey(unsigned char byte) {
    switch (byte) {
        case '\r':
        case '\n': return EditKey::Enter;
        case 0x7F:
        case 0x08: return EditKey::Backspace;
        case 0x01: return EditKey::Home;        // Ctrl-A
        case 0x05: return EditKey::End;         // Ctrl-E
        case 0x02: return EditKey::Left;        // Ctrl-B
        case 0x06: return EditKey::Right;       // Ctrl-F
        case 0x10: return EditKey::Up;          // Ctrl-P
        case 0x0E: return EditKey::Down;        // Ctrl-N
        case 0x04: return EditKey::EndOfInput;  // Ctrl-D
        case 0x03: return EditKey::Interrupt;   // Ctrl-C
        case 0x15: return EditKey::KillLine;    // Ctrl-U
        default: return EditKey::None;          // Tab and the rest never enter a line
    }
}

// The final byte of a CSI or SS3 sequence; parameters (modifier keys) do not change the key.
EditKey FinalKey(char final) {
    switch (final) {
        case 'A': return EditKey::Up;
        case 'B': return EditKey::Down;
        case 'C': return EditKey::Right;
        case 'D': return EditKey::Left;
        case 'H': return EditKey::Home;
        case 'F': return EditKey::End;
        default: return EditKey::None;
    }
}

// "ESC [ n ~" keys of the VT220 kind, by their first parameter.
EditKey TildeKey(const std::string& parameters) {
    const std::string first = parameters.substr(0, parameters.find(';'));
    if (first == "1" || first == "7") return EditKey::Home;
    if (first == "4" || first == "8") return EditKey::End;
    if (first == "3") return EditKey::Delete;
    return EditKey::None;
}

}  // namespace

EditKey KeyDecoder::Feed(unsigned char byte) {
    switch (state_) {
        case State::Ground:
            if (byte == 0x1B) {
                state_ = State::Escape;
                return EditKey::None;
            }
            if (byte < 0x20 || byte == 0x7F) return ControlKey(byte);
            if (byte < 0x80) {
                character_.assign(1, static_cast<char>(byte));
                return EditKey::Character;
            }
            utf8Needed_ = Utf8Length(byte);
            if (utf8Needed_ == 0) return EditKey::None;   // not a lead byte
            pending_.assign(1, static_cast<char>(byte));
            --utf8Needed_;
            state_ = State::Utf8;
            return EditKey::None;

        case State::Utf8:
            if (!IsContinuation(byte)) {
                // A broken character is dropped; the byte that broke it starts afresh.
                state_ = State::Ground;
                return Feed(byte);
            }
            pending_.push_back(static_cast<char>(byte));
            if (--utf8Needed_ > 0) return EditKey::None;
            state_ = State::Ground;
            character_ = pending_;
            return EditKey::Character;

        case State::Escape:
            if (byte == '[') {
                state_ = State::Csi;
                pending_.clear();
            } else if (byte == 'O') {
                state_ = State::Ss3;
            } else if (byte != 0x1B) {
                state_ = State::Ground;   // Alt with a key: not an editing key
            }
            return EditKey::None;

        case State::Ss3:
            state_ = State::Ground;
            return FinalKey(static_cast<char>(byte));

        case State::Csi:
            if (byte >= 0x20 && byte <= 0x3F) {
                pending_.push_back(static_cast<char>(byte));
                if (pending_.size() > kLongestSequence) state_ = State::Ground;
                return EditKey::None;
            }
            state_ = State::Ground;
            if (byte == '~') return TildeKey(pending_);
            if (byte >= 0x40 && byte <= 0x7E) return FinalKey(static_cast<char>(byte));
            return Feed(byte);   // not part of a sequence after all
    }
    return EditKey::None;
}

LineEditor::LineEditor(size_t maxCharacters) : maxCharacters_(maxCharacters) {}

void LineEditor::Begin() {
    line_.clear();
    cursor_ = 0;
    historyIndex_ = history_.size();
    draft_.clear();
}

void LineEditor::Load(const std::string& text) {
    line_ = SplitCharacters(text);
    if (line_.size() > maxCharacters_) line_.resize(maxCharacters_);
    cursor_ = line_.size();
}

LineEditor::Result LineEditor::Apply(EditKey key, const std::string& character) {
    switch (key) {
        case EditKey::None: return Result::Editing;
        case EditKey::Character:
            if (line_.size() >= maxCharacters_ || character.empty()) return Result::Refused;
            line_.insert(line_.begin() + static_cast<std::ptrdiff_t>(cursor_), character);
            ++cursor_;
            return Result::Editing;
        case EditKey::Enter: return Result::Accepted;
        case EditKey::Backspace:
            if (cursor_ == 0) return Result::Refused;
            line_.erase(line_.begin() + static_cast<std::ptrdiff_t>(--cursor_));
            return Result::Editing;
        case EditKey::EndOfInput:
            if (line_.empty()) return Result::EndOfInput;
            [[fallthrough]];   // on a line with text Ctrl-D deletes, as shells do
        case EditKey::Delete:
            if (cursor_ >= line_.size()) return Result::Refused;
            line_.erase(line_.begin() + static_cast<std::ptrdiff_t>(cursor_));
            return Result::Editing;
        case EditKey::Left:
            if (cursor_ == 0) return Result::Refused;
            --cursor_;
            return Result::Editing;
        case EditKey::Right:
            if (cursor_ >= line_.size()) return Result::Refused;
            ++cursor_;
            return Result::Editing;
        case EditKey::Home: cursor_ = 0; return Result::Editing;
        case EditKey::End: cursor_ = line_.size(); return Result::Editing;
        case EditKey::Up:
            if (historyIndex_ == 0) return Result::Refused;
            if (historyIndex_ == history_.size()) draft_ = Text();
            Load(history_[--historyIndex_]);
            return Result::Editing;
        case EditKey::Down:
            if (historyIndex_ >= history_.size()) return Result::Refused;
            ++historyIndex_;
            Load(historyIndex_ == history_.size() ? draft_ : history_[historyIndex_]);
            return Result::Editing;
        case EditKey::Interrupt: return Result::Cancelled;
        case EditKey::KillLine:
            line_.clear();
            cursor_ = 0;
            return Result::Editing;
    }
    return Result::Editing;
}

std::string LineEditor::Text() const {
    std::string text;
    for (const std::string& character : line_) text += character;
    return text;
}

void LineEditor::Remember(const std::string& text) {
    if (text.empty() || (!history_.empty() && history_.back() == text)) return;
    history_.push_back(text);
}

std::vector<std::string> SplitCharacters(const std::string& text) {
    std::vector<std::string> characters;
    for (size_t i = 0; i < text.size();) {
        size_t length = Utf8Length(static_cast<unsigned char>(text[i]));
        if (length == 0 || i + length > text.size()) length = 1;
        for (size_t k = 1; k < length; ++k) {
            if (!IsContinuation(static_cast<unsigned char>(text[i + k]))) {
                length = 1;
                break;
            }
        }
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

std::string RenderEditLine(const std::string& prompt, const LineEditor& editor, size_t columns) {
    const size_t promptWidth = SplitCharacters(prompt).size();
    const auto& line = editor.Characters();
    const size_t cursor = editor.Cursor();
    // One column stays free so the cursor at the end never wraps the screen line.
    const size_t room = columns > promptWidth + 1 ? columns - promptWidth - 1 : 1;
    const size_t start = cursor >= room ? cursor - room + 1 : 0;
    const size_t end = start + room < line.size() ? start + room : line.size();

    std::string out = "\r" + prompt;
    for (size_t i = start; i < end; ++i) out += line[i];
    out += "\x1b[K\r";
    const size_t column = promptWidth + cursor - start;
    if (column > 0) out += "\x1b[" + std::to_string(column) + "C";
    return out;
}
