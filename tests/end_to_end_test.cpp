// The tool run as users and scripts run it, against the device simulator:
// exact stdout and stderr, the exit code, and the device calls it made.
// The same table runs against the POSIX build and the Windows exe.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "simulator/journal.h"
#include "support/expected_output.h"
#include "support/tool_under_test.h"

namespace {

// Arguments and expected texts are written as on POSIX, and text beyond
// ASCII is given as UTF-8. Tokens ({E:...}, {N:...}, {LONG}) stand for what
// differs by platform; they are expanded only when a row runs, since the
// rows exist before the platform under test is known (see Expand).
// Where a row runs: "/" leads an option group on Windows only.
enum class Leg { kBoth, kWindows, kPosix };

struct RunCase {
    std::string name;
    std::vector<std::string> args;
    Settings device;
    int exitCode;
    std::string out;
    std::string err;
    std::vector<std::string> journal;
    Leg leg = Leg::kBoth;
};

void PrintTo(const RunCase &row, std::ostream *os)
{
    *os << row.name;
}

std::string Announce(const std::string &name)
{
    return "Update with " + name + ": ";
}

// What a 4 KiB image shows, block by block, before the word finished.
const std::string kProgress = "  0%\b\b\b\b 25%\b\b\b\b 50%\b\b\b\b 75%\b\b\b\b100%\b\b\b\b";
const std::string kFinished = "finished\n";

const std::string kPcType = "QueryPcType() -> 1, pcType 16";
const std::string kId31 = "QueryDeviceValue(31, 4) -> 1, value 42";

std::string Download(const std::string &quoted, int type, const std::string &result)
{
    return "DownloadFile(\"" + quoted + "\", " + std::to_string(type) + ", 0) -> " + result;
}

const std::string kOk = "1, 4096 bytes";

// clang-format off
std::vector<RunCase> CommandLineCases()
{
    return {
        {"HelpDash", {"-h"}, {}, 0, kUsage, "", {}},
        {"HelpSlashQuestion", {"/?"}, {}, 0, kUsage, "", {}, Leg::kWindows},
        {"SlashQuestionIsNoAction", {"/?"}, {}, 1, kUsage, "\nERROR: unknown action '/?'\n", {}, Leg::kPosix},
        {"HelpAfterBeepNoBells", {"-bh", "u"}, {}, 0, kUsage, "", {}},
        {"HelpEndsAValidUpdateLine", {"u", "bios", "fw.bin", "-h"}, {}, 0, kUsage, "", {}},
        {"HelpStopsTheScan", {"-h", "-x", "nonsense"}, {}, 0, kUsage, "", {}},
        {"NoArguments", {}, {}, 1, "", kFileNameMissing, {}},
        {"ActionAlone", {"u"}, {}, 1, "", kFileNameMissing, {}},
        {"OnlyZelkMayOmitTheFile", {"u", "kcf"}, {}, 1, "", kFileNameMissing, {}},
        {"PrefixIsNoAction", {"up", "bios", "fw.bin"}, {}, 1, kUsage, "\nERROR: unknown action 'up'\n", {}},
        {"DataTypeFirst", {"bios", "u", "fw.bin"}, {}, 1, kUsage, "\nERROR: unknown action 'bios'\n", {}},
        {"UnknownDataType", {"u", "firmware", "fw.bin"}, {}, 1, kUsage,
         "\nERROR: unknown datatype 'firmware'\n", {}},
        {"TooManyArguments", {"u", "bios", "fw.bin", "b"}, {}, 1, "", "\nERROR: too many arguments\n", {}},
        {"UpperCaseOption", {"-H"}, {}, 1, "", "\nERROR: unknown option 'H'\n", {}},
        {"BadLetterBeforeBeep", {"-xb"}, {}, 1, "", "\nERROR: unknown option 'x'\n", {}},
        {"BeepBeforeBadLetter", {"-bx"}, {}, 1, kBells, "\nERROR: unknown option 'x'\n", {}},
        {"FileCannotStartWithSlash", {"u", "bios", "/fw.bin"}, {}, 1, "", "\nERROR: unknown option 'f'\n", {},
         Leg::kWindows},
        {"LoneSlashIgnored", {"/", "u", "/", "kcf", "fw.bin", "/"}, {}, 0, Announce("fw.bin") + kProgress + kFinished,
         "", {Download("fw.bin", 0, kOk)}, Leg::kWindows},
        {"LoneSlashIsNoAction", {"/", "u"}, {}, 1, kUsage, "\nERROR: unknown action '/'\n", {}, Leg::kPosix},
        {"BeepThenUnknownDataType", {"-b", "u", "foo"}, {}, 1, kUsage + kBells,
         "\nERROR: unknown datatype 'foo'\n", {}},
        {"UnknownDataTypeThenBeep", {"u", "foo", "-b"}, {}, 1, kUsage, "\nERROR: unknown datatype 'foo'\n", {}},
        {"MissingFileBeepsForLateB", {"u", "kcf", "-b"}, {}, 1, kBells, kFileNameMissing, {}},
        {"BeepAlone", {"-b"}, {}, 1, kBells, kFileNameMissing, {}},
        // Hostile text is printed as given, never read as a format.
        {"FormatDirectivesInAction", {"%n%s%x", "bios"}, {}, 1, kUsage, "\nERROR: unknown action '%n%s%x'\n", {}},
        {"HighBytesInDataType", {"u", "caf\xc3\xa9\xc3\xbf"}, {}, 1, kUsage,
         "\nERROR: unknown datatype 'caf\xc3\xa9\xc3\xbf'\n", {}},
        // Windows maps what the ANSI code page lacks to look-alikes (fw.bin,
        // -h, u zelk) or "?"; such an argument is refused, by position.
        {"FullWidthFileNameRefused", {"u", "bios", "\xef\xbd\x86\xef\xbd\x97.bin"}, {}, 1, "",
         "\nERROR: argument 3 has characters outside the ANSI code page\n", {}, Leg::kWindows},
        {"FullWidthHelpRefused", {"-\xef\xbd\x88"}, {}, 1, "",
         "\nERROR: argument 1 has characters outside the ANSI code page\n", {}, Leg::kWindows},
        {"FullWidthActionAndKeywordRefused", {"\xef\xbd\x95", "\xef\xbd\x9a\xef\xbd\x85\xef\xbd\x8c\xef\xbd\x8b"},
         {}, 1, "", "\nERROR: argument 1 has characters outside the ANSI code page\n", {}, Leg::kWindows},
        {"CjkFileNameRefused", {"-b", "u", "bios", "\xe4\xb8\xad.bin"}, {}, 1, "",
         "\nERROR: argument 4 has characters outside the ANSI code page\n", {}, Leg::kWindows},
        {"LongUnknownAction", {"{LONG}"}, {}, 1, kUsage, "\nERROR: unknown action '{LONG}'\n", {}},
    };
}
// clang-format on

// clang-format off
std::vector<RunCase> UpdateCases()
{
    return {
        {"UpdateBios", {"u", "bios", "fw.bin"}, {}, 0, Announce("fw.bin") + kProgress + kFinished, "",
         {Download("fw.bin", 7, kOk)}},
        {"ActionAndKeywordIgnoreCase", {"uPdAtE", "Bios", "fw.bin"}, {}, 0,
         Announce("fw.bin") + kProgress + kFinished, "", {Download("fw.bin", 7, kOk)}},
        {"LoneDashIgnored", {"-", "U", "-", "kcf", "fw.bin", "-"}, {}, 0,
         Announce("fw.bin") + kProgress + kFinished, "", {Download("fw.bin", 0, kOk)}},
        {"SuccessDoesNotBeep", {"-b", "u", "upsuset", "fw.bin"}, {}, 0,
         Announce("fw.bin") + kProgress + kFinished, "", {Download("fw.bin", 17, kOk)}},
        {"ZelkDerivesTheName", {"u", "zelk"}, {}, 0, Announce("00042_0.fw") + kProgress + kFinished, "",
         {kPcType, kId31, Download("00042_0.fw", 20, kOk)}},
        {"ZelkWithFileAsksNothing", {"U", "ZELK", "fw.bin"}, {}, 0,
         Announce("fw.bin") + kProgress + kFinished, "", {Download("fw.bin", 20, kOk)}},
        {"FallbackSelector", {"u", "zelkfw"}, {{"VEMTU_SIM_SELECTOR_31", "0xFFFFFFFF"}, {"VEMTU_SIM_SELECTOR_2", "7"}},
         0, Announce("00007_0.fw") + kProgress + kFinished, "",
         {kPcType, "QueryDeviceValue(31, 4) -> 1, value 4294967295", "QueryDeviceValue(2, 4) -> 1, value 7",
          Download("00007_0.fw", 20, kOk)}},
        {"FallbackAnswerStandsEvenWithoutId", {"u", "zelk"},
         {{"VEMTU_SIM_SELECTOR_31_ERROR", "5"}, {"VEMTU_SIM_SELECTOR_2", "0xFFFFFFFF"}}, 0,
         Announce("4294967295_0.fw") + kProgress + kFinished, "",
         {kPcType, "QueryDeviceValue(31, 4) -> 0, error 5", "QueryDeviceValue(2, 4) -> 1, value 4294967295",
          Download("4294967295_0.fw", 20, kOk)}},
        {"LongDeviceId", {"u", "zelk"}, {{"VEMTU_SIM_DEVICE_ID", "123456"}}, 2, Announce("123456_0.fw"),
         "\nERROR: cannot download file '123456_0.fw'{E:NOT_FOUND}",
         {kPcType, "QueryDeviceValue(31, 4) -> 1, value 123456",
          Download("123456_0.fw", 20, "0, error {N:NOT_FOUND}")}},
        {"PcTypeUnreadable", {"u", "zelk", "-b"}, {{"VEMTU_SIM_PC_TYPE_ERROR", "5"}}, 3, kBells,
         "\nERROR: cannot get device type{E:5}", {"QueryPcType() -> 0, error 5"}},
        {"NoDeviceId", {"u", "zelk"}, {{"VEMTU_SIM_SELECTOR_31", "0xFFFFFFFF"}, {"VEMTU_SIM_SELECTOR_2_ERROR", "5"}},
         3, "", "\nERROR: cannot get device ID{E:5}",
         {kPcType, "QueryDeviceValue(31, 4) -> 1, value 4294967295", "QueryDeviceValue(2, 4) -> 0, error 5"}},
        {"NoDeviceIdOutranksUnknownPcType", {"u", "zelk"},
         {{"VEMTU_SIM_PC_TYPE", "99"}, {"VEMTU_SIM_SELECTOR_31_ERROR", "5"}, {"VEMTU_SIM_SELECTOR_2_ERROR", "13"}},
         3, "", "\nERROR: cannot get device ID{E:13}",
         {"QueryPcType() -> 1, pcType 99", "QueryDeviceValue(31, 4) -> 0, error 5",
          "QueryDeviceValue(2, 4) -> 0, error 13"}},
        {"UnknownPcType", {"u", "zelk"}, {{"VEMTU_SIM_PC_TYPE", "14"}}, 1, "",
         "\nERROR: cannot determine file name for this PC type\n\n", {"QueryPcType() -> 1, pcType 14", kId31}},
        {"EmptyFileNameIsUsedAsIs", {"u", "zelk", ""}, {}, 2, Announce(""),
         "\nERROR: cannot download file ''{E:NOT_FOUND}", {Download("", 20, "0, error {N:NOT_FOUND}")}},
        {"MissingFile", {"-b", "u", "bios", "nothere.bin"}, {}, 2, Announce("nothere.bin") + kBells,
         "\nERROR: cannot download file 'nothere.bin'{E:NOT_FOUND}",
         {Download("nothere.bin", 7, "0, error {N:NOT_FOUND}")}},
        {"EmptyFile", {"u", "io", "empty.bin"}, {}, 2, Announce("empty.bin"),
         "\nERROR: cannot download file 'empty.bin'{E:INVALID_DATA}",
         {Download("empty.bin", 26, "0, error {N:INVALID_DATA}")}},
        {"DeviceFailsHalfway", {"u", "link", "fw.bin"}, {{"VEMTU_SIM_DOWNLOAD_FAIL_AT", "50"}}, 2,
         Announce("fw.bin") + "  0%\b\b\b\b 25%\b\b\b\b 50%\b\b\b\b",
         "\nERROR: cannot download file 'fw.bin'{E:DEVICE_IO}", {Download("fw.bin", 6, "0, error {N:DEVICE_IO}")}},
        {"DeviceTimesOut", {"u", "varo", "fw.bin"}, {{"VEMTU_SIM_TIMEOUT_AT", "25"}}, 2,
         Announce("fw.bin") + "  0%\b\b\b\b 25%\b\b\b\b", "\nERROR: cannot download file 'fw.bin'{E:TIMEOUT}",
         {Download("fw.bin", 2, "0, error {N:TIMEOUT}")}},
        {"CodeWithoutKnownText", {"u", "fpga", "fw.bin"}, {{"VEMTU_SIM_DOWNLOAD_ERROR", "99999"}}, 2,
         Announce("fw.bin") + "  0%\b\b\b\b", "\nERROR: cannot download file 'fw.bin'{E:99999}",
         {Download("fw.bin", 1, "0, error 99999")}},
        {"LargestCode", {"u", "ups", "fw.bin"}, {{"VEMTU_SIM_DOWNLOAD_ERROR", "0xFFFFFFFF"}}, 2,
         Announce("fw.bin") + "  0%\b\b\b\b", "\nERROR: cannot download file 'fw.bin'{E:4294967295}",
         {Download("fw.bin", 13, "0, error 4294967295")}},
        {"FailureWithoutCode", {"u", "upsbset", "fw.bin"}, {{"VEMTU_SIM_DOWNLOAD_ERROR", "0"}}, 2,
         Announce("fw.bin") + "  0%\b\b\b\b", "\nERROR: cannot download file 'fw.bin'\n",
         {Download("fw.bin", 15, "0, error 0")}},
        {"MalformedSimulatorSetting", {"u", "biosset", "fw.bin"}, {{"VEMTU_SIM_RATE", "fast"}}, 2,
         Announce("fw.bin"), "\nERROR: cannot download file 'fw.bin'{E:INVALID_PARAMETER}",
         {Download("fw.bin", 21, "0, error {N:INVALID_PARAMETER}")}},
        {"FormatDirectivesInFileName", {"u", "bios", "%s%n%x%%"}, {}, 2, Announce("%s%n%x%%"),
         "\nERROR: cannot download file '%s%n%x%%'{E:NOT_FOUND}",
         {Download("%s%n%x%%", 7, "0, error {N:NOT_FOUND}")}},
        // A path from the root, even one whose first letter is an option's.
        {"AbsolutePathWithHelpLetter", {"u", "bios", "/hfw.bin"}, {}, 2, Announce("/hfw.bin"),
         "\nERROR: cannot download file '/hfw.bin'{E:NOT_FOUND}", {Download("/hfw.bin", 7, "0, error {N:NOT_FOUND}")},
         Leg::kPosix},
        {"AbsolutePathWithBeepLetter", {"u", "kcf", "/b/?.kcf"}, {}, 2, Announce("/b/?.kcf"),
         "\nERROR: cannot download file '/b/?.kcf'{E:NOT_FOUND}", {Download("/b/?.kcf", 0, "0, error {N:NOT_FOUND}")},
         Leg::kPosix},
        {"HighBytesInFileName", {"u", "bios", "caf\xc3\xa9.bin"}, {}, 2, Announce("caf\xc3\xa9.bin"),
         "\nERROR: cannot download file 'caf\xc3\xa9.bin'{E:NOT_FOUND}",
         {Download("caf\xc3\xa9.bin", 7, "0, error {N:NOT_FOUND}")}},
        {"LongFileName", {"u", "bios", "{LONG}"}, {}, 2, Announce("{LONG}"),
         "\nERROR: cannot download file '{LONG}'{E:LONG_NAME}",
         // The journal cuts a long name and says so.
         {"DownloadFile(\"" + std::string(kJournalNameKept, 'a') + "\"..., 7, 0) -> 0, error {N:LONG_NAME}"}},
        // Only a regular file is firmware.
        {"FolderAsFile", {"u", "bios", "."}, {}, 2, Announce("."),
         "\nERROR: cannot download file '.'{E:INVALID_PARAMETER}",
         {Download(".", 7, "0, error {N:INVALID_PARAMETER}")}},
    };
}
// clang-format on

// The journal writes bytes beyond ASCII as \xHH.
std::string EscapedForJournal(const std::string &line)
{
    std::string escaped;
    for (unsigned char byte : line) {
        char hex[8];
        snprintf(hex, sizeof hex, "\\x%02X", byte);
        escaped += byte < 0x80 ? std::string(1, static_cast<char>(byte)) : std::string(hex);
    }
    return escaped;
}

std::vector<std::string> JournalLines(const std::string &folder)
{
    std::vector<std::string> lines;
    std::istringstream journal(ReadFileBytes(folder + "/" + kJournal));
    for (std::string line; std::getline(journal, line);)
        lines.push_back(line);
    return lines;
}

class UpdateRunTest : public testing::TestWithParam<RunCase> {};

TEST_P(UpdateRunTest, PrintsExactlyAndCallsTheDeviceAsExpected)
{
    const RunCase &row = GetParam();
    if ((row.leg == Leg::kWindows && !OnWindows()) || (row.leg == Leg::kPosix && OnWindows()))
        GTEST_SKIP() << "not this platform's command line";
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);

