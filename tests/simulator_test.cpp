// The device simulator called directly, as a library user would: its
// settings, its progress reports and what it leaves on the device.
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "support/process.h"
#include "device/vemtu.h"

namespace {

struct SettingCase {
    const char *text;
    bool valid;
    uint32_t value;
};

class SimulatorSettingTest : public testing::TestWithParam<SettingCase> {};

TEST_P(SimulatorSettingTest, NumbersAreStrictDecimalOrHex)
{
    setenv("VEMTU_SIM_PC_TYPE", GetParam().text, 1);
    uint32_t pcType = 0;
    errno = 0;
    int result = QueryPcType(&pcType);
    unsetenv("VEMTU_SIM_PC_TYPE");
    if (GetParam().valid) {
        EXPECT_EQ(result, 1);
        EXPECT_EQ(pcType, GetParam().value);
    } else {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(errno, EINVAL);
    }
}

INSTANTIATE_TEST_SUITE_P(Values, SimulatorSettingTest, testing::Values(
    SettingCase{"17", true, 17}, SettingCase{"0x11", true, 17}, SettingCase{"0XfF", true, 255},
    SettingCase{"4294967295", true, 0xFFFFFFFFu}, SettingCase{"", true, 16} /* empty is unset */,
    SettingCase{"4294967296", false, 0}, SettingCase{"0x100000000", false, 0}, SettingCase{"-1", false, 0},
    SettingCase{" 1", false, 0}, SettingCase{"0x", false, 0}, SettingCase{"12abc", false, 0},
    SettingCase{"0x1g", false, 0}));

std::vector<uint32_t> reported;
uint32_t cancelAt = 101;

int VEMTU_CALLBACK Record(uint32_t percent, uint32_t context)
{
    EXPECT_EQ(context, 7u);
    reported.push_back(percent);
    return percent >= cancelAt ? 0 : 1;
}

class SimulatorDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTempDirectory();
        setenv("VEMTU_SIM_STATE_DIR", (folder + "/state").c_str(), 1);
        setenv("VEMTU_SIM_RATE", "0", 1);
        reported.clear();
        cancelAt = 101;
    }
    std::string folder;
};

TEST_F(SimulatorDownloadTest, ReportsEveryWholePercentOnceAndKeepsTheImage)
{
    std::string image(300 * 1024 + 17, 'x');
    WriteFileBytes(folder + "/big.bin", image);
    ASSERT_EQ(DownloadFile((folder + "/big.bin").c_str(), 26, Record, 7), 1);
    std::vector<uint32_t> everyPercent;
    for (uint32_t percent = 0; percent <= 100; ++percent)
        everyPercent.push_back(percent);
    EXPECT_EQ(reported, everyPercent);
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-26.img"), image);
}

TEST_F(SimulatorDownloadTest, CallbackRefusalCancelsAndKeepsTheOldImage)
{
    WriteFileBytes(folder + "/old.bin", std::string(4096, 'o'));
    ASSERT_EQ(DownloadFile((folder + "/old.bin").c_str(), 7, Record, 7), 1);
    WriteFileBytes(folder + "/new.bin", std::string(4096, 'n'));
    cancelAt = 50;
    reported.clear();
    errno = 0;
    EXPECT_EQ(DownloadFile((folder + "/new.bin").c_str(), 7, Record, 7), 0);
    EXPECT_EQ(errno, ECANCELED);
    EXPECT_EQ(reported, (std::vector<uint32_t>{0, 25, 50}));
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), std::string(4096, 'o'));
    EXPECT_FALSE(FileExists(folder + "/state/type-7.img.part"));
}

TEST_F(SimulatorDownloadTest, RefusesWhatNoDeviceWouldTake)
{
    WriteFileBytes(folder + "/fw.bin", "firmware");
    std::string path = folder + "/fw.bin";
    struct {
        const char *what;
        const char *file;
        int32_t dataType;
        ProgressCallback progress;
        int error;
    } refusals[] = {
        {"unknown data type", path.c_str(), 3, Record, EINVAL},
        {"no callback", path.c_str(), 7, nullptr, EINVAL},
        {"no file name", nullptr, 7, Record, EINVAL},
        {"a folder", folder.c_str(), 7, Record, EISDIR},
    };
    for (const auto &refusal : refusals) {
        errno = 0;
        EXPECT_EQ(DownloadFile(refusal.file, refusal.dataType, refusal.progress, 7), 0) << refusal.what;
        EXPECT_EQ(errno, refusal.error) << refusal.what;
    }
    EXPECT_FALSE(FileExists(folder + "/state/type-7.img"));
}

}  // namespace
