// The ZELK firmware file name rule, driven through the device simulator:
// one row per device answer, with the name or the report and exit code.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/run_options.h"
#include "support/fake_platform.h"
#include "update_run.h"

namespace {

struct NameCase {
    std::vector<std::pair<const char *, const char *>> device;  // VEMTU_SIM_* settings
    int exitCode;
    const char *fileName;  // when exitCode is 0
    std::string err;
};

void PrintTo(const NameCase &row, std::ostream *os)
{
    for (const auto &setting : row.device)
        *os << setting.first << "=" << setting.second << " ";
}

const char *const kSettings[] = {"VEMTU_SIM_PC_TYPE", "VEMTU_SIM_PC_TYPE_ERROR", "VEMTU_SIM_DEVICE_ID",
                                 "VEMTU_SIM_SELECTOR_31", "VEMTU_SIM_SELECTOR_31_ERROR",
                                 "VEMTU_SIM_SELECTOR_2", "VEMTU_SIM_SELECTOR_2_ERROR", "VEMTU_SIM_JOURNAL"};

class DeriveFirmwareFileNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(DeriveFirmwareFileNameTest, NamesTheFileOrReports)
{
    const NameCase &row = GetParam();
    for (const char *name : kSettings)
        unsetenv(name);
    for (const auto &setting : row.device)
        setenv(setting.first, setting.second, 1);
    runOptions = RunOptions();
    runOptions.dataType = kDataTypeZelkFirmware;
    fakePlatform = FakePlatform();
    fakePlatform.systemText = "device says no\n";

    testing::internal::CaptureStderr();
    int exitCode = DeriveFirmwareFileName();
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_EQ(exitCode, row.exitCode);
    if (row.exitCode == 0) {
        EXPECT_STREQ(runOptions.fileName, row.fileName);
    } else {
        EXPECT_EQ(runOptions.fileName, nullptr);
    }
    EXPECT_EQ(err, row.err);
}

const std::string kNoId = "\nERROR: cannot get device ID - error code 5\n(device says no)\n";
const std::string kUnknownPc = "\nERROR: cannot determine file name for this PC type\n\n";

INSTANTIATE_TEST_SUITE_P(Rule, DeriveFirmwareFileNameTest, testing::Values(
    NameCase{{}, 0, "00042_0.fw", ""},
    NameCase{{{"VEMTU_SIM_PC_TYPE", "15"}}, 0, "00042_0.fw", ""},
    NameCase{{{"VEMTU_SIM_PC_TYPE", "19"}}, 0, "00042_0.fw", ""},
    NameCase{{{"VEMTU_SIM_DEVICE_ID", "0"}}, 0, "00000_0.fw", ""},
    NameCase{{{"VEMTU_SIM_DEVICE_ID", "99999"}}, 0, "99999_0.fw", ""},
    NameCase{{{"VEMTU_SIM_DEVICE_ID", "123456"}}, 0, "123456_0.fw", ""},
    NameCase{{{"VEMTU_SIM_DEVICE_ID", "0xFFFFFFFE"}}, 0, "4294967294_0.fw", ""},
    // Selector 31 without an answer falls back to selector 2, whose answer stands.
    NameCase{{{"VEMTU_SIM_SELECTOR_31", "0xFFFFFFFF"}, {"VEMTU_SIM_SELECTOR_2", "7"}}, 0, "00007_0.fw", ""},
    NameCase{{{"VEMTU_SIM_SELECTOR_31_ERROR", "5"}, {"VEMTU_SIM_SELECTOR_2", "7"}}, 0, "00007_0.fw", ""},
    NameCase{{{"VEMTU_SIM_SELECTOR_31_ERROR", "5"}, {"VEMTU_SIM_SELECTOR_2", "0xFFFFFFFF"}}, 0,
             "4294967295_0.fw", ""},
    NameCase{{{"VEMTU_SIM_SELECTOR_31", "8"}, {"VEMTU_SIM_SELECTOR_2_ERROR", "5"}}, 0, "00008_0.fw", ""},
    NameCase{{{"VEMTU_SIM_SELECTOR_31", "0xFFFFFFFF"}, {"VEMTU_SIM_SELECTOR_2_ERROR", "5"}}, 3, nullptr, kNoId},
    NameCase{{{"VEMTU_SIM_SELECTOR_31_ERROR", "13"}, {"VEMTU_SIM_SELECTOR_2_ERROR", "5"}}, 3, nullptr, kNoId},
    // The ID is read before the PC type is judged.
    NameCase{{{"VEMTU_SIM_PC_TYPE", "99"}, {"VEMTU_SIM_SELECTOR_31_ERROR", "1"},
              {"VEMTU_SIM_SELECTOR_2_ERROR", "5"}}, 3, nullptr, kNoId},
    NameCase{{{"VEMTU_SIM_PC_TYPE_ERROR", "5"}}, 3, nullptr,
             "\nERROR: cannot get device type - error code 5\n(device says no)\n"},
    NameCase{{{"VEMTU_SIM_PC_TYPE", "14"}}, 1, nullptr, kUnknownPc},
    NameCase{{{"VEMTU_SIM_PC_TYPE", "20"}}, 1, nullptr, kUnknownPc},
    NameCase{{{"VEMTU_SIM_PC_TYPE", "0"}}, 1, nullptr, kUnknownPc},
    NameCase{{{"VEMTU_SIM_PC_TYPE", "0xFFFFFFFF"}}, 1, nullptr, kUnknownPc}));

}  // namespace