    std::vector<std::string> args;
    for (const std::string &arg : row.args)
        args.push_back(Expand(arg));
    ProcessResult result = RunTool(folder, args, row.device);

    EXPECT_EQ(result.exitCode, row.exitCode);
    EXPECT_EQ(Unix(result.out), AsReceived(Expand(row.out)));
    EXPECT_EQ(Unix(result.err), AsReceived(Expand(row.err)));
    std::vector<std::string> journal;
    for (const std::string &line : row.journal)
        journal.push_back(EscapedForJournal(AsReceived(Expand(line))));
    EXPECT_EQ(JournalLines(folder), journal);

    // A finished update leaves the file as the component's image; a failed
    // one leaves nothing, not even a partial image.
    static const std::regex finished(R"re(DownloadFile\("(.*)", (\d+), 0\) -> 1, .*)re");
    std::smatch download;
    std::string last = journal.empty() ? "" : journal.back();
    if (row.exitCode == 0 && std::regex_match(last, download, finished)) {
        EXPECT_EQ(StateFiles(folder), std::vector<std::string>{"type-" + download[2].str() + ".img"});
        EXPECT_EQ(ReadFileBytes(folder + "/state/type-" + download[2].str() + ".img"),
                  ReadFileBytes(folder + "/" + download[1].str()));
    } else {
        EXPECT_EQ(StateFiles(folder), std::vector<std::string>{});
    }

