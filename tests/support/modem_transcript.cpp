#include "tests/support/modem_transcript.h"

#include <cstdlib>
#include <fstream>

bool ReceivedByModem(int portNumber, std::vector<std::string>* lines) {
    lines->clear();
    const char* folder = std::getenv("VESMARIN_MODEM_LOGS");
    if (folder == nullptr || folder[0] == '\0') return false;
    std::string path = std::string(folder) + "/com" + std::to_string(portNumber) + ".log";
#ifdef _WIN32
    // Under Wine the Unix file system is drive Z:.
    path = "Z:" + path;
#endif
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    // "<seconds> rx <bytes>", the seconds right-aligned: the direction is the second word.
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t stamp = line.find_first_not_of(' ');
        const size_t direction = line.find(' ', stamp);
        if (direction == std::string::npos) continue;
        if (line.compare(direction, 4, " rx ") == 0) lines->push_back(line.substr(direction + 4));
    }
    return true;
}
