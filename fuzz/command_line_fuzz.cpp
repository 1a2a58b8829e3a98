// libFuzzer target for the command line: the input, split at NUL bytes, is
// the argument vector after the program name (no input, no arguments; "a\0"
// is "a" and an empty argument). It runs ParseCommandLine and its reports
// in-process over the tests' fake platform and a device that only counts
// calls, once with POSIX's option leads ("-") and once with Windows' ("-"
// and "/"), and aborts on any broken promise:
//
// - the device is never asked while the command line is read;
// - the data type is unset or a code of the keyword table;
// - help prints exactly the usage text and nothing on stderr;
// - a rejected line prints exactly one report, one of the parser's own, on
//   stderr (any usage text and -b's bells on stdout);
// - an accepted line prints nothing and has a file name from argv, or is
//   the ZELK firmware, whose name comes from the device.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/run_options.h"
#include "fake_device.h"
#include "support/expected_output.h"
#include "support/fake_platform.h"

namespace {

const DataType kTableCodes[] = {0, 1, 2, 6, 7, 13, 15, 17, 20, 21, 26};

// The arguments, each in an allocation of its own exact size, so that a read
// past an argument's end is AddressSanitizer's to see.
struct ArgumentVector {
    std::vector<std::unique_ptr<char[]>> storage;
    std::vector<char *> argv;
};

void Split(const uint8_t *data, size_t size, ArgumentVector *args)
{
    static char programName[] = "ZelkSvc";
    args->argv.push_back(programName);
    if (size == 0) {
        args->argv.push_back(nullptr);
        return;
    }
    size_t start = 0;
    for (size_t at = 0; at <= size; ++at) {
        if (at < size && data[at] != '\0')
            continue;
        size_t length = at - start;
        std::unique_ptr<char[]> argument(new char[length + 1]);
        memcpy(argument.get(), data + start, length);
        argument[length] = '\0';
        args->argv.push_back(argument.get());
        args->storage.push_back(std::move(argument));
        start = at + 1;
    }
    args->argv.push_back(nullptr);
}

// stdout or stderr sent to memory while a parse runs: the stdio variables
// themselves are swapped, which costs far less than moving descriptors.
struct Capture {
    FILE **stream;
    FILE *saved;
    char *data;
    size_t size;
};

void Begin(Capture *capture, FILE **stream)
{
    capture->stream = stream;
    capture->saved = *stream;
    capture->data = nullptr;
    capture->size = 0;
    FILE *memory = open_memstream(&capture->data, &capture->size);
    if (memory == nullptr)
        abort();
    *stream = memory;
}

std::string End(Capture *capture)
{
    fclose(*capture->stream);
    *capture->stream = capture->saved;
    std::string bytes(capture->data, capture->size);
    free(capture->data);
    return bytes;
}

enum class Outcome { kAccepted, kRejected, kHelp };

struct Run {
    const ArgumentVector *args;
    const char *optionLeads;
    Outcome outcome;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string &bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
    }
    return "\"" + text + "\"";
}

[[noreturn]] void Violated(const Run &run, const char *promise)
{
    fprintf(stderr, "\nBROKEN: %s\noption leads: \"%s\"\nargs:", promise, run.optionLeads);
    for (size_t i = 1; i + 1 < run.args->argv.size(); ++i)
        fprintf(stderr, " %s", Quoted(run.args->argv[i]).c_str());
    fprintf(stderr, "\nstdout: %s\nstderr: %s\n", Quoted(run.out).c_str(), Quoted(run.err).c_str());
    abort();
}

void Require(const Run &run, bool kept, const char *promise)
{
    if (!kept)
        Violated(run, promise);
}

