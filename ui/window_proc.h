// The main window's procedure and the command dispatcher.
#pragma once

#include <windows.h>

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Runs command `command` (0 read, 1 copy, 2 send, 3 rescan); other numbers do nothing.
void RunCommand(int command);

// The button a left click at (x, y) hits on the current tab, or -1.
int HitTestButtons(int x, int y);
