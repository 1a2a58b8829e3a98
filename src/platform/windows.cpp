// Windows side of the platform seam: GetLastError is the last-error code and
// the system's message table supplies its text.
#include "platform/platform.h"

#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

void PrepareStandardStreams()
{
    // Each print to a console must show at once, not when a buffer fills.
    // msvcrt already writes a console's output per call; saying so keeps
    // another runtime from holding it back. Files and pipes keep the
    // runtime's block buffering.
    if (_isatty(_fileno(stdout)))
        setvbuf(stdout, nullptr, _IONBF, 0);
}

uint32_t LastErrorCode()
{
    return GetLastError();
}

size_t LookUpSystemText(uint32_t code, char *buffer, size_t size)
{
    // The semaphore time-out the library reports reads better as the
    // general time-out text.
    const DWORD kSemaphoreTimeout = 121;  // ERROR_SEM_TIMEOUT
    const DWORD kTimeout = 1460;          // ERROR_TIMEOUT
    DWORD lookUp = code == kSemaphoreTimeout ? kTimeout : code;
    return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                          lookUp, 0, buffer, static_cast<DWORD>(size), nullptr);
}

void PauseMilliseconds(unsigned milliseconds)
{
    Sleep(milliseconds);
}

void EndProcess(int exitCode)
{
    exit(exitCode);
}
