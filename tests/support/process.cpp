#include "process.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

extern char **environ;

static double Now()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

static void Check(bool ok, const char *what)
{
    if (!ok)
        throw std::runtime_error(std::string(what) + ": " + strerror(errno));
}

// Opens a pseudo-terminal pair in raw mode, so bytes pass unchanged.
static void OpenTerminal(int *master, int *slave)
{
    *master = posix_openpt(O_RDWR | O_NOCTTY);
    Check(*master >= 0 && grantpt(*master) == 0 && unlockpt(*master) == 0, "posix_openpt");
    *slave = open(ptsname(*master), O_RDWR | O_NOCTTY);
    Check(*slave >= 0, "open pty");
    struct termios mode;
    Check(tcgetattr(*slave, &mode) == 0, "tcgetattr");
    cfmakeraw(&mode);
    Check(tcsetattr(*slave, TCSANOW, &mode) == 0, "tcsetattr");
}

// The child's descriptor 1, and our end of it when there is one to read.
struct StdoutEnds {
    int child = -1;  // -1: the child runs with descriptor 1 closed
    int ours = -1;
    bool terminal = false;
};

static StdoutEnds OpenStdoutTarget(StdoutTarget target)
{
    StdoutEnds ends;
    int ends2[2];
    switch (target) {
    case StdoutTarget::kPipe:
    case StdoutTarget::kClosedPipe:
        Check(pipe(ends2) == 0, "pipe");
        ends.child = ends2[1];
        ends.ours = ends2[0];
        if (target == StdoutTarget::kClosedPipe) {
            close(ends.ours);
            ends.ours = -1;
        }
        break;
    case StdoutTarget::kDevFull:
        ends.child = open("/dev/full", O_WRONLY);
        Check(ends.child >= 0, "open /dev/full");
        break;
    case StdoutTarget::kClosed:
        break;
    case StdoutTarget::kTerminal:
        OpenTerminal(&ends.ours, &ends.child);
        ends.terminal = true;
        break;
    }
    return ends;
}

// Ours, with the caller's settings in place of any of the same name; a
// later setting wins over an earlier one.
static std::vector<std::string> BuildEnvironment(const ProcessSpec &spec)
{
    std::vector<std::string> environment;
    for (char **entry = environ; *entry != nullptr; ++entry)
        environment.push_back(*entry);
    for (const auto &setting : spec.environment) {
        std::string prefix = setting.first + "=";
        for (auto entry = environment.begin(); entry != environment.end();) {
            entry = entry->compare(0, prefix.size(), prefix) == 0 ? environment.erase(entry) : entry + 1;
        }
        environment.push_back(prefix + setting.second);
    }
    return environment;
}

static std::vector<char *> Pointers(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (std::string &text : strings)
        pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
}

// Starts the program with stdin on /dev/null, stdout as given, stderr to
// errWrite (or with stdout), default signal handling and nothing else open.
static pid_t Spawn(const ProcessSpec &spec, const StdoutEnds &out, int errWrite)
{
    std::vector<std::string> environment = BuildEnvironment(spec);
    std::vector<std::string> arguments = spec.argv;
    std::vector<char *> envp = Pointers(environment);
    std::vector<char *> argv = Pointers(arguments);
    pid_t child = fork();
    Check(child >= 0, "fork");
    if (child != 0)
        return child;
    if (out.terminal)
        setsid();
    int null = open("/dev/null", O_RDONLY);
    dup2(null, 0);
    if (out.child >= 0)
        dup2(out.child, 1);
    else
        close(1);
    dup2(spec.stderrToStdout && out.child >= 0 ? out.child : errWrite, 2);
    for (int fd = 3; fd < 1024; ++fd)
        close(fd);
    // The test program's own dispositions must not leak into the child.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        ::signal(signal, SIG_DFL);
    if (!spec.workingDirectory.empty() && chdir(spec.workingDirectory.c_str()) != 0)
        _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

// Reads stdout and stderr until both end (a terminal: until the child has
// gone and nothing more is waiting), then reaps the child.
static void Collect(const ProcessSpec &spec, pid_t child, const StdoutEnds &out, int errRead, double start,
                    ProcessResult *result)
{
    struct pollfd watched[2];
    std::string *sinks[2];
    int count = 0;
    if (out.ours >= 0) {
        watched[count] = {out.ours, POLLIN, 0};
        sinks[count++] = &result->out;
    }
    watched[count] = {errRead, POLLIN, 0};
    sinks[count++] = &result->err;
    int reading = count;
    bool exited = false;
    int status = 0;
    while (reading > 0) {
        // A terminal never reports end of file while we hold it.
        int ready = poll(watched, static_cast<nfds_t>(count), exited ? 0 : 50);
        if (ready < 0 && errno == EINTR)
            continue;
        if (!exited && waitpid(child, &status, WNOHANG) == child)
            exited = true;
        if (ready == 0 && exited)
            break;
        for (int i = 0; i < count; ++i) {
            if (watched[i].fd < 0 || watched[i].revents == 0)
                continue;
            char buffer[65536];
            ssize_t got = read(watched[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
                if (out.terminal && watched[i].fd == out.ours)
                    result->arrivals.push_back(
                        {Now() - start, std::string(buffer, static_cast<size_t>(got))});
                if (spec.signal != 0 && result->signalledAt < 0 && !exited &&
                    result->out.find(spec.signalAfter) != std::string::npos) {
                    kill(child, spec.signal);
                    result->signalledAt = Now() - start;
                }
            } else if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                close(watched[i].fd);
                watched[i].fd = -1;
                --reading;
            }
        }
    }
    for (int i = 0; i < count; ++i) {
        if (watched[i].fd >= 0)
            close(watched[i].fd);
    }
    if (!exited)
        waitpid(child, &status, 0);
    result->seconds = Now() - start;
    if (WIFEXITED(status))
        result->exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result->signal = WTERMSIG(status);
}

ProcessResult RunProcess(const ProcessSpec &spec)
{
    int errPipe[2];
    Check(pipe(errPipe) == 0, "pipe");
    StdoutEnds out = OpenStdoutTarget(spec.stdoutTarget);
    double start = Now();
    pid_t child = Spawn(spec, out, errPipe[1]);
    if (out.child >= 0)
        close(out.child);
    close(errPipe[1]);
    ProcessResult result;
    Collect(spec, child, out, errPipe[0], start, &result);
    return result;
}

std::string ReadFileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    Check(static_cast<bool>(file), "write file");
}

bool FileExists(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

static std::vector<std::string> temporaryFolders;

static int RemoveEntry(const char *path, const struct stat *, int, struct FTW *)
{
    return remove(path);
}

static void RemoveTemporaryFolders()
{
    for (const std::string &folder : temporaryFolders)
        nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string MakeTempDirectory()
{
    const char *base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/zelk-test-XXXXXX";
    Check(mkdtemp(&pattern[0]) != nullptr, "mkdtemp");
    if (temporaryFolders.empty())
        atexit(RemoveTemporaryFolders);
    temporaryFolders.push_back(pattern);
    return pattern;
}
