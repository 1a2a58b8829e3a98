// A stand-in child for the harness's own tests: writes each argument to
// stdout in one write(2) and says on stderr how that went; the argument
// "pause" waits 300 ms instead.
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static const char *Outcome(ssize_t written, size_t wanted)
{
    if (written == static_cast<ssize_t>(wanted))
        return "ok";
    switch (errno) {
    case EBADF:
        return "EBADF";
    case ENOSPC:
        return "ENOSPC";
    case EPIPE:
        return "EPIPE";
    default:
        return "other";
    }
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "pause") == 0) {
            struct timespec pause = {0, 300 * 1000 * 1000};
            nanosleep(&pause, nullptr);
            continue;
        }
        size_t length = strlen(argv[i]);
        fprintf(stderr, "%s\n", Outcome(write(STDOUT_FILENO, argv[i], length), length));
    }
    return 0;
}
