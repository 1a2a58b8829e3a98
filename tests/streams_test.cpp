// The tool's streams: a terminal sees every print as it is made, and a
// stdout that is broken or full never ends or changes an update. The
// Terminal.Usage and Terminal.Bells tests read both streams on one
// terminal and run on POSIX only: wine's console draws what it is given.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/expected_output.h"
#include "support/tool_under_test.h"

namespace {

// When the whole of needle had arrived on the terminal, in seconds; -1 if never.
double ArrivalOf(const ProcessResult &result, const std::string &needle)
{
    std::string seen;
    for (const Arrival &arrival : result.arrivals) {
        seen += arrival.bytes;
        if (AsDrawn(seen).find(needle) != std::string::npos)
            return arrival.seconds;
    }
    return -1;
}

TEST(Terminal, AnnouncementAndEachPercentShowAsTheyArePrinted)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    // 4 KiB at 4 KiB/s: the transfer takes a second.
    ProcessResult result =
        RunTool(folder, {"u", "bios", "fw.bin"}, {{"VEMTU_SIM_RATE", "4096"}}, StdoutTarget::kTerminal);
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(AsDrawn(result.out),
              "Update with fw.bin:   0%\b\b\b\b 25%\b\b\b\b 50%\b\b\b\b 75%\b\b\b\b100%\b\b\b\bfinished\n");
    double announced = ArrivalOf(result, "Update with fw.bin: ");
    double quarter = ArrivalOf(result, " 25%");
    double half = ArrivalOf(result, " 50%");
    double finished = ArrivalOf(result, "finished\n");
    ASSERT_GE(announced, 0);
    // Each quarter of the image takes 250 ms on the link.
    EXPECT_GT(quarter - announced, 0.1);
    EXPECT_GT(half - quarter, 0.1);
    EXPECT_GT(finished - half, 0.2);
}

TEST(Terminal, UsageComesBeforeTheReport)
{
    std::string folder = MakeTempDirectory();
    ProcessResult result = RunTool(folder, {"u", "foo"}, {}, StdoutTarget::kTerminal, true);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, kUsage + "\nERROR: unknown datatype 'foo'\n");
}

TEST(Terminal, BellsFollowTheReportHalfASecondApart)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    ProcessResult result =
        RunTool(folder, {"-b", "u", "bios", "nothere.bin"}, {}, StdoutTarget::kTerminal, true);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out,
              "Update with nothere.bin: \nERROR: cannot download file 'nothere.bin' - error code 2\n"
              "(No such file or directory)\n\a\a\a");
    std::vector<double> bells;
    for (const Arrival &arrival : result.arrivals) {
        for (char c : arrival.bytes) {
            if (c == '\a')
                bells.push_back(arrival.seconds);
        }
    }
    ASSERT_EQ(bells.size(), 3u);
    EXPECT_GT(bells[1] - bells[0], 0.3);
    EXPECT_GT(bells[2] - bells[1], 0.3);
}

// A log that takes both streams (>log 2>&1) holds the report first: stdout
// to a file or pipe stays block-buffered until the run ends, while each
// report is flushed at once. Logs that scripts keep read this way, so it
// stays.
struct OneLog {
    const char *name;
    std::vector<std::string> args;
    Settings device;
    int exitCode;
    std::string log;
};

void PrintTo(const OneLog &row, std::ostream *os)
{
    *os << row.name;
}

class OneLogTest : public testing::TestWithParam<OneLog> {};

TEST_P(OneLogTest, ReportStandsBeforeTheBufferedOutput)
{
    const OneLog &row = GetParam();
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    ProcessResult result = RunTool(folder, row.args, row.device, StdoutTarget::kPipe, true);
    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_EQ(Unix(result.out), Expand(row.log));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Streams, OneLogTest,
    testing::Values(
        OneLog{"MissingFile", {"-b", "u", "bios", "nothere.bin"}, {}, 2,
               "\nERROR: cannot download file 'nothere.bin'{E:NOT_FOUND}Update with nothere.bin: \a\a\a"},
        OneLog{"FailsHalfway", {"u", "link", "fw.bin"}, {{"VEMTU_SIM_DOWNLOAD_FAIL_AT", "50"}}, 2,
               "\nERROR: cannot download file 'fw.bin'{E:DEVICE_IO}"
               "Update with fw.bin:   0%\b\b\b\b 25%\b\b\b\b 50%\b\b\b\b"},
        OneLog{"ReportBeforeUsage", {"u", "foo"}, {}, 1, "\nERROR: unknown datatype 'foo'\n" + kUsage}),
    [](const testing::TestParamInfo<OneLog> &info) { return info.param.name; });
