// How many descriptors other processes hold on a device, read from /proc. The open and close
// events of inotify cannot be counted: two identical events that wait unread merge into one,
// so two clients that open at once look like one, and the first close then looks like the last.
#pragma once

#include <string>

// Descriptors that processes other than this one have open on `device` (a resolved path such as
// /dev/pts/3). Processes whose descriptors this user may not read are not counted.
int CountOtherOpeners(const std::string& device);
