// An update that has started runs to its end whatever interrupts arrive:
// each signal is sent once the transfer is a quarter done, and the run
// must end exactly as an undisturbed one, with the component whole.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "support/tool_under_test.h"

namespace {

struct InterruptCase {
    const char *name;
    int signal;
};

void PrintTo(const InterruptCase &row, std::ostream *os)
{
    *os << row.name;
}

class InterruptTest : public testing::TestWithParam<InterruptCase> {};

// 4 KiB at 2 KiB/s: two seconds of transfer, the signal after the first half.
const Settings kSlowLink = {{"VEMTU_SIM_RATE", "2048"}};

std::string EndOf(const std::string &text, size_t length)
{
    return text.size() > length ? text.substr(text.size() - length) : text;
}

TEST_P(InterruptTest, TransferRunsToItsEndAndTheRunEndsAsUsual)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    ProcessResult result =
        RunToolAndSignal(folder, {"u", "bios", "fw.bin"}, kSlowLink, GetParam().signal, "25%");

    ASSERT_GE(result.signalledAt, 0) << "the transfer never showed 25%";
    EXPECT_LT(result.signalledAt, result.seconds - 0.5) << "the signal came too late to prove anything";
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, 0);
    const std::string finished = "100%\b\b\b\bfinished\n";
    EXPECT_EQ(EndOf(AsDrawn(result.out), finished.size()), finished);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), FirmwareBytes('f'));
    EXPECT_EQ(StateFiles(folder), std::vector<std::string>{"type-7.img"});
}

TEST_P(InterruptTest, InterruptedTransferThatFailsReportsAsUsual)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    Settings failing = kSlowLink;
    failing.push_back({"VEMTU_SIM_DOWNLOAD_FAIL_AT", "75"});
    ProcessResult result =
        RunToolAndSignal(folder, {"u", "bios", "fw.bin"}, failing, GetParam().signal, "25%");

    ASSERT_GE(result.signalledAt, 0) << "the transfer never showed 25%";
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(EndOf(AsDrawn(result.out), 8), " 75%\b\b\b\b");
    EXPECT_EQ(Unix(result.err), Expand("\nERROR: cannot download file 'fw.bin'{E:DEVICE_IO}"));
    EXPECT_EQ(StateFiles(folder), std::vector<std::string>{});
}

// Under wine, SIGINT reaches the program as a Ctrl+C event; the Windows leg
// runs that row only.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, testing::Values(
    InterruptCase{"SIGINT", SIGINT}, InterruptCase{"SIGTERM", SIGTERM},
    InterruptCase{"SIGHUP", SIGHUP}, InterruptCase{"SIGQUIT", SIGQUIT}),
    [](const testing::TestParamInfo<InterruptCase> &info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
