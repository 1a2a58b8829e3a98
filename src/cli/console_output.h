// How prints reach the user: on a console each print (a usage text, the
// announcement, a percentage, "finished", a piece of a report, a BEL)
// arrives in one write, so nothing flickers and nothing waits for a line
// end. Files and pipes keep the C library's block buffering, so a record of
// both streams shows a report (flushed at its end) before the announcement.
#ifndef ZELKSVC_CLI_CONSOLE_OUTPUT_H
#define ZELKSVC_CLI_CONSOLE_OUTPUT_H

#include <stdio.h>

// Prepares the standard streams; call before anything is printed.
void PrepareOutput();

// Ends a print to stream: on a console it goes out now.
void ShowNow(FILE *stream);

#endif
