// The benchmarks of vesmarin-bench. Each prints its result lines and returns the process exit
// status: 0 when the measurement ran (whether or not its goal was met), 1 when something
// broke (no port, no modem, a wrong answer).
#pragma once

#include <string>
#include <vector>

// The information run on `entry` (a port entry such as "E173 (COM3)") whose modem plays
// `profilePath`, `runs` times. `steps` adds the time of each query against its floor.
int RunInfoBench(const std::string& entry, const std::string& profilePath, int runs, bool steps);

// The scan of COM1 to COM254 with one simulated modem per profile and nothing else on the
// ports, `runs` times.
int RunScanBench(const std::vector<std::string>& profilePaths, int runs);

// One transaction without the reader thread on a port that never answers: only the total read
// time-out ends it.
int RunSilentBench(const std::string& portName);

// The radio reading of `cell` on port `portName` (COMn) whose modem plays `profilePath`, `runs`
// times, against the floor of the commands it sends.
int RunCellBench(const std::string& portName, const std::string& profilePath, int runs);

// The exporter's kept history of `modems` modems, full: its heap and one JSON answer's cost.
int RunHistoryBench(int modems);
