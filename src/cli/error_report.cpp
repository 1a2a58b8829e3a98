// Every failure reaches the user through ReportError, in one form on stderr.
#include "cli/error_report.h"

#include <stdarg.h>
#include <stdio.h>

#include "cli/console_output.h"
#include "cli/run_options.h"
#include "platform/platform.h"

static char systemMessage[1024];

const char *SystemErrorText(uint32_t code)
{
    size_t length = LookUpSystemText(code, systemMessage, sizeof systemMessage);
    if (length == 0) {
        // No text: say nothing rather than whatever an earlier lookup left.
        systemMessage[0] = '\0';
        return systemMessage;
    }
    // Only the one trailing line break goes; the table's inner breaks stay.
    if (length > 0 && systemMessage[length - 1] == '\n')
        systemMessage[--length] = '\0';
    if (length > 0 && systemMessage[length - 1] == '\r')
        systemMessage[--length] = '\0';
    return systemMessage;
}

// printf-style on purpose: the compiler checks each call's arguments
// against its format (see the attribute in the header).
void ReportError(uint32_t code, const char *format, ...)  // NOLINT(cert-dcl50-cpp)
{
    fputs("\nERROR: ", stderr);
    ShowNow(stderr);
    va_list arguments;
    va_start(arguments, format);
    // clang 14's analyzer takes a va_start'ed list for uninitialized on
    // x86-64 (llvm-project issue 40656).
    vfprintf(stderr, format, arguments);  // NOLINT(clang-analyzer-valist.Uninitialized)
    va_end(arguments);
    ShowNow(stderr);
    if (code != kNoSystemCode)
        fprintf(stderr, " - error code %u\n(%s)\n", static_cast<unsigned>(code), SystemErrorText(code));
    else
        fputs("\n", stderr);
    // The whole report is out before the first BEL, wherever stderr goes.
    fflush(stderr);

    if (runOptions.beep) {
        for (int bell = 0; bell < 3; ++bell) {
            if (bell > 0)
                PauseMilliseconds(500);
            fputc('\a', stdout);
            ShowNow(stdout);
        }
    }
}
