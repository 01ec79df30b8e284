// Finding the modems of this machine: which serial ports exist, which belong together. A modem
// is one USB device; its ports are tried for AT in interface order (the first that answers is
// read). A port outside USB (a pty of the simulator, a COM port on Windows) is a modem of its
// own.
#pragma once

#include <string>
#include <vector>

// What the user chose: device paths or by-id globs ("*" and "?") to take instead of the ports
// found, and ones to leave out. Empty `ports`: every ttyUSB and ttyACM (Linux), the comN links
// of $VESMARIN_PORTS when that names a directory, or COM1 to COM254 (Windows).
struct PortChoice {
    std::vector<std::string> ports;
    std::vector<std::string> exclude;
};

struct CandidatePort {
    std::string path;             // as the port is opened
    int comNumber = 0;            // the COMn that reaches it; 0 when none does
    std::string interfaceNumber;  // "02"; empty outside USB
};

struct ModemPorts {
    std::string usbPath;                // "1-2.3"; empty outside USB
    std::vector<CandidatePort> ports;   // in interface order
};

// The modems' ports, in a stable order: USB devices by their USB path, then the rest by COM
// number and path. On Linux a ttyACM is taken only when sysfs says it belongs to a USB device
// (opening some ttyACM devices resets a microcontroller board); an exclusion that matches one
// port of a USB device leaves out the whole device.
std::vector<ModemPorts> FindModemPorts(const PortChoice& choice);

// `pattern` with "*" (any run of characters) and "?" (one character) against `text`, whole.
bool PortPatternMatches(const std::string& pattern, const std::string& text);

// "ttyUSB2" before "ttyUSB10": digit runs compare as numbers.
bool NaturalLess(const std::string& a, const std::string& b);

// True where COMn is the system's own name of a port (Windows), so it may stand for the
// socket in a modem's identity; false where it is this program's map (Linux).
bool ComNamesAreTheSystems();