// clang-format on

// On a terminal every print reaches it in one write: a percentage redrawn
// piecemeal flickers, and on a Windows console each write is a round trip.
struct Print {
    int stream;  // 1 stdout, 2 stderr
    std::string text;
};

struct PrintsCase {
    const char *name;
    std::vector<std::string> args;
    std::vector<Print> prints;
};

void PrintTo(const PrintsCase &row, std::ostream *os)
{
    *os << row.name;
}

// Windows' C runtime writes a line end as CR LF, and its relay log shows
// lengths only; POSIX shows the bytes themselves.
std::vector<std::string> Described(const std::vector<ConsoleWrite> &writes)
{
    std::vector<std::string> described;
    for (const ConsoleWrite &write : writes)
        described.push_back(std::to_string(write.stream) + ":" +
                            (OnWindows() ? std::to_string(write.length) : write.bytes));
    return described;
}

std::vector<std::string> Described(const std::vector<Print> &prints)
{
    std::vector<ConsoleWrite> writes;
    for (const Print &print : prints) {
        std::string text = Expand(print.text);
        size_t lineEnds = OnWindows() ? static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) : 0;
        writes.push_back({print.stream, text.size() + lineEnds, text});
    }
    return Described(writes);
}

class OneWritePerPrintTest : public testing::TestWithParam<PrintsCase> {};

TEST_P(OneWritePerPrintTest, OnATerminal)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    ProcessResult result;
    std::vector<ConsoleWrite> writes = TraceConsoleWrites(folder, GetParam().args, {}, &result);
    EXPECT_EQ(Described(writes), Described(GetParam().prints));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Prints, OneWritePerPrintTest,
    testing::Values(
        PrintsCase{"Update", {"u", "bios", "fw.bin"},
                   {{1, "Update with fw.bin: "}, {1, "  0%\b\b\b\b"}, {1, " 25%\b\b\b\b"}, {1, " 50%\b\b\b\b"},
                    {1, " 75%\b\b\b\b"}, {1, "100%\b\b\b\b"}, {1, "finished\n"}}},
        // Each piece of a report is one print; so is each BEL.
        PrintsCase{"FailureWithBells", {"-b", "u", "bios", "nothere.bin"},
                   {{1, "Update with nothere.bin: "}, {2, "\nERROR: "}, {2, "cannot download file 'nothere.bin'"},
                    {2, "{E:NOT_FOUND}"}, {1, "\a"}, {1, "\a"}, {1, "\a"}}},
        PrintsCase{"UsageAndReport", {"u", "foo"},
                   {{1, kUsage}, {2, "\nERROR: "}, {2, "unknown datatype 'foo'"}, {2, "\n"}}}),
    [](const testing::TestParamInfo<PrintsCase> &info) { return std::string(info.param.name); });
// clang-format on

struct BrokenStdout {
    const char *name;
    StdoutTarget target;
};

void PrintTo(const BrokenStdout &row, std::ostream *os)
{
    *os << row.name;
}

class BrokenStdoutTest : public testing::TestWithParam<BrokenStdout> {};

TEST_P(BrokenStdoutTest, UpdateStillCompletesWithTheDevicesResult)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    // A long name overflows the stdio buffer, so writes fail mid-run.
    std::string name(9000, 'n');
    WriteFileBytes(folder + "/" + name.substr(0, 200), FirmwareBytes('z'));
    ProcessResult result = RunTool(folder, {"u", "bios", name.substr(0, 200)}, {}, GetParam().target);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), FirmwareBytes('z'));
    EXPECT_EQ(ReadFileBytes(folder + "/" + kJournal),
              "DownloadFile(\"" + name.substr(0, 200) + "\", 7, 0) -> 1, 4096 bytes\n");

    // The failure report still reaches stderr in full.
    result = RunTool(folder, {"u", "bios", name}, {}, GetParam().target);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(Unix(result.err), Expand("\nERROR: cannot download file '" + name + "'{E:LONG_NAME}"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Stdout, BrokenStdoutTest,
                         testing::Values(BrokenStdout{"ClosedPipe", StdoutTarget::kClosedPipe},
                                         BrokenStdout{"DevFull", StdoutTarget::kDevFull},
                                         BrokenStdout{"Closed", StdoutTarget::kClosed}),
                         [](const testing::TestParamInfo<BrokenStdout> &info) { return info.param.name; });
// clang-format on

}  // namespace
