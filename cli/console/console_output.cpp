#include "cli/console/console_output.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/console/visible_text.h"
#include "common/cp1251.h"
#include "link/serial_port.h"
#include "link/transact.h"

namespace {

OutputState stdoutState = OutputState::Written;
int stdoutError = 0;

// Only stdout is judged: stderr is where a failure would be told, and has no one else to tell.
void Note(std::FILE* stream, bool ok, int error) {
    if (ok || stream != stdout || stdoutState != OutputState::Written) return;
    stdoutError = error;
    stdoutState = error == EPIPE ? OutputState::ReaderGone : OutputState::Failed;
}

void WriteBytes(std::FILE* stream, const char* bytes, size_t size) {
    if (size == 0) return;
    errno = 0;
    const bool ok = std::fwrite(bytes, 1, size, stream) == size;
    Note(stream, ok, errno);
}

}  // namespace

OutputState StdoutState() { return stdoutState; }

bool OutputGoesOn() { return stdoutState == OutputState::Written; }

bool FlushOutput() {
    errno = 0;
    const bool ok = std::fflush(stdout) == 0 && !std::ferror(stdout);
    Note(stdout, ok, errno);
    return stdoutState == OutputState::Written;
}

std::string OutputFailure() {
    return stdoutError != 0 ? std::strerror(stdoutError) : "write error";
}

void NoteStdoutClosed() { Note(stdout, false, EBADF); }

void WriteUtf8(std::FILE* stream, const std::string& text) { WriteBytes(stream, text.data(), text.size()); }

void Write1251Raw(std::FILE* stream, const std::string& text) { WriteUtf8(stream, Cp1251ToUtf8(text)); }

// stderr carries messages for people only, never a reply's bytes: shown alike everywhere,
// since a log of it is read on a terminal too.
void Write1251(std::FILE* stream, const std::string& text) {
    Write1251Raw(stream, stream == stderr || IsTerminal(stream) ? Visible1251(text) : text);
}

void WriteVisible1251(std::FILE* stream, const std::string& text) { Write1251Raw(stream, Visible1251(text)); }

void WriteUtf8Message(std::FILE* stream, const std::string& text) { WriteUtf8(stream, VisibleUtf8(text)); }

void ShowStatusLine(std::FILE* stream, const std::string& text1251) {
    constexpr size_t kWidth = 72;
    std::string line = text1251.substr(0, kWidth);
    line.resize(kWidth, ' ');
    std::fputc('\r', stream);
    Write1251(stream, line);
    std::fputc('\r', stream);
    std::fflush(stream);
}

void WarnReplyCut(std::FILE* stream, const char* command) {
    FlushOutput();
    std::fprintf(stream, "vesmarin-cli %s: reply cut at %u bytes\n", command, static_cast<unsigned>(kReplyCapacity));
}

void NoteUnlockedUse(const char* command, const std::string& port1251) {
    char why[640];
    if (!IsTerminal(stderr) || !OpenedWithoutLockFile(why, sizeof why)) return;
    FlushOutput();
    Write1251(stderr, std::string("vesmarin-cli ") + command + ": note: " + port1251 +
                          " is used without a lock file: " + why + "\n");
}

