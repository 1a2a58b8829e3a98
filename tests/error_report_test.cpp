// The report form and the system text's trailing line break, over a
// platform seam that supplies chosen texts.
#include <gtest/gtest.h>

#include <string>

#include "cli/error_report.h"
#include "cli/run_options.h"
#include "support/fake_platform.h"

namespace {

struct Captured {
    std::string out;
    std::string err;
};

template <typename Report>
Captured Capture(Report report)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    report();
    fflush(stdout);
    Captured captured;
    captured.out = testing::internal::GetCapturedStdout();
    captured.err = testing::internal::GetCapturedStderr();
    return captured;
}

class ReportErrorTest : public testing::Test {
protected:
    void SetUp() override
    {
        runOptions = RunOptions();
        fakePlatform = FakePlatform();
    }
};

TEST_F(ReportErrorTest, WithoutCodeIsOneLineAndLooksNothingUp)
{
    Captured c = Capture([] { ReportError(0, "cannot download file '%s'", "a%sb"); });
    EXPECT_EQ(c.err, "\nERROR: cannot download file 'a%sb'\n");
    EXPECT_EQ(c.out, "");
    EXPECT_TRUE(fakePlatform.lookedUp.empty());
}

TEST_F(ReportErrorTest, WithCodeAddsNumberAndSystemTextInParentheses)
{
    fakePlatform.systemText = "The system cannot find the file specified.\r\n";
    Captured c = Capture([] { ReportError(2, "cannot get device ID"); });
    EXPECT_EQ(c.err, "\nERROR: cannot get device ID - error code 2\n"
                     "(The system cannot find the file specified.)\n");
    EXPECT_EQ(fakePlatform.lookedUp, std::vector<uint32_t>{2});
}

TEST_F(ReportErrorTest, CodeIsPrintedUnsigned)
{
    Captured c = Capture([] { ReportError(0xFFFFFFFFu, "x"); });
    EXPECT_EQ(c.err, "\nERROR: x - error code 4294967295\n(Some system text)\n");
}

TEST_F(ReportErrorTest, CodeWithoutSystemTextKeepsEmptyParentheses)
{
    fakePlatform.hasText = false;
    Captured c = Capture([] { ReportError(99999, "x"); });
    EXPECT_EQ(c.err, "\nERROR: x - error code 99999\n()\n");
}

TEST_F(ReportErrorTest, MessageEndingInLineFeedLeavesAnEmptyLine)
{
    Captured c = Capture([] { ReportError(0, "cannot determine file name for this PC type\n"); });
    EXPECT_EQ(c.err, "\nERROR: cannot determine file name for this PC type\n\n");
}

TEST_F(ReportErrorTest, BeepIsThreeBellsHalfASecondApartAfterTheReport)
{
    runOptions.beep = true;
    Captured c = Capture([] { ReportError(0, "x"); });
    EXPECT_EQ(c.out, "\a\a\a");
    EXPECT_EQ(fakePlatform.pauses, (std::vector<unsigned>{500, 500}));
    EXPECT_EQ(c.err, "\nERROR: x\n");
}

struct TextCase {
    std::string table;     // what the system's table gives
    std::string printed;   // what stands between the parentheses
};

class SystemErrorTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(SystemErrorTextTest, LosesOnlyTheOneTrailingLineBreak)
{
    fakePlatform = FakePlatform();
    fakePlatform.systemText = GetParam().table;
    EXPECT_EQ(std::string(SystemErrorText(5)), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(LineBreaks, SystemErrorTextTest, testing::Values(
    TextCase{"Access is denied.\r\n", "Access is denied."},
    TextCase{"Access is denied.\n", "Access is denied."},
    TextCase{"Access is denied.\r", "Access is denied."},
    TextCase{"Access is denied.\r\n\r\n", "Access is denied.\r\n"},
    TextCase{"Two\r\nlines\r\n", "Two\r\nlines"},
    TextCase{"No break. ", "No break. "},
    TextCase{"\r\n", ""},
    TextCase{"\n", ""}));

}  // namespace