    // Three bells take about a second: BEL, 500 ms, BEL, 500 ms, BEL.
    if (row.out.find(kBells) != std::string::npos) {
        EXPECT_GE(result.seconds, 0.95);
    }
}

// A row for one leg says so in its name, so that each leg's ctest list can
// leave the other's rows out (the test itself skips them when run by hand).
std::string CaseName(const testing::TestParamInfo<RunCase> &info)
{
    const char *leg = info.param.leg == Leg::kWindows ? "OnWindows"
                      : info.param.leg == Leg::kPosix ? "OnPosix"
                                                      : "";
    return leg + info.param.name;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CommandLine, UpdateRunTest, testing::ValuesIn(CommandLineCases()), CaseName);
// clang-format on
// clang-format off
INSTANTIATE_TEST_SUITE_P(Update, UpdateRunTest, testing::ValuesIn(UpdateCases()), CaseName);
// clang-format on

TEST(DeviceImage, OnPosixAbsolutePathIsUpdatedFrom)
{
    if (OnWindows())
        GTEST_SKIP() << "a POSIX path";
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    ProcessResult result = RunTool(folder, {"u", "bios", folder + "/fw.bin"}, {});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, Announce(folder + "/fw.bin") + kProgress + kFinished);
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), FirmwareBytes('f'));
}

