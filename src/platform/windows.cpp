// Windows side of the platform seam: GetLastError is the last-error code and
// the system's message table supplies its text.
#include "platform/platform.h"

#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

void PrepareStandardStreams()
{
    // Nothing to mend: a console or a broken pipe never ends the process
    // here, and missing standard handles simply fail their writes.
}

bool IsConsole(FILE *stream)
{
    return _isatty(_fileno(stream)) != 0;
}

bool IsOptionLead(char c)
{
    return c == '-' || c == '/';
}

// msvcrt's wide twin of the start-up code that filled argv: the same
// splitting (and wildcard choice) over the command line as typed.
struct StartupInfo {
    int newMode;
};
extern "C" int __cdecl __wgetmainargs(int *argc, wchar_t ***argv, wchar_t ***env, int expandWildcards,
                                      StartupInfo *startupInfo);
extern "C" int _dowildcard;

// An argument in the ANSI code page; a DBCS page takes two bytes a character.
static char narrowed[2 * 32768];

// Whether the wide argument converts to exactly the narrow one, with no
// default character and no best-fit look-alike standing in.
static bool ArrivedAsTyped(const wchar_t *typed, const char *received)
{
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, typed, -1, narrowed, sizeof narrowed,
                                     nullptr, &usedDefault);
    // UTF-8 and a few other code pages take no flags and hold every character.
    if (length == 0 && GetLastError() == ERROR_INVALID_PARAMETER) {
        usedDefault = FALSE;
        length = WideCharToMultiByte(CP_ACP, 0, typed, -1, narrowed, sizeof narrowed, nullptr, nullptr);
    }
    return length > 0 && !usedDefault && strcmp(narrowed, received) == 0;
}

int FirstArgumentNotAsTyped(int argc, char **argv)
{
    int wideCount = 0;
    wchar_t **wide = nullptr;
    wchar_t **environment = nullptr;
    StartupInfo startupInfo = {0};
    if (__wgetmainargs(&wideCount, &wide, &environment, _dowildcard, &startupInfo) != 0 || wide == nullptr)
        return 0;
    for (int i = 1; i < argc && i < wideCount; ++i) {
        if (!ArrivedAsTyped(wide[i], argv[i]))
            return i;
    }
    return 0;
}

// Signalled when the transfer has returned; a closing console waits for it.
static HANDLE transferDone;

static BOOL WINAPI HoldDuringTransfer(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        return TRUE;
    // Console close, logoff, shutdown: the system ends the process once this
    // returns, so let the transfer finish first, as far as the system allows.
    // The run then ends on its own with the transfer's result.
    WaitForSingleObject(transferDone, INFINITE);
    Sleep(INFINITE);
    return TRUE;
}

void HoldInterrupts()
{
    if (transferDone == nullptr)
        transferDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(HoldDuringTransfer, TRUE);
}

void ReleaseInterrupts()
{
    if (transferDone != nullptr)
        SetEvent(transferDone);
    SetConsoleCtrlHandler(HoldDuringTransfer, FALSE);
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
    return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, lookUp, 0,
                          buffer, static_cast<DWORD>(size), nullptr);
}

void PauseMilliseconds(unsigned milliseconds)
{
    Sleep(milliseconds);
}

void EndProcess(int exitCode)
{
    exit(exitCode);
}
