#include <windows.h>

#include <thread>

#include "fleet/child_processes.h"

namespace {

// One argument as the C runtime's command-line parser reads it back.
std::string Quoted(const std::string& argument) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

struct Running {
    HANDLE process = nullptr;
    std::thread reader, errorReader;
};

// Reads a pipe to its end into `into`, keeping only the last `keep` bytes when `keep` is not 0.
std::thread PipeReader(HANDLE readEnd, std::string* into, size_t keep) {
    return std::thread([readEnd, into, keep] {
        char chunk[8192];
        DWORD got = 0;
        while (ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
            into->append(chunk, got);
            if (keep != 0 && into->size() > keep) into->erase(0, into->size() - keep);
        }
        CloseHandle(readEnd);
    });
}

// The job every reading process joins. Only this process holds a handle to it, never
// inherited, so when this process ends however it ends (Ctrl-C, killed, crashed) the handle
// closes and the system ends the children with it. Null where no job can be made; the
// children are then ended only by the deadline.
HANDLE ChildrenJob() {
    static const HANDLE job = [] {
        HANDLE made = CreateJobObjectW(nullptr, nullptr);
        if (made == nullptr) return made;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
            CloseHandle(made);
            return HANDLE(nullptr);
        }
        return made;
    }();
    return job;
}

}  // namespace

// The job object does it for the child (see ChildrenJob).
void FollowParentProcess() {}

std::string OwnProgramPath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : "";
}

void RunChildren(std::vector<ChildRun>* runs, uint32_t deadlineMs, const std::atomic<bool>* stop) {
    const std::string program = OwnProgramPath();
    std::vector<Running> running(runs->size());
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr);
    for (size_t i = 0; i < runs->size(); ++i) {
        (*runs)[i].exit = ChildExit{};
        HANDLE readEnd = nullptr, writeEnd = nullptr;
        if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) continue;
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        HANDLE errorReadEnd = nullptr, errorWriteEnd = nullptr;
        if (!CreatePipe(&errorReadEnd, &errorWriteEnd, &inherit, 0)) {
            CloseHandle(readEnd);
            CloseHandle(writeEnd);
            continue;
        }
        SetHandleInformation(errorReadEnd, HANDLE_FLAG_INHERIT, 0);
        std::string line = Quoted(program);
        for (const auto& argument : (*runs)[i].arguments) line += " " + Quoted(argument);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = writeEnd;
        startup.hStdError = errorWriteEnd;
        PROCESS_INFORMATION info{};
        // Started suspended and put in the job before it runs a single instruction, so that
        // nothing it does escapes the job. A job refused (an old system that nests none)
        // leaves the child running outside it.
        const BOOL made = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE,
                                         CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr, nullptr, &startup, &info);
        CloseHandle(writeEnd);
        CloseHandle(errorWriteEnd);
        if (!made) {
            CloseHandle(readEnd);
            CloseHandle(errorReadEnd);
            continue;
        }
        if (ChildrenJob() != nullptr) AssignProcessToJobObject(ChildrenJob(), info.hProcess);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        (*runs)[i].exit.kind = ChildExit::Kind::Exited;
        running[i].process = info.hProcess;
        running[i].reader = PipeReader(readEnd, &(*runs)[i].out, 0);
        running[i].errorReader = PipeReader(errorReadEnd, &(*runs)[i].err, kChildErrorTail);
    }
    const ULONGLONG deadline = GetTickCount64() + deadlineMs;
    for (size_t i = 0; i < running.size(); ++i) {
        if (running[i].process == nullptr) continue;
        DWORD result = WAIT_TIMEOUT;
        for (;;) {
            const ULONGLONG now = GetTickCount64();
            const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
            const DWORD slice = left < 200 ? left : 200;
            result = WaitForSingleObject(running[i].process, slice);
            if (result == WAIT_OBJECT_0 || slice == 0 || (stop != nullptr && stop->load())) break;
        }
        const bool timedOut = result != WAIT_OBJECT_0;
        if (timedOut) {
            TerminateProcess(running[i].process, 1);
            WaitForSingleObject(running[i].process, INFINITE);
        }
        DWORD code = 0;
        GetExitCodeProcess(running[i].process, &code);
        (*runs)[i].exit = timedOut ? ChildExit{ChildExit::Kind::TimedOut, 0}
                                   : ChildExit{ChildExit::Kind::Exited, static_cast<int>(code)};
        running[i].reader.join();
        running[i].errorReader.join();
        CloseHandle(running[i].process);
    }
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
}
