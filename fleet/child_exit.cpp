#include "fleet/child_processes.h"

std::string ChildExit::Text() const {
    switch (kind) {
        case Kind::NotStarted: return "could not start";
        case Kind::Exited: return "exited with status " + std::to_string(code);
        case Kind::Signalled: return "ended by signal " + std::to_string(code);
        case Kind::TimedOut: return "timed out";
    }
    return "";
}

std::string ChildFailureText(const ChildRun& run, const std::string& why) {
    if (run.exit.kind == ChildExit::Kind::Exited && run.err.empty()) return why;
    std::string said;
    bool lineEnd = false;
    for (char c : run.err) {
        if (c == '\n' || c == '\r') {
            lineEnd = !said.empty();
            continue;
        }
        // Other control characters (a colour escape) are no part of a reason.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') continue;
        if (lineEnd) said += " / ";
        lineEnd = false;
        said += c;
    }
    return "the reading process " + run.exit.Text() + (said.empty() ? "" : ": " + said);
}
