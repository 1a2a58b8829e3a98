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
    // glibc line-buffers a terminal, which would hold the announcement and
    // every percentage back until "finished\n".
    if (isatty(STDOUT_FILENO))
        setvbuf(stdout, nullptr, _IONBF, 0);
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
