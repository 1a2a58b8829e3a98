#ifndef ZELKSVC_CLI_ERROR_REPORT_H
#define ZELKSVC_CLI_ERROR_REPORT_H

#include <stdint.h>

#include "platform/platform.h"

// For failures the tool finds itself: the report carries no code and no
// system text.
const uint32_t kNoSystemCode = 0;

// Writes "\nERROR: <message>" and, for a non-zero code, the code and the
// system's text for it to stderr; then three BELs on stdout when -b was given.
// User text goes in as an argument, never as the format.
void ReportError(uint32_t code, const char *format, ...) ZELK_CHECK_FORMAT(2, 3);

// The system's text for code, without its trailing line break. Points into a
// buffer that the next call reuses.
const char *SystemErrorText(uint32_t code);

#endif
