#ifndef ZELKSVC_UPDATE_RUN_H
#define ZELKSVC_UPDATE_RUN_H

#include <stdint.h>

#include "device/vemtu.h"

enum ExitCode {
    kExitSuccess = 0,
    kExitCommandLine = 1,
    // Scripts see an unsupported PC like a bad command line: retrying won't help.
    kExitUnsupportedPcType = kExitCommandLine,
    kExitDownload = 2,
    kExitDeviceQuery = 3,
};

// The update after an accepted command line: derives the ZELK firmware file
// name if none was given, announces the file, downloads it with the
// percentage shown, and says "finished" or reports why not. Returns the
// process's exit code.
int RunUpdate();

// Reads the PC type and device ID and points runOptions.fileName at the
// ZELK firmware file name made from them. Returns kExitSuccess, or the exit
// code after reporting why no name could be made.
int DeriveFirmwareFileName();

// The progress callback: shows the percentage in place.
int VEMTU_CALLBACK ShowProgress(uint32_t percent, uint32_t context);

#endif
