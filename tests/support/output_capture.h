// Captures what a statement writes to stdout and stderr, through stdio or
// straight to the descriptors, in the manner of fmt's gtest-extra.
#ifndef ZELK_TESTS_OUTPUT_CAPTURE_H
#define ZELK_TESTS_OUTPUT_CAPTURE_H

#include <functional>
#include <string>

struct CapturedOutput {
    std::string out;
    std::string err;
};

// Runs statement with descriptors 1 and 2 sent to files, then puts them
// back. stdio is flushed on both sides, so nothing leaks in or out.
CapturedOutput CaptureOutput(const std::function<void()> &statement);

#endif
