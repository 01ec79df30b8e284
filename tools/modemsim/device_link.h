// The names under which clients find the simulated ports: DIR/comN -> /dev/pts/X. With DIR a
// Wine prefix's dosdevices folder, the port is COMN to Windows programs in that prefix.
#pragma once

#include <string>

std::string DeviceLinkPath(const std::string& directory, int portNumber);

// True when `linkPath` is free or a symbolic link (which CreateDeviceLink may replace); false
// with a reason when something else, such as a real file, has that name.
bool DeviceLinkReplaceable(const std::string& linkPath, std::string* error);

// Points `linkPath` at `target`, replacing an existing symbolic link in one step.
bool CreateDeviceLink(const std::string& linkPath, const std::string& target, std::string* error);

// Removes `linkPath` if it still points at `target`; a link that someone has since replaced
// is left alone.
void RemoveDeviceLink(const std::string& linkPath, const std::string& target);
