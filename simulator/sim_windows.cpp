#include "sim_platform.h"

#include <errno.h>
#include <io.h>
#include <windows.h>

uint32_t SimFaultCode(SimFault fault)
{
    switch (fault) {
    case kSimInvalidParameter: return ERROR_INVALID_PARAMETER;  // 87
    case kSimInvalidData: return ERROR_INVALID_DATA;            // 13
    case kSimDeviceIo: return ERROR_IO_DEVICE;                  // 1117
    case kSimTimeout: return ERROR_SEM_TIMEOUT;                 // 121
    case kSimCancelled: return ERROR_CANCELLED;                 // 1223
    }
    return ERROR_INVALID_PARAMETER;
}

// stdio reports in errno; the library's callers expect Windows codes.
uint32_t SimFileErrorCode()
{
    switch (errno) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;     // 2
    case EACCES: return ERROR_ACCESS_DENIED;      // 5
    case ENOSPC: return ERROR_DISK_FULL;          // 112
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;  // 206
    case EINVAL: return ERROR_INVALID_NAME;       // 123
    default: return ERROR_READ_FAULT;             // 30
    }
}

void SimSetLastError(uint32_t code)
{
    SetLastError(code);
}

uint64_t SimMonotonicMilliseconds()
{
    return GetTickCount64();
}

void SimSleepMilliseconds(uint64_t milliseconds)
{
    Sleep(static_cast<DWORD>(milliseconds));
}

bool SimDefaultStateDirectory(char *buffer, size_t size)
{
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length == 0 || length >= sizeof temp)
        return false;
    int written = snprintf(buffer, size, "%svemtu-sim", temp);
    return written > 0 && static_cast<size_t>(written) < size;
}

bool SimMakeDirectory(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    if (CreateDirectoryA(path, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
        return true;
    errno = GetLastError() == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
    return false;
}

bool SimSyncFile(FILE *file)
{
    return fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

bool SimReplaceFile(const char *from, const char *to)
{
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = EACCES;
    return false;
}
