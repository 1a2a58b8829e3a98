#include "tool_under_test.h"

#include <dirent.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <regex>
#include <stdexcept>

namespace {

struct ToolUnderTest {
    std::string tool;
    std::string launcher;
    std::string strace;
    std::vector<std::string> launcherArgs;
    bool windows = false;
    Settings environment;
} under;

// Takes the value of --name=value, if arg is that option.
bool TakeOption(const std::string &arg, const char *name, std::string *value)
{
    std::string prefix = std::string("--") + name + "=";
    if (arg.compare(0, prefix.size(), prefix) != 0)
        return false;
    *value = arg.substr(prefix.size());
    return true;
}

}  // namespace

void ConfigureToolUnderTest(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string value;
        if (TakeOption(argv[i], "tool", &under.tool) || TakeOption(argv[i], "launcher", &under.launcher) ||
            TakeOption(argv[i], "strace", &under.strace))
            continue;
        if (TakeOption(argv[i], "platform", &value))
            under.windows = value == "windows";
        else if (TakeOption(argv[i], "launcher-arg", &value))
            under.launcherArgs.push_back(value);
        else if (TakeOption(argv[i], "env", &value))
            under.environment.push_back(
                {value.substr(0, value.find('=')), value.substr(value.find('=') + 1)});
        else
            throw std::runtime_error(std::string("unknown argument ") + argv[i]);
    }
    if (under.tool.empty())
        throw std::runtime_error("--tool=PROGRAM names no program");
}

bool OnWindows()
{
    return under.windows;
}

static ProcessSpec ToolSpec(const std::string &folder, const std::vector<std::string> &args,
                            const Settings &device)
{
    ProcessSpec spec;
    if (!under.launcher.empty()) {
        spec.argv.push_back(under.launcher);
        spec.argv.insert(spec.argv.end(), under.launcherArgs.begin(), under.launcherArgs.end());
    }
    spec.argv.push_back(under.tool);
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    spec.environment = under.environment;
    spec.environment.insert(
        spec.environment.end(),
        {{"VEMTU_SIM_JOURNAL", kJournal}, {"VEMTU_SIM_STATE_DIR", kStateDir}, {"VEMTU_SIM_RATE", "0"}});
    spec.environment.insert(spec.environment.end(), device.begin(), device.end());
    spec.workingDirectory = folder;
    return spec;
}

ProcessResult RunTool(const std::string &folder, const std::vector<std::string> &args, const Settings &device,
                      StdoutTarget target, bool stderrToStdout)
{
    ProcessSpec spec = ToolSpec(folder, args, device);
    spec.stdoutTarget = target;
    spec.stderrToStdout = stderrToStdout;
    return RunProcess(spec);
}

ProcessResult RunToolAndSignal(const std::string &folder, const std::vector<std::string> &args,
                               const Settings &device, int signal, const std::string &signalAfter)
{
    ProcessSpec spec = ToolSpec(folder, args, device);
    spec.stdoutTarget = StdoutTarget::kTerminal;
    spec.signal = signal;
    spec.signalAfter = signalAfter;
    return RunProcess(spec);
}

static std::string Unescaped(const std::string &hex)
{
    std::string bytes;
    for (size_t at = 0; at + 3 < hex.size(); at += 4)
        bytes += static_cast<char>(std::stoi(hex.substr(at + 2, 2), nullptr, 16));
    return bytes;
}

// strace -xx writes every byte as \xHH; a writev is one write of its pieces.
static std::vector<ConsoleWrite> WritesFromStrace(const std::string &trace)
{
    static const std::regex call(R"re((?:^|\n)\d+ +(write|writev)\(([12]), (.*)\) += -?\d+)re");
    static const std::regex piece(R"re("((?:\\x[0-9a-f]{2})*)")re");
    std::vector<ConsoleWrite> writes;
    for (std::sregex_iterator match(trace.begin(), trace.end(), call), end; match != end; ++match) {
        std::string arguments = (*match)[3];
        std::string bytes;
        for (std::sregex_iterator data(arguments.begin(), arguments.end(), piece); data != end; ++data) {
            bytes += Unescaped((*data)[1]);
            if ((*match)[1] == "write")
                break;
        }
        writes.push_back({std::stoi((*match)[2]), bytes.size(), bytes});
    }
    return writes;
}

