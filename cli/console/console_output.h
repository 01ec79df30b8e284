// Text output of the command-line tool: the program's texts are Windows-1251, the terminal
// gets UTF-8 on every platform.
#pragma once

#include <cstdio>
#include <string>

// Puts the console into UTF-8 and binary mode where the platform needs it.
void PrepareConsole();

// Writes to stdout are checked: the first write or flush that fails is kept. A reader that
// went away (a closed pipe: `... | head -1`) ends the output quietly; any other failure (a
// full disk, a closed descriptor) is output not written.
enum class OutputState { Written, ReaderGone, Failed };
OutputState StdoutState();
// False once stdout failed or its reader went away: a command that goes on writing stops.
bool OutputGoesOn();
// Flushes stdout, checked; false once anything written so far did not arrive.
bool FlushOutput();
// The system's words for the failure.
std::string OutputFailure();
// Counts a stdout that was closed when the process started as output not written.
void NoteStdoutClosed();
// Writes 1251 text to `stream` as UTF-8. On a terminal, and on stderr wherever it goes,
// control characters other than CR, LF and TAB are shown as "\x1b" rather than obeyed: model
// texts and replies come from the modem, and a port entry or path from the user.
void Write1251(std::FILE* stream, const std::string& text);
// The same protection whether or not `stream` is a terminal: for text meant for people (the
// entries of scan, the rows of info), which a pager or `head` passes on to the terminal.
void WriteVisible1251(std::FILE* stream, const std::string& text);
// The same without that protection, for output that must stay byte for byte.
void Write1251Raw(std::FILE* stream, const std::string& text);
// UTF-8 text as it is (JSON, whose strings are escaped already).
void WriteUtf8(std::FILE* stream, const std::string& text);
// A UTF-8 message that may quote arguments: invalid UTF-8 and control characters are shown
// as "\xNN", on a terminal or not.
void WriteUtf8Message(std::FILE* stream, const std::string& text);
bool IsTerminal(std::FILE* stream);
// Tells that a reply reached the reply buffer's limit, so that its end is not taken for the
// modem's: "vesmarin-cli COMMAND: reply cut at 65535 bytes".
void WarnReplyCut(std::FILE* stream, const char* command);
// When the port was used without a lock file (see OpenedWithoutLockFile) and stderr is a
// terminal, says so there: other programs that honour lock files could not see it was busy.
void NoteUnlockedUse(const char* command, const std::string& port1251);
// Whether `stream` is a terminal that obeys escape sequences (cursor movement, erasing),
// switching a Windows console to them where it supports them. EndTerminalSequences gives the
// console its former mode back.
bool StartTerminalSequences(std::FILE* stream);
void EndTerminalSequences(std::FILE* stream);
// A one-line status on a terminal: each call overwrites the last; an empty text erases it.
// Plain carriage returns and blanks, so it works on consoles without escape sequences.
void ShowStatusLine(std::FILE* stream, const std::string& text1251);
