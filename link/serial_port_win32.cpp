// Win32 backend. The port is opened for overlapped I/O only so that a read still pending when
// a transaction's time limit expires can be cancelled (CancelIoEx) and its thread joined;
// every operation still waits for its own completion, so callers see blocking calls and the
// COMMTIMEOUTS below decide when a read ends. Killing the thread instead would leave the
// C runtime's and the heap's state to chance.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "link/serial_port.h"

struct SerialPort {
    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE readDone = nullptr;    // event of the one read that may be pending
    HANDLE writeDone = nullptr;
    volatile LONG cancelled = 0;
    volatile LONG failure = 0;    // the error that showed the device gone; 0 while it works
};

namespace {

// Written by OpenPort and by whichever thread's read or write finds the device gone; the
// reader thread has ended before its owner looks.
volatile LONG LastPortError = 0;

// How long a cancelled reader gets to finish before the last resort is used.
constexpr DWORD kCancelRetryMs = 100;
constexpr int kCancelAttempts = 50;

bool HasFailed(SerialPort* port) { return InterlockedCompareExchange(&port->failure, 0, 0) != 0; }

// Whether a failed request means the device is gone or broken. A time-out only means
// silence, and an abort that StopReader asked for is the transaction's own doing; anything
// else (ERROR_DEVICE_REMOVED, ERROR_BAD_COMMAND, ERROR_GEN_FAILURE, ERROR_ACCESS_DENIED, an
// abort after a line error with abort-on-error set, which lasts until the errors are cleared)
// fails every later request too.
bool MeansDeviceFailed(SerialPort* port, DWORD error) {
    switch (error) {
        case ERROR_SUCCESS:
        case ERROR_IO_PENDING:
        case ERROR_TIMEOUT:
        case ERROR_SEM_TIMEOUT:
        case ERROR_COUNTER_TIMEOUT:
            return false;
        case ERROR_OPERATION_ABORTED:
            return InterlockedCompareExchange(&port->cancelled, 0, 0) == 0;
        default:
            return true;
    }
}

void NoteFailure(SerialPort* port, DWORD error) {
    if (!MeansDeviceFailed(port, error)) return;
    if (InterlockedCompareExchange(&port->failure, static_cast<LONG>(error), 0) == 0) {
        InterlockedExchange(&LastPortError, static_cast<LONG>(error));
    }
}

uint32_t CompleteIo(SerialPort* port, OVERLAPPED* overlapped, BOOL started) {
    DWORD transferred = 0;
    if (!started) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) {
            NoteFailure(port, error);
            return 0;
        }
    }
    if (!GetOverlappedResult(port->handle, overlapped, &transferred, TRUE)) {
        // A cancelled or failed read may still have stored some bytes; report what arrived.
        NoteFailure(port, GetLastError());
    }
    return transferred;
}

}  // namespace

PortHandle OpenPort(const char* path) {
    if (path == nullptr) {
        LastPortError = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    // Share mode 0: a port held by any other program or instance fails to open.
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        LastPortError = static_cast<LONG>(GetLastError());
        return nullptr;
    }
    auto* port = new SerialPort;
    port->handle = handle;
    port->readDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    port->writeDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (port->readDone == nullptr || port->writeDone == nullptr) {
        LastPortError = static_cast<LONG>(GetLastError());
        ClosePort(port);
        return nullptr;
    }
    return port;
}

void ConfigurePort(PortHandle port) {
    if (port == nullptr) return;
    // Read-modify-write: flow control, DTR/RTS control, XON/XOFF limits and characters stay
    // exactly as the driver reported them.
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(port->handle, &dcb);
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    SetCommState(port->handle, &dcb);

    COMMTIMEOUTS timeouts;
    std::memset(&timeouts, 0, sizeof timeouts);
    GetCommTimeouts(port->handle, &timeouts);
    timeouts.ReadIntervalTimeout = kReadIntervalMs;
    timeouts.ReadTotalTimeoutMultiplier = kReadTotalPerByteMs;
    timeouts.ReadTotalTimeoutConstant = kReadTotalConstantMs;
    timeouts.WriteTotalTimeoutMultiplier = kWriteTotalPerByteMs;
    timeouts.WriteTotalTimeoutConstant = kWriteTotalConstantMs;
    SetCommTimeouts(port->handle, &timeouts);
}

void DrainPort(PortHandle port) {
    if (port == nullptr || HasFailed(port)) return;
    // Not examined: some drivers do not implement the flush; a vanished device shows itself
    // in the next read or write.
    FlushFileBuffers(port->handle);
}

void WritePort(PortHandle port, const char* bytes, uint32_t count) {
    if (port == nullptr || HasFailed(port)) return;
    OVERLAPPED overlapped;
    std::memset(&overlapped, 0, sizeof overlapped);
    ResetEvent(port->writeDone);
    overlapped.hEvent = port->writeDone;
    const BOOL started = WriteFile(port->handle, bytes, count, nullptr, &overlapped);
    CompleteIo(port, &overlapped, started);
}

