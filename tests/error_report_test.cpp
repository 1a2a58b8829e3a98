// The report form and the system text's trailing line break, over a
// platform seam that supplies chosen texts.
#include <gtest/gtest.h>

#include <string>

#include "cli/error_report.h"
#include "cli/run_options.h"
#include "support/expected_output.h"
#include "support/fake_platform.h"
#include "support/output_capture.h"

namespace {

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
    CapturedOutput c = CaptureOutput([] { ReportError(kNoSystemCode, "cannot download file '%s'", "a%sb"); });
    EXPECT_EQ(c.err, "\nERROR: cannot download file 'a%sb'\n");
    EXPECT_EQ(c.out, "");
    EXPECT_TRUE(fakePlatform.lookedUp.empty());
}

TEST_F(ReportErrorTest, WithCodeAddsNumberAndSystemTextInParentheses)
{
    fakePlatform.systemText = "The system cannot find the file specified.\r\n";
    CapturedOutput c = CaptureOutput([] { ReportError(2, "cannot get device ID"); });
    EXPECT_EQ(c.err,
              "\nERROR: cannot get device ID - error code 2\n"
              "(The system cannot find the file specified.)\n");
    EXPECT_EQ(fakePlatform.lookedUp, std::vector<uint32_t>{2});
}

TEST_F(ReportErrorTest, CodeIsPrintedUnsigned)
{
    CapturedOutput c = CaptureOutput([] { ReportError(0xFFFFFFFFu, "x"); });
    EXPECT_EQ(c.err, "\nERROR: x - error code 4294967295\n(Some system text)\n");
}

TEST_F(ReportErrorTest, CodeWithoutSystemTextKeepsEmptyParentheses)
{
    fakePlatform.hasText = false;
    CapturedOutput c = CaptureOutput([] { ReportError(99999, "x"); });
    EXPECT_EQ(c.err, "\nERROR: x - error code 99999\n()\n");
}

TEST_F(ReportErrorTest, MessageEndingInLineFeedLeavesAnEmptyLine)
{
    CapturedOutput c =
        CaptureOutput([] { ReportError(kNoSystemCode, "cannot determine file name for this PC type\n"); });
    EXPECT_EQ(c.err, "\nERROR: cannot determine file name for this PC type\n\n");
}

TEST_F(ReportErrorTest, BeepIsThreeBellsHalfASecondApartAfterTheReport)
{
    runOptions.beep = true;
    CapturedOutput c = CaptureOutput([] { ReportError(kNoSystemCode, "x"); });
    EXPECT_EQ(c.out, kBells);
    EXPECT_EQ(fakePlatform.pauses, (std::vector<unsigned>{500, 500}));
    EXPECT_EQ(c.err, "\nERROR: x\n");
}

struct TextCase {
    std::string table;    // what the system's table gives
    std::string printed;  // what stands between the parentheses
};

class SystemErrorTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(SystemErrorTextTest, LosesOnlyTheOneTrailingLineBreak)
{
    fakePlatform = FakePlatform();
    fakePlatform.systemText = GetParam().table;
    EXPECT_EQ(std::string(SystemErrorText(5)), GetParam().printed);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(LineBreaks, SystemErrorTextTest, testing::Values(
    TextCase{"Access is denied.\r\n", "Access is denied."},
    TextCase{"Access is denied.\n", "Access is denied."},
    TextCase{"Access is denied.\r", "Access is denied."},
    TextCase{"Access is denied.\r\n\r\n", "Access is denied.\r\n"},
    TextCase{"Two\r\nlines\r\n", "Two\r\nlines"},
    TextCase{"No break. ", "No break. "},
    TextCase{"\r\n", ""},
    TextCase{"\n", ""}));
// clang-format on

}  // namespace
