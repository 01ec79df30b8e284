// A small line editor for the interactive terminal: keys in, one edited line out, with a
// history browsed by the arrow keys. Pure logic; the platform file reads the keyboard and
// writes what RenderEditLine returns.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class EditKey {
    None,          // nothing complete yet, or a key the editor ignores
    Character,     // one printable character (its UTF-8 bytes in KeyDecoder::Character())
    Enter,
    Backspace,
    Delete,        // the character under the cursor
    Left,
    Right,
    Home,
    End,
    Up,            // older history line
    Down,          // newer history line
    EndOfInput,    // Ctrl-D
    Interrupt,     // Ctrl-C
    KillLine,      // Ctrl-U
};

// Turns terminal input bytes into keys: UTF-8 characters, the usual escape sequences of the
// arrow, Home, End and Delete keys (CSI and SS3 forms), and the control keys above. Anything
// else, including unknown sequences, comes out as None and is dropped whole.
class KeyDecoder {
public:
    EditKey Feed(unsigned char byte);
    const std::string& Character() const { return character_; }

private:
    enum class State { Ground, Escape, Csi, Ss3, Utf8 };
    State state_ = State::Ground;
    std::string pending_;     // bytes of the sequence or character being read
    size_t utf8Needed_ = 0;   // continuation bytes still expected
    std::string character_;
};

class LineEditor {
public:
    enum class Result {
        Editing,      // go on reading keys
        Accepted,     // Text() is the line
        Cancelled,    // Ctrl-C: the line is dropped, a new one starts
        EndOfInput,   // Ctrl-D on an empty line
        Refused,      // the key could not be applied (line full, nothing to delete): beep
    };

    // `maxCharacters` bounds the line in characters (not bytes).
    explicit LineEditor(size_t maxCharacters);

    // Starts an empty line, with the history browsed from its newest end.
    void Begin();
    Result Apply(EditKey key, const std::string& character = std::string());

    std::string Text() const;
    const std::vector<std::string>& Characters() const { return line_; }
    size_t Cursor() const { return cursor_; }

    // Adds an accepted line to the history; empty lines and a repeat of the newest are not kept.
    void Remember(const std::string& text);
    size_t HistorySize() const { return history_.size(); }

private:
    void Load(const std::string& text);

    size_t maxCharacters_;
    std::vector<std::string> line_;     // one UTF-8 character per element
    size_t cursor_ = 0;
    std::vector<std::string> history_;
    size_t historyIndex_ = 0;           // == history_.size() while editing the new line
    std::string draft_;                 // the new line, kept while the history is browsed
};

// Splits UTF-8 text into characters (a malformed byte counts as one character).
std::vector<std::string> SplitCharacters(const std::string& text);

// What redraws the line in place: carriage return, the prompt, the part of the line that fits
// `columns` around the cursor, erase to the end of the screen line, then the cursor put back.
// Every character counts as one column.
std::string RenderEditLine(const std::string& prompt, const LineEditor& editor, size_t columns);
