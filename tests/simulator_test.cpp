// The device simulator called directly, as a library user would: its
// settings, its progress reports and what it leaves on the device.
#include <dirent.h>
#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/vemtu.h"
#include "support/process.h"

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

// clang-format off
INSTANTIATE_TEST_SUITE_P(Values, SimulatorSettingTest, testing::Values(
    SettingCase{"17", true, 17}, SettingCase{"0x11", true, 17}, SettingCase{"0XfF", true, 255},
    SettingCase{"4294967295", true, 0xFFFFFFFFu}, SettingCase{"", true, 16} /* empty is unset */,
    SettingCase{"4294967296", false, 0}, SettingCase{"0x100000000", false, 0}, SettingCase{"-1", false, 0},
    SettingCase{" 1", false, 0}, SettingCase{"0x", false, 0}, SettingCase{"12abc", false, 0},
    SettingCase{"0x1g", false, 0}));
// clang-format on

std::vector<uint32_t> reported;
uint32_t cancelAt = 101;

int VEMTU_CALLBACK Record(uint32_t percent, uint32_t context)
{
    EXPECT_EQ(context, 7u);
    reported.push_back(percent);
    return percent >= cancelAt ? 0 : 1;
}

// The state folder's files, sorted; lock files are listed too.
std::vector<std::string> StateFolder(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *state = opendir((folder + "/state").c_str());
    if (state == nullptr)
        return names;
    while (struct dirent *entry = readdir(state)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(state);
    std::sort(names.begin(), names.end());
    return names;
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
    EXPECT_EQ(StateFolder(folder), (std::vector<std::string>{"type-7.img", "type-7.lock"}));

    // The failed transfer let go of the component.
    cancelAt = 101;
    EXPECT_EQ(DownloadFile((folder + "/new.bin").c_str(), 7, Record, 7), 1);
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), std::string(4096, 'n'));
}

// What a transfer started from inside another one's progress report met.
struct NestedTransfer {
    std::string file;
    int32_t dataType;
    uint32_t atPercent;
    int result = -1;
    int error = 0;
    std::vector<std::string> stateDuring;
};
NestedTransfer *nested = nullptr;
std::string nestedFolder;

int VEMTU_CALLBACK StartAnotherTransfer(uint32_t percent, uint32_t)
{
    if (percent == nested->atPercent) {
        errno = 0;
        nested->result = DownloadFile(nested->file.c_str(), nested->dataType, Record, 7);
        nested->error = errno;
        nested->stateDuring = StateFolder(nestedFolder);
    }
    return 1;
}

TEST_F(SimulatorDownloadTest, ComponentTakesOneTransferAtATime)
{
    std::string image(8 * 1024, 'a');
    WriteFileBytes(folder + "/a.bin", image);
    WriteFileBytes(folder + "/b.bin", std::string(4096, 'b'));
    nestedFolder = folder;
    std::string part = "type-7.img." + std::to_string(getpid()) + ".part";

    // The same component is busy: the second transfer writes nothing.
    NestedTransfer same{folder + "/b.bin", 7, 50, -1, 0, {}};
    nested = &same;
    EXPECT_EQ(DownloadFile((folder + "/a.bin").c_str(), 7, StartAnotherTransfer, 7), 1);
    EXPECT_EQ(same.result, 0);
    EXPECT_EQ(same.error, EBUSY);
    EXPECT_EQ(same.stateDuring, (std::vector<std::string>{part, "type-7.lock"}));
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), image);

    // Another component is not.
    NestedTransfer other{folder + "/b.bin", 26, 50, -1, 0, {}};
    nested = &other;
    EXPECT_EQ(DownloadFile((folder + "/a.bin").c_str(), 7, StartAnotherTransfer, 7), 1);
    EXPECT_EQ(other.result, 1);
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), image);
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-26.img"), std::string(4096, 'b'));
    EXPECT_EQ(StateFolder(folder),
              (std::vector<std::string>{"type-26.img", "type-26.lock", "type-7.img", "type-7.lock"}));
    nested = nullptr;
}

TEST_F(SimulatorDownloadTest, RefusesWhatNoDeviceWouldTake)
{
    WriteFileBytes(folder + "/fw.bin", "firmware");
    std::string path = folder + "/fw.bin";
    std::string fifo = folder + "/fifo.bin";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string state = folder + "/state";
    // Longer than the simulator's room for it: refused, never cut and used.
    std::string longState = folder + "/" + std::string(1100, 's');
    struct {
        const char *what;
        const char *file;
        int32_t dataType;
        ProgressCallback progress;
        const std::string &stateFolder;
        int error;
    } refusals[] = {
        {"unknown data type", path.c_str(), 3, Record, state, EINVAL},
        {"no callback", path.c_str(), 7, nullptr, state, EINVAL},
        {"no file name", nullptr, 7, Record, state, EINVAL},
        // Only a regular file is firmware; a FIFO without a writer must not
        // hang the call.
        {"a folder", folder.c_str(), 7, Record, state, EINVAL},
        {"a FIFO", fifo.c_str(), 7, Record, state, EINVAL},
        {"a device", "/dev/null", 7, Record, state, EINVAL},
        {"state folder too long", path.c_str(), 7, Record, longState, EINVAL},
    };
    for (const auto &refusal : refusals) {
        setenv("VEMTU_SIM_STATE_DIR", refusal.stateFolder.c_str(), 1);
        errno = 0;
        EXPECT_EQ(DownloadFile(refusal.file, refusal.dataType, refusal.progress, 7), 0) << refusal.what;
        EXPECT_EQ(errno, refusal.error) << refusal.what;
    }
    EXPECT_EQ(StateFolder(folder), std::vector<std::string>{});
    EXPECT_FALSE(FileExists(longState.substr(0, 1023)));
}

}  // namespace
