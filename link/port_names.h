// How the program's Windows port names reach devices on a platform without them.
#pragma once

#include <cstddef>

// Resolves a port path to a device file. "\\.\COMn" (n from 1, name case-insensitive) maps to
// DIR/comN when VESMARIN_PORTS names a directory, otherwise COM1-32 to /dev/ttyS0-31, COM33-64
// to /dev/ttyUSB0-31 and COM65-96 to /dev/ttyACM0-31. Any other "\\.\" name resolves to
// nothing (false); a path without that prefix is a device path and is used as it is.
bool DeviceForPortPath(const char* path, char* device, size_t deviceSize);
