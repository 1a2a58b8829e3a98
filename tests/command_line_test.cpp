// The command-line parser, one row per command line: what it fills in and
// the exact bytes it prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/run_options.h"
#include "support/expected_output.h"
#include "support/fake_platform.h"
#include "support/output_capture.h"

namespace {

const char *const kNoFile = nullptr;
// In place of ParseCommandLine's result: it ended the process with exit code 0.
const int kHelpEnded = -1;

struct ParseCase {
    std::vector<std::string> args;  // without the program name
    int result;
    DataType dataType;
    const char *fileName;  // kNoFile when none is stored
    bool beep;
    std::string out;
    std::string err;
};

void PrintTo(const ParseCase &row, std::ostream *os)
{
    *os << "args:";
    for (const std::string &arg : row.args)
        *os << " [" << arg << "]";
}

class ParseCommandLineTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, FillsOptionsAndPrintsExactly)
{
    const ParseCase &row = GetParam();
    runOptions = RunOptions();
    fakePlatform = FakePlatform();
    std::vector<std::string> storage = row.args;
    std::vector<char *> argv = {const_cast<char *>("ZelkSvc")};
    for (std::string &arg : storage)
        argv.push_back(&arg[0]);

    int result = -1;
    CapturedOutput printed = CaptureOutput([&] {
        try {
            result = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        } catch (const ProcessEnded &ended) {
            result = ended.exitCode == 0 ? kHelpEnded : -100 - ended.exitCode;
        }
    });

