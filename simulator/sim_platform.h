// The simulator's platform seam: error codes, files and time as each
// platform has them. sim_posix.cpp and sim_windows.cpp implement it.
#ifndef VEMTU_SIM_PLATFORM_H
#define VEMTU_SIM_PLATFORM_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

enum SimFault {
    kSimInvalidParameter,  // bad argument, unknown data type, malformed setting
    kSimInvalidData,       // empty or changing firmware file
    kSimDeviceIo,          // the component failed during programming
    kSimTimeout,           // the component stopped answering
    kSimCancelled,         // the progress callback asked to stop
};

// The platform's own code for a fault.
uint32_t SimFaultCode(SimFault fault);

// The platform's code for the last failed stdio or file-system call.
uint32_t SimFileErrorCode();

// Leaves code as the calling thread's last-error code. Call last: any later
// runtime call may overwrite it.
void SimSetLastError(uint32_t code);

uint64_t SimMonotonicMilliseconds();
void SimSleepMilliseconds(uint64_t milliseconds);

// <system temp folder>/vemtu-sim; false if it does not fit.
bool SimDefaultStateDirectory(char *buffer, size_t size);

// Creates the folder unless it is there; false with the file error set.
bool SimMakeDirectory(const char *path);

// Forces the file's data to disk before it replaces the old image.
bool SimSyncFile(FILE *file);

// Puts from in the place of to in one step: readers see the old or the new file.
bool SimReplaceFile(const char *from, const char *to);

#endif
