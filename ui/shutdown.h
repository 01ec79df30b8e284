// The end of the window program, run when the main window is destroyed.
#pragma once

// Releases what start-up made and ends the process with code 0. Does not return.
[[noreturn]] void ShutDownApplication();
