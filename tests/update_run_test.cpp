// The update run in-process, driven through the device simulator: the ZELK
// firmware file name rule, one row per device answer, and the download
// branch with what it prints and leaves on the device.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "cli/run_options.h"
#include "support/fake_platform.h"
#include "support/output_capture.h"
#include "support/process.h"
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

const char *const kSettings[] = {
    "VEMTU_SIM_PC_TYPE",          "VEMTU_SIM_PC_TYPE_ERROR",     "VEMTU_SIM_DEVICE_ID",
    "VEMTU_SIM_SELECTOR_31",      "VEMTU_SIM_SELECTOR_31_ERROR", "VEMTU_SIM_SELECTOR_2",
    "VEMTU_SIM_SELECTOR_2_ERROR", "VEMTU_SIM_JOURNAL",           "VEMTU_SIM_DOWNLOAD_FAIL_AT"};

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

    int exitCode = -1;
    CapturedOutput printed = CaptureOutput([&] { exitCode = DeriveFirmwareFileName(); });

    EXPECT_EQ(exitCode, row.exitCode);
    if (row.exitCode == 0) {
        EXPECT_STREQ(runOptions.fileName, row.fileName);
    } else {
        EXPECT_EQ(runOptions.fileName, nullptr);
    }
    EXPECT_EQ(printed.err, row.err);
    EXPECT_EQ(printed.out, "");
}

const std::string kNoId = "\nERROR: cannot get device ID - error code 5\n(device says no)\n";
const std::string kUnknownPc = "\nERROR: cannot determine file name for this PC type\n\n";

// clang-format off
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
// clang-format on

struct RunCase {
    const char *name;
    std::vector<std::pair<const char *, const char *>> device;  // VEMTU_SIM_* settings
    const char *file;                                           // nullptr: derive it
    int exitCode;
    std::string out;  // {F} stands for the file's path
    std::string err;
};

void PrintTo(const RunCase &row, std::ostream *os)
{
    *os << row.name;
}

std::string WithPath(std::string text, const std::string &path)
{
    for (size_t at = text.find("{F}"); at != std::string::npos; at = text.find("{F}", at + path.size()))
        text.replace(at, 3, path);
    return text;
}

class RunUpdateTest : public testing::TestWithParam<RunCase> {};

TEST_P(RunUpdateTest, AnnouncesDownloadsAndEndsWithTheExitCode)
{
    const RunCase &row = GetParam();
    std::string folder = MakeTempDirectory();
    const std::string image(4096, 'i');
    WriteFileBytes(folder + "/00042_0.fw", image);
    for (const char *name : kSettings)
        unsetenv(name);
    setenv("VEMTU_SIM_STATE_DIR", (folder + "/state").c_str(), 1);
    setenv("VEMTU_SIM_RATE", "0", 1);
    for (const auto &setting : row.device)
        setenv(setting.first, setting.second, 1);
    // The simulator reads a bare derived name from the working folder.
    std::string path = row.file != nullptr ? folder + "/" + row.file : "00042_0.fw";
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    runOptions = RunOptions();
    runOptions.dataType = kDataTypeZelkFirmware;
    runOptions.fileName = row.file != nullptr ? path.c_str() : nullptr;
    fakePlatform = FakePlatform();
    fakePlatform.systemText = "device says no\n";

    int exitCode = -1;
    CapturedOutput printed = CaptureOutput([&] { exitCode = RunUpdate(); });
    ASSERT_EQ(chdir(here), 0);

    EXPECT_EQ(exitCode, row.exitCode);
    EXPECT_EQ(printed.out, WithPath(row.out, path));
    EXPECT_EQ(printed.err, WithPath(row.err, path));
    // Interrupts are held around the transfer, and only around it.
    EXPECT_EQ(fakePlatform.interrupts, row.exitCode == 3 ? "" : "HR");
    EXPECT_EQ(FileExists(folder + "/state/type-20.img"), row.exitCode == 0);
    if (row.exitCode == 0) {
        EXPECT_EQ(ReadFileBytes(folder + "/state/type-20.img"), image);
    }
}

const std::string kProgress = "  0%\b\b\b\b 25%\b\b\b\b 50%\b\b\b\b 75%\b\b\b\b100%\b\b\b\b";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Download, RunUpdateTest, testing::Values(
    RunCase{"GivenFile", {}, "00042_0.fw", 0, "Update with {F}: " + kProgress + "finished\n", ""},
    RunCase{"DerivedName", {}, nullptr, 0, "Update with 00042_0.fw: " + kProgress + "finished\n", ""},
    RunCase{"MissingFile", {}, "nothere.bin", 2, "Update with {F}: ",
            "\nERROR: cannot download file '{F}' - error code 2\n(device says no)\n"},
    RunCase{"DeviceFailsHalfway", {{"VEMTU_SIM_DOWNLOAD_FAIL_AT", "50"}}, "00042_0.fw", 2,
            "Update with {F}:   0%\b\b\b\b 25%\b\b\b\b 50%\b\b\b\b",
            "\nERROR: cannot download file '{F}' - error code 5\n(device says no)\n"},
    // No name, no announcement and no download.
    RunCase{"NoDeviceType", {{"VEMTU_SIM_PC_TYPE_ERROR", "13"}}, nullptr, 3, "",
            "\nERROR: cannot get device type - error code 13\n(device says no)\n"}),
    [](const testing::TestParamInfo<RunCase> &info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
