#include "cli/console_output.h"

#include "platform/platform.h"

// Room for the longest print: an announcement or report that quotes an
// argument as long as a Windows command line (32767 characters).
const size_t kConsoleBufferSize = size_t{40} * 1024;

static char stdoutBuffer[kConsoleBufferSize];
static char stderrBuffer[kConsoleBufferSize];
static bool stdoutIsConsole;
static bool stderrIsConsole;

// A fully buffered console stream, flushed at the end of each print, makes
// one write per print whatever the C runtime's printf does inside.
static bool BufferIfConsole(FILE *stream, char *buffer)
{
    if (!IsConsole(stream))
        return false;
    setvbuf(stream, buffer, _IOFBF, kConsoleBufferSize);
    return true;
}

void PrepareOutput()
{
    PrepareStandardStreams();
    stdoutIsConsole = BufferIfConsole(stdout, stdoutBuffer);
    stderrIsConsole = BufferIfConsole(stderr, stderrBuffer);
}

void ShowNow(FILE *stream)
{
    if ((stream == stdout && stdoutIsConsole) || (stream == stderr && stderrIsConsole))
        fflush(stream);
}
