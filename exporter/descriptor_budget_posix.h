// How many connections the exporter may hold open without taking the descriptors its reading
// processes need: each reading runs in a child whose output this process reads through a pipe,
// so descriptors spent on clients are readings that cannot start.
#pragma once

#include <cstddef>

// Raises the soft limit of open descriptors to the hard one (a service often starts with a
// soft 1024 under a far higher hard limit); returns the soft limit now in force.
size_t RaiseDescriptorLimit();

// The descriptors kept for everything but connections with `modems` known: the process's own
// (standard streams, the loop, the listening socket, directories listed while looking for
// ports) and two pipes per device, since a device's information run and its signal reading
// may overlap, for twice the modems known (sticks plugged in later, ports that turn out to be
// no modem) and never fewer than 32 devices.
size_t DescriptorReserve(size_t modems);

// Connections allowed under `limit` descriptors: what the reserve leaves, at most 1024 (each
// costs a buffer), and at least a few, so that an exporter short of descriptors still answers.
size_t ConnectionCap(size_t limit, size_t modems);
