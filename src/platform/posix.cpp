// POSIX side of the platform seam: errno is the last-error code and
// strerror_r supplies its text.
#include "platform/platform.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

void PrepareStandardStreams()
{
    // A run started with a standard descriptor closed would hand that number
    // to the first file the library opens, and our output would land in it.
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            int opened = open("/dev/null", O_RDWR);
            if (opened != -1 && opened != fd) {
                dup2(opened, fd);
                close(opened);
            }
        }
    }
    // A reader that went away must not kill an update halfway through; the
    // failed write is simply ignored.
    signal(SIGPIPE, SIG_IGN);
}

bool IsConsole(FILE *stream)
{
    return isatty(fileno(stream)) == 1;
}

bool IsOptionLead(char c)
{
    return c == '-';
}

int FirstArgumentNotAsTyped(int, char **)
{
    return 0;
}

// What ends or stops the process from a terminal, a session or kill(1);
// SIGKILL cannot be held.
static const int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
static struct sigaction heldActions[sizeof kInterrupts / sizeof kInterrupts[0]];

void HoldInterrupts()
{
    // Ignored, not blocked: a blocked signal would still end the process
    // the moment the transfer is over, and the script must see its result.
    struct sigaction ignore;
    memset(&ignore, 0, sizeof ignore);
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (size_t i = 0; i < sizeof kInterrupts / sizeof kInterrupts[0]; ++i)
        sigaction(kInterrupts[i], &ignore, &heldActions[i]);
}

void ReleaseInterrupts()
{
    for (size_t i = 0; i < sizeof kInterrupts / sizeof kInterrupts[0]; ++i)
        sigaction(kInterrupts[i], &heldActions[i], nullptr);
}

uint32_t LastErrorCode()
{
    return static_cast<uint32_t>(errno);
}

// strerror_r comes in two flavours: XSI returns int and fills the buffer,
// GNU returns the text, which may live elsewhere.
[[maybe_unused]] static const char *PickText(int result, const char *buffer)
{
    return result == 0 ? buffer : nullptr;
}

[[maybe_unused]] static const char *PickText(const char *text, const char *)
{
    return text;
}

size_t LookUpSystemText(uint32_t code, char *buffer, size_t size)
{
    char scratch[1024] = "";
    const char *text = PickText(strerror_r(static_cast<int>(code), scratch, sizeof scratch), scratch);
    if (text == nullptr || text[0] == '\0' || size == 0)
        return 0;
    snprintf(buffer, size, "%s", text);
    return strlen(buffer);
}

void PauseMilliseconds(unsigned milliseconds)
{
    struct timespec pause = {static_cast<time_t>(milliseconds / 1000),
                             static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) == -1 && errno == EINTR) {
    }
}

void EndProcess(int exitCode)
{
    exit(exitCode);
}