// Wine's relay log names each call's thread. The tool's thread is the one
// that loads Vemtu.dll; its standard handles are what GetStdHandle answered
// it (-11 stdout, -12 stderr), and the writes count that go to them.
static std::vector<ConsoleWrite> WritesFromRelay(const std::string &log)
{
    static const std::regex line(R"re(([0-9a-f]{4}):(Call|Ret ) (.*))re");
    static const std::regex getStd(R"re(KERNEL32\.GetStdHandle\((fffffff[45])\).*)re");
    static const std::regex gotStd(R"re( ?KERNEL32\.GetStdHandle\(\) retval=([0-9a-f]+).*)re");
    static const std::regex write(
        R"re(KERNEL32\.(WriteFile|WriteConsoleA|WriteConsoleW)\(([0-9a-f]+),[0-9a-f]+,([0-9a-f]+),.*)re");
    std::string tool;
    std::map<std::string, std::string> asked;                     // thread: last selector
    std::map<std::string, std::map<unsigned long, int>> handles;  // thread: handle -> stream
    std::vector<std::pair<std::string, ConsoleWrite>> calls;
    for (std::sregex_iterator match(log.begin(), log.end(), line), end; match != end; ++match) {
        std::string thread = (*match)[1];
        std::string rest = (*match)[3];
        std::smatch part;
        if (rest.find("L\"Vemtu.dll\",reason=PROCESS_ATTACH") != std::string::npos)
            tool = thread;
        if ((*match)[2] == "Call" && std::regex_match(rest, part, getStd)) {
            asked[thread] = part[1];
        } else if ((*match)[2] == "Ret " && std::regex_match(rest, part, gotStd) && !asked[thread].empty()) {
            unsigned long handle = std::stoul(part[1], nullptr, 16);
            handles[thread].emplace(handle, asked[thread] == "fffffff5" ? 1 : 2);
            asked[thread].clear();
        } else if ((*match)[2] == "Call" && std::regex_match(rest, part, write)) {
            unsigned long handle = std::stoul(part[2], nullptr, 16);
            auto stream = handles[thread].find(handle);
            if (handle != 0 && stream != handles[thread].end())
                calls.push_back({thread, {stream->second, std::stoul(part[3], nullptr, 16), ""}});
        }
    }
    std::vector<ConsoleWrite> writes;
    for (const auto &call : calls) {
        if (call.first == tool)
            writes.push_back(call.second);
    }
    return writes;
}

std::vector<ConsoleWrite> TraceConsoleWrites(const std::string &folder, const std::vector<std::string> &args,
                                             const Settings &device, ProcessResult *result)
{
    ProcessSpec spec = ToolSpec(folder, args, device);
    spec.stdoutTarget = StdoutTarget::kTerminal;
    spec.stderrToStdout = true;
    if (OnWindows()) {
        // Wine writes its relay log to the terminal too; the prefix limits
        // it to the calls read here.
        spec.environment.push_back({"WINEDEBUG", "+relay"});
        *result = RunProcess(spec);
        return WritesFromRelay(result->out);
    }
    if (under.strace.empty())
        throw std::runtime_error("no strace to count writes with: scripts/install-deps brings it");
    std::string trace = folder + "/writes.trace";
    spec.argv.insert(spec.argv.begin(), {under.strace, "-f", "-qq", "-xx", "-s", "1000000", "-e",
                                         "trace=write,writev", "-e", "signal=none", "-o", trace});
    // LeakSanitizer cannot work under ptrace; in a sanitizer build the traced
    // run keeps every other check (elsewhere the setting means nothing).
    const char *sanitizerOptions = getenv("ASAN_OPTIONS");
    std::string options = sanitizerOptions != nullptr && sanitizerOptions[0] != '\0'
                              ? std::string(sanitizerOptions) + ":detect_leaks=0"
                              : "detect_leaks=0";
    spec.environment.push_back({"ASAN_OPTIONS", options});
    *result = RunProcess(spec);
    return WritesFromStrace(ReadFileBytes(trace));
}

std::vector<std::string> StateFiles(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *state = opendir((folder + "/" + kStateDir).c_str());
    if (state == nullptr)
        return names;
    while (struct dirent *entry = readdir(state)) {
        std::string name = entry->d_name;
        static const std::regex lockFile(R"(type-\d+\.lock)");
        if (name != "." && name != ".." && !std::regex_match(name, lockFile))
            names.push_back(name);
    }
    closedir(state);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Unix(const std::string &text)
{
    if (!OnWindows())
        return text;
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            result += text[i];
    }
    return result;
}

static void ReplaceAll(std::string *text, const std::string &from, const std::string &to)
{
    for (size_t at = text->find(from); at != std::string::npos; at = text->find(from, at + to.size()))
        text->replace(at, from.size(), to);
}

