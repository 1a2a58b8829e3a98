#include "sim_platform.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

uint32_t SimFaultCode(SimFault fault)
{
    switch (fault) {
    case kSimInvalidParameter:
        return EINVAL;
    case kSimInvalidData:
        return ENODATA;
    case kSimDeviceIo:
        return EIO;
    case kSimTimeout:
        return ETIMEDOUT;
    case kSimCancelled:
        return ECANCELED;
    case kSimBusy:
        return EBUSY;
    case kSimNameTooLong:
        return ENAMETOOLONG;
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

FILE *SimOpenFirmwareFile(const char *path, uint32_t *error)
{
    // Look before opening: opening a device can have effects of its own.
    struct stat info;
    if (stat(path, &info) != 0) {
        *error = SimFileErrorCode();
        return nullptr;
    }
    if (!S_ISREG(info.st_mode)) {
        *error = EINVAL;
        return nullptr;
    }
    // Non-blocking, so that a FIFO put in the file's place since cannot hang
    // the open; the second look below refuses it before anything reads.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = SimFileErrorCode();
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    FILE *file = nullptr;
    // Each step in turn: two failures share the file-error code, not a slip.
    if (fstat(fd, &info) != 0 || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        *error = SimFileErrorCode();  // NOLINT(bugprone-branch-clone)
    else if (!S_ISREG(info.st_mode))
        *error = EINVAL;
    else if ((file = fdopen(fd, "rb")) == nullptr)
        *error = SimFileErrorCode();
    if (file == nullptr)
        close(fd);
    return file;
}

uint32_t SimProcessId()
{
    return static_cast<uint32_t>(getpid());
}

// flock, not fcntl: its locks belong to the open file, so two threads of one
// process exclude each other too. The lock file stays in the state folder;
// removing it would let a late opener lock a file no one else can see.
bool SimLockComponent(const char *path, SimLock *lock, uint32_t *error)
{
    int fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        *error = SimFileErrorCode();
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = errno == EWOULDBLOCK ? EBUSY : SimFileErrorCode();
        close(fd);
        return false;
    }
    *lock = fd;
    return true;
}

void SimUnlockComponent(SimLock lock)
{
    close(static_cast<int>(lock));
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
