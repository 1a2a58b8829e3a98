// The test harness itself: every broken-stdout and terminal test trusts
// that the child really gets the stdout it was promised, and that captured
// output is all of what was written.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/output_capture.h"
#include "support/process.h"

namespace {

ProcessResult RunProbe(const std::vector<std::string> &args, StdoutTarget target, bool stderrToStdout = false)
{
    ProcessSpec spec;
    spec.argv = {WRITE_PROBE};
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    spec.stdoutTarget = target;
    spec.stderrToStdout = stderrToStdout;
    return RunProcess(spec);
}

struct TargetCase {
    const char *name;
    StdoutTarget target;
    std::string out;
    std::string err;
    int signal;
};

void PrintTo(const TargetCase &row, std::ostream *os)
{
    *os << row.name;
}

class StdoutTargetTest : public testing::TestWithParam<TargetCase> {};

TEST_P(StdoutTargetTest, IsWhatTheChildGets)
{
    ProcessResult result = RunProbe({"ab", "cd"}, GetParam().target);
    EXPECT_EQ(result.out, GetParam().out);
    EXPECT_EQ(result.err, GetParam().err);
    EXPECT_EQ(result.signal, GetParam().signal);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Harness, StdoutTargetTest, testing::Values(
    TargetCase{"Pipe", StdoutTarget::kPipe, "abcd", "ok\nok\n", 0},
    TargetCase{"Closed", StdoutTarget::kClosed, "", "EBADF\nEBADF\n", 0},
    TargetCase{"DevFull", StdoutTarget::kDevFull, "", "ENOSPC\nENOSPC\n", 0},
    // No reader: the first write raises SIGPIPE, whose default ends the child.
    TargetCase{"ClosedPipe", StdoutTarget::kClosedPipe, "", "", SIGPIPE}),
    [](const testing::TestParamInfo<TargetCase> &info) { return std::string(info.param.name); });
// clang-format on

TEST(HarnessTerminal, DeliversEachWriteAsItIsMadeAndBytesUnchanged)
{
    ProcessResult result = RunProbe({"a\n", "pause", "b"}, StdoutTarget::kTerminal);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "a\nb");  // raw mode: no CR added
    ASSERT_EQ(result.arrivals.size(), 2u);
    EXPECT_EQ(result.arrivals[0].bytes, "a\n");
    EXPECT_EQ(result.arrivals[1].bytes, "b");
    EXPECT_GT(result.arrivals[1].seconds - result.arrivals[0].seconds, 0.2);
}

TEST(HarnessTerminal, CarriesStderrTooWhenAsked)
{
    ProcessResult result = RunProbe({"x"}, StdoutTarget::kTerminal, true);
    EXPECT_EQ(result.out, "xok\n");
    EXPECT_EQ(result.err, "");
}

TEST(HarnessOutputCapture, TakesStdioAndRawWritesOnBothStreamsAndPutsThemBack)
{
    CapturedOutput captured = CaptureOutput([] {
        printf("out %d", 1);
        fflush(stdout);
        fputs("err 1", stderr);
        ASSERT_EQ(write(STDOUT_FILENO, "+raw", 4), 4);
        ASSERT_EQ(write(STDERR_FILENO, "+raw", 4), 4);
    });
    EXPECT_EQ(captured.out, "out 1+raw");
    EXPECT_EQ(captured.err, "err 1+raw");

    // Afterwards the streams write where they did before: a second capture
    // sees only its own output.
    EXPECT_EQ(CaptureOutput([] { fputs("again", stdout); }).out, "again");
}

TEST(HarnessOutputCapture, TakesMoreThanAPipeHolds)
{
    std::string big(1 << 20, 'x');
    EXPECT_EQ(CaptureOutput([&] { fputs(big.c_str(), stdout); }).out, big);
}

}  // namespace