    EXPECT_EQ(result, row.result);
    EXPECT_EQ(runOptions.dataType, row.dataType);
    if (row.fileName == kNoFile) {
        EXPECT_EQ(runOptions.fileName, nullptr);
    } else {
        EXPECT_STREQ(runOptions.fileName, row.fileName);
    }
    EXPECT_EQ(runOptions.beep, row.beep);
    EXPECT_EQ(printed.out, row.out);
    EXPECT_EQ(printed.err, row.err);
    // Command-line reports carry no code, so no system text is looked up.
    EXPECT_TRUE(fakePlatform.lookedUp.empty());
    if (row.result == 1) {
        EXPECT_TRUE(runOptions.actionSeen);
    }
    // The file name is the argument itself, not a copy.
    if (row.fileName != kNoFile) {
        EXPECT_NE(std::find(argv.begin(), argv.end(), runOptions.fileName), argv.end());
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(DataTypeKeywords, ParseCommandLineTest, testing::Values(
    ParseCase{{"u", "BIOS", "f"}, 1, 7, "f", false, "", ""},
    ParseCase{{"u", "BIOSSET", "f"}, 1, 21, "f", false, "", ""},
    ParseCase{{"u", "IO", "f"}, 1, 26, "f", false, "", ""},
    ParseCase{{"u", "IOFPGA", "f"}, 1, 26, "f", false, "", ""},
    ParseCase{{"u", "KCF", "f"}, 1, 0, "f", false, "", ""},
    ParseCase{{"u", "LINK", "f"}, 1, 6, "f", false, "", ""},
    ParseCase{{"u", "LINKFPGA", "f"}, 1, 6, "f", false, "", ""},
    ParseCase{{"u", "ZELK", "f"}, 1, 20, "f", false, "", ""},
    ParseCase{{"u", "ZELKFW", "f"}, 1, 20, "f", false, "", ""},
    ParseCase{{"u", "FPGA", "f"}, 1, 1, "f", false, "", ""},
    ParseCase{{"u", "ZELKFPGA", "f"}, 1, 1, "f", false, "", ""},
    ParseCase{{"u", "VARO", "f"}, 1, 2, "f", false, "", ""},
    ParseCase{{"u", "ZELKVARO", "f"}, 1, 2, "f", false, "", ""},
    ParseCase{{"u", "UPS", "f"}, 1, 13, "f", false, "", ""},
    ParseCase{{"u", "UPSFW", "f"}, 1, 13, "f", false, "", ""},
    ParseCase{{"u", "UPSBSET", "f"}, 1, 15, "f", false, "", ""},
    ParseCase{{"u", "UPSUSET", "f"}, 1, 17, "f", false, "", ""},
    ParseCase{{"u", "uPsUsEt", "f"}, 1, 17, "f", false, "", ""},
    ParseCase{{"u", "zelkfw"}, 1, 20, kNoFile, false, "", ""},
    // Only whole keywords: no prefixes, no extensions, no blanks.
    ParseCase{{"u", "BIO", "f"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown datatype 'BIO'\n"},
    ParseCase{{"u", "BIOSS", "f"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown datatype 'BIOSS'\n"},
    ParseCase{{"u", "ZELK ", "f"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown datatype 'ZELK '\n"},
    ParseCase{{"u", "", "f"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown datatype ''\n"},
    // Case folding is ASCII only: the Turkish dotless i is no I.
    ParseCase{{"u", "B\xc4\xb1OS", "f"}, 0, -1, kNoFile, false, kUsage,
              "\nERROR: unknown datatype 'B\xc4\xb1OS'\n"}));
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(Actions, ParseCommandLineTest, testing::Values(
    ParseCase{{"U", "kcf", "x.kcf"}, 1, 0, "x.kcf", false, "", ""},
    ParseCase{{"update", "Bios", "f.bin"}, 1, 7, "f.bin", false, "", ""},
    ParseCase{{"UPDATE", "bios", "f.bin"}, 1, 7, "f.bin", false, "", ""},
    ParseCase{{"uPdAtE", "bios", "f.bin"}, 1, 7, "f.bin", false, "", ""},
    ParseCase{{"up", "bios", "f.bin"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown action 'up'\n"},
    ParseCase{{"updates", "bios", "f"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown action 'updates'\n"},
    ParseCase{{"bios", "u", "f.bin"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown action 'bios'\n"},
    ParseCase{{""}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown action ''\n"}));
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(Positionals, ParseCommandLineTest, testing::Values(
    ParseCase{{}, 0, -1, kNoFile, false, "", kFileNameMissing},
    ParseCase{{"u"}, 0, -1, kNoFile, false, "", kFileNameMissing},
    ParseCase{{"u", "kcf"}, 0, 0, kNoFile, false, "", kFileNameMissing},
    ParseCase{{"u", "bios", "a", "b"}, 0, 7, "a", false, "", "\nERROR: too many arguments\n"},
    // Any text is a file name, the empty one and keyword look-alikes too.
    ParseCase{{"u", "bios", ""}, 1, 7, "", false, "", ""},
    ParseCase{{"u", "zelk", ""}, 1, 20, "", false, "", ""},
    ParseCase{{"u", "bios", "update"}, 1, 7, "update", false, "", ""},
    ParseCase{{"u", "bios", "%s%n"}, 1, 7, "%s%n", false, "", ""}));
// clang-format on

// clang-format off
INSTANTIATE_TEST_SUITE_P(Options, ParseCommandLineTest, testing::Values(
    ParseCase{{"-b", "u", "bios", "f"}, 1, 7, "f", true, "", ""},
    ParseCase{{"u", "/b", "bios", "f"}, 1, 7, "f", true, "", ""},
    ParseCase{{"u", "bios", "f", "-bb"}, 1, 7, "f", true, "", ""},
    ParseCase{{"-", "u", "/", "bios", "f", "-"}, 1, 7, "f", false, "", ""},
    ParseCase{{"-B"}, 0, -1, kNoFile, false, "", "\nERROR: unknown option 'B'\n"},
    ParseCase{{"-H"}, 0, -1, kNoFile, false, "", "\nERROR: unknown option 'H'\n"},
    ParseCase{{"--b"}, 0, -1, kNoFile, false, "", "\nERROR: unknown option '-'\n"},
    // The scan stops at the bad letter: a b after it is never read.
    ParseCase{{"-xb"}, 0, -1, kNoFile, false, "", "\nERROR: unknown option 'x'\n"},
    ParseCase{{"-bx"}, 0, -1, kNoFile, true, kBells, "\nERROR: unknown option 'x'\n"},
    ParseCase{{"u", "bios", "/fw.bin"}, 0, 7, kNoFile, false, "", "\nERROR: unknown option 'f'\n"},
    ParseCase{{"-b", "u", "foo"}, 0, -1, kNoFile, true, kUsage + kBells, "\nERROR: unknown datatype 'foo'\n"},
    ParseCase{{"u", "foo", "-b"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown datatype 'foo'\n"},
    // "file name missing" comes after the whole line is read, so any b beeps.
    ParseCase{{"u", "kcf", "-b"}, 0, 0, kNoFile, true, kBells, kFileNameMissing},
    ParseCase{{"-b"}, 0, -1, kNoFile, true, kBells, kFileNameMissing}));
// clang-format on

// A help option prints the usage text and ends the run with exit code 0 at
// once: nothing after it is read, not even a bad letter.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Help, ParseCommandLineTest, testing::Values(
    ParseCase{{"-h"}, kHelpEnded, -1, kNoFile, false, kUsage, ""},
    ParseCase{{"/?"}, kHelpEnded, -1, kNoFile, false, kUsage, ""},
    ParseCase{{"-bh", "u"}, kHelpEnded, -1, kNoFile, true, kUsage, ""},
    ParseCase{{"u", "bios", "f.bin", "-h"}, kHelpEnded, 7, "f.bin", false, kUsage, ""},
    ParseCase{{"-hx"}, kHelpEnded, -1, kNoFile, false, kUsage, ""},
    ParseCase{{"-h", "-x", "nonsense"}, kHelpEnded, -1, kNoFile, false, kUsage, ""},
    // A rejected argument ends the scan before a later help option.
    ParseCase{{"nonsense", "-h"}, 0, -1, kNoFile, false, kUsage, "\nERROR: unknown action 'nonsense'\n"}));
// clang-format on

// The arguments of the last ParseWith: runOptions.fileName points into them.
std::vector<std::string> parsedArgs;

// Parses with the given platform answers; returns ParseCommandLine's result.
int ParseWith(const FakePlatform &platform, const std::vector<std::string> &args, CapturedOutput *printed)
{
    runOptions = RunOptions();
    fakePlatform = platform;
    parsedArgs = args;
    std::vector<char *> argv = {const_cast<char *>("ZelkSvc")};
    for (std::string &arg : parsedArgs)
        argv.push_back(&arg[0]);
    int result = -1;
    *printed = CaptureOutput([&] { result = ParseCommandLine(static_cast<int>(argv.size()), argv.data()); });
    return result;
}

TEST(OptionLeads, SlashIsAnOrdinaryFirstCharacterWhereOnlyDashLeads)
{
    FakePlatform posix;
    posix.optionLeads = "-";
    CapturedOutput printed;
    EXPECT_EQ(ParseWith(posix, {"u", "bios", "/home/hb?/fw.bin", "-b"}, &printed), 1);
    EXPECT_STREQ(runOptions.fileName, "/home/hb?/fw.bin");
    EXPECT_TRUE(runOptions.beep);
    EXPECT_EQ(printed.err, "");

    EXPECT_EQ(ParseWith(posix, {"/?"}, &printed), 0);
    EXPECT_EQ(printed.out, kUsage);
    EXPECT_EQ(printed.err, "\nERROR: unknown action '/?'\n");
}

TEST(ArgumentsAsTyped, ALookAlikeArgumentIsRefusedByPositionBeforeAnythingIsRead)
{
    FakePlatform garbled;
    garbled.argumentNotAsTyped = 3;
    CapturedOutput printed;
    EXPECT_EQ(ParseWith(garbled, {"-b", "u", "fw.bin", "-h"}, &printed), 0);
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(printed.err, "\nERROR: argument 3 has characters outside the ANSI code page\n");
    EXPECT_FALSE(runOptions.actionSeen);
    EXPECT_FALSE(runOptions.beep);
}

}  // namespace
