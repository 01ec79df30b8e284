// Keyboard lines on a POSIX terminal: the line editor on a raw tty, restored to its own
// settings between lines so that a command's reply prints (and Ctrl-C works) as usual.
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/line_editor.h"
#include "cli/line_input.h"
#include "cli/piped_lines.h"

struct LineInput {
    bool interactive = false;   // prompt and typed line on the screen
    bool editing = false;       // our editor draws the line
    LineEditor editor;
    KeyDecoder decoder;

    explicit LineInput(size_t maxCharacters) : editor(maxCharacters) {}
};

namespace {

constexpr size_t kDefaultColumns = 80;

void WriteAll(const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

size_t ScreenColumns() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return kDefaultColumns;
}

// A terminal that understands the cursor movements the editor draws with.
bool TerminalCanEdit() {
    const char* term = std::getenv("TERM");
    return term != nullptr && term[0] != '\0' && std::strcmp(term, "dumb") != 0;
}

// Raw input for the editor: no line buffering, no echo, and the control keys (Ctrl-C, Ctrl-D,
// Ctrl-U) delivered as bytes. Output processing stays, so "\n" still starts a new line.
bool EnterRawMode(termios* saved) {
    if (tcgetattr(STDIN_FILENO, saved) != 0) return false;
    termios raw = *saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    // TCSADRAIN keeps input already typed ahead (a pasted second line).
    return tcsetattr(STDIN_FILENO, TCSADRAIN, &raw) == 0;
}

void LeaveRawMode(const termios& saved) { tcsetattr(STDIN_FILENO, TCSADRAIN, &saved); }

enum class Edited { Line, End, Failed };

Edited EditLine(LineInput* input, const std::string& prompt, std::string* line) {
    LineEditor& editor = input->editor;
    editor.Begin();
    WriteAll(RenderEditLine(prompt, editor, ScreenColumns()));
    for (;;) {
        unsigned char byte = 0;
        const ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            WriteAll("\r\n");
            return n == 0 ? Edited::End : Edited::Failed;
        }
        const EditKey key = input->decoder.Feed(byte);
        switch (editor.Apply(key, input->decoder.Character())) {
            case LineEditor::Result::Editing:
                if (key != EditKey::None) WriteAll(RenderEditLine(prompt, editor, ScreenColumns()));
                break;
            case LineEditor::Result::Refused: WriteAll("\a"); break;
            case LineEditor::Result::Accepted:
                *line = editor.Text();
                WriteAll("\r\n");
                return Edited::Line;
            case LineEditor::Result::Cancelled:
                WriteAll("^C\r\n");
                editor.Begin();
                WriteAll(RenderEditLine(prompt, editor, ScreenColumns()));
                break;
            case LineEditor::Result::EndOfInput:
                WriteAll("\r\n");
                return Edited::End;
        }
    }
}

}  // namespace

LineInput* OpenLineInput(size_t maxCharacters) {
    auto* input = new LineInput(maxCharacters);
    input->interactive = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    input->editing = input->interactive && TerminalCanEdit();
    return input;
}

void CloseLineInput(LineInput* input) { delete input; }

bool IsInteractive(const LineInput* input) { return input->interactive; }

bool ReadInputLine(LineInput* input, const char* prompt, std::string* line) {
    line->clear();
    std::fflush(stdout);
    if (input->editing) {
        termios saved{};
        if (EnterRawMode(&saved)) {
            const Edited edited = EditLine(input, prompt, line);
            LeaveRawMode(saved);
            return edited == Edited::Line;
        }
        input->editing = false;   // the tty refused raw mode: plain lines from now on
    }
    if (input->interactive) {
        std::fputs(prompt, stdout);
        std::fflush(stdout);
    }
    return ReadPipedLine(stdin, line);
}

void RememberInputLine(LineInput* input, const std::string& line) { input->editor.Remember(line); }
