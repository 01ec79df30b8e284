// Keyboard lines on a POSIX terminal, edited with libedit: its own history, UTF-8 characters
// in the terminal's locale, and a redraw when the window changes size. Ctrl-C drops the line
// being typed and starts a new one, as a shell does; while a command runs it ends the tool.
#include <histedit.h>
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/line_input.h"
#include "cli/piped_lines.h"

#if defined(__SANITIZE_ADDRESS__)
// libedit keeps wide copies of a bound function's name and help text (made with wcsdup) that
// el_end never frees; the leak checker would otherwise fail every session of `term`. Nothing
// of ours calls wcsdup, so the suppression hides no leak of this program.
extern "C" const char* __lsan_default_suppressions() { return "leak:wcsdup\n"; }
#endif

struct LineInput {
    bool interactive = false;   // prompt and typed line on the screen
    EditLine* editor = nullptr; // nullptr: plain lines (no terminal, or a dumb one)
    History* history = nullptr;
    const char* prompt = "";
    bool cancelled = false;     // Ctrl-C ended the line that el_gets returns
};

namespace {

// A terminal that understands the cursor movements the editor draws with.
bool TerminalCanEdit() {
    const char* term = std::getenv("TERM");
    return term != nullptr && term[0] != '\0' && std::strcmp(term, "dumb") != 0;
}

// The editor reads multibyte characters in the locale's encoding; this program writes UTF-8 to
// the terminal whatever the locale says, so it reads UTF-8 too.
void UseUtf8Characters() {
    if (std::setlocale(LC_CTYPE, "") != nullptr && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) return;
    std::setlocale(LC_CTYPE, "C.UTF-8");
}

LineInput* InputOf(EditLine* editor) {
    void* data = nullptr;
    el_get(editor, EL_CLIENTDATA, &data);
    return static_cast<LineInput*>(data);
}

const char* Prompt(EditLine* editor) { return InputOf(editor)->prompt; }

// Ctrl-C: "^C" goes after the whole line, not over it, and the line is accepted only to be
// dropped.
unsigned char CancelLine(EditLine* editor, int) {
    InputOf(editor)->cancelled = true;
    const LineInfo* line = el_line(editor);
    el_cursor(editor, static_cast<int>(line->lastchar - line->cursor));
    el_insertstr(editor, "^C");
    // The editor redraws from where the cursor stands: from the line's start, over itself.
    FILE* screen = nullptr;
    el_get(editor, EL_GETFP, 1, &screen);
    std::fputs("\r", screen);
    std::fflush(screen);
    el_set(editor, EL_REFRESH);
    std::fputs("\n", screen);
    std::fflush(screen);
    return CC_NEWLINE;
}

EditLine* OpenEditor(LineInput* input) {
    UseUtf8Characters();
    EditLine* editor = el_init("vesmarin-cli", stdin, stdout, stderr);
    if (editor == nullptr) return nullptr;
    input->history = history_init();
    HistEvent event;
    history(input->history, &event, H_SETSIZE, 1000);
    history(input->history, &event, H_SETUNIQUE, 1);   // a repeat of the newest is not kept
    el_set(editor, EL_CLIENTDATA, input);
    el_set(editor, EL_EDITOR, "emacs");
    el_set(editor, EL_HIST, history, input->history);
    el_set(editor, EL_PROMPT, &Prompt);
    // Resizes and stops are the editor's to handle while it reads: it redraws the line.
    el_set(editor, EL_SIGNAL, 1);
    // Ctrl-C reaches the editor as a key while it reads, instead of as SIGINT.
    el_set(editor, EL_SETTY, "-d", "-isig", nullptr);
    el_set(editor, EL_ADDFN, "vesmarin-cancel", "drop the line", &CancelLine);
    el_set(editor, EL_BIND, "^C", "vesmarin-cancel", nullptr);
    return editor;
}

}  // namespace

LineInput* OpenLineInput(size_t maxCharacters) {
    auto* input = new LineInput;
    (void)maxCharacters;   // a longer line is refused with a sentence once it is entered
    input->interactive = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
    if (input->interactive && TerminalCanEdit()) input->editor = OpenEditor(input);
    return input;
}

void CloseLineInput(LineInput* input) {
    if (input->editor != nullptr) el_end(input->editor);
    if (input->history != nullptr) history_end(input->history);
    delete input;
}

bool IsInteractive(const LineInput* input) { return input->interactive; }

bool ReadInputLine(LineInput* input, const char* prompt, std::string* line) {
    line->clear();
    std::fflush(stdout);
    if (input->editor != nullptr) {
        input->prompt = prompt;
        for (;;) {
            input->cancelled = false;
            int count = 0;
            const char* text = el_gets(input->editor, &count);
            if (text == nullptr || count <= 0) {
                std::fputs("\n", stdout);   // Ctrl-D on an empty line, or the terminal went away
                return false;
            }
            if (input->cancelled) continue;
            line->assign(text, static_cast<size_t>(count));
            while (!line->empty() && (line->back() == '\n' || line->back() == '\r')) line->pop_back();
            return true;
        }
    }
    if (input->interactive) {
        std::fputs(prompt, stdout);
        std::fflush(stdout);
    }
    return ReadPipedLine(stdin, line);
}

void RememberInputLine(LineInput* input, const std::string& line) {
    if (input->history == nullptr || line.empty()) return;
    HistEvent event;
    history(input->history, &event, H_ENTER, line.c_str());
}
