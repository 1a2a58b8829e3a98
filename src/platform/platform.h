// The tool's one platform seam: everything that differs between POSIX and
// Windows. posix.cpp and windows.cpp each implement it once; CMake picks one.
#ifndef ZELKSVC_PLATFORM_PLATFORM_H
#define ZELKSVC_PLATFORM_PLATFORM_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// printf-style format checking that matches the C runtime's own printf; the
// build names the flavour in ZELK_PRINTF_FLAVOUR (printf, or ms_printf
// against msvcrt).
#define ZELK_CHECK_FORMAT(formatIndex, firstArgument) \
    __attribute__((format(ZELK_PRINTF_FLAVOUR, formatIndex, firstArgument)))

// Keeps a broken, full or missing stdout from ending or misdirecting the
// run. Call first thing.
void PrepareStandardStreams();

// Whether stream writes to a console (a terminal).
bool IsConsole(FILE *stream);

// Whether c leads an option group: "-" everywhere, and "/" on Windows only,
// where it is the native lead; on POSIX "/" starts a path.
bool IsOptionLead(char c);

// The position (1 for the first after the program name) of the first
// argument that did not reach argv exactly as typed, or 0. Windows hands a
// narrow program its arguments in the ANSI code page, with look-alikes for
// what that lacks; POSIX passes bytes as given.
int FirstArgumentNotAsTyped(int argc, char **argv);

// Around the transfer: from HoldInterrupts until ReleaseInterrupts, requests
// to interrupt (signals, Ctrl+C, a closing console) neither end the process
// nor take effect afterwards, so a component is never left half-written.
void HoldInterrupts();
void ReleaseInterrupts();

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
