// The window program's entry point: start-up, then the message loop until the window closes.
#include <windows.h>

#include "ui/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    StartApplication(instance, SystemUtcDate);
    return RunMessageLoop();
}
