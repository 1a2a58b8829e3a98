#include "sim_platform.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

uint32_t SimFaultCode(SimFault fault)
{
    switch (fault) {
    case kSimInvalidParameter: return EINVAL;
    case kSimInvalidData: return ENODATA;
    case kSimDeviceIo: return EIO;
    case kSimTimeout: return ETIMEDOUT;
    case kSimCancelled: return ECANCELED;
    }
    return EINVAL;
}

uint32_t SimFileErrorCode()
{
    return static_cast<uint32_t>(errno);
}

void SimSetLastError(uint32_t code)
{
    errno = static_cast<int>(code);
}

uint64_t SimMonotonicMilliseconds()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

void SimSleepMilliseconds(uint64_t milliseconds)
{
    struct timespec pause = {static_cast<time_t>(milliseconds / 1000),
                             static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&pause, &pause) == -1 && errno == EINTR) {
    }
}

bool SimDefaultStateDirectory(char *buffer, size_t size)
{
    const char *temp = getenv("TMPDIR");
    if (temp == nullptr || temp[0] == '\0')
        temp = "/tmp";
    int length = snprintf(buffer, size, "%s/vemtu-sim", temp);
    return length > 0 && static_cast<size_t>(length) < size;
}

bool SimMakeDirectory(const char *path)
{
    struct stat info;
    if (stat(path, &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    return mkdir(path, 0777) == 0 || errno == EEXIST;
}

bool SimSyncFile(FILE *file)
{
    return fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool SimReplaceFile(const char *from, const char *to)
{
    return rename(from, to) == 0;
}