bool IsArgument(const Run &run, const std::string &text)
{
    for (size_t i = 1; i + 1 < run.args->argv.size(); ++i) {
        if (text == run.args->argv[i])
            return true;
    }
    return false;
}

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::string &text, const std::string &suffix)
{
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The message of the one report, with the argument it names if any.
// Returns whether the report must come after the usage text.
bool CheckReport(const Run &run)
{
    const std::string kLead = "\nERROR: ";
    Require(run, StartsWith(run.err, kLead), "a report starts with \\nERROR: ");
    Require(run, EndsWith(run.err, "\n"), "a report ends its line");
    std::string message = run.err.substr(kLead.size(), run.err.size() - kLead.size() - 1);
    if (message == "too many arguments" || message == "file name missing")
        return false;
    const std::string kOption = "unknown option '";
    if (StartsWith(message, kOption)) {
        Require(run, message.size() == kOption.size() + 2 && EndsWith(message, "'"),
                "an unknown option names one letter");
        char letter = message[kOption.size()];
        bool given = false;
        for (size_t i = 1; i + 1 < run.args->argv.size(); ++i)
            given = given || strchr(run.args->argv[i], letter) != nullptr;
        Require(run, given && letter != '\0', "an unknown option is a letter given");
        return false;
    }
    for (const char *kind : {"unknown action '", "unknown datatype '"}) {
        if (StartsWith(message, kind)) {
            Require(run, EndsWith(message, "'"), "the named argument is quoted");
            std::string named = message.substr(strlen(kind), message.size() - strlen(kind) - 1);
            // The whole of stderr is this one report; a second "\nERROR: "
            // can only be the user's own text.
            Require(run, IsArgument(run, named), "an unknown word is an argument as given");
            return true;
        }
    }
    Violated(run, "stderr holds exactly one of the parser's reports");
}

void CheckRun(const Run &run)
{
    Require(run, fakeDeviceCalls == 0, "the device is not asked while the command line is read");
    bool tableCode = runOptions.dataType == kNoDataType;
    for (DataType code : kTableCodes)
        tableCode = tableCode || runOptions.dataType == code;
    Require(run, tableCode, "the data type is unset or a code of the table");
    Require(run, run.err.empty() || StartsWith(run.err, "\nERROR: "), "stderr holds only reports");

    switch (run.outcome) {
    case Outcome::kHelp:
        Require(run, run.out == kUsage, "help prints exactly the usage text");
        Require(run, run.err.empty(), "help prints nothing on stderr");
        break;
    case Outcome::kRejected: {
        bool usage = CheckReport(run);
        std::string expected = (usage ? kUsage : "") + (runOptions.beep ? kBells : "");
        Require(run, run.out == expected, "a rejected line prints the usage text if due, then -b's bells");
        break;
    }
    case Outcome::kAccepted:
        Require(run, run.out.empty() && run.err.empty(), "an accepted line prints nothing");
        Require(run, runOptions.actionSeen && runOptions.dataType != kNoDataType,
                "an accepted line has an action and a data type");
        if (runOptions.fileName == nullptr) {
            Require(run, runOptions.dataType == kDataTypeZelkFirmware,
                    "only the ZELK firmware may leave its file name out");
        } else {
            bool fromArgv = false;
            for (size_t i = 1; i + 1 < run.args->argv.size(); ++i)
                fromArgv = fromArgv || runOptions.fileName == run.args->argv[i];
            Require(run, fromArgv, "the file name is an argument, not a copy");
        }
        break;
    }
}

// One parse of the arguments over a platform with these option leads.
void ParseAndCheck(const ArgumentVector &args, const char *optionLeads)
{
    runOptions = RunOptions();
    fakePlatform = FakePlatform();
    fakePlatform.optionLeads = optionLeads;
    fakeDeviceCalls = 0;

    Run run = {&args, optionLeads, Outcome::kAccepted, "", ""};
    Capture out;
    Capture err;
    Begin(&out, &stdout);
    Begin(&err, &stderr);
    int exitCode = -1;
    try {
        // A copy of the pointer array: the checks compare with the originals.
        std::vector<char *> argv = args.argv;
        int accepted = ParseCommandLine(static_cast<int>(argv.size() - 1), argv.data());
        run.outcome = accepted == 1 ? Outcome::kAccepted : Outcome::kRejected;
        if (accepted != 0 && accepted != 1)
            exitCode = -2;
    } catch (const ProcessEnded &ended) {
        run.outcome = Outcome::kHelp;
        exitCode = ended.exitCode;
    }
    run.err = End(&err);
    run.out = End(&out);

    Require(run, exitCode == -1 || (run.outcome == Outcome::kHelp && exitCode == 0),
            "the parser answers 1 or 0, or ends the process with 0 for help");
    CheckRun(run);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ArgumentVector args;
    Split(data, size, &args);
    ParseAndCheck(args, "-");
    ParseAndCheck(args, "-/");
    return 0;
}