TEST(DeviceImage, FailedUpdateKeepsThePreviousImage)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    std::string image = folder + "/state/type-7.img";
    ASSERT_EQ(RunTool(folder, {"u", "bios", "fw.bin"}, {}).exitCode, 0);
    ASSERT_EQ(ReadFileBytes(image), FirmwareBytes('f'));

    WriteFileBytes(folder + "/fw.bin", FirmwareBytes('g'));
    EXPECT_EQ(RunTool(folder, {"u", "bios", "fw.bin"}, {{"VEMTU_SIM_DOWNLOAD_FAIL_AT", "75"}}).exitCode, 2);
    EXPECT_EQ(ReadFileBytes(image), FirmwareBytes('f'));
    EXPECT_EQ(StateFiles(folder), std::vector<std::string>{"type-7.img"});

    EXPECT_EQ(RunTool(folder, {"u", "bios", "fw.bin"}, {}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(image), FirmwareBytes('g'));
}

bool HasPartFile(const std::string &folder)
{
    for (const std::string &name : StateFiles(folder)) {
        if (name.size() > 5 && name.compare(name.size() - 5, 5, ".part") == 0)
            return true;
    }
    return false;
}

TEST(DeviceImage, SecondUpdateOfABusyComponentFailsAndChangesNothing)
{
    std::string folder = MakeTempDirectory();
    MakeFirmwareFiles(folder);
    // 4 KiB at 1 KiB/s: the first update holds the component for about four seconds.
    ProcessResult first;
    std::atomic<bool> firstEnded(false);
    std::thread running([&] {
        first = RunTool(folder, {"u", "bios", "fw.bin"}, {{"VEMTU_SIM_RATE", "1024"}});
        firstEnded = true;
    });
    // Its part file shows it holds the component and is writing.
    while (!firstEnded && !HasPartFile(folder))
        usleep(10 * 1000);
    ProcessResult second = RunTool(folder, {"u", "bios", "00042_0.fw"}, {});
    bool startedFirst = !firstEnded;
    running.join();
    ASSERT_TRUE(startedFirst) << "the first update ended before the second began";

    EXPECT_EQ(second.exitCode, 2);
    EXPECT_EQ(Unix(second.out), Announce("00042_0.fw"));
    EXPECT_EQ(Unix(second.err), Expand("\nERROR: cannot download file '00042_0.fw'{E:BUSY}"));
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(Unix(first.out), Announce("fw.bin") + kProgress + kFinished);
    EXPECT_EQ(Unix(first.err), "");
    EXPECT_EQ(JournalLines(folder),
              (std::vector<std::string>{Download("00042_0.fw", 7, Expand("0, error {N:BUSY}")),
                                        Download("fw.bin", 7, kOk)}));
    EXPECT_EQ(ReadFileBytes(folder + "/state/type-7.img"), FirmwareBytes('f'));
    EXPECT_EQ(StateFiles(folder), std::vector<std::string>{"type-7.img"});
}

}  // namespace
