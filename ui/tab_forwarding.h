// The tab control covers the whole client area, so the pointer input of the page area and the
// notifications of the controls placed on it would otherwise never reach the main window.
#pragma once

#include <windows.h>

void ForwardTabControlInput(HWND tabControl, HWND mainWindow);
