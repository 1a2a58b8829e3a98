// The tool's one platform seam: everything that differs between POSIX and
// Windows. posix.cpp and windows.cpp each implement it once; CMake picks one.
#ifndef ZELKSVC_PLATFORM_PLATFORM_H
#define ZELKSVC_PLATFORM_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

// Makes every write to a console stdout reach it when the call returns, and
// keeps a broken or full stdout from ending the run. Call first thing.
void PrepareStandardStreams();

// The calling thread's last-error code, read right after a failed device call.
uint32_t LastErrorCode();

// Writes the system's text for code into buffer (zero-terminated) and returns
// its length; returns 0 and leaves buffer as it was when there is none.
size_t LookUpSystemText(uint32_t code, char *buffer, size_t size);

void PauseMilliseconds(unsigned milliseconds);

// Ends the process with exitCode through the normal exit, which flushes the
// standard streams. Tests put a seam of their own here to stay alive.
[[noreturn]] void EndProcess(int exitCode);

#endif
