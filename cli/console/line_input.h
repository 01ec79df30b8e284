// Where the terminal command reads its lines: the keyboard, with editing and history, or a
// pipe or file, line by line. One implementation per platform.
#pragma once

#include <cstddef>
#include <string>

struct LineInput;

// `maxCharacters` bounds what the keyboard editor lets the user type.
LineInput* OpenLineInput(size_t maxCharacters);
void CloseLineInput(LineInput* input);

// True when the user types at a terminal: the prompt and the typed line are then on screen
// already, and lines can be recalled with the arrow keys.
bool IsInteractive(const LineInput* input);

// Reads one line (UTF-8, without its line end; a CR before the LF is dropped as part of the
// line end). On a terminal `prompt` is shown first. False at the end of input: Ctrl-D on an
// empty line, or the end of a pipe or file (a last line without a line end still counts).
bool ReadInputLine(LineInput* input, const char* prompt, std::string* line);

// Keeps a line for recall with the arrow keys (where the platform keeps no history itself).
void RememberInputLine(LineInput* input, const std::string& line);