uint32_t ReadPort(PortHandle port, char* buffer, uint32_t capacity) {
    if (port == nullptr || capacity == 0 || HasFailed(port)) return 0;
    if (InterlockedCompareExchange(&port->cancelled, 0, 0) != 0) return 0;
    OVERLAPPED overlapped;
    std::memset(&overlapped, 0, sizeof overlapped);
    ResetEvent(port->readDone);
    overlapped.hEvent = port->readDone;
    const BOOL started = ReadFile(port->handle, buffer, capacity, nullptr, &overlapped);
    return CompleteIo(port, &overlapped, started);
}

void ClosePort(PortHandle port) {
    if (port == nullptr) return;
    if (port->handle != INVALID_HANDLE_VALUE) CloseHandle(port->handle);
    if (port->readDone) CloseHandle(port->readDone);
    if (port->writeDone) CloseHandle(port->writeDone);
    delete port;
}

bool PortFailed(PortHandle port) { return port != nullptr && HasFailed(port); }

namespace {

void SystemErrorText(DWORD error, char* text, size_t textSize) {
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, static_cast<DWORD>(textSize), nullptr);
    if (length == 0) {
        std::snprintf(text, textSize, "system error %lu", static_cast<unsigned long>(error));
        return;
    }
    // The system's text ends in a line break; the caller adds its own.
    for (DWORD i = length; i > 0 && (text[i - 1] == '\r' || text[i - 1] == '\n' || text[i - 1] == ' '); --i) {
        text[i - 1] = '\0';
    }
}

}  // namespace

void PortErrorText(char* text, size_t textSize) {
    if (textSize == 0) return;
    text[0] = '\0';
    SystemErrorText(static_cast<DWORD>(InterlockedCompareExchange(&LastPortError, 0, 0)), text, textSize);
}

void PortFailureText(PortHandle port, char* text, size_t textSize) {
    if (textSize == 0) return;
    text[0] = '\0';
    if (port == nullptr || !HasFailed(port)) return;
    SystemErrorText(static_cast<DWORD>(InterlockedCompareExchange(&port->failure, 0, 0)), text, textSize);
}

bool OpenedWithoutLockFile(char*, size_t) { return false; }

bool LastOpenFoundBusy() {
    // Windows says a COM port another program has open is denied to us.
    const DWORD error = static_cast<DWORD>(InterlockedCompareExchange(&LastPortError, 0, 0));
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

bool LastOpenFoundNoDevice() {
    const DWORD error = static_cast<DWORD>(InterlockedCompareExchange(&LastPortError, 0, 0));
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// ---------------------------------------------------------------------------------------
// Reader thread

struct ReaderThread {
    HANDLE thread = nullptr;
    void (*body)(void* context) = nullptr;
    void* context = nullptr;
};

namespace {

DWORD WINAPI ReaderThreadProc(LPVOID parameter) {
    auto* reader = static_cast<ReaderThread*>(parameter);
    reader->body(reader->context);
    return 0;
}

}  // namespace

ReaderThread* StartReader(void (*body)(void* context), void* context, uint32_t* threadId) {
    auto* reader = new ReaderThread;
    reader->body = body;
    reader->context = context;
    DWORD id = 0;
    reader->thread = CreateThread(nullptr, 0, &ReaderThreadProc, reader, 0, &id);
    if (reader->thread == nullptr) {
        delete reader;
        return nullptr;
    }
    if (threadId) *threadId = id;
    return reader;
}

bool WaitReader(ReaderThread* reader, uint32_t timeLimitMs) {
    return WaitForSingleObject(reader->thread, timeLimitMs) == WAIT_OBJECT_0;
}

void StopReader(ReaderThread* reader, PortHandle port) {
    if (reader == nullptr) return;
    if (WaitForSingleObject(reader->thread, 0) != WAIT_OBJECT_0 && port != nullptr) {
        // The flag stops a reader that has not issued its read yet; CancelIoEx ends one that
        // has. Repeat the cancel in case the read was issued between the two.
        InterlockedExchange(&port->cancelled, 1);
        int attempts = 0;
        do {
            CancelIoEx(port->handle, nullptr);
        } while (WaitForSingleObject(reader->thread, kCancelRetryMs) != WAIT_OBJECT_0 &&
                 ++attempts < kCancelAttempts);
        if (attempts >= kCancelAttempts) {
            // A driver that ignores cancellation: end the thread rather than let it write
            // into the reply buffer after the transaction has returned.
            TerminateThread(reader->thread, 0);
            WaitForSingleObject(reader->thread, INFINITE);
        }
        InterlockedExchange(&port->cancelled, 0);
    }
    WaitForSingleObject(reader->thread, INFINITE);
    CloseHandle(reader->thread);
    delete reader;
}
