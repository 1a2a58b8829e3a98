#ifndef ZELKSVC_UPDATE_RUN_H
#define ZELKSVC_UPDATE_RUN_H

#include <stdint.h>

#include "device/vemtu.h"

enum ExitCode {
    kExitSuccess = 0,
    kExitCommandLine = 1,  // also: no file name known for this PC type
    kExitDownload = 2,
    kExitDeviceQuery = 3,
};

// Reads the PC type and device ID and points runOptions.fileName at the
// ZELK firmware file name made from them. Returns kExitSuccess, or the exit
// code after reporting why no name could be made.
int DeriveFirmwareFileName();

// The progress callback: shows the percentage in place.
int VEMTU_CALLBACK ShowProgress(uint32_t percent, uint32_t context);

#endif
