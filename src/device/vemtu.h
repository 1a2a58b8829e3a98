// The PC's device-access library (Vemtu): the three operations the tool calls
// and the progress callback it hands to DownloadFile.
//
// A failing operation returns 0 and leaves the reason in the calling thread's
// last-error code (errno on POSIX, GetLastError on Windows). On Windows the
// build defines VEMTU_API and VEMTU_CALLBACK as __stdcall, the library's
// calling convention; elsewhere they are empty.
#ifndef ZELKSVC_DEVICE_VEMTU_H
#define ZELKSVC_DEVICE_VEMTU_H

#include <stdint.h>

#ifndef VEMTU_API
#define VEMTU_API
#endif
#ifndef VEMTU_CALLBACK
#define VEMTU_CALLBACK
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Called while DownloadFile runs; percent counts up to 100. Return 1 to go on.
typedef int(VEMTU_CALLBACK *ProgressCallback)(uint32_t percent, uint32_t context);

// Export 1: the PC type.
int VEMTU_API QueryPcType(uint32_t *pcType);

// Export 74: a device value; selectors 31 and 2 answer the 4-byte device ID.
int VEMTU_API QueryDeviceValue(uint32_t selector, void *buffer, uint32_t size);

// Export 102: transfers the file to the component of dataType; returns when
// the transfer has ended. reserved is always 0.
int VEMTU_API DownloadFile(const char *fileName, int32_t dataType, ProgressCallback progress,
                           uint32_t reserved);

#ifdef __cplusplus
}
#endif

#endif
