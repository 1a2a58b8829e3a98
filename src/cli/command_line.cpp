// The command line: ZelkSvc <action> <datatype> [<file>] [<opts>], read once,
// left to right. Keywords compare ignoring ASCII case only, whatever the
// locale; option letters are case-sensitive.
#include "cli/command_line.h"

#include <stdio.h>

#include "cli/console_output.h"
#include "cli/error_report.h"
#include "cli/run_options.h"
#include "platform/platform.h"

struct DataTypeKeyword {
    const char *keyword;
    DataType code;
};

static const DataTypeKeyword kDataTypeKeywords[] = {
    {"BIOS", 7},
    {"BIOSSET", 21},
    {"IO", 26},
    {"IOFPGA", 26},
    {"KCF", 0},
    {"LINK", 6},
    {"LINKFPGA", 6},
    {"ZELK", kDataTypeZelkFirmware},
    {"ZELKFW", kDataTypeZelkFirmware},
    {"FPGA", 1},
    {"ZELKFPGA", 1},
    {"VARO", 2},
    {"ZELKVARO", 2},
    {"UPS", 13},
    {"UPSFW", 13},
    {"UPSBSET", 15},
    {"UPSUSET", 17},
};

static const char kUsage[] =
    "Version: 1.1\n"
    "Syntax: ZelkSvc <action> <datatype> [<file>] [<opts>]\n"
    "Function: ZELK service utility\n"
    "Arguments:\n"
    "    action    u[pdate] firmware/settings\n"
    "    datatype  BIOS\n"
    "              BIOSSET = BIOS settings\n"
    "              IO[FPGA] = I/O board FPGA firmware\n"
    "              KCF = key configuration\n"
    "              LINK[FPGA] = display link FPGA firmware\n"
    "              ZELK[FW] = ZELK firmware\n"
    "              [ZELK]FPGA = ZELK FPGA firmware\n"
    "              [ZELK]VARO = ZELK VARO firmware\n"
    "              UPS[FW] = add-on UPS firmware\n"
    "              UPSBSET = add-on UPS battery settings\n"
    "              UPSUSET = add-on UPS user settings\n"
    "    file      firmware/settings file name (optional for datatype ZELK[FW])\n"
    "Options:\n"
    "    -b        beep at program end: 1x = success, 3x = error\n"
    "              (not supported under Windows 7)\n"
    "Exit codes:\n"
    "    0 indicates success\n"
    "    1 indicates a command line error\n"
    "    2 indicates a file download error\n";

void PrintUsage()
{
    fputs(kUsage, stdout);
    ShowNow(stdout);
}

static char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// keyword is upper case; text matches when it is the whole keyword.
static bool MatchesKeyword(const char *text, const char *keyword)
{
    for (; *keyword != '\0'; ++text, ++keyword) {
        if (AsciiUpper(*text) != *keyword)
            return false;
    }
    return *text == '\0';
}

static bool IsAction(const char *text)
{
    return MatchesKeyword(text, "U") || MatchesKeyword(text, "UPDATE");
}

// The code for a data-type keyword, or kNoDataType.
static DataType LookUpDataType(const char *text)
{
    for (const DataTypeKeyword &entry : kDataTypeKeywords) {
        if (MatchesKeyword(text, entry.keyword))
            return entry.code;
    }
    return kNoDataType;
}

// Reads one option group after its lead character; 0 after reporting a bad letter.
static int ReadOptionGroup(const char *letters)
{
    for (; *letters != '\0'; ++letters) {
        switch (*letters) {
        case '?':
        case 'h':
            PrintUsage();
            EndProcess(0);
        case 'b':
            runOptions.beep = true;
            break;
        default:
            ReportError(kNoSystemCode, "unknown option '%c'", *letters);
            return 0;
        }
    }
    return 1;
}

static int TakePositional(char *argument)
{
    if (!runOptions.actionSeen) {
        if (!IsAction(argument)) {
            PrintUsage();
            ReportError(kNoSystemCode, "unknown action '%s'", argument);
            return 0;
        }
        runOptions.actionSeen = true;
    } else if (runOptions.dataType == kNoDataType) {
        DataType code = LookUpDataType(argument);
        if (code == kNoDataType) {
            PrintUsage();
            ReportError(kNoSystemCode, "unknown datatype '%s'", argument);
            return 0;
        }
        runOptions.dataType = code;
    } else if (runOptions.fileName == nullptr) {
        runOptions.fileName = argument;
    } else {
        ReportError(kNoSystemCode, "too many arguments");
        return 0;
    }
    return 1;
}

int ParseCommandLine(int argc, char **argv)
{
    // Look-alike letters would name another file, or ask for something else.
    int garbled = FirstArgumentNotAsTyped(argc, argv);
    if (garbled != 0) {
        ReportError(kNoSystemCode, "argument %d has characters outside the ANSI code page", garbled);
        return 0;
    }
    for (int i = 1; i < argc; ++i) {
        char *argument = argv[i];
        bool isOptionGroup = argument[0] != '\0' && IsOptionLead(argument[0]);
        if (!(isOptionGroup ? ReadOptionGroup(argument + 1) : TakePositional(argument)))
            return 0;
    }
    // Only the ZELK firmware may leave its file to be derived from the device.
    if (runOptions.fileName == nullptr && runOptions.dataType != kDataTypeZelkFirmware) {
        ReportError(kNoSystemCode, "file name missing");
        return 0;
    }
    return 1;
}
