// The built tool as the end-to-end tests run it: natively, or as the
// Windows exe under wine. The build tells which on the test's command line:
// --tool=PROGRAM, --launcher=PROGRAM (wine or valgrind, if any) with its
// options in order as --launcher-arg=ARG, --platform=posix|windows,
// --env=NAME=VALUE for the tool's environment and --strace=PROGRAM for the
// POSIX write trace.
#ifndef ZELK_TESTS_TOOL_UNDER_TEST_H
#define ZELK_TESTS_TOOL_UNDER_TEST_H

#include <string>
#include <utility>
#include <vector>

#include "process.h"

using Settings = std::vector<std::pair<std::string, std::string>>;

void ConfigureToolUnderTest(int argc, char **argv);

bool OnWindows();

// Runs the tool in folder with the simulator's settings; the simulator
// keeps its journal and device state inside folder, at full speed unless
// the settings pace it.
ProcessResult RunTool(const std::string &folder, const std::vector<std::string> &args, const Settings &device,
                      StdoutTarget target = StdoutTarget::kPipe, bool stderrToStdout = false);

// The same, sending signal once stdout has shown signalAfter.
ProcessResult RunToolAndSignal(const std::string &folder, const std::vector<std::string> &args,
                               const Settings &device, int signal, const std::string &signalAfter);

// One write(2), WriteFile or WriteConsole call the tool made to a console.
struct ConsoleWrite {
    int stream;         // 1 stdout, 2 stderr
    size_t length;      // in bytes, or characters for WriteConsoleW
    std::string bytes;  // POSIX only: wine's relay log shows no data
};

// Runs the tool with stdout and stderr on one pseudo-terminal and lists the
// writes it made to them, in order: traced with strace on POSIX, and from
// wine's relay log of the tool's own thread on Windows.
std::vector<ConsoleWrite> TraceConsoleWrites(const std::string &folder, const std::vector<std::string> &args,
                                             const Settings &device, ProcessResult *result);

// What the simulated device holds: the names in the run's state folder,
// less the lock files the simulator keeps on POSIX (bookkeeping, not
// device content).
std::vector<std::string> StateFiles(const std::string &folder);

// Output as a POSIX program writes it: the Windows runtime's CRLF becomes LF.
std::string Unix(const std::string &text);

// Terminal output as the user sees it. Wine's console draws a Windows
// program's output with escape sequences of its own: cursor hiding around
// each piece, a blank as erase-and-step-right, a line end as CR LF or
// CR CR LF, backspaces written together as one cursor move left.
std::string AsDrawn(const std::string &terminal);

// An argument as the Windows program receives it: Latin-1 letters given as
// UTF-8 arrive in the ANSI code page. Unchanged on POSIX.
std::string AsReceived(const std::string &utf8);

// The error codes and system texts of the platform under test. A name is a
// simulator fault (NOT_FOUND, INVALID_DATA, INVALID_PARAMETER, TIMEOUT,
// DEVICE_IO, LONG_NAME, BUSY) or a number given to the simulator.
std::string CodeOf(const std::string &name);
std::string SystemTextOf(const std::string &name);

// Replaces {E:name} with " - error code N\n(text)\n", {N:name} with N, and
// {LONG} with an argument of 100 KB, or as long as a Windows command line
// allows (32767 characters). The tables hold these tokens rather than the
// texts because their rows are built when the test program starts, before
// its arguments say which platform is under test; each row is expanded as
// it runs.
std::string Expand(const std::string &text);

// The files a run finds in its folder: fw.bin and the ZELK images of 4 KiB,
// empty.bin of none.
void MakeFirmwareFiles(const std::string &folder);
std::string FirmwareBytes(char seed);

const char *const kJournal = "journal.log";
const char *const kStateDir = "state";

#endif
