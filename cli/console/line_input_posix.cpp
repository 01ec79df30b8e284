// Keyboard lines on a POSIX terminal, edited with libedit: its own history, UTF-8 characters
// in the terminal's locale, and a redraw when the window changes size.
//
// The terminal is in the editor's mode only while a line is edited; otherwise (while a command
// runs, and once the tool ends, however it ends) it is as it was found, so its own keys work
// then: what is typed ahead is echoed, Ctrl-C ends the tool, Ctrl-Z suspends it. While a line is
// edited, Ctrl-C drops the line and starts a new one, as a shell does; Ctrl-Z suspends with the
// terminal put back as found, and `fg` redraws the line; Ctrl-\ ends the tool.
//
// libedit's own signal handling stays off: its handlers pass every signal on to the whole
// process group, so a SIGTERM meant for the tool would also end the shell or script that
// started it. The handlers here act for this process only.
#include <errno.h>
#include <histedit.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "cli/console/line_input.h"
#include "cli/console/piped_lines.h"
#include "common/exit_cleanup.h"

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

// The terminal as found before the line being edited; read by signal handlers.
termios FoundMode{};
volatile sig_atomic_t Editing = 0;
volatile sig_atomic_t Resized = 0;
volatile sig_atomic_t Continued = 0;

// An exit step: whatever ends the tool in the middle of a line leaves the terminal as found.
void RestoreFoundMode() {
    if (Editing != 0) tcsetattr(STDIN_FILENO, TCSANOW, &FoundMode);
}

void OnResize(int) { Resized = 1; }
void OnContinue(int) { Continued = 1; }

// SA_RESTART, so that a resize while the editor draws does not fail its write (stdout would
// keep the error, and the next command would end the tool as if the terminal had gone). The
// key reader still learns of the signal: it waits in poll, which is never restarted.
void Handle(int signalNumber, void (*handler)(int), struct sigaction* previous) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, previous);
}

// A stop while a line is edited: the terminal goes back to as found, the tool stops, and once
// it runs in the foreground again the editor's mode returns.
void OnStop(int) {
    const int savedErrno = errno;
    termios editing{};
    const bool known = tcgetattr(STDIN_FILENO, &editing) == 0;
    tcsetattr(STDIN_FILENO, TCSANOW, &FoundMode);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(SIGTSTP, &fallback, nullptr);
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTSTP);
    sigprocmask(SIG_UNBLOCK, &stop, nullptr);
    raise(SIGTSTP);
    // Running again.
    Handle(SIGTSTP, OnStop, nullptr);
    if (known && tcgetpgrp(STDIN_FILENO) == getpgrp()) tcsetattr(STDIN_FILENO, TCSANOW, &editing);
    errno = savedErrno;
}

// After a resize, or a return from a stop, the line is drawn again.
void RedrawAfterSignal(EditLine* editor) {
    if (Resized != 0) {
        Resized = 0;
        el_resize(editor);
        el_set(editor, EL_REFRESH);
    }
    if (Continued != 0) {
        Continued = 0;
        el_set(editor, EL_REFRESH);
    }
}

// The editor's keys come through here rather than through libedit's reader, so that a resize
// or a return from a stop, which end the wait for a key with EINTR, redraw the line instead of
// ending it.
int ReadKey(EditLine* editor, wchar_t* key) {
    char bytes[MB_LEN_MAX];
    size_t have = 0;
    for (;;) {
        RedrawAfterSignal(editor);
        pollfd keys{STDIN_FILENO, POLLIN, 0};
        if (poll(&keys, 1, -1) < 0 && errno == EINTR) continue;
        char byte = 0;
        const ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            *key = L'\0';
            return n == 0 ? 0 : -1;
        }
        bytes[have++] = byte;
        std::mbstate_t state{};
        wchar_t character = 0;
        const size_t used = std::mbrtowc(&character, bytes, have, &state);
        if (used == static_cast<size_t>(-2) && have < sizeof bytes) continue;   // more to come
        if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
            have = 0;   // not a character: dropped, as libedit drops it
            continue;
        }
        *key = character;
        return 1;
    }
}

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

// Ctrl-Z while a line is edited: the tool's job stops as the terminal would stop it; the line
// is drawn again when it runs on.
unsigned char SuspendLine(EditLine*, int) {
    kill(0, SIGTSTP);
    Continued = 0;
    return CC_REDISPLAY;
}

// Ctrl-\ while a line is edited ends the tool (the exit steps put the terminal back).
unsigned char QuitTool(EditLine*, int) {
    raise(SIGQUIT);
    return CC_NORM;
}

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
    el_set(editor, EL_SIGNAL, 0);
    el_set(editor, EL_GETCFN, &ReadKey);
    // While a line is edited Ctrl-C, Ctrl-Z and Ctrl-\ reach the editor as keys, not signals.
    el_set(editor, EL_SETTY, "-d", "-isig", nullptr);
    el_set(editor, EL_ADDFN, "vesmarin-cancel", "drop the line", &CancelLine);
    el_set(editor, EL_BIND, "^C", "vesmarin-cancel", nullptr);
    el_set(editor, EL_ADDFN, "vesmarin-suspend", "suspend the tool", &SuspendLine);
    el_set(editor, EL_BIND, "^Z", "vesmarin-suspend", nullptr);
    el_set(editor, EL_ADDFN, "vesmarin-quit", "end the tool", &QuitTool);
    el_set(editor, EL_BIND, "^\\", "vesmarin-quit", nullptr);
    AddExitCleanup(RestoreFoundMode);
    return editor;
}

// One line from the editor, with the terminal in the editor's mode only meanwhile.
const char* EditOneLine(EditLine* editor, int* count) {
    if (tcgetattr(STDIN_FILENO, &FoundMode) != 0) return el_gets(editor, count);
    struct sigaction resize {}, resume {}, stop {};
    Handle(SIGWINCH, OnResize, &resize);
    Handle(SIGCONT, OnContinue, &resume);
    Handle(SIGTSTP, OnStop, &stop);
    Editing = 1;
    const char* text = el_gets(editor, count);
    // libedit's own idea of the terminal's usual mode is close to what was found, not equal.
    tcsetattr(STDIN_FILENO, TCSANOW, &FoundMode);
    Editing = 0;
    sigaction(SIGTSTP, &stop, nullptr);
    sigaction(SIGCONT, &resume, nullptr);
    sigaction(SIGWINCH, &resize, nullptr);
    return text;
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
            const char* text = EditOneLine(input->editor, &count);
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
