/* A drop-in device library for the benchmark: answers PC type 16 and device
 * ID 42 and, instead of transferring anything, calls the progress callback
 * VEMTU_BENCH_CALLBACKS times (default 1,000,000) with percentages counting
 * from 0 to 100. It opens no file and allocates nothing, so whatever a run
 * costs beyond the calls themselves is the tool's. */
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "device/vemtu.h"

#define EXPORT __attribute__((visibility("default")))

EXPORT int QueryPcType(uint32_t *pcType)
{
    *pcType = 16;
    return 1;
}

EXPORT int QueryDeviceValue(uint32_t selector, void *buffer, uint32_t size)
{
    const uint32_t deviceId = 42;
    if ((selector != 31 && selector != 2) || size < sizeof deviceId) {
        errno = EINVAL;
        return 0;
    }
    memcpy(buffer, &deviceId, sizeof deviceId);
    return 1;
}

EXPORT int DownloadFile(const char *fileName, int32_t dataType, ProgressCallback progress, uint32_t reserved)
{
    (void)fileName;
    (void)dataType;
    const char *text = getenv("VEMTU_BENCH_CALLBACKS");
    unsigned long calls = text != NULL ? strtoul(text, NULL, 10) : 1000000ul;
    for (unsigned long i = 0; i < calls; ++i) {
        if (progress((uint32_t)((unsigned long long)i * 101u / calls), reserved) != 1) {
            errno = ECANCELED;
            return 0;
        }
    }
    return 1;
}
