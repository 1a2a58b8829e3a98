// The process-wide record of the run's options: written by the command-line
// parser, read by the error reports (beep) and the update run.
#ifndef ZELKSVC_CLI_RUN_OPTIONS_H
#define ZELKSVC_CLI_RUN_OPTIONS_H

#include <stdint.h>

typedef int32_t DataType;

// No data type given yet; 0 is a real code (KCF), so the empty slot is -1.
const DataType kNoDataType = -1;
const DataType kDataTypeZelkFirmware = 20;

struct RunOptions {
    bool actionSeen = false;
    DataType dataType = kNoDataType;
    const char *fileName = nullptr;  // into argv, or the derived-name buffer
    bool beep = false;
};

// The one record, for the whole run.
inline RunOptions runOptions;

#endif
