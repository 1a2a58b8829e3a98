#include "sim_platform.h"

#include <errno.h>
#include <io.h>
#include <windows.h>

uint32_t SimFaultCode(SimFault fault)
{
    switch (fault) {
    case kSimInvalidParameter:
        return ERROR_INVALID_PARAMETER;  // 87
    case kSimInvalidData:
        return ERROR_INVALID_DATA;  // 13
    case kSimDeviceIo:
        return ERROR_IO_DEVICE;  // 1117
    case kSimTimeout:
        return ERROR_SEM_TIMEOUT;  // 121
    case kSimCancelled:
        return ERROR_CANCELLED;  // 1223
    case kSimBusy:
        return ERROR_BUSY;  // 170
    case kSimNameTooLong:
        return ERROR_FILENAME_EXCED_RANGE;  // 206
    }
    return ERROR_INVALID_PARAMETER;
}

// stdio reports in errno; the library's callers expect Windows codes.
uint32_t SimFileErrorCode()
{
    switch (errno) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;  // 2
    case EACCES:
        return ERROR_ACCESS_DENIED;  // 5
    case ENOSPC:
        return ERROR_DISK_FULL;  // 112
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;  // 206
    case EINVAL:
        return ERROR_INVALID_NAME;  // 123
    default:
        return ERROR_READ_FAULT;  // 30
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

FILE *SimOpenFirmwareFile(const char *path, uint32_t *error)
{
    FILE *file = fopen(path, "rb");
    if (file == nullptr) {
        // The runtime reports a folder as access denied.
        *error = SimFileErrorCode();
        DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    // Only a file on disk: a pipe, the console or NUL would block or read nothing.
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        fclose(file);
        *error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    return file;
}

uint32_t SimProcessId()
{
    return GetCurrentProcessId();
}

// An open that shares nothing: no other handle, in this process or another,
// can open the file while we hold it, and it goes when the handle closes,
// even if its holder dies.
bool SimLockComponent(const char *path, SimLock *lock, uint32_t *error)
{
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD code = GetLastError();
        *error = code == ERROR_SHARING_VIOLATION ? ERROR_BUSY : code;
        return false;
    }
    *lock = reinterpret_cast<SimLock>(handle);
    return true;
}

void SimUnlockComponent(SimLock lock)
{
    CloseHandle(reinterpret_cast<HANDLE>(lock));
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
