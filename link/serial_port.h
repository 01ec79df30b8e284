// The one serial-port interface of the modem link. Each platform implements it in a file of
// its own (serial_port_win32.cpp, serial_port_posix.cpp); nothing above this header knows
// which one was built.
#pragma once

#include <cstddef>
#include <cstdint>

// The printer spooler header of windows.h maps this name to ConfigurePortA.
#ifdef ConfigurePort
#undef ConfigurePort
#endif

// Opaque: the OS handle or descriptor lives only in the platform file.
struct SerialPort;
using PortHandle = SerialPort*;

// Read-end rules shared by both backends (Windows expresses them as COMMTIMEOUTS):
// a read ends after kReadIntervalMs of silence once a byte has arrived, when the request is
// full, or after kReadTotalPerByteMs * requested + kReadTotalConstantMs in all.
constexpr uint32_t kReadIntervalMs = 50;
constexpr uint32_t kReadTotalPerByteMs = 1;
constexpr uint32_t kReadTotalConstantMs = 50;
constexpr uint32_t kWriteTotalPerByteMs = 1;
constexpr uint32_t kWriteTotalConstantMs = 50;

// Opens an existing device for exclusive, blocking read and write. Returns nullptr on failure
// (missing device, or one already held open); PortErrorText then says why. On POSIX a device
// that another process has open, or that a live process has locked with a UUCP lock file, is
// refused too, naming that process; the port's own lock file is made while it is open.
PortHandle OpenPort(const char* path);

// 9600 baud, 8 data bits, no parity, one stop bit and the time-outs above; every other
// setting of the device is written back as it was read. Refusals are ignored. On POSIX the
// line discipline is also made raw, software flow control included (a Windows driver has it
// off unless asked), so that XON and XOFF bytes in a reply are data.
void ConfigurePort(PortHandle port);

// Waits until everything written earlier has left. Input still held is not discarded.
void DrainPort(PortHandle port);

// One write of the given bytes; the outcome is not reported.
void WritePort(PortHandle port, const char* bytes, uint32_t count);

// One read of at most `capacity` bytes under the read-end rules. Returns the bytes stored.
// May run on the reader thread while the owner waits.
uint32_t ReadPort(PortHandle port, char* buffer, uint32_t capacity);

// Releases the handle; nullptr is ignored.
void ClosePort(PortHandle port);

// True once a read or write on the port failed because the device went away or broke (a
// stick pulled out: EIO, ENXIO or a hang-up on POSIX; ERROR_DEVICE_REMOVED, ERROR_BAD_COMMAND
// and the like on Windows), as opposed to a modem that merely stays silent, whose reads just
// end empty. From then on the port's reads, writes and drains return at once with nothing.
bool PortFailed(PortHandle port);

// The operating system's words for the last failure, NUL-terminated in `text`: of OpenPort,
// or of the read or write that made PortFailed true. Windows-1251 like every text of the
// program: on POSIX the paths and process names in it, the system's UTF-8 bytes, are
// converted with their control characters and odd bytes written out (Utf8ToCp1251Shown).
// A port refused for a lock file names the lock file's path.
void PortErrorText(char* text, size_t textSize);

// The operating system's words for the failure that made PortFailed(port) true, from the
// port's own record rather than the process-wide last error, so that sessions reading other
// ports at the same time cannot overwrite it. Empty while the port works.
void PortFailureText(PortHandle port, char* text, size_t textSize);

// True once an OpenPort of this process used its port without a lock file on POSIX (no lock
// directory, or one this user may not write), as programs without lock files do; `why` then
// says why, NUL-terminated. Always false on Windows, which has no lock files.
bool OpenedWithoutLockFile(char* why, size_t whySize);

// True when the last failed OpenPort found no device by that name at all, as opposed to a
// device that exists but would not open (in use, no permission).
bool LastOpenFoundNoDevice();

// True when the last OpenPort failed because another program holds the port (its lock file,
// its exclusive open): a busy port, not a broken one. Callers ask this, never the error's words.
bool LastOpenFoundBusy();

// The reader thread of a timed transaction. Start runs `body` on a new thread; WaitReader
// waits at most `timeLimitMs` and tells whether it ended; StopReader makes a read still
// pending on `port` return at once, then joins the thread, so that nothing the thread owns
// is written after it returns.
struct ReaderThread;
ReaderThread* StartReader(void (*body)(void* context), void* context, uint32_t* threadId);
bool WaitReader(ReaderThread* reader, uint32_t timeLimitMs);
void StopReader(ReaderThread* reader, PortHandle port);
