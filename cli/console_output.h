// Text output of the command-line tool: the program's texts are Windows-1251, the terminal
// gets UTF-8 on every platform.
#pragma once

#include <cstdio>
#include <string>

// Puts the console into UTF-8 and binary mode where the platform needs it.
void PrepareConsole();
// Writes 1251 text to `stream` as UTF-8.
void Write1251(std::FILE* stream, const std::string& text);
void WriteUtf8(std::FILE* stream, const std::string& text);
bool IsTerminal(std::FILE* stream);
// A one-line status on a terminal: each call overwrites the last; an empty text erases it.
// Plain carriage returns and blanks, so it works on consoles without escape sequences.
void ShowStatusLine(std::FILE* stream, const std::string& text1251);
// The arguments as UTF-8 (on Windows they are taken from the wide command line).
bool Utf8Arguments(int argc, char** argv, std::string* args, int maxArgs, int* count);
