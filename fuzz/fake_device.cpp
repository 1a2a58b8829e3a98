// A device-access library for the fuzz target: the command line is read
// before the device is ever asked, so each operation only counts its call
// and fails.
#include "fake_device.h"

#include <errno.h>

#include "device/vemtu.h"

int fakeDeviceCalls = 0;

extern "C" int VEMTU_API QueryPcType(uint32_t *)
{
    ++fakeDeviceCalls;
    errno = EIO;
    return 0;
}

extern "C" int VEMTU_API QueryDeviceValue(uint32_t, void *, uint32_t)
{
    ++fakeDeviceCalls;
    errno = EIO;
    return 0;
}

extern "C" int VEMTU_API DownloadFile(const char *, int32_t, ProgressCallback, uint32_t)
{
    ++fakeDeviceCalls;
    errno = EIO;
    return 0;
}
