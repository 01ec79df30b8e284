#include "link/discovery.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "link/answer.h"
#include "link/port_session.h"
#include "link/serial_port.h"
#include "link/transact.h"

ModemListRecord ModemList;

namespace {

ProbeProgress gProbeProgress = nullptr;
void* gProbeProgressContext = nullptr;
ProbeReport gProbeReport = nullptr;
void* gProbeReportContext = nullptr;

void CopyBounded(char* destination, size_t destinationSize, const char* source) {
    if (destinationSize == 0) return;
    size_t length = std::strlen(source);
    if (length >= destinationSize) length = destinationSize - 1;
    std::memcpy(destination, source, length);
    destination[length] = '\0';
}

// Asks one open port for its model. True when anything at all came back.
bool ProbeOpenPort(PortSession& session, PortProbeReport* report) {
    report->echoOffCount = session.Transact("ATE0", true, kProbeTimeLimitMs);
    report->modelCount = session.Transact("AT+CGMM", true, kProbeTimeLimitMs);
    return report->modelCount != 0 && ReplyBuffer[0] != '\0';
}

uint32_t MsSince(std::chrono::steady_clock::time_point start) {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

// The "(COM" that the entry format appended after the model text: the last one that follows a
// blank. A model reply such as "X (COM5)" must not make the entry "X (COM5) (COM14)" talk to
// COM5. An entry that starts with "(COM" carries no model text at all.
const char* PortNameOpening(const char* entry) {
    const char* last = nullptr;
    for (const char* found = std::strstr(entry, " (COM"); found != nullptr;
         found = std::strstr(found + 1, " (COM")) {
        last = found + 1;
    }
    if (last == nullptr && std::strncmp(entry, "(COM", 4) == 0) last = entry;
    return last;
}

// Opens one port, asks it for its model and closes it again before the caller reports it.
void ProbeOnePort(const char* path, int n, PortProbeReport* report, char* openError, size_t openErrorSize) {
    PortSession session(path, PortSession::Drain::None);
    if (session.IsOpen()) {
        if (ProbeOpenPort(session, report)) {
            ExtractAnswer("", 0, false);
            const int slot = ModemList.count;
            ModemList.portNumbers[slot] = n;
            CopyBounded(ModemList.modelTexts[slot], kModelTextSize, AnswerBuffer);
            ++ModemList.count;
            report->outcome = ProbeOutcome::Listed;
            report->slot = slot;
        } else if (report->modelCount != 0) {
            report->outcome = ProbeOutcome::NotListed;
        }
    } else if (gProbeReport) {
        if (LastOpenFoundNoDevice()) {
            report->outcome = ProbeOutcome::NoDevice;
        } else {
            report->outcome = ProbeOutcome::OpenFailed;
            PortErrorText(openError, openErrorSize);
            report->openError = openError;
        }
    }
}

}  // namespace

void SetProbeProgress(ProbeProgress progress, void* context) {
    gProbeProgress = progress;
    gProbeProgressContext = context;
}

void SetProbeReport(ProbeReport report, void* context) {
    gProbeReport = report;
    gProbeReportContext = context;
}

void ProbePorts() {
    std::memset(&ModemList, 0, sizeof ModemList);
    char path[32];
    char openError[512];
    for (int n = kFirstPortNumber; n <= kLastPortNumber; ++n) {
        const auto start = std::chrono::steady_clock::now();
        PortProbeReport report{n, ProbeOutcome::Silent, 0, 0, 0, "", -1};
        // "\\.\" is required: without it Windows resolves only COM1 to COM9.
        std::snprintf(path, sizeof path, "\\\\.\\COM%d", n);
        ProbeOnePort(path, n, &report, openError, sizeof openError);
        if (gProbeReport) {
            report.elapsedMs = MsSince(start);
            gProbeReport(report, gProbeReportContext);
        }
        if (gProbeProgress) gProbeProgress(n, ModemList.count, gProbeProgressContext);
    }
}

void FormatPortEntry(int slot, char* entry, size_t entrySize) {
    if (entrySize == 0) return;
    entry[0] = '\0';
    if (slot < 0 || slot >= ModemList.count) return;
    char ending[32];
    const int endingLength =
        std::snprintf(ending, sizeof ending, " (COM%d)", static_cast<int>(ModemList.portNumbers[slot]));
    if (endingLength <= 0 || static_cast<size_t>(endingLength) >= entrySize) return;
    // The ending must survive whole: the port path is read back from it.
    const char* model = ModemList.modelTexts[slot];
    size_t modelLength = strnlen(model, kModelTextSize - 1);
    const size_t room = entrySize - 1 - static_cast<size_t>(endingLength);
    if (modelLength > room) modelLength = room;
    std::memcpy(entry, model, modelLength);
    std::memcpy(entry + modelLength, ending, static_cast<size_t>(endingLength) + 1);
}

void PortPathFromEntry(const char* entry, char* path, size_t pathSize) {
    if (pathSize == 0) return;
    char name[kPortEntrySize] = {};
    if (entry != nullptr && entry[0] != '\0') {
        // An entry without a port name cannot come from a scan; it names no port rather than
        // being read from an undefined place.
        if (const char* opening = PortNameOpening(entry)) {
            CopyBounded(name, sizeof name, opening + 1);
            if (char* close = std::strchr(name, ')')) *close = '\0';
        }
    }
    std::snprintf(path, pathSize, "\\\\.\\%s", name);
}