std::string AsDrawn(const std::string &terminal)
{
    if (!OnWindows())
        return terminal;
    std::string drawn = terminal;
    ReplaceAll(&drawn, "\x1b[?25l", "");
    ReplaceAll(&drawn, "\x1b[?25h", "");
    ReplaceAll(&drawn, "\x1b[K\x1b[1C", " ");
    ReplaceAll(&drawn, "\r\r\n", "\n");
    ReplaceAll(&drawn, "\r\n", "\n");
    // Backspaces that arrive together are drawn as one cursor move left.
    static const std::regex left("\x1b\\[([0-9]+)D");
    std::string moved;
    auto rest = drawn.cbegin();
    for (std::sregex_iterator match(drawn.begin(), drawn.end(), left), end; match != end; ++match) {
        moved.append(rest, (*match)[0].first);
        moved.append(std::stoul((*match)[1]), '\b');
        rest = (*match)[0].second;
    }
    moved.append(rest, drawn.cend());
    return moved;
}

std::string AsReceived(const std::string &utf8)
{
    if (!OnWindows())
        return utf8;
    std::string result;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < utf8.size()) {
            unsigned char trail = static_cast<unsigned char>(utf8[++i]);
            result += static_cast<char>(lead == 0xC3 ? trail + 0x40 : trail);
        } else {
            result += utf8[i];
        }
    }
    return result;
}

struct PlatformCode {
    std::string code;
    std::string text;
};

static const std::map<std::string, PlatformCode> &Codes()
{
    // Texts as glibc's strerror and wine's message table give them.
    static const std::map<std::string, PlatformCode> posix = {
        {"NOT_FOUND", {"2", "No such file or directory"}},
        {"INVALID_DATA", {"61", "No data available"}},
        {"INVALID_PARAMETER", {"22", "Invalid argument"}},
        {"TIMEOUT", {"110", "Connection timed out"}},
        {"DEVICE_IO", {"5", "Input/output error"}},
        {"LONG_NAME", {"36", "File name too long"}},
        {"BUSY", {"16", "Device or resource busy"}},
        {"5", {"5", "Input/output error"}},
        {"13", {"13", "Permission denied"}},
        {"99999", {"99999", "Unknown error 99999"}},
        {"4294967295", {"4294967295", "Unknown error -1"}},
    };
    static const std::map<std::string, PlatformCode> windows = {
        {"NOT_FOUND", {"2", "File not found."}},
        {"INVALID_DATA", {"13", "Invalid data."}},
        {"INVALID_PARAMETER", {"87", "Invalid parameter."}},
        // The semaphore time-out keeps its number and reads as the general time-out.
        {"TIMEOUT", {"121", "Timeout."}},
        {"DEVICE_IO", {"1117", "I/O device error."}},
        {"LONG_NAME", {"2", "File not found."}},
        {"BUSY", {"170", "Resource in use."}},
        {"5", {"5", "Access denied."}},
        {"13", {"13", "Invalid data."}},
        {"99999", {"99999", ""}},
        {"4294967295", {"4294967295", ""}},
    };
    return OnWindows() ? windows : posix;
}

static const PlatformCode &Lookup(const std::string &name)
{
    auto found = Codes().find(name);
    if (found == Codes().end())
        throw std::runtime_error("no platform code named " + name);
    return found->second;
}

std::string CodeOf(const std::string &name)
{
    return Lookup(name).code;
}

std::string SystemTextOf(const std::string &name)
{
    return Lookup(name).text;
}

std::string Expand(const std::string &text)
{
    static const std::regex token(R"(\{([EN]):([A-Z_0-9]+)\}|\{LONG\})");
    std::string result;
    auto rest = text.cbegin();
    for (std::sregex_iterator match(text.begin(), text.end(), token), end; match != end; ++match) {
        result.append(rest, (*match)[0].first);
        std::string name = (*match)[2];
        if (!(*match)[1].matched)
            result += std::string(OnWindows() ? 30000 : 100000, 'a');
        else if ((*match)[1] == "N")
            result += CodeOf(name);
        else
            result += " - error code " + CodeOf(name) + "\n(" + SystemTextOf(name) + ")\n";
        rest = (*match)[0].second;
    }
    result.append(rest, text.cend());
    return result;
}

std::string FirmwareBytes(char seed)
{
    std::string bytes(4096, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(seed + i * 7);
    return bytes;
}

void MakeFirmwareFiles(const std::string &folder)
{
    WriteFileBytes(folder + "/fw.bin", FirmwareBytes('f'));
    for (const char *name : {"00042_0.fw", "00007_0.fw", "4294967295_0.fw"})
        WriteFileBytes(folder + "/" + name, FirmwareBytes(name[4]));
    WriteFileBytes(folder + "/empty.bin", "");
}
