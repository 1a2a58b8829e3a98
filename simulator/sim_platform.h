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
    kSimBusy,              // another transfer is writing the component
    kSimNameTooLong,       // a path made from the state folder does not fit
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

// Opens the firmware file for reading if it is a regular file; else nullptr
// with *error set: the invalid-parameter code for a folder, a FIFO or a
// device, which are refused without blocking and without being read.
FILE *SimOpenFirmwareFile(const char *path, uint32_t *error);

uint32_t SimProcessId();

// A component's lock: held by one transfer at a time, across threads and
// processes, and let go by the system if its holder dies.
typedef intptr_t SimLock;

// Takes the lock at path without waiting; false with *error set to the busy
// code while another transfer holds it, or to the file error.
bool SimLockComponent(const char *path, SimLock *lock, uint32_t *error);
void SimUnlockComponent(SimLock lock);

// Creates the folder unless it is there; false with the file error set.
bool SimMakeDirectory(const char *path);

// Forces the file's data to disk before it replaces the old image.
bool SimSyncFile(FILE *file);

// Puts from in the place of to in one step: readers see the old or the new file.
bool SimReplaceFile(const char *from, const char *to);

#endif
