// Runs a program as a separate process and records what it wrote, how it
// ended and how long it took.
#ifndef ZELK_TESTS_PROCESS_H
#define ZELK_TESTS_PROCESS_H

#include <string>
#include <utility>
#include <vector>

// Where the child's stdout goes.
enum class StdoutTarget {
    kPipe,        // captured
    kClosedPipe,  // a pipe whose reader has already gone
    kDevFull,     // every write fails with ENOSPC
    kClosed,      // no descriptor 1 at all
    kTerminal,    // a pseudo-terminal in raw mode, captured with arrival times
};

struct ProcessSpec {
    std::vector<std::string> argv;                                 // argv[0] is the program
    std::vector<std::pair<std::string, std::string>> environment;  // added to ours
    std::string workingDirectory;
    StdoutTarget stdoutTarget = StdoutTarget::kPipe;
    bool stderrToStdout = false;  // share stdout's target
    // Sent to the child once its stdout has shown signalAfter; a terminal
    // shows each print as it is made.
    int signal = 0;
    std::string signalAfter;
};

// A piece of terminal output and when it arrived, in seconds after start.
struct Arrival {
    double seconds;
    std::string bytes;
};

struct ProcessResult {
    int exitCode = -1;  // -1 when killed by a signal
    int signal = 0;
    std::string out;
    std::string err;
    std::vector<Arrival> arrivals;  // for kTerminal
    double seconds = 0;
    double signalledAt = -1;  // seconds after start; -1 if never sent
};

ProcessResult RunProcess(const ProcessSpec &spec);

std::string ReadFileBytes(const std::string &path);
void WriteFileBytes(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);

// A fresh empty folder under the system temp folder, removed with all it
// holds when the test program ends.
std::string MakeTempDirectory();

#endif
