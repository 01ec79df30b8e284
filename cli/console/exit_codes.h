// The exit status of every command, one table for scripts. The numbers are kept from the
// earlier releases where scripts test them: `scan` has always exited 1 when no modem answered,
// and `at`/`term` 2 when the port could not be opened.
#pragma once

enum ExitCode : int {
    kExitSuccess = 0,
    kExitModemFailed = 1,        // a modem stayed silent, failed or went away during the command
    kExitNoModemFound = 1,       // nothing answered (`scan`, and every command over all modems)
    kExitUsage = 2,              // bad arguments, or the named port cannot be opened
    kExitOutputNotWritten = 3,   // stdout could not be written (full disk, closed descriptor)
};
